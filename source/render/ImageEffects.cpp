#include "render/ImageEffects.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The colour-matrix loop is also built for AVX2 (eight lanes instead of four) and the processor
// picks at load time. AVX2 without FMA: the same multiplications and additions, rounded the
// same way, so the pixels do not depend on the processor.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__linux__)
#define TB_ALSO_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define TB_ALSO_AVX2
#endif

// One row of premultiplied ARGB32 pixels through the matrix. Written as one branch-free loop
// of independent float lanes so the compiler vectorises it (this file is built with -O3).
TB_ALSO_AVX2 void recolourRow(std::uint32_t* px, int n, const float* m)
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

namespace {

// x * a / 255 for each byte of a pixel, rounded the way Qt's raster engine rounds it.
inline std::uint32_t byteMul(std::uint32_t x, std::uint32_t a)
{
    std::uint64_t t = ((std::uint64_t {x} | std::uint64_t {x} << 24) & 0x00FF00FF00FF00FFull) * a;
    t = (t + ((t >> 8) & 0x00FF00FF00FF00FFull) + 0x0080008000800080ull) >> 8;
    t &= 0x00FF00FF00FF00FFull;
    return static_cast<std::uint32_t>(t) | static_cast<std::uint32_t>(t >> 24);
}

#if defined(__SSE2__)
// byteMul of four pixels, each by its own factor (16-bit lanes: a pixel's factor in its four).
inline __m128i byteMul4(__m128i pixels, __m128i factorsLow, __m128i factorsHigh)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(0x80);
    __m128i lo = _mm_mullo_epi16(_mm_unpacklo_epi8(pixels, zero), factorsLow);
    __m128i hi = _mm_mullo_epi16(_mm_unpackhi_epi8(pixels, zero), factorsHigh);
    lo = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), half), 8);
    hi = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), half), 8);
    return _mm_packus_epi16(lo, hi);
}

// Four pixels' factors as byteMul4 takes them, from one byte a pixel.
inline void spread(__m128i bytes, __m128i& low, __m128i& high)
{
    const __m128i words = _mm_unpacklo_epi8(bytes, _mm_setzero_si128()); // f0 f1 f2 f3 in 16 bits
    const __m128i pairs = _mm_unpacklo_epi16(words, words); // f0 f0 f1 f1 f2 f2 f3 f3
    low = _mm_unpacklo_epi32(pairs, pairs);
    high = _mm_unpackhi_epi32(pairs, pairs);
}
#endif

// One row: an opaque colour blended by coverage c (c + dst * (255 - c), as Qt's source-mode
// span fill), or, when translucent, the opaque colour by coverage (the layer) times the
// constant alpha, blended source-over (as Qt's image blend with opacity).
void blendRow(std::uint32_t* dst, const uchar* cover, int n, std::uint32_t opaque, bool translucent, std::uint32_t constantAlpha)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i colour = _mm_set1_epi32(static_cast<int>(opaque));
    const __m128i all = _mm_set1_epi16(255);
    const __m128i constant = _mm_set1_epi16(static_cast<short>(constantAlpha));
    for (; x + 4 <= n; x += 4) {
        std::uint32_t four;
        std::memcpy(&four, cover + x, 4);
        if (four == 0)
            continue;
        __m128i cLow, cHigh;
        spread(_mm_cvtsi32_si128(static_cast<int>(four)), cLow, cHigh);
        __m128i source = byteMul4(colour, cLow, cHigh);
        __m128i keepLow, keepHigh;
        if (translucent) {
            source = byteMul4(source, constant, constant);
            // 255 - the source's alpha, spread over each pixel's four lanes
            const __m128i alphas = _mm_srli_epi32(source, 24);
            const __m128i packed = _mm_packs_epi32(alphas, alphas); // a0 a1 a2 a3 in 16 bits
            const __m128i pairs = _mm_unpacklo_epi16(packed, packed);
            keepLow = _mm_sub_epi16(all, _mm_unpacklo_epi32(pairs, pairs));
            keepHigh = _mm_sub_epi16(all, _mm_unpackhi_epi32(pairs, pairs));
        } else {
            keepLow = _mm_sub_epi16(all, cLow);
            keepHigh = _mm_sub_epi16(all, cHigh);
        }
        auto* at = reinterpret_cast<__m128i*>(dst + x);
        const __m128i kept = byteMul4(_mm_loadu_si128(at), keepLow, keepHigh);
        _mm_storeu_si128(at, _mm_add_epi8(source, kept));
    }
