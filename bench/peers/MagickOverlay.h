#pragma once

#include "PeerLook.h"

#include <Magick++.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tb::peers {

// The overlay drawn with Magick++ in this process on one thread, the way a Magick++ program
// would draw it: the picture read by Magick, recoloured with its colour matrix and resized
// (triangle filter) into an image that is kept while the picture stays; on every drawing a copy
// of it, the text drawn from the font file fontconfig gives (fill and round-joined stroke, the
// shadow first), the marker, and the pixels exported as premultiplied 8-bit BGRA for the window.
class MagickOverlay {
public:
    explicit MagickOverlay(PeerLook look);

    // Draws `text` (UTF-8) over the picture. A non-empty `pictureFile` is read, recoloured and
    // resized again; an empty one reuses the last. False when there is no picture to draw on.
    bool draw(const std::string& pictureFile, const std::string& text);
    // The last canvas; empty before the first drawing.
    PeerCanvas canvas() const;
    bool writePng(const std::string& path) const;

private:
    bool loadPicture(const std::string& file);

    PeerLook look_;
    std::string fontFile_;
    bool hasPicture_ = false;
    Magick::Image picture_; // recoloured and resized to the canvas
    double width_ = 0; // the canvas in logical pixels, unrounded
    double height_ = 0;
    Magick::Image canvas_;
    std::vector<std::uint32_t> pixels_;
};

} // namespace tb::peers
