#pragma once

#include "PeerLook.h"

#include <string>

typedef struct _cairo_font_face cairo_font_face_t;
typedef struct _cairo_font_options cairo_font_options_t;
typedef struct _cairo_surface cairo_surface_t;

namespace tb::peers {

// The overlay drawn with Cairo the way a Cairo program would draw it: the picture decoded by
// Cairo's PNG reader, recoloured by a loop of its own over the surface data, scaled with
// cairo_scale into a surface that is kept while the picture stays; on every drawing the kept canvas
// painted with that picture, the text as cairo text paths in the face fontconfig gives (filled, then
// stroked with round joins), the half-transparent shadow drawn the same way first, and the
// marker.
class CairoOverlay {
public:
    explicit CairoOverlay(PeerLook look);
    ~CairoOverlay();
    CairoOverlay(const CairoOverlay&) = delete;
    CairoOverlay& operator=(const CairoOverlay&) = delete;

    // Draws `text` (UTF-8) over the picture. A non-empty `pictureFile` is read, recoloured and
    // scaled again; an empty one reuses the last. False when there is no picture to draw on.
    bool draw(const std::string& pictureFile, const std::string& text);
    // The last canvas; empty before the first drawing.
    PeerCanvas canvas() const;
    bool writePng(const std::string& path) const;

private:
    bool loadPicture(const std::string& file);

    PeerLook look_;
    cairo_font_face_t* face_ = nullptr;
    cairo_font_options_t* options_ = nullptr;
    cairo_surface_t* picture_ = nullptr; // recoloured and scaled to the canvas
    double width_ = 0; // the canvas in logical pixels, unrounded
    double height_ = 0;
    cairo_surface_t* canvas_ = nullptr;
};

} // namespace tb::peers
