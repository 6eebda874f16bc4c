// The peers of the overlay benchmark (Cairo and Magick++) draw what our renderer draws, so that
// the benchmark compares the same work: the text box in the same place within a few pixels, and
// the recoloured, scaled picture within 1/255 wherever there is no text and no marker.
#include "peers/BenchScene.h"
#include "peers/CairoOverlay.h"
#include "peers/MagickOverlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

using namespace tb;
using namespace tb::bench;

namespace {

QImage imageOf(const peers::PeerCanvas& c)
{
    if (!c.pixels)
        return {};
    return QImage(reinterpret_cast<const uchar*>(c.pixels), c.width, c.height, c.stride * 4, QImage::Format_ARGB32_Premultiplied)
        .copy();
}

bool yellow(QRgb premultiplied)
{
    const QColor c = QColor::fromRgba(qUnpremultiply(premultiplied));
    return c.alpha() > 200 && c.red() > 200 && c.green() > 200 && c.blue() < 80;
}

// Where the text's fill is, and how many pixels it covers.
struct Fill {
    QRect box;
    int pixels = 0;
};
Fill fillOf(const QImage& image)
{
    Fill f;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (yellow(row[x])) {
                f.box |= QRect(x, y, 1, 1);
                ++f.pixels;
            }
    }
    return f;
}

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
        std::abs(qBlue(a) - qBlue(b))});
}

// How far a peer's canvas is from ours outside the text and the marker.
struct Agreement {
    int compared = 0;
    int withinOne = 0; // pixels whose every premultiplied channel is within 1/255 of ours
    int worst = 0;
    QPoint worstAt;
};
Agreement agreement(const QImage& mine, const QImage& theirs, const QRect& text, const QRect& mark)
{
    Agreement a;
    for (int y = 0; y < mine.height(); ++y)
        for (int x = 0; x < mine.width(); ++x) {
            if (text.contains(x, y) || mark.contains(x, y))
                continue;
            ++a.compared;
            const int d = channelDistance(mine.pixel(x, y), theirs.pixel(x, y));
            a.withinOne += d <= 1 ? 1 : 0;
            if (d > a.worst)
                a.worst = d, a.worstAt = QPoint(x, y);
        }
    return a;
}

// The three canvases of one drawing, the text box (fill, outline and shadow) of all three and
// the marker's box.
struct Drawings {
    QImage canvas[3]; // ours, Cairo's, Magick's
    Fill fill[3];
    QRect text;
    QRect mark;
};

class PeerAgreementTest : public ::testing::TestWithParam<int> {
protected:
    // Draws the scene's overlay with `reading` by all three; a non-empty `file` is a new picture.
    Drawings draw(const QString& file, int reading)
    {
        Drawings d;
        scene.style.sText = kReadings[reading];
        const OverlayResult ours = scene.draw(file);
        if (!ours.drawn || !cairo_->draw(file.toStdString(), kReadings[reading].toStdString())
            || !magick_->draw(file.toStdString(), kReadings[reading].toStdString()))
            return d;
        d.canvas[0] = ours.canvas.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        d.canvas[0].setDevicePixelRatio(1);
        d.canvas[1] = imageOf(cairo_->canvas());
        d.canvas[2] = imageOf(magick_->canvas());
        for (int i = 0; i < 3; ++i) {
            d.fill[i] = fillOf(d.canvas[i]);
            d.text |= d.fill[i].box;
        }
        const double r = scene.ratio;
        const peers::PeerLook look = peerLook(scene);
        const int reach = static_cast<int>(std::ceil((look.penWidth + look.shadowRight + 2) * r));
        d.text.adjust(-reach, -reach, reach, reach);
        const double W = look.scaleX * 256, H = look.scaleY * 128;
        const auto [mx, my] = peers::markCorner(look, W, H);
        const int rim = static_cast<int>(std::ceil((look.markRim + 2) * r));
        d.mark = QRectF(mx * r, my * r, look.markSize * r, look.markSize * r).toAlignedRect().adjusted(-rim, -rim, rim, rim);
        return d;
    }
    void makePeers()
    {
        cairo_ = std::make_unique<peers::CairoOverlay>(peerLook(scene));
        magick_ = std::make_unique<peers::MagickOverlay>(peerLook(scene));
    }

