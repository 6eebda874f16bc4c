#pragma once

#include "render/GdipLog.h"
#include "render/ImageEffects.h"
#include "render/OverlayStyle.h"
#include "render/StaleMark.h"
#include "render/TextGlyphs.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <utility>

namespace tb {

// What one drawing of the overlay produced.
struct OverlayResult {
    bool drawn = false; // a canvas was made; otherwise the window keeps its content
    bool fontReplaced = false; // sFontName named no installed family and became "Arial"
    // W x H logical pixels made of W x H times the device pixel ratio device pixels, with that
    // ratio set; Format_ARGB32_Premultiplied; null when not drawn
    QImage canvas;
    int constantAlpha = 255; // the window's own opacity: 255 - nTrans
};

// The parameters of one text pass: the shadow pass, then the text pass.
struct TextPass {
    QRgb brushColor = 0; // ARGB, straight alpha
    QRgb penColor = 0;
    float direction = 1; // +1 moves the layout point by the shadow offset, -1 moves it back
    bool fill = false;
    bool enabled = false;
    float penWidth = 1;
};

// Draws the temperature text over the skin picture: the picture scaled to the window size and
// recoloured, the text as filled and outlined glyph paths with an optional shadow, and the
// stale-reading marker. Failed steps go through the GdipLog with the stage they happened in.
// Without any picture (none was ever read) the text is drawn alone on a transparent canvas
// just big enough for it.
//
// Everything is measured in logical pixels (the command language's positions, offsets, pen
// widths, font and marker sizes) and drawn at the device pixel ratio of the screen: the
// picture scaled once from its source to the device size, the text and the marker painted
// at device resolution.
//
// Only the picture file's bytes (PicBytes) are meant to survive between drawings; the decoded
// picture, the recoloured picture, its scaled copy, the glyph outlines, the text's coverage and
// the marker's are kept as well, each for exactly the inputs it was made from, so a redraw that
// changes only the text or the marker restores the picture where the last text and marker were
// and blends them anew. The canvas handed out shares its pixels with one of two canvases kept
// here (the next drawing uses the other one); painting on it makes it a copy of its own first.
class OverlayRenderer {
public:
    explicit OverlayRenderer(GdipLog& log)
        : log_(log)
    {
    }

    // Draws one overlay at `devicePixelRatio` device pixels a logical pixel. A non-empty
    // `sFile` replaces PicBytes with the file's content first; an empty one reuses PicBytes, or
    // draws the text alone when no picture file was ever read. `style.sText` and `style.nTrans`
    // are set by the caller; `style.sFontName` becomes "Arial" when it names no installed family.
    OverlayResult RenderOverlay(
        const QString& sFile, OverlayStyle& style, const PicAdjust& adjust, const StaleMark& mark, qreal devicePixelRatio = 1.0);

    // The raw content of the current picture file.
    const QByteArray& PicBytes() const { return picBytes_; }

    // The largest picture and canvas accepted, in pixels (64 Mi, 256 MiB at 4 bytes a pixel).
    static constexpr std::int64_t kMaxPixels = std::int64_t {64} * 1024 * 1024;
    // Picture files bigger than this are not read at all: no picture within the pixel limit needs it.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t {512} * 1024 * 1024;
    // Font sizes outside 0 < size <= this are refused.
    static constexpr float kMaxFontPixels = 2000;
    // Device pixel ratios outside 0 < ratio <= this are taken as 1.
    static constexpr qreal kMaxDevicePixelRatio = 16;

private:
    bool readPicture(const QString& file);
    std::int32_t decodePicture();
    std::pair<std::int32_t, const char*> decodeBytes(QImage& decoded);
    OverlayResult drawTextAlone(OverlayStyle& style, const StaleMark& mark, qreal ratio);
    QSize deviceSize(float W, float H, qreal ratio);
    // A canvas handed out, and what was drawn over its picture.
    struct Canvas {
        QImage image;
        std::uint64_t picture = 0; // the scaledStamp_ of the picture it was made from
        QRect dirty[2]; // device pixels the last drawing may have changed: text, marker
    };
    Canvas& pictureCanvas(const QImage& picture);
    bool usableCanvas(const QImage& canvas);
    QRect drawMark(QImage& canvas, float W, float H, const StaleMark& mark, qreal ratio);
    const QImage& scaledPicture(QSize size, const ColorMatrix& matrix);
    QString lookupFamily(const QString& name);
    bool prepareText(OverlayStyle& style, qreal ratio, bool& fontReplaced);
    QRectF textExtent(const OverlayStyle& style);
    QRect drawText(QImage& canvas, const OverlayStyle& style, QPointF layout, qreal ratio);
    QRect DrawTextPass(QImage& canvas, QPointF& layout, const TextPass& pass, const OverlayStyle& style, qreal ratio);

    GdipLog& log_;
    QByteArray picBytes_;
    bool pictureEverRead_ = false; // a picture file was read (even an empty one)
    bool textAloneLogged_ = false;
    std::uint64_t picGeneration_ = 0; // counts changes of PicBytes' content

    // The decoded picture of PicBytes (or why it failed), for generation decodedFor_. The image
    // itself is let go once recoloured into a picture of its own (see scaledPicture).
    std::uint64_t decodedFor_ = ~std::uint64_t {0};
    std::int32_t decodeStatus_ = gdip::Ok;
    const char* decodeReason_ = nullptr;
    QSize decodedSize_;
    QImage decoded_;

    // The decoded picture recoloured at its own size.
    std::uint64_t recolouredFor_ = ~std::uint64_t {0};
    ColorMatrix recolouredMatrix_ {};
    QImage recoloured_;

    // The recoloured picture scaled to the canvas size; the stamp counts its changes.
    std::uint64_t scaledFor_ = ~std::uint64_t {0};
    QSize scaledSize_;
    ColorMatrix scaledMatrix_ {};
    QImage scaled_;
    std::uint64_t scaledStamp_ = 0;

    // The last canvas handed out. Once its holder lets it go, the next drawing only needs the
    // picture back where text and marker were; while it is held, a fresh copy is drawn on. One
    // canvas rather than two alternating: a window that keeps showing a canvas until the next
    // arrives would otherwise hold one more picture's worth of memory for nothing but speed.
    Canvas canvas_;

    // The stale marker's masks, for the canvas and marker they were made for.
    struct MarkKey {
        float W = -1;
        float H = -1;
        float size = 0;
        qint16 pos = 0;
        qreal ratio = 0;
        friend bool operator==(const MarkKey&, const MarkKey&) = default;
    };
    MarkKey markKey_;
    StaleMarkLayers markLayers_;

    QHash<QString, QString> families_; // font name -> installed family ("" when missing)
    TextGlyphs glyphs_;
};

} // namespace tb
