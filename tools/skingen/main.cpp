// thermobadge-skingen: paints the sample skins that ship with ThermoBadge.
//   thermobadge-skingen OUTPUT_FOLDER [ICON_FOLDER]
// writes OUTPUT_FOLDER/FotoMark/Winter/*.png, OUTPUT_FOLDER/FotoMark/Summer/*.png and the program
// icon OUTPUT_FOLDER/ThermoBadge.png; with ICON_FOLDER also the desktop icon at every size of the
// icon theme, ICON_FOLDER/hicolor/<size>x<size>/apps/thermobadge.png. The pictures are drawn from
// code so that anyone can change and redraw them.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

using Paint = std::function<void(QPainter&, const QRectF&)>;

bool save(const QString& path, QSize size, const Paint& paint)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, QRectF(QPointF(0, 0), QSizeF(size)));
    p.end();
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), size.width(), size.height());
    return true;
}

QPainterPath roundedPanel(const QRectF& r, qreal inset, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r.adjusted(inset, inset, -inset, -inset), radius, radius);
    return path;
}

void snowflake(QPainter& p, QPointF c, qreal r, const QColor& colour)
{
    p.save();
    p.setPen(QPen(colour, std::max(1.0, r / 5), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 6; ++i) {
        const qreal a = i * M_PI / 3;
        const QPointF tip = c + QPointF(std::cos(a), std::sin(a)) * r;
        p.drawLine(c, tip);
        const QPointF mid = c + QPointF(std::cos(a), std::sin(a)) * r * 0.55;
        p.drawLine(mid, mid + QPointF(std::cos(a + 0.6), std::sin(a + 0.6)) * r * 0.3);
        p.drawLine(mid, mid + QPointF(std::cos(a - 0.6), std::sin(a - 0.6)) * r * 0.3);
    }
    p.restore();
}

void frost(QPainter& p, const QRectF& r)
{
    const QPainterPath panel = roundedPanel(r, 2, r.height() * 0.22);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(200, 230, 255, 235));
    g.setColorAt(1, QColor(70, 120, 200, 235));
    p.fillPath(panel, g);
    p.setPen(QPen(QColor(255, 255, 255, 200), 2));
    p.drawPath(panel);
    QRandomGenerator rng(7);
    p.setClipPath(panel);
    for (int i = 0; i < 9; ++i)
        snowflake(p, QPointF(rng.bounded(r.width()), rng.bounded(r.height())), 4 + rng.bounded(8.0), QColor(255, 255, 255, 110));
}

void snowBadge(QPainter& p, const QRectF& r)
{
    const QPainterPath panel = roundedPanel(r, 1, r.height() / 2 - 1);
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, QColor(240, 248, 255, 230));
    g.setColorAt(1, QColor(150, 190, 230, 230));
    p.fillPath(panel, g);
    snowflake(p, QPointF(r.height() / 2, r.height() / 2), r.height() * 0.3, QColor(90, 140, 200));
}

void ice(QPainter& p, const QRectF& r)
{
    // An ice floe: an irregular polygon with a translucent body and glints.
    QPolygonF floe;
    QRandomGenerator rng(11);
    const QPointF c = r.center();
    for (int i = 0; i < 14; ++i) {
        const qreal a = i * 2 * M_PI / 14;
        const qreal k = 0.82 + rng.bounded(0.16);
        floe << c + QPointF(std::cos(a) * r.width() / 2 * k, std::sin(a) * r.height() / 2 * k);
    }
    QRadialGradient g(c, r.width() / 2);
    g.setColorAt(0, QColor(230, 250, 255, 200));
    g.setColorAt(1, QColor(110, 180, 220, 160));
    p.setBrush(g);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1.5));
    p.drawPolygon(floe);
}

void sun(QPainter& p, const QRectF& r)
{
    const QPainterPath panel = roundedPanel(r, 3, 24);
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(255, 200, 80, 240));
    sky.setColorAt(1, QColor(255, 120, 40, 240));
    p.fillPath(panel, sky);
    p.setClipPath(panel);
    const QPointF c(r.width() * 0.82, r.height() * 0.25);
    p.setPen(QPen(QColor(255, 240, 160, 150), 5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        p.drawLine(c + QPointF(std::cos(a), std::sin(a)) * 34, c + QPointF(std::cos(a), std::sin(a)) * 52);
    }
    QRadialGradient disc(c, 30);
    disc.setColorAt(0, QColor(255, 255, 220));
    disc.setColorAt(1, QColor(255, 220, 90));
    p.setBrush(disc);
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 28, 28);
}

