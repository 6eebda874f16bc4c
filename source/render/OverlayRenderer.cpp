#include "render/OverlayRenderer.h"

#include "platform/SafeFile.h"
#include "render/FontLookup.h"
#include "render/RenderLog.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <cmath>
#include <cstring>
#include <string_view>
#include <tuple>

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

// Allocation limit of the decoder in MiB: kMaxPixels at 4 bytes a pixel.
constexpr int kDecoderLimitMiB = static_cast<int>(OverlayRenderer::kMaxPixels * 4 / (1024 * 1024));
// Text further off the canvas than this is not drawn (and would overflow the rasteriser).
constexpr qreal kMaxCoordinate = 1e6;

const QString kArial = QStringLiteral("Arial");

// The format of a picture by its first bytes, for the formats skins come in. Naming it spares
// the reader from loading every image plugin to ask each whether it knows the data; anything
// else is left to that search.
QByteArray pictureFormat(const QByteArray& bytes)
{
    using namespace std::string_view_literals;
    struct Signature {
        std::string_view magic; // may hold NULs
        const char* format;
    };
    static constexpr Signature kSignatures[] = {
        {"\x89PNG\r\n\x1a\n"sv, "png"}, {"BM"sv, "bmp"},  {"\xff\xd8\xff"sv, "jpeg"},
        {"GIF87a"sv, "gif"},              {"GIF89a"sv, "gif"}, {"\0\0\1\0"sv, "ico"},
    };
    for (const Signature& s : kSignatures)
        if (bytes.startsWith(QByteArrayView(s.magic.data(), qsizetype(s.magic.size()))))
            return s.format;
    return {};
}

// Canvas sides are the scaled sizes taken to the nearest whole pixel, halves to even.
int nearestWhole(float v)
{
    return static_cast<int>(std::nearbyint(v));
}

bool sensibleCoordinate(qreal v)
{
    return std::isfinite(v) && std::abs(v) <= kMaxCoordinate;
}

float scaleX(const OverlayStyle& style)
{
    return style.fScaleOn ? style.nScaleX / 100.0F : 1.0F;
}

float scaleY(const OverlayStyle& style)
{
    return style.fScaleOn ? style.nScaleY / 100.0F : 1.0F;
}

// The pen of the outline from its nominal width: wider and flattening off when the fill is
// painted over (and so hides) the inner half of the outline.
float outlinePenWidth(const OverlayStyle& style)
{
    const float w = style.nOutlineWidth;
    return style.fFillOver ? w * (1.1414F - 0.0356F * w) + 0.8832F : (w + 3) / 3;
}

// The screen's device pixel ratio, or 1 when it makes no sense.
qreal usableRatio(qreal ratio)
{
    if (std::isfinite(ratio) && ratio > 0 && ratio <= OverlayRenderer::kMaxDevicePixelRatio)
        return ratio;
    qCWarning(lcRender) << "device pixel ratio" << ratio << "is not usable, the overlay is drawn at 1";
    return 1;
}

// Paints a colour through the coverage of a shape drawn at `at`; returns the area it may have
// changed.
QRect paintShape(QImage& canvas, const GlyphPieces& shape, QPointF at, QRgb colour)
{
    const CoverageMask mask = shape.coverageAt(at, canvas.size());
    return mask.coverage ? blendCoverage(canvas, *mask.coverage, mask.origin, colour) : QRect();
}

} // namespace