    Scene scene;
    std::unique_ptr<peers::CairoOverlay> cairo_;
    std::unique_ptr<peers::MagickOverlay> magick_;
};

const char* const kPeerNames[3] = {"ours", "cairo", "magick"};

// Unscaled, the picture on the canvas is the recoloured skin itself: all three agree within
// 1/255 on every pixel outside the text and the marker.
TEST_F(PeerAgreementTest, RecolouredPictureWithinOneLevel)
{
    scene.style.nScaleX = 100;
    scene.style.nScaleY = 100;
    makePeers();
    const Drawings d = draw(scene.skins[1], 0);
    ASSERT_EQ(d.canvas[0].size(), QSize(256, 128));
    for (int p = 1; p < 3; ++p) {
        SCOPED_TRACE(kPeerNames[p]);
        ASSERT_EQ(d.canvas[p].size(), d.canvas[0].size());
        const Agreement a = agreement(d.canvas[0], d.canvas[p], d.text, d.mark);
        EXPECT_GT(a.compared, 256 * 128 / 2);
        EXPECT_LE(a.worst, 1) << "at " << a.worstAt.x() << "," << a.worstAt.y() << ": ours " << std::hex
                              << d.canvas[0].pixel(a.worstAt) << ", theirs " << d.canvas[p].pixel(a.worstAt);
    }
}

// The benchmarked overlay, with a new picture and then with the kept one: the text in the same
// place with about as much fill, the marker where ours is, and the picture as ours apart from
// the rounding of three different bilinear resamplers (8-bit and 7-bit weights, 16-bit Magick)
// at the skin's edges.
TEST_P(PeerAgreementTest, SameOverlayAsOurs)
{
    scene.ratio = GetParam();
    const double r = scene.ratio;
    makePeers();
    const peers::PeerLook look = peerLook(scene);
    for (int step = 0; step < 2; ++step) {
        SCOPED_TRACE(step == 0 ? "picture changed" : "picture kept");
        const Drawings d = draw(step == 0 ? scene.skins[0] : QString(), step);
        ASSERT_EQ(d.canvas[0].size(), QSize(384, 192) * r);
        const Fill& want = d.fill[0];
        ASSERT_GT(want.pixels, 300 * r * r);
        const int slack = static_cast<int>(std::lround(3 * r));
        const auto [mx, my] = peers::markCorner(look, 384, 192);
        const QPoint centre = QPointF((mx + look.markSize / 2) * r, (my + look.markSize / 2) * r).toPoint();
        const QPoint disc = centre - QPoint(0, static_cast<int>(look.markSize * r / 4));
        for (int p = 0; p < 3; ++p) {
            SCOPED_TRACE(kPeerNames[p]);
            ASSERT_EQ(d.canvas[p].size(), d.canvas[0].size());
            const Fill& got = d.fill[p];
            EXPECT_NEAR(got.box.left(), want.box.left(), slack);
            EXPECT_NEAR(got.box.right(), want.box.right(), slack);
            EXPECT_NEAR(got.box.top(), want.box.top(), slack);
            EXPECT_NEAR(got.box.bottom(), want.box.bottom(), slack);
            EXPECT_NEAR(got.pixels, want.pixels, want.pixels / 6);
            EXPECT_LE(channelDistance(d.canvas[p].pixel(centre), 0xFFFFFFFFu), 2) << "the marker's white bar";
            EXPECT_LE(channelDistance(d.canvas[p].pixel(disc), 0xFFFF0000u), 2) << "the marker's red disc";

            const Agreement a = agreement(d.canvas[0], d.canvas[p], d.text, d.mark);
            EXPECT_GT(a.compared, d.canvas[0].width() * d.canvas[0].height() * 3 / 4);
            EXPECT_GT(a.withinOne, a.compared * 0.97);
            EXPECT_LE(a.worst, 4) << "at " << a.worstAt.x() << "," << a.worstAt.y() << ": ours " << std::hex
                                  << d.canvas[0].pixel(a.worstAt) << ", theirs " << d.canvas[p].pixel(a.worstAt);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ratios, PeerAgreementTest, ::testing::Values(1, 2), [](const auto& info) { return "dpr" + std::to_string(info.param); });

} // namespace
