#pragma once

// The overlay the render benchmarks draw: a 256 x 128 skin with transparent corners at 150 %,
// bold 40 px text with fill, outline and a half-transparent shadow, a colour adjustment and the
// stale marker. render_bench draws it with our renderer; peer_overlay_bench and the peer
// agreement test draw it with our renderer, Cairo and Magick++.
#include "PeerLook.h"
#include "platform/Clock.h"
#include "render/GdipLog.h"
#include "render/ImageEffects.h"
#include "render/OverlayRenderer.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QString>
#include <QTemporaryDir>

namespace tb::bench {

inline QImage makeSkin(QColor tint)
{
    QImage skin(256, 128, QImage::Format_ARGB32);
    skin.fill(Qt::transparent);
    QPainter g(&skin);
    g.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 256, 128);
    gradient.setColorAt(0, tint);
    gradient.setColorAt(1, tint.darker(250));
    g.setBrush(gradient);
    g.setPen(QPen(Qt::white, 3));
    g.drawRoundedRect(QRectF(4, 4, 248, 120), 30, 30); // the corners stay transparent
    g.setBrush(QColor(255, 255, 255, 90));
    g.setPen(Qt::NoPen);
    g.drawEllipse(QRectF(20, 14, 120, 50));
    return skin;
}

// Two readings, so that every redraw has a new text.
inline const QString kReadings[2] = {QStringLiteral("-12.5°"), QStringLiteral("+3.4°")};

// The renderer, a log without an error list, and a styled overlay on two skin files.
struct Scene {
    Scene()
    {
        skins[0] = dir.filePath(QStringLiteral("skin-a.png"));
        skins[1] = dir.filePath(QStringLiteral("skin-b.png"));
        makeSkin(QColor(40, 110, 200)).save(skins[0], "PNG");
        makeSkin(QColor(200, 90, 40)).save(skins[1], "PNG");
        style.sFontName = QStringLiteral("Arial");
        style.nFontSize = 40;
        style.fBold = true;
        style.fTextFill = true;
        style.nTextColor = 0xFFFF00;
        style.fOutline = true;
        style.nOutlineWidth = 2;
        style.nOutlineColor = 0x202020;
        style.fShadow = true;
        style.nShadowColor = 0;
        style.nShadowAlpha = 128;
        style.nShadowX = 2;
        style.nShadowY = -2;
        style.fScaleOn = true;
        style.nScaleX = 150;
        style.nScaleY = 150;
        mark = StaleMark {true, 19, 1};
    }
    OverlayResult draw(const QString& file) { return renderer.RenderOverlay(file, style, adjust, mark, ratio); }

    QTemporaryDir dir;
    QString skins[2];
    SystemClock clock;
    GdipLog log {clock};
    OverlayRenderer renderer {log};
    OverlayStyle style;
    PicAdjust adjust {0.3F, 1.1F, 0.95F, 0.02F, 1};
    StaleMark mark;
    qreal ratio = 1;
};

// The scene's overlay as the peers are told it.
inline peers::PeerLook peerLook(const Scene& scene)
{
    const OverlayStyle& s = scene.style;
    peers::PeerLook look;
    look.fontFamily = s.sFontName.toStdString();
    look.bold = s.fBold;
    look.fontPixels = s.nFontSize;
    look.fillColour = static_cast<std::uint32_t>(s.nTextColor);
    look.outlineColour = static_cast<std::uint32_t>(s.nOutlineColor);
    look.shadowColour = static_cast<std::uint32_t>(s.nShadowColor);
    look.shadowAlpha = s.nShadowAlpha;
    // Our outline pen for an outline under the fill.
    look.penWidth = (s.nOutlineWidth + 3) / 3;
    look.shadowRight = s.nShadowX;
    look.shadowDown = -s.nShadowY;
    look.scaleX = s.nScaleX / 100.0;
    look.scaleY = s.nScaleY / 100.0;
    look.matrix = BuildColorMatrix(scene.adjust);
    look.markSize = scene.mark.fShow ? scene.mark.nSize : 0;
    look.markPos = scene.mark.nPos;
    look.markRim = StaleMarkRimWidth(scene.mark.nSize);
    look.ratio = scene.ratio;
    return look;
}

} // namespace tb::bench