#endif
    for (; x < n; ++x) {
        const std::uint32_t c = cover[x];
        if (c == 0)
            continue;
        std::uint32_t source = byteMul(opaque, c);
        if (translucent)
            source = byteMul(source, constantAlpha);
        dst[x] = source + byteMul(dst[x], 255 - (source >> 24));
    }
}

} // namespace

QRect blendCoverage(QImage& canvas, const QImage& coverage, QPoint origin, QRgb colour)
{
    const std::uint32_t alpha = qAlpha(colour);
    if (alpha == 0 || coverage.isNull() || canvas.format() != QImage::Format_ARGB32_Premultiplied
        || coverage.format() != QImage::Format_Alpha8)
        return {};
    const QRect area = QRect(origin, coverage.size()) & canvas.rect();
    // The painter's opacity alpha / 255 as the raster engine's constant alpha.
    const auto constantAlpha = static_cast<std::uint32_t>((static_cast<int>(alpha / 255.0 * 256) * 255) >> 8);
    for (int y = area.top(); y <= area.bottom(); ++y)
        blendRow(reinterpret_cast<std::uint32_t*>(canvas.scanLine(y)) + area.left(),
            coverage.constScanLine(y - origin.y()) + (area.left() - origin.x()), area.width(), colour | 0xFF000000u, alpha != 255,
            constantAlpha);
    return area;
}

namespace {

// Where an enlarged row or column samples its source: the pixel at or left of the sample
// point and the weight (0 to 255) of the one after it, in Qt's fixed-point steps.
struct Sample {
    int index;
    int next; // index + 1, or index where the weight is 0 (the last pixel has no next)
    std::uint32_t weight;
};

std::vector<Sample> samplesUp(int source, int target)
{
    std::vector<Sample> samples(static_cast<std::size_t>(target));
    std::int64_t val = std::int64_t {0x8000} * source / target - 0x8000;
    const std::int64_t inc = (std::int64_t {source} << 16) / target;
    for (Sample& s : samples) {
        const std::int64_t pos = val >> 16; // arithmetic: val starts below zero
        s.index = static_cast<int>(std::max<std::int64_t>(0, pos));
        s.weight = pos < 0 || pos >= source - 1 ? 0 : static_cast<std::uint32_t>((val >> 8) & 0xFF);
        s.next = s.weight != 0 ? s.index + 1 : s.index;
        val += inc;
    }
    return samples;
}

// Each channel (a * (256 - w) + b * w) >> 8, four 16-bit lanes in one 64-bit word.
inline std::uint32_t lerp(std::uint32_t a, std::uint32_t b, std::uint32_t w)
{
    constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FFull;
    const std::uint64_t wa = (std::uint64_t {a} | std::uint64_t {a} << 24) & kLanes;
    const std::uint64_t wb = (std::uint64_t {b} | std::uint64_t {b} << 24) & kLanes;
    const std::uint64_t t = ((wa * (256 - w) + wb * w) >> 8) & kLanes;
    return static_cast<std::uint32_t>(t) | static_cast<std::uint32_t>(t >> 24);
}

// Where a row's pixels come from, with the weights laid out for four pixels at a time.
struct Across {
    // Eight 16-bit weights: one pixel's in four lanes, the next pixel's in the other four.
    struct alignas(16) Lanes {
        std::int16_t w[8];
    };
    std::vector<Sample> samples;
    std::vector<Lanes> weights; // per four pixels: own weights (two), then next's (two)

