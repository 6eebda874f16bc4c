#include "OverlayRenderer.h"

#include "FontLookup.h"
#include "RenderLog.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <cmath>

namespace tb {

namespace {

// The stage numbers the error list shows, set before each step.
enum Stage : qint16 {
    kStageDecode = 10,
    kStageSize = 11,
    kStageSurface = 12,
    kStagePicture = 13,
    kStageFamily = 14,
    kStageFont = 15,
    kStageHint = 16,
    kStageMeasure = 17,
    kStageLayout = 18,
};

// Files bigger than this are not read at all: no picture within the pixel limit needs it.
constexpr qint64 kMaxFileBytes = qint64 {512} * 1024 * 1024;
// Allocation limit of the decoder in MiB: kMaxPixels at 4 bytes a pixel.
constexpr int kDecoderLimitMiB = static_cast<int>(OverlayRenderer::kMaxPixels * 4 / (1024 * 1024));
// Text further off the canvas than this is not drawn (and would overflow the rasteriser).
constexpr qreal kMaxCoordinate = 1e6;

const QString kArial = QStringLiteral("Arial");

// Canvas sides are the scaled sizes taken to the nearest whole pixel, halves to even.
int nearestWhole(float v)
{
    return static_cast<int>(std::nearbyint(v));
}

bool sensibleCoordinate(qreal v)
{
    return std::isfinite(v) && std::abs(v) <= kMaxCoordinate;
}

// Fills `path` moved to `at` with a colour of straight alpha. A translucent colour is filled
// opaque into a layer just big enough for the path, and the layer is blended with the colour's
// alpha: the same pixels, but Qt's raster engine hands translucent solid fills with many spans
// to the global thread pool, and on a small machine the hand-offs cost more than the fill
// (a 40 px glyph run: 114 us against 46 us opaque), while blending a layer stays on this thread.
void fillAt(QPainter& g, const QPainterPath& path, QPointF at, QRgb colour)
{
    const int alpha = qAlpha(colour);
    if (alpha == 0)
        return;
    if (alpha == 255) {
        g.save();
        g.translate(at);
        g.fillPath(path, QColor::fromRgba(colour));
        g.restore();
        return;
    }
    const QRect canvas(0, 0, g.device()->width(), g.device()->height());
    const QRect area = path.boundingRect().translated(at).toAlignedRect() & canvas;
    if (area.isEmpty())
        return;
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return;
    layer.fill(Qt::transparent);
    {
        QPainter l(&layer);
        l.setRenderHint(QPainter::Antialiasing, true);
        l.translate(at - QPointF(area.topLeft()));
        l.fillPath(path, QColor::fromRgba(colour | 0xFF000000u));
    }
    g.save();
    g.setOpacity(alpha / 255.0);
    g.drawImage(area.topLeft(), layer);
    g.restore();
}

} // namespace

OverlayResult OverlayRenderer::RenderOverlay(
    const QString& sFile, OverlayStyle& style, const PicAdjust& adjust, const StaleMark& mark)
{
    OverlayResult result;
    if (!sFile.isEmpty() && !readPicture(sFile))
        return result;

    log_.setGdipStage(kStageDecode);
    if (decodePicture() != gdip::Ok)
        return result;

    log_.setGdipStage(kStageSize);
    const int w = decoded_.width();
    const int h = decoded_.height();
    const float sx = style.fScaleOn ? style.nScaleX / 100.0F : 1.0F;
    const float sy = style.fScaleOn ? style.nScaleY / 100.0F : 1.0F;
    const float W = sx * static_cast<float>(w);
    const float H = sy * static_cast<float>(h);

    log_.setGdipStage(kStageSurface);
    if (!(W >= 0.5F && H >= 0.5F)) { // also refuses NaN
        log_.GdipCheck(gdip::InvalidParameter, "the scaled picture has no pixels");
        return result;
    }
    if (!(static_cast<double>(W) * H <= static_cast<double>(kMaxPixels))) {
        log_.GdipCheck(gdip::OutOfMemory, "the scaled picture exceeds 64 megapixels");
        return result;
    }
    const QSize canvasSize(std::max(1, nearestWhole(W)), std::max(1, nearestWhole(H)));

    log_.setGdipStage(kStagePicture);
    const QImage& picture = scaledPicture(canvasSize, BuildColorMatrix(adjust));
    // The surface starts transparent and the picture is drawn onto it unblended, so the canvas
    // starts as a copy of the recoloured picture; the cached picture itself stays untouched.
    QImage canvas = picture.copy();
    QPainter g;
    if (canvas.isNull() || !g.begin(&canvas)) {
        log_.GdipCheck(gdip::OutOfMemory, "no memory for the drawing surface");
        return result;
    }
    g.setRenderHint(QPainter::Antialiasing, true);

    drawText(g, style, W, H, sx, sy, result.fontReplaced);
    if (mark.fShow)
        DrawStaleMark(g, W, H, mark);
    g.end();

    result.drawn = true;
    result.canvas = std::move(canvas);
    result.constantAlpha = 255 - style.nTrans;
    return result;
}

bool OverlayRenderer::readPicture(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        qCWarning(lcRender) << "cannot read the picture" << file << f.errorString();
        log_.GdipLogError(f.exists() ? gdip::AccessDenied : gdip::FileNotFound, "the picture file cannot be read");
        return false;
    }
    if (f.size() > kMaxFileBytes) {
        qCWarning(lcRender) << "picture" << file << "has" << f.size() << "bytes";
        log_.GdipLogError(gdip::OutOfMemory, "the picture file is too big");
        return false;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        qCWarning(lcRender) << "cannot read the picture" << file << f.errorString();
        log_.GdipLogError(gdip::AccessDenied, "the picture file cannot be read");
        return false;
    }
    if (bytes != picBytes_) {
        picBytes_ = std::move(bytes);
        ++picGeneration_;
    }
    return true;
}