OverlayResult OverlayRenderer::RenderOverlay(
    const QString& sFile, OverlayStyle& style, const PicAdjust& adjust, const StaleMark& mark, qreal devicePixelRatio)
{
    OverlayResult result;
    const qreal ratio = usableRatio(devicePixelRatio);
    if (!sFile.isEmpty() && !readPicture(sFile))
        return result;
    if (!pictureEverRead_)
        return drawTextAlone(style, mark, ratio);

    log_.setGdipStage(kStageDecode);
    if (decodePicture() != gdip::Ok)
        return result;

    log_.setGdipStage(kStageSize);
    const int w = decodedSize_.width();
    const int h = decodedSize_.height();
    const float sx = scaleX(style);
    const float sy = scaleY(style);
    const float W = sx * static_cast<float>(w);
    const float H = sy * static_cast<float>(h);

    log_.setGdipStage(kStageSurface);
    const QSize device = deviceSize(W, H, ratio);
    if (device.isEmpty())
        return result;

    log_.setGdipStage(kStagePicture);
    // The picture is scaled once, from its source straight to the device size.
    const QImage& picture = scaledPicture(device, BuildColorMatrix(adjust));
    // The surface starts transparent and the picture is drawn onto it unblended, so the canvas
    // starts as the recoloured picture; the cached picture itself stays untouched.
    Canvas& canvas = pictureCanvas(picture);
    if (!usableCanvas(canvas.image))
        return result;

    if (prepareText(style, ratio, result.fontReplaced)) {
        const QSizeF box = glyphs_.box();
        canvas.dirty[0] = drawText(canvas.image, style,
            QPointF((W - box.width()) / 2 + sx * style.nTextX, (H - box.height()) / 2 - sy * style.nTextY), ratio);
    }
    canvas.dirty[1] = drawMark(canvas.image, W, H, mark, ratio);
    // Painted in device pixels; from here on a painter draws the canvas at its logical size.
    canvas.image.setDevicePixelRatio(ratio);
    result.drawn = true;
    result.canvas = canvas.image; // shared: while it is held, the next drawing makes a fresh one
    result.constantAlpha = 255 - style.nTrans;
    return result;
}

OverlayRenderer::Canvas& OverlayRenderer::pictureCanvas(const QImage& picture)
{
    Canvas& canvas = canvas_;
    // A canvas nobody else holds any more, made from the same picture, only needs back what the
    // last drawing on it covered. One still held (the window shows it until it gets the next)
    // stays as it is, and the drawing goes to a fresh copy of the picture.
    if (canvas.image.isDetached() && canvas.picture == scaledStamp_ && canvas.image.size() == picture.size()) {
        canvas.image.setDevicePixelRatio(1); // painted in device pixels
        for (const QRect& changed : canvas.dirty) {
            const QRect dirty = changed & picture.rect();
            for (int y = dirty.top(); y <= dirty.bottom(); ++y)
                std::memcpy(canvas.image.scanLine(y) + dirty.left() * 4, picture.constScanLine(y) + dirty.left() * 4,
                    static_cast<std::size_t>(dirty.width()) * 4);
        }
    } else {
        canvas.image = picture.copy();
        canvas.picture = scaledStamp_;
    }
    canvas.dirty[0] = canvas.dirty[1] = QRect();
    return canvas;
}

OverlayResult OverlayRenderer::drawTextAlone(OverlayStyle& style, const StaleMark& mark, qreal ratio)
{
    if (!textAloneLogged_) {
        qCInfo(lcRender) << "no skin picture: drawing the text alone";
        textAloneLogged_ = true;
    }
    OverlayResult result;
    const bool withText = prepareText(style, ratio, result.fontReplaced);

    // The text's own extent takes the place of the picture: it is scaled as a picture would be
    // and the text is centred in it. The text offsets place the text on a picture; without one
    // they would only push it out of its canvas, so they are left out.
    log_.setGdipStage(kStageSize);
    const QRectF extent = withText ? textExtent(style) : QRectF();
    const QRect whole = extent.isNull() ? QRect(0, 0, 1, 1) : extent.toAlignedRect();
    const float w = static_cast<float>(std::max(1, whole.width()));
    const float h = static_cast<float>(std::max(1, whole.height()));
    const float W = scaleX(style) * w;
    const float H = scaleY(style) * h;

    log_.setGdipStage(kStageSurface);
    const QSize device = deviceSize(W, H, ratio);
    if (device.isEmpty())
        return result;
    QImage canvas(device, QImage::Format_ARGB32_Premultiplied);
    if (!usableCanvas(canvas))
        return result;
    canvas.fill(Qt::transparent);

    if (withText)
        drawText(canvas, style, QPointF((W - w) / 2 - whole.left(), (H - h) / 2 - whole.top()), ratio);
    drawMark(canvas, W, H, mark, ratio);
    // Painted in device pixels; from here on a painter draws the canvas at its logical size.
    canvas.setDevicePixelRatio(ratio);
    result.drawn = true;
    result.canvas = std::move(canvas);
    result.constantAlpha = 255 - style.nTrans;
    return result;
}