void meadow(QPainter& p, const QRectF& r)
{
    QPainterPath hill;
    hill.moveTo(r.bottomLeft());
    hill.lineTo(r.left(), r.height() * 0.45);
    hill.cubicTo(r.width() * 0.3, r.height() * 0.1, r.width() * 0.6, r.height() * 0.6, r.right(), r.height() * 0.3);
    hill.lineTo(r.bottomRight());
    hill.closeSubpath();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(140, 210, 90, 245));
    g.setColorAt(1, QColor(40, 120, 40, 245));
    p.fillPath(hill, g);
    p.setPen(QPen(QColor(230, 255, 200, 200), 2));
    p.drawPath(hill);
}

void sky(QPainter& p, const QRectF& r)
{
    // A cloud: overlapping circles, soft white, the rest transparent.
    QPainterPath cloud;
    cloud.addEllipse(QRectF(r.width() * 0.05, r.height() * 0.35, r.width() * 0.4, r.height() * 0.55));
    cloud.addEllipse(QRectF(r.width() * 0.25, r.height() * 0.08, r.width() * 0.45, r.height() * 0.75));
    cloud.addEllipse(QRectF(r.width() * 0.55, r.height() * 0.3, r.width() * 0.4, r.height() * 0.6));
    cloud.setFillRule(Qt::WindingFill);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, 240));
    g.setColorAt(1, QColor(190, 210, 235, 240));
    p.fillPath(cloud.simplified(), g);
}

// The program icon: a thermometer.
void thermometer(QPainter& p, const QRectF& r)
{
    const qreal w = r.width();
    QPainterPath glass;
    glass.addRoundedRect(QRectF(w * 0.38, w * 0.06, w * 0.24, w * 0.62), w * 0.12, w * 0.12);
    glass.addEllipse(QPointF(w * 0.5, w * 0.74), w * 0.2, w * 0.2);
    glass.setFillRule(Qt::WindingFill);
    p.fillPath(glass.simplified(), QColor(240, 244, 250));
    // At least a pixel wide, so the glass keeps its outline at 16 pixels.
    p.setPen(QPen(QColor(60, 70, 90), std::max(1.0, w * 0.05)));
    p.drawPath(glass.simplified());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 40, 40));
    p.drawEllipse(QPointF(w * 0.5, w * 0.74), w * 0.13, w * 0.13);
    p.drawRoundedRect(QRectF(w * 0.45, w * 0.3, w * 0.1, w * 0.42), w * 0.05, w * 0.05);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: thermobadge-skingen OUTPUT_FOLDER [ICON_FOLDER]\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString winter = out.filePath(QStringLiteral("FotoMark/Winter"));
    const QString summer = out.filePath(QStringLiteral("FotoMark/Summer"));
    QDir().mkpath(winter);
    QDir().mkpath(summer);
    bool ok = save(winter + QStringLiteral("/frost.png"), {256, 128}, frost);
    ok &= save(winter + QStringLiteral("/snowbadge.png"), {96, 48}, snowBadge);
    ok &= save(winter + QStringLiteral("/ice.png"), {160, 80}, ice);
    ok &= save(summer + QStringLiteral("/sun.png"), {320, 160}, sun);
    ok &= save(summer + QStringLiteral("/meadow.png"), {200, 100}, meadow);
    ok &= save(summer + QStringLiteral("/cloud.png"), {128, 64}, sky);
    ok &= save(out.filePath(QStringLiteral("ThermoBadge.png")), {64, 64}, thermometer);
    if (argc == 3) {
        const QDir icons(QString::fromLocal8Bit(argv[2]));
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString folder = icons.filePath(QStringLiteral("hicolor/%1x%1/apps").arg(size));
            QDir().mkpath(folder);
            ok &= save(folder + QStringLiteral("/thermobadge.png"), {size, size}, thermometer);
        }
    }
    return ok ? 0 : 1;
}