std::int32_t OverlayRenderer::decodePicture()
{
    if (decodedFor_ != picGeneration_) {
        decodedFor_ = picGeneration_;
        decoded_ = QImage();
        decodeStatus_ = gdip::Ok;
        decodeReason_ = nullptr;
        if (picBytes_.isEmpty()) {
            decodeStatus_ = gdip::InvalidParameter;
            decodeReason_ = "no picture has been read, or the picture file is empty";
        } else {
            QBuffer buffer(&picBytes_);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            reader.setAutoTransform(false);
            reader.setAllocationLimit(kDecoderLimitMiB);
            // Refuse a picture by its header before the decoder allocates anything for it.
            const QSize claimed = reader.size();
            if (!reader.canRead()) {
                decodeStatus_ = gdip::UnknownImageFormat;
                decodeReason_ = "the picture is not in a format the decoder knows";
            } else if (claimed.isValid() && std::int64_t {claimed.width()} * claimed.height() > kMaxPixels) {
                qCWarning(lcRender) << "picture claims" << claimed << "pixels";
                decodeStatus_ = gdip::OutOfMemory;
                decodeReason_ = "the picture is larger than 64 megapixels";
            } else {
                QImage image;
                if (!reader.read(&image) || image.isNull()) {
                    qCWarning(lcRender) << "picture cannot be decoded:" << reader.errorString();
                    decodeStatus_ = gdip::UnknownImageFormat;
                    decodeReason_ = "the picture cannot be decoded";
                } else if (std::int64_t {image.width()} * image.height() > kMaxPixels) {
                    decodeStatus_ = gdip::OutOfMemory;
                    decodeReason_ = "the picture is larger than 64 megapixels";
                } else {
                    decoded_ = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
                    if (decoded_.isNull()) {
                        decodeStatus_ = gdip::OutOfMemory;
                        decodeReason_ = "no memory for the decoded picture";
                    }
                }
            }
        }
    }
    return log_.GdipCheck(decodeStatus_, decodeReason_);
}

const QImage& OverlayRenderer::scaledPicture(QSize size, const ColorMatrix& matrix)
{
    if (scaledFor_ == decodedFor_ && scaledSize_ == size && scaledMatrix_ == matrix)
        return scaled_;
    scaledFor_ = decodedFor_;
    scaledSize_ = size;
    scaledMatrix_ = matrix;
    // Recolour at the picture's own size (as the colour matrix applies to the source), then
    // scale with area-averaging filtering. The destination rectangle is the canvas rounded to
    // whole pixels, which differs from the exact W x H by less than half a pixel.
    QImage recoloured = decoded_;
    applyColorMatrix(recoloured, matrix);
    scaled_ = recoloured.size() == size ? recoloured : recoloured.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!scaled_.isNull() && scaled_.format() != QImage::Format_ARGB32_Premultiplied)
        scaled_.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (scaled_.isNull())
        scaledFor_ = ~std::uint64_t {0}; // try again next time rather than keep a failure
    return scaled_;
}