    explicit Across(std::vector<Sample> s)
        : samples(std::move(s))
    {
        const std::size_t n = samples.size() / 4;
        weights.resize(n * 4);
        for (std::size_t g = 0; g < n; ++g)
            for (int half = 0; half < 2; ++half)
                for (int lane = 0; lane < 8; ++lane) {
                    const auto w = static_cast<std::int16_t>(samples[g * 4 + half * 2 + lane / 4].weight);
                    weights[g * 4 + half].w[lane] = static_cast<std::int16_t>(256 - w);
                    weights[g * 4 + 2 + half].w[lane] = w;
                }
    }
};

// One row enlarged across.
void enlargeRow(const std::uint32_t* src, const Across& across, std::uint32_t* out)
{
    const std::vector<Sample>& xs = across.samples;
    const std::size_t n = xs.size();
    std::size_t x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (std::size_t g = 0; x + 4 <= n; x += 4, ++g) {
        const Sample* q = &xs[x];
        const __m128i own = _mm_setr_epi32(static_cast<int>(src[q[0].index]), static_cast<int>(src[q[1].index]),
            static_cast<int>(src[q[2].index]), static_cast<int>(src[q[3].index]));
        const __m128i next = _mm_setr_epi32(static_cast<int>(src[q[0].next]), static_cast<int>(src[q[1].next]),
            static_cast<int>(src[q[2].next]), static_cast<int>(src[q[3].next]));
        const auto* w = reinterpret_cast<const __m128i*>(&across.weights[g * 4]);
        const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(own, zero), w[0]),
                                              _mm_mullo_epi16(_mm_unpacklo_epi8(next, zero), w[2])),
            8);
        const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(own, zero), w[1]),
                                              _mm_mullo_epi16(_mm_unpackhi_epi8(next, zero), w[3])),
            8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < n; ++x)
        out[x] = lerp(src[xs[x].index], src[xs[x].next], xs[x].weight);
}

// Two rows mixed down: (top * (256 - w) + bottom * w) >> 8 for each channel.
void mixRows(const std::uint32_t* top, const std::uint32_t* bottom, std::uint32_t w, int n, std::uint32_t* out)
{
    int x = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i wt = _mm_set1_epi16(static_cast<short>(256 - w));
    const __m128i wb = _mm_set1_epi16(static_cast<short>(w));
    for (; x + 4 <= n; x += 4) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + x));
        const __m128i lo = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(t, zero), wt), _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wb)), 8);
        const __m128i hi = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(t, zero), wt), _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wb)), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; x < n; ++x)
        out[x] = lerp(top[x], bottom[x], w);
}

} // namespace

QImage enlarged(const QImage& picture, QSize size)
{
    const int sw = picture.width();
    const int sh = picture.height();
    const int dw = size.width();
    const int dh = size.height();
    if (picture.isNull() || picture.format() != QImage::Format_ARGB32_Premultiplied || dw < sw || dh < sh)
        return {};
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return {};
    const Across xs(samplesUp(sw, dw));
    const std::vector<Sample> ys = samplesUp(sh, dh);
    // Down first, then across, as Qt's bilinear step takes a pixel's four neighbours.
    std::vector<std::uint32_t> mixed(static_cast<std::size_t>(sw));
    for (int y = 0; y < dh; ++y) {
        const Sample& s = ys[static_cast<std::size_t>(y)];
        const auto* top = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(s.index));
        if (s.weight != 0) {
            mixRows(top, reinterpret_cast<const std::uint32_t*>(picture.constScanLine(s.next)), s.weight, sw, mixed.data());
            top = mixed.data();
        }
        enlargeRow(top, xs, reinterpret_cast<std::uint32_t*>(out.scanLine(y)));
    }
    return out;
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

namespace {

// The disc's top-left corner, or false for a position the menu does not have.
bool staleMarkCorner(float W, float H, const StaleMark& mark, float& x, float& y)
{
    const float D = mark.nSize;
    const float left = 3, right = W - D - 3, centre = (W - D) / 2;
    const float top = 3, bottom = H - D - 3;
    // By position index: top left, bottom right, top right, bottom left, centre top, centre bottom.
    if (mark.nPos < 0 || mark.nPos > 5)
        return false; // the position menu has six items; anything else draws nothing
    const float xs[6] = {left, right, right, left, centre, centre};
    const float ys[6] = {top, bottom, top, bottom, top, bottom};
    x = xs[mark.nPos];
    y = ys[mark.nPos];
    return true;
}

} // namespace

