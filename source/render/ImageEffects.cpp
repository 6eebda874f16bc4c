#include "ImageEffects.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tb {

namespace {

constexpr int at(int row, int col)
{
    return row * 5 + col;
}

// Entries that keep every intermediate sum finite: a matrix made from absurd adjustments
// (1e30 %, "nan") must not turn pixels into NaN, whose conversion to an integer is undefined.
constexpr float kEntryLimit = 1e6F;

float sane(float v)
{
    return std::isfinite(v) ? std::clamp(v, -kEntryLimit, kEntryLimit) : 0.0F;
}

} // namespace

ColorMatrix BuildColorMatrix(const PicAdjust& adjust)
{
    // Single times single stays single; the trigonometry and the weighted sums run in double
    // and each result is stored as a single, as the skins were always coloured.
    const float V = adjust.nIntensity;
    const float VS = V * adjust.nSaturation;
    const double hue = adjust.nHue;
    const double VSU = static_cast<float>(VS * std::cos(hue));
    const double VSW = static_cast<float>(VS * std::sin(hue));
    const double v = V;

    ColorMatrix m {};
    m[at(0, 0)] = static_cast<float>(0.299 * v + 0.701 * VSU + 0.168 * VSW);
    m[at(1, 0)] = static_cast<float>(0.587 * v - 0.587 * VSU + 0.330 * VSW);
    m[at(2, 0)] = static_cast<float>(0.114 * v - 0.114 * VSU - 0.497 * VSW);
    m[at(0, 1)] = static_cast<float>(0.299 * v - 0.299 * VSU - 0.328 * VSW);
    m[at(1, 1)] = static_cast<float>(0.587 * v + 0.413 * VSU + 0.035 * VSW);
    m[at(2, 1)] = static_cast<float>(0.114 * v - 0.114 * VSU + 0.292 * VSW);
    // 0.300 and 0.588 (not 0.299 and 0.587) are part of the published transformation.
    m[at(0, 2)] = static_cast<float>(0.299 * v - 0.300 * VSU + 1.25 * VSW);
    m[at(1, 2)] = static_cast<float>(0.587 * v - 0.588 * VSU - 1.05 * VSW);
    m[at(2, 2)] = static_cast<float>(0.114 * v + 0.886 * VSU - 0.203 * VSW);
    m[at(3, 3)] = adjust.nOpacity;
    m[at(4, 0)] = adjust.nBrightness;
    m[at(4, 1)] = adjust.nBrightness;
    m[at(4, 2)] = adjust.nBrightness;
    m[at(4, 4)] = 1.0F;
    return m;
}

ColorMatrix identityColorMatrix()
{
    ColorMatrix m {};
    for (int i = 0; i < 5; ++i)
        m[at(i, i)] = 1.0F;
    return m;
}

