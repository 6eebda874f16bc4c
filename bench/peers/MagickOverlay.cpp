#include "MagickOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <list>
#include <mutex>

// Under LeakSanitizer (SANITIZE=1 ./test.sh): MagickCore loses three aligned blocks of its own
// (24 bytes, allocated inside AcquireAlignedMemory) whatever the program does, even after
// TerminateMagick; only programs that draw with Magick++ link this file.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:AcquireAlignedMemory\n";
}

namespace tb::peers {

namespace {

void startMagick()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        Magick::ResourceLimits::thread(1);
    });
}

Magick::Color colour(std::uint32_t rgb, int alpha = 255)
{
    char text[48];
    std::snprintf(text, sizeof text, "rgba(%u,%u,%u,%.6f)", (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, alpha / 255.0);
    return Magick::Color(text);
}

} // namespace

MagickOverlay::MagickOverlay(PeerLook look)
    : look_(std::move(look))
    , fontFile_(fontFileFor(look_.fontFamily, look_.bold))
{
    startMagick();
}

bool MagickOverlay::loadPicture(const std::string& file)
{
    try {
        Magick::Image image;
        image.read(file);
        // Magick's matrix: a row for each of red, green, blue, black, alpha; the columns are the
        // inputs in that order and an offset. Ours is the transpose, without black.
        const auto& m = look_.matrix;
        const int channel[5] = {0, 1, 2, -1, 3}; // ours for Magick's red, green, blue, black, alpha
        double k[36] = {};
        for (int out = 0; out < 5; ++out) {
            if (channel[out] < 0) {
                k[out * 6 + out] = 1;
                continue;
            }
            for (int in = 0; in < 5; ++in)
                if (channel[in] >= 0)
                    k[out * 6 + in] = m[channel[in] * 5 + channel[out]];
            k[out * 6 + 5] = m[4 * 5 + channel[out]];
        }
        k[35] = 1;
        image.colorMatrix(6, k);

        width_ = look_.scaleX * image.columns();
        height_ = look_.scaleY * image.rows();
        Magick::Geometry size(static_cast<size_t>(std::max(1L, std::lround(std::nearbyint(width_) * look_.ratio))),
            static_cast<size_t>(std::max(1L, std::lround(std::nearbyint(height_) * look_.ratio))));
        size.aspect(true);
        image.filterType(Magick::TriangleFilter);
        image.resize(size);
        picture_ = image;
        hasPicture_ = true;
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

bool MagickOverlay::draw(const std::string& pictureFile, const std::string& text)
{
    if (!pictureFile.empty() && !loadPicture(pictureFile))
        return false;
    if (!hasPicture_)
        return false;
    try {
        const double r = look_.ratio;
        canvas_ = picture_;
        canvas_.font(fontFile_);
        canvas_.fontPointsize(look_.fontPixels * r); // 72 dpi: a point is a pixel
        Magick::TypeMetric metrics;
        canvas_.fontTypeMetrics(text, &metrics);
        const double x = (width_ * r - metrics.textWidth()) / 2;
        const double baseline = (height_ * r - metrics.textHeight()) / 2 + metrics.ascent();

        std::list<Magick::Drawable> ops;
        ops.push_back(Magick::DrawableFont(fontFile_));
        ops.push_back(Magick::DrawablePointSize(look_.fontPixels * r));
        ops.push_back(Magick::DrawableStrokeWidth(look_.penWidth * r));
        ops.push_back(Magick::DrawableStrokeLineJoin(Magick::RoundJoin));
        ops.push_back(Magick::DrawableFillColor(colour(look_.shadowColour, look_.shadowAlpha)));
        ops.push_back(Magick::DrawableStrokeColor(colour(look_.shadowColour, look_.shadowAlpha)));
        ops.push_back(Magick::DrawableText(x + look_.shadowRight * r, baseline + look_.shadowDown * r, text, "UTF-8"));
        ops.push_back(Magick::DrawableFillColor(colour(look_.fillColour)));
        ops.push_back(Magick::DrawableStrokeColor(colour(look_.outlineColour)));
        ops.push_back(Magick::DrawableText(x, baseline, text, "UTF-8"));
        if (look_.markSize > 0) {
            const double D = look_.markSize * r;
            const auto [lx, ly] = markCorner(look_, width_, height_);
            const double mx = lx * r, my = ly * r;
            ops.push_back(Magick::DrawableFillColor(colour(0xFF0000)));
            ops.push_back(Magick::DrawableStrokeColor(colour(0xFFFFFF)));
            ops.push_back(Magick::DrawableStrokeWidth(look_.markRim * r));
            ops.push_back(Magick::DrawableEllipse(mx + D / 2, my + D / 2, D / 2, D / 2, 0, 360));
            const double e = D / 6;
            ops.push_back(Magick::DrawableFillColor(colour(0xFFFFFF)));
            ops.push_back(Magick::DrawableStrokeColor(Magick::Color("none")));
            ops.push_back(Magick::DrawableRectangle(mx + e, my + 3 * D / 8, mx + D - e, my + 3 * D / 8 + D / 4));
        }
        canvas_.draw(ops);

        // The window takes premultiplied 8-bit pixels.
        const size_t w = canvas_.columns();
        const size_t h = canvas_.rows();
        pixels_.resize(w * h);
        canvas_.write(0, 0, w, h, "BGRA", Magick::CharPixel, pixels_.data());
        for (std::uint32_t& p : pixels_) {
            const std::uint32_t a = p >> 24;
            const auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            p = a << 24 | mul((p >> 16) & 0xFF) << 16 | mul((p >> 8) & 0xFF) << 8 | mul(p & 0xFF);
        }
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

PeerCanvas MagickOverlay::canvas() const
{
    if (pixels_.empty())
        return {};
    const int w = static_cast<int>(canvas_.columns());
    return {pixels_.data(), w, static_cast<int>(canvas_.rows()), w};
}

bool MagickOverlay::writePng(const std::string& path) const
{
    try {
        Magick::Image copy = canvas_;
        copy.write("png32:" + path);
        return true;
    } catch (const Magick::Exception&) {
        return false;
    }
}

} // namespace tb::peers