QString OverlayRenderer::lookupFamily(const QString& name)
{
    const auto it = families_.constFind(name);
    if (it != families_.constEnd())
        return *it;
    if (families_.size() >= 64) // names come from commands: keep the table small
        families_.clear();
    const QString family = findInstalledFamily(name);
    families_.insert(name, family);
    return family;
}

void OverlayRenderer::drawText(QPainter& g, OverlayStyle& style, float W, float H, float sx, float sy, bool& fontReplaced)
{
    log_.setGdipStage(kStageFamily);
    QString family = lookupFamily(style.sFontName);
    while (family.isEmpty()) {
        log_.GdipCheck(gdip::FontFamilyNotFound, "font family not installed");
        if (fontReplaced)
            return; // not even "Arial": the picture goes without text
        style.sFontName = kArial;
        fontReplaced = true;
        family = lookupFamily(style.sFontName);
    }

    log_.setGdipStage(kStageFont);
    if (!(style.nFontSize > 0 && style.nFontSize <= kMaxFontPixels)) {
        log_.GdipCheck(gdip::InvalidParameter, "font size out of range");
        return;
    }
    // Stage 16 is where anti-aliased text is chosen; the painter already draws everything
    // anti-aliased, so there is nothing here that can fail.
    log_.setGdipStage(kStageHint);

    log_.setGdipStage(kStageMeasure);
    glyphs_.prepare(style.sText, GlyphFont {family, style.nFontSize, style.fBold, style.fItalic, style.fUnderline});
    const QSizeF box = glyphs_.box();

    log_.setGdipStage(kStageLayout);
    // Offsets of the text follow the scale; the font size and the shadow offsets do not.
    QPointF layout((W - box.width()) / 2 + sx * style.nTextX, (H - box.height()) / 2 - sy * style.nTextY);
    if (!sensibleCoordinate(layout.x()) || !sensibleCoordinate(layout.y()) || !sensibleCoordinate(style.nShadowX)
        || !sensibleCoordinate(style.nShadowY)) {
        qCWarning(lcRender) << "text position out of range, text not drawn:" << layout << style.nShadowX << style.nShadowY;
        return;
    }

    const float w = style.nOutlineWidth;
    const float penWidth = style.fFillOver ? w * (1.1414F - 0.0356F * w) + 0.8832F : (w + 3) / 3;
    const QRgb opaque = 0xFF000000u;
    const QRgb shadowMask = static_cast<QRgb>(style.nShadowAlpha) << 24;
    const QRgb shadow = static_cast<QRgb>(style.nShadowColor) | shadowMask;
    DrawTextPass(g, layout, TextPass {shadow, shadow, +1, style.fShadow, style.fShadow, penWidth}, style);
    DrawTextPass(g, layout,
        TextPass {static_cast<QRgb>(style.nTextColor) | opaque, static_cast<QRgb>(style.nOutlineColor) | opaque, -1,
            style.fTextFill, true, penWidth},
        style);
}

void OverlayRenderer::DrawTextPass(QPainter& g, QPointF& layout, const TextPass& pass, const OverlayStyle& style)
{
    // The layout point moves whether or not the pass draws, so the text pass always ends
    // where the text belongs.
    layout += QPointF(style.nShadowX * pass.direction, -style.nShadowY * pass.direction);
    if (!pass.enabled || glyphs_.path().isEmpty())
        return;
    if (pass.fill && !style.fFillOver)
        fillAt(g, glyphs_.path(), layout, pass.brushColor);
    // The pen is the area its stroke covers, filled. A pen width the formula drives to zero or
    // below (very wide nominal outlines) draws nothing.
    if (style.fOutline && pass.penWidth > 0 && std::isfinite(pass.penWidth))
        fillAt(g, glyphs_.stroke(pass.penWidth), layout, pass.penColor);
    if (pass.fill && style.fFillOver)
        fillAt(g, glyphs_.path(), layout, pass.brushColor);
}

} // namespace tb