QSize OverlayRenderer::deviceSize(float W, float H, qreal ratio)
{
    if (!(W >= 0.5F && H >= 0.5F)) { // also refuses NaN
        log_.GdipCheck(gdip::InvalidParameter, "the scaled picture has no pixels");
        return {};
    }
    if (!(static_cast<double>(W) * H * ratio * ratio <= static_cast<double>(kMaxPixels))) {
        log_.GdipCheck(gdip::OutOfMemory, "the scaled picture exceeds 64 megapixels");
        return {};
    }
    // The window's size is the scaled size to the nearest whole pixel, whatever the screen;
    // the device size is that times the ratio to the nearest whole pixel, so dividing it by
    // the ratio and rounding gives the window's size back.
    const int lw = std::max(1, nearestWhole(W));
    const int lh = std::max(1, nearestWhole(H));
    return {std::max(1, static_cast<int>(std::lround(lw * ratio))), std::max(1, static_cast<int>(std::lround(lh * ratio)))};
}

bool OverlayRenderer::usableCanvas(const QImage& canvas)
{
    if (canvas.isNull()) {
        log_.GdipCheck(gdip::OutOfMemory, "no memory for the drawing surface");
        return false;
    }
    return true;
}

QRect OverlayRenderer::drawMark(QImage& canvas, float W, float H, const StaleMark& mark, qreal ratio)
{
    if (!mark.fShow)
        return {};
    // The marker is laid out in logical pixels and drawn at device resolution, from masks kept
    // while its size, place and canvas stay.
    const MarkKey key {W, H, mark.nSize, mark.nPos, ratio};
    if (!(markKey_ == key)) {
        markKey_ = key;
        markLayers_ = StaleMarkCoverage(W, H, mark, ratio);
    }
    const QRect device(QPoint(0, 0), canvas.size());
    if (markLayers_.area.isEmpty()) {
        if (StaleMarkBounds(W, H, mark).isNull())
            return {}; // a position the menu does not have: nothing to draw
        QPainter g(&canvas); // too big for masks: painted directly, anywhere on the canvas
        g.setRenderHint(QPainter::Antialiasing, true);
        g.scale(ratio, ratio);
        DrawStaleMark(g, W, H, mark);
        return device;
    }
    const QPoint at = markLayers_.area.topLeft();
    blendCoverage(canvas, markLayers_.disc, at, 0xFFFF0000u);
    blendCoverage(canvas, markLayers_.rim, at, 0xFFFFFFFFu);
    blendCoverage(canvas, markLayers_.bar, at, 0xFFFFFFFFu);
    return markLayers_.area & device;
}

bool OverlayRenderer::readPicture(const QString& file)
{
    // Bounded by what is read: a device or a FIFO named as the picture never stalls or fills memory.
    NamedFileRead read = readNamedFile(file, OverlayRenderer::kMaxFileBytes);
    switch (read.outcome) {
    case NamedFileRead::Outcome::Read:
        break;
    case NamedFileRead::Outcome::Missing:
        qCWarning(lcRender) << "cannot read the picture" << file << "- it does not exist";
        log_.GdipLogError(gdip::FileNotFound, "the picture file cannot be read");
        return false;
    case NamedFileRead::Outcome::TooLarge:
        qCWarning(lcRender).noquote() << read.problem;
        log_.GdipLogError(gdip::OutOfMemory, "the picture file is too big");
        return false;
    case NamedFileRead::Outcome::NotRegular:
    case NamedFileRead::Outcome::Failed:
        qCWarning(lcRender).noquote() << read.problem;
        log_.GdipLogError(gdip::AccessDenied, "the picture file cannot be read");
        return false;
    }
    QByteArray bytes = std::move(read.bytes);
    pictureEverRead_ = true;
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
        std::tie(decodeStatus_, decodeReason_) = decodeBytes(decoded_);
        decodedSize_ = decoded_.size();
    }
    return log_.GdipCheck(decodeStatus_, decodeReason_);
}