namespace {

// One row of premultiplied ARGB32 pixels through the matrix. Written as one branch-free loop
// of independent float lanes so the compiler vectorises it (this file is built with -O3).
void recolourRow(std::uint32_t* px, int n, const float* m)
{
    const float m00 = m[at(0, 0)], m01 = m[at(0, 1)], m02 = m[at(0, 2)], m03 = m[at(0, 3)];
    const float m10 = m[at(1, 0)], m11 = m[at(1, 1)], m12 = m[at(1, 2)], m13 = m[at(1, 3)];
    const float m20 = m[at(2, 0)], m21 = m[at(2, 1)], m22 = m[at(2, 2)], m23 = m[at(2, 3)];
    const float m30 = m[at(3, 0)], m31 = m[at(3, 1)], m32 = m[at(3, 2)], m33 = m[at(3, 3)];
    const float m40 = m[at(4, 0)], m41 = m[at(4, 1)], m42 = m[at(4, 2)], m43 = m[at(4, 3)];
    constexpr float k1of255 = 1.0F / 255.0F;
    for (int i = 0; i < n; ++i) {
        const std::uint32_t p = px[i];
        const float A = static_cast<float>(static_cast<std::int32_t>(p >> 24));
        const float R = static_cast<float>(static_cast<std::int32_t>((p >> 16) & 0xFFu));
        const float G = static_cast<float>(static_cast<std::int32_t>((p >> 8) & 0xFFu));
        const float B = static_cast<float>(static_cast<std::int32_t>(p & 0xFFu));
        // Premultiplied R / A is the straight colour on the 0 to 1 scale; a transparent pixel
        // has R = G = B = 0 and stays black.
        const float inv = 1.0F / std::max(A, 1.0F);
        const float r = R * inv, g = G * inv, b = B * inv, a = A * k1of255;

        float nr = r * m00 + g * m10 + b * m20 + a * m30 + m40;
        float ng = r * m01 + g * m11 + b * m21 + a * m31 + m41;
        float nb = r * m02 + g * m12 + b * m22 + a * m32 + m42;
        float na = r * m03 + g * m13 + b * m23 + a * m33 + m43;
        nr = std::min(std::max(nr, 0.0F), 1.0F);
        ng = std::min(std::max(ng, 0.0F), 1.0F);
        nb = std::min(std::max(nb, 0.0F), 1.0F);
        na = std::min(std::max(na, 0.0F), 1.0F);

        const float a255 = na * 255.0F;
        const auto oa = static_cast<std::int32_t>(a255 + 0.5F);
        const auto orr = static_cast<std::int32_t>(nr * a255 + 0.5F);
        const auto og = static_cast<std::int32_t>(ng * a255 + 0.5F);
        const auto ob = static_cast<std::int32_t>(nb * a255 + 0.5F);
        px[i] = (static_cast<std::uint32_t>(oa) << 24) | (static_cast<std::uint32_t>(orr) << 16)
            | (static_cast<std::uint32_t>(og) << 8) | static_cast<std::uint32_t>(ob);
    }
}

} // namespace

void applyColorMatrix(QImage& image, const ColorMatrix& matrix)
{
    if (image.isNull() || matrix == identityColorMatrix())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    ColorMatrix m;
    std::transform(matrix.begin(), matrix.end(), m.begin(), sane);
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y)
        recolourRow(reinterpret_cast<std::uint32_t*>(image.scanLine(y)), w, m.data());
}

float StaleMarkRimWidth(float D)
{
    if (D < 18)
        return D / 7;
    if (D < 20)
        return D / 9;
    if (D < 27)
        return D / 10;
    if (D < 35)
        return D / 12;
    return D / 14;
}

void DrawStaleMark(QPainter& g, float W, float H, const StaleMark& mark)
{
    const float D = mark.nSize;
    const float e = D / 6;
    const float left = 3, right = W - D - 3, centre = (W - D) / 2;
    const float top = 3, bottom = H - D - 3;
    // By position index: top left, bottom right, top right, bottom left, centre top, centre bottom.
    if (mark.nPos < 0 || mark.nPos > 5)
        return; // the position menu has six items; anything else draws nothing
    const float xs[6] = {left, right, right, left, centre, centre};
    const float ys[6] = {top, bottom, top, bottom, top, bottom};
    const float x = xs[mark.nPos];
    const float y = ys[mark.nPos];

    g.save();
    g.setRenderHint(QPainter::Antialiasing, true);
    const QRectF disc(x, y, D, D);
    g.setPen(Qt::NoPen);
    g.setBrush(QColor::fromRgba(0xFFFF0000u));
    g.drawEllipse(disc);
    QPen rim(QColor::fromRgba(0xFFFFFFFFu), StaleMarkRimWidth(D));
    g.setPen(rim);
    g.setBrush(Qt::NoBrush);
    g.drawEllipse(disc);
    g.fillRect(QRectF(x + e, y + 3 * D / 8, D - 2 * e, D / 4), QColor::fromRgba(0xFFFFFFFFu));
    g.restore();
}

} // namespace tb
