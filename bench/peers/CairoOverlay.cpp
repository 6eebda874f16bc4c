#include "CairoOverlay.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tb::peers {

namespace {

// The colour matrix over premultiplied ARGB32 surface data: unpremultiply, multiply, clamp,
// premultiply again.
void recolour(unsigned char* data, int width, int height, int stride, const std::array<float, 25>& m)
{
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = row[x];
            const float a = static_cast<float>(p >> 24);
            if (a == 0)
                continue; // no colour to change, and the matrix leaves alpha 0 at 0
            const float in[5] = {static_cast<float>((p >> 16) & 0xFF) / a, static_cast<float>((p >> 8) & 0xFF) / a,
                static_cast<float>(p & 0xFF) / a, a / 255.0F, 1.0F};
            float out[4];
            for (int c = 0; c < 4; ++c) {
                float v = 0;
                for (int k = 0; k < 5; ++k)
                    v += in[k] * m[k * 5 + c];
                out[c] = std::clamp(v, 0.0F, 1.0F);
            }
            const float a255 = out[3] * 255.0F;
            row[x] = static_cast<std::uint32_t>(a255 + 0.5F) << 24 | static_cast<std::uint32_t>(out[0] * a255 + 0.5F) << 16
                | static_cast<std::uint32_t>(out[1] * a255 + 0.5F) << 8 | static_cast<std::uint32_t>(out[2] * a255 + 0.5F);
        }
    }
}

void setRgb(cairo_t* cr, std::uint32_t rgb, double alpha = 1.0)
{
    cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

} // namespace

CairoOverlay::CairoOverlay(PeerLook look)
    : look_(std::move(look))
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(look_.fontFamily.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, look_.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    face_ = cairo_ft_font_face_create_for_pattern(match ? match : pattern);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    // Outlines from the design shapes, as our renderer draws them.
    options_ = cairo_font_options_create();
    cairo_font_options_set_hint_style(options_, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options_, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options_, CAIRO_ANTIALIAS_GRAY);
}

CairoOverlay::~CairoOverlay()
{
    if (canvas_)
        cairo_surface_destroy(canvas_);
    if (picture_)
        cairo_surface_destroy(picture_);
    cairo_font_options_destroy(options_);
    cairo_font_face_destroy(face_);
}

bool CairoOverlay::loadPicture(const std::string& file)
{
    cairo_surface_t* source = cairo_image_surface_create_from_png(file.c_str());
    if (cairo_surface_status(source) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(source);
        return false;
    }
    const int w = cairo_image_surface_get_width(source);
    const int h = cairo_image_surface_get_height(source);
    cairo_surface_flush(source);
    recolour(cairo_image_surface_get_data(source), w, h, cairo_image_surface_get_stride(source), look_.matrix);
    cairo_surface_mark_dirty(source);

    width_ = look_.scaleX * w;
    height_ = look_.scaleY * h;
    const int dw = std::max(1, static_cast<int>(std::lround(std::nearbyint(width_) * look_.ratio)));
    const int dh = std::max(1, static_cast<int>(std::lround(std::nearbyint(height_) * look_.ratio)));
    if (picture_)
        cairo_surface_destroy(picture_);
    picture_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, dw, dh);
    cairo_t* cr = cairo_create(picture_);
    cairo_scale(cr, static_cast<double>(dw) / w, static_cast<double>(dh) / h);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(source);
    return cairo_surface_status(picture_) == CAIRO_STATUS_SUCCESS;
}

bool CairoOverlay::draw(const std::string& pictureFile, const std::string& text)
{
    if (!pictureFile.empty() && !loadPicture(pictureFile))
        return false;
    if (!picture_)
        return false;

    // The canvas is kept while its size stays, and starts each drawing as the picture.
    const int dw = cairo_image_surface_get_width(picture_);
    const int dh = cairo_image_surface_get_height(picture_);
    if (canvas_ && (cairo_image_surface_get_width(canvas_) != dw || cairo_image_surface_get_height(canvas_) != dh)) {
        cairo_surface_destroy(canvas_);
        canvas_ = nullptr;
    }
    if (!canvas_)
        canvas_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, dw, dh);
    cairo_t* cr = cairo_create(canvas_);
    cairo_set_source_surface(cr, picture_, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_scale(cr, look_.ratio, look_.ratio);

    cairo_set_font_face(cr, face_);
    cairo_set_font_size(cr, look_.fontPixels);
    cairo_set_font_options(cr, options_);
    cairo_text_extents_t te;
    cairo_text_extents(cr, text.c_str(), &te);
    cairo_font_extents_t fe;
    cairo_font_extents(cr, &fe);
    const double x = (width_ - te.x_advance) / 2;
    const double baseline = (height_ - fe.height) / 2 + fe.ascent;

    cairo_set_line_width(cr, look_.penWidth);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    // The shadow: the same outline, filled and stroked in the shadow colour.
    cairo_move_to(cr, x + look_.shadowRight, baseline + look_.shadowDown);
    cairo_text_path(cr, text.c_str());
    setRgb(cr, look_.shadowColour, look_.shadowAlpha / 255.0);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
    // The text: filled, then outlined.
    cairo_move_to(cr, x, baseline);
    cairo_text_path(cr, text.c_str());
    setRgb(cr, look_.fillColour);
    cairo_fill_preserve(cr);
    setRgb(cr, look_.outlineColour);
    cairo_stroke(cr);

    if (look_.markSize > 0) {
        const double D = look_.markSize;
        const auto [mx, my] = markCorner(look_, width_, height_);
        cairo_new_path(cr);
        cairo_arc(cr, mx + D / 2, my + D / 2, D / 2, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 1, 0, 0);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_set_line_width(cr, look_.markRim);
        cairo_stroke(cr);
        const double e = D / 6;
        cairo_rectangle(cr, mx + e, my + 3 * D / 8, D - 2 * e, D / 4);
        cairo_fill(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(canvas_);
    return cairo_surface_status(canvas_) == CAIRO_STATUS_SUCCESS;
}

PeerCanvas CairoOverlay::canvas() const
{
    if (!canvas_)
        return {};
    return {reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(canvas_)), cairo_image_surface_get_width(canvas_),
        cairo_image_surface_get_height(canvas_), cairo_image_surface_get_stride(canvas_) / 4};
}

bool CairoOverlay::writePng(const std::string& path) const
{
    return canvas_ && cairo_surface_write_to_png(canvas_, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace tb::peers