std::pair<std::int32_t, const char*> OverlayRenderer::decodeBytes(QImage& decoded)
{
    if (picBytes_.isEmpty())
        return {gdip::InvalidParameter, "no picture has been read, or the picture file is empty"};
    QBuffer buffer(&picBytes_);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = pictureFormat(picBytes_);
    QImageReader reader(&buffer, format);
    // A known format goes to its decoder alone; only an unknown one is searched for.
    reader.setAutoDetectImageFormat(format.isEmpty());
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kDecoderLimitMiB);
    // Refuse a picture by its header before the decoder allocates anything for it. The format
    // is asked first: some decoders (icons) answer no once the size was read.
    if (!reader.canRead())
        return {gdip::UnknownImageFormat, "the picture is not in a format the decoder knows"};
    const QSize claimed = reader.size();
    if (claimed.isValid() && std::int64_t {claimed.width()} * claimed.height() > kMaxPixels) {
        qCWarning(lcRender) << "picture claims" << claimed << "pixels";
        return {gdip::OutOfMemory, "the picture is larger than 64 megapixels"};
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        qCWarning(lcRender) << "picture cannot be decoded:" << reader.errorString();
        return {gdip::UnknownImageFormat, "the picture cannot be decoded"};
    }
    if (std::int64_t {image.width()} * image.height() > kMaxPixels)
        return {gdip::OutOfMemory, "the picture is larger than 64 megapixels"};
    decoded = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (decoded.isNull())
        return {gdip::OutOfMemory, "no memory for the decoded picture"};
    return {gdip::Ok, nullptr};
}

