#include "MainWindowFixture.h"

#include <QDir>
#include <QFile>

namespace tb::test {

void FakeView::showCanvas(const QImage& canvas, int alpha)
{
    lastSize = canvas.size();
    lastAlpha = alpha;
    ++shownCanvases;
}

void FakeView::moveTo(QPoint p)
{
    pos = p;
    moves.push_back(p);
}

DrawOutcome FakeDrawing::draw(const QString& file, OverlayStyle& style, const PicAdjust&, const StaleMark& mark, qreal)
{
    texts.append(style.sText);
    files.append(file);
    marks.push_back(mark.fShow);
    DrawOutcome out;
    out.drawn = true;
    out.canvas = QImage(100, 40, QImage::Format_ARGB32_Premultiplied);
    if (style.sFontName == QStringLiteral("Missing Font")) {
        style.sFontName = QStringLiteral("Arial");
        out.fontReplaced = true;
    }
    return out;
}

void FakeTray::UpdateTrayIcon(double t, const TrayLook& look)
{
    last = t;
    lastLook = look;
}

void FakeMenu::popupAt(QPoint at)
{
    if (onAboutToShow)
        onAboutToShow();
    open = true;
    openedAt.push_back(at);
}

void MainWindowFixture::writeSkins(const QByteArray& ini)
{
    QDir(dir.path()).mkpath(QStringLiteral("FotoMark/Winter"));
    QFile pic(dir.filePath(QStringLiteral("FotoMark/Winter/snow.png")));
    pic.open(QIODevice::WriteOnly);
    pic.write("not decoded by the fake drawing");
    QFile f(dir.filePath(QStringLiteral("ThermoBadge.ini")));
    f.open(QIODevice::WriteOnly);
    f.write(ini);
}

bool MainWindowFixture::load()
{
    temper = std::make_unique<ctlTemper>(
        TemperEnvironment {clock, clock, udp, registry, boxes, processes, Regional::russian(), dir.path(), 1, 4,
            {QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("127.0.0.1"), QStringLiteral("B"), QStringLiteral("1"),
                QStringLiteral("127.0.0.2")}});
    temper->InitProperties();
    main = std::make_unique<frmMain>(MainWindowEnv {*temper, settings, Regional::russian(), clock, clock, boxes, view, drawing,
        tray, placement, companions, menu, dir.path(), 1, 4});
    return main->Form_Load();
}

} // namespace tb::test