QRectF StaleMarkBounds(float W, float H, const StaleMark& mark)
{
    float x = 0, y = 0;
    if (!staleMarkCorner(W, H, mark, x, y))
        return {};
    const float D = mark.nSize;
    const float k = StaleMarkRimWidth(D);
    return QRectF(x - k / 2, y - k / 2, D + k, D + k);
}

namespace {

enum MarkPart { kDisc = 1, kRim = 2, kBar = 4, kWholeMark = 7 };

// Masks of a marker larger than this are not made; it is painted directly instead.
constexpr std::int64_t kMaxMarkLayerPixels = std::int64_t {1} << 22;

void drawStaleMarkParts(QPainter& g, float W, float H, const StaleMark& mark, int parts)
{
    const float D = mark.nSize;
    const float e = D / 6;
    float x = 0, y = 0;
    if (!staleMarkCorner(W, H, mark, x, y))
        return;

    g.save();
    g.setRenderHint(QPainter::Antialiasing, true);
    const QRectF disc(x, y, D, D);
    if (parts & kDisc) {
        g.setPen(Qt::NoPen);
        g.setBrush(QColor::fromRgba(0xFFFF0000u));
        g.drawEllipse(disc);
    }
    if (parts & kRim) {
        QPen rim(QColor::fromRgba(0xFFFFFFFFu), StaleMarkRimWidth(D));
        g.setPen(rim);
        g.setBrush(Qt::NoBrush);
        g.drawEllipse(disc);
    }
    if (parts & kBar)
        g.fillRect(QRectF(x + e, y + 3 * D / 8, D - 2 * e, D / 4), QColor::fromRgba(0xFFFFFFFFu));
    g.restore();
}

} // namespace

void DrawStaleMark(QPainter& g, float W, float H, const StaleMark& mark)
{
    drawStaleMarkParts(g, W, H, mark, kWholeMark);
}

StaleMarkLayers StaleMarkCoverage(float W, float H, const StaleMark& mark, qreal ratio)
{
    StaleMarkLayers layers;
    const QRectF bounds = StaleMarkBounds(W, H, mark);
    const QRectF device(bounds.x() * ratio, bounds.y() * ratio, bounds.width() * ratio, bounds.height() * ratio);
    const auto sensible = [](qreal v) { return std::isfinite(v) && std::abs(v) < 1e6; };
    if (bounds.isNull() || !sensible(device.left()) || !sensible(device.top()) || !sensible(device.right())
        || !sensible(device.bottom()))
        return layers;
    layers.area = device.toAlignedRect().adjusted(-2, -2, 2, 2);
    if (std::int64_t {layers.area.width()} * layers.area.height() > kMaxMarkLayerPixels)
        return {};
    QImage* masks[3] = {&layers.disc, &layers.rim, &layers.bar};
    const int parts[3] = {kDisc, kRim, kBar};
    QImage scratch(layers.area.size(), QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 3; ++i) {
        // Painted opaque on transparent, as the marker is painted on the canvas: alpha is coverage.
        scratch.fill(0);
        {
            QPainter g(&scratch);
            g.translate(-QPointF(layers.area.topLeft()));
            g.scale(ratio, ratio);
            drawStaleMarkParts(g, W, H, mark, parts[i]);
        }
        *masks[i] = QImage(layers.area.size(), QImage::Format_Alpha8);
        if (scratch.isNull() || masks[i]->isNull())
            return {};
        for (int y = 0; y < scratch.height(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
            uchar* to = masks[i]->scanLine(y);
            for (int x = 0; x < scratch.width(); ++x)
                to[x] = static_cast<uchar>(from[x] >> 24);
        }
    }
    return layers;
}

} // namespace tb