const QImage& OverlayRenderer::scaledPicture(QSize size, const ColorMatrix& matrix)
{
    if (scaledFor_ == decodedFor_ && scaledSize_ == size && scaledMatrix_ == matrix)
        return scaled_;
    // Recolour at the picture's own size (as the colour matrix applies to the source), then
    // scale with area-averaging filtering. The destination rectangle is the canvas rounded to
    // whole pixels, which differs from the exact W x H by less than half a pixel. The recoloured
    // source is kept, so a new scale (the panel's bars move it step by step) only scales again.
    if (recolouredFor_ != decodedFor_ || recolouredMatrix_ != matrix) {
        recolouredFor_ = decodedFor_;
        recolouredMatrix_ = matrix;
        // The decoded picture is kept only while it is the recoloured one (an identity matrix);
        // otherwise it is decoded again from the file's bytes when the colours change.
        if (decoded_.isNull())
            decodeBytes(decoded_);
        recoloured_ = decoded_;
        applyColorMatrix(recoloured_, matrix);
        if (recoloured_.constBits() != decoded_.constBits())
            decoded_ = QImage();
    }
    ++scaledStamp_;
    scaledFor_ = decodedFor_;
    scaledSize_ = size;
    scaledMatrix_ = matrix;
    if (recoloured_.size() == size)
        scaled_ = recoloured_;
    else if (scaled_ = enlarged(recoloured_, size); scaled_.isNull())
        scaled_ = recoloured_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (!scaled_.isNull() && scaled_.format() != QImage::Format_ARGB32_Premultiplied)
        scaled_.convertTo(QImage::Format_ARGB32_Premultiplied);
    if (scaled_.isNull() || recoloured_.isNull())
        scaledFor_ = recolouredFor_ = ~std::uint64_t {0}; // try again next time rather than keep a failure
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

bool OverlayRenderer::prepareText(OverlayStyle& style, qreal ratio, bool& fontReplaced)
{
    log_.setGdipStage(kStageFamily);
    QString family = lookupFamily(style.sFontName);
    while (family.isEmpty()) {
        log_.GdipCheck(gdip::FontFamilyNotFound, "font family not installed");
        if (fontReplaced)
            return false; // not even "Arial": the picture goes without text
        style.sFontName = kArial;
        fontReplaced = true;
        family = lookupFamily(style.sFontName);
    }

    log_.setGdipStage(kStageFont);
    if (!(style.nFontSize > 0 && style.nFontSize <= kMaxFontPixels)) {
        log_.GdipCheck(gdip::InvalidParameter, "font size out of range");
        return false;
    }
    // Stage 16 is where anti-aliased text is chosen; the painter already draws everything
    // anti-aliased, so there is nothing here that can fail.
    log_.setGdipStage(kStageHint);

    log_.setGdipStage(kStageMeasure);
    glyphs_.prepare(style.sText, GlyphFont {family, style.nFontSize, style.fBold, style.fItalic, style.fUnderline}, ratio);
    return true;
}

QRectF OverlayRenderer::textExtent(const OverlayStyle& style)
{
    // The typographic box, the ink (an italic or a wide glyph may reach past the box), half the
    // pen around the ink, and all of that again at the shadow's offset.
    QRectF extent(QPointF(0, 0), glyphs_.box());
    QRectF ink = glyphs_.ink();
    const float pen = outlinePenWidth(style);
    if (!ink.isNull() && style.fOutline && pen > 0 && std::isfinite(pen))
        ink.adjust(-pen / 2, -pen / 2, pen / 2, pen / 2);
    extent |= ink;
    if (style.fShadow && sensibleCoordinate(style.nShadowX) && sensibleCoordinate(style.nShadowY))
        extent |= extent.translated(style.nShadowX, -style.nShadowY);
    return extent;
}

QRect OverlayRenderer::drawText(QImage& canvas, const OverlayStyle& style, QPointF layout, qreal ratio)
{
    log_.setGdipStage(kStageLayout);
    // Offsets of the text follow the scale; the font size and the shadow offsets do not.
    if (!sensibleCoordinate(layout.x()) || !sensibleCoordinate(layout.y()) || !sensibleCoordinate(style.nShadowX)
        || !sensibleCoordinate(style.nShadowY)) {
        qCWarning(lcRender) << "text position out of range, text not drawn:" << layout << style.nShadowX << style.nShadowY;
        return {};
    }

    const float penWidth = outlinePenWidth(style);
    const QRgb opaque = 0xFF000000u;
    const QRgb shadowMask = static_cast<QRgb>(style.nShadowAlpha) << 24;
    const QRgb shadow = static_cast<QRgb>(style.nShadowColor) | shadowMask;
    QRect changed
        = DrawTextPass(canvas, layout, TextPass {shadow, shadow, +1, style.fShadow, style.fShadow, penWidth}, style, ratio);
    changed |= DrawTextPass(canvas, layout,
        TextPass {static_cast<QRgb>(style.nTextColor) | opaque, static_cast<QRgb>(style.nOutlineColor) | opaque, -1,
            style.fTextFill, true, penWidth},
        style, ratio);
    return changed;
}

QRect OverlayRenderer::DrawTextPass(QImage& canvas, QPointF& layout, const TextPass& pass, const OverlayStyle& style, qreal ratio)
{
    // The layout point moves whether or not the pass draws, so the text pass always ends
    // where the text belongs.
    layout += QPointF(style.nShadowX * pass.direction, -style.nShadowY * pass.direction);
    if (!pass.enabled || glyphs_.path().isEmpty())
        return {};
    // The outlines are in device pixels, so is the point they are filled at.
    const QPointF at = layout * ratio;
    QRect changed;
    if (pass.fill && !style.fFillOver)
        changed |= paintShape(canvas, glyphs_.path(), at, pass.brushColor);
    // The pen is the area its stroke covers, filled. A pen width the formula drives to zero or
    // below (very wide nominal outlines) draws nothing.
    if (style.fOutline && pass.penWidth > 0 && std::isfinite(pass.penWidth))
        changed |= paintShape(canvas, glyphs_.stroke(pass.penWidth), at, pass.penColor);
    if (pass.fill && style.fFillOver)
        changed |= paintShape(canvas, glyphs_.path(), at, pass.brushColor);
    return changed;
}

} // namespace tb
