#include "QtPrinters.h"
#include "window/IndicatorWindow.h"
#include "window/PopupMenuWidget.h"

#include <QCloseEvent>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

using namespace tb;

namespace {

QStringList captions(const QMenu* m)
{
    QStringList out;
    for (const QAction* a : m->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text() + (a->isChecked() ? QStringLiteral(" [x]") : QString()));
    return out;
}

QMenu* submenu(QMenu* m, const char* name) { return m->findChild<QMenu*>(QLatin1String(name)); }

} // namespace

TEST(PopupMenuTest, TreeCaptionsMarksAndCommands)
{
    PopupMenuWidget w;
    QStringList fmt;
    for (int i = 0; i < 10; ++i)
        fmt << QStringLiteral("+1.%1").arg(i);
    int refreshed = 0;
    w.onAboutToShow = [&] { ++refreshed; };
    w.setState(MenuState{QStringLiteral("Показать"), false, false, true, 3, 5, true, fmt, 7});

    QMenu* m = w.menu();
    EXPECT_EQ(captions(m), (QStringList{QStringLiteral("Показать"), QStringLiteral("Впереди"), QStringLiteral("Инд-р t°"),
                                        QStringLiteral("-"), QStringLiteral("Вид [x]"), QStringLiteral("Формат"), QStringLiteral("-"),
                                        QStringLiteral("Масштаб"), QStringLiteral("Прозрачность"), QStringLiteral("Настройки"),
                                        QStringLiteral("Город..."), QStringLiteral("-"), QStringLiteral("О программе"), QStringLiteral("E&xit")}));
    EXPECT_FALSE(m->findChild<QAction*>(QStringLiteral("mnuShow"))->isEnabled());
    EXPECT_EQ(captions(submenu(m, "mnuIndM")),
              (QStringList{QStringLiteral("Задействовать [x]"), QStringLiteral("-"), QStringLiteral("Положение"), QStringLiteral("Размер")}));
    EXPECT_EQ(captions(submenu(m, "mnuIndPosM")),
              (QStringList{QStringLiteral("Верх-Слева"), QStringLiteral("Низ-Справа"), QStringLiteral("Верх-Справа"),
                           QStringLiteral("Низ-Слева [x]"), QStringLiteral("Центр-Сверху"), QStringLiteral("Центр-Снизу")}));
    EXPECT_EQ(captions(submenu(m, "mnuIndSizeM")), (QStringList{QStringLiteral("14"), QStringLiteral("19"), QStringLiteral("23"),
                                                                QStringLiteral("30"), QStringLiteral("35"), QStringLiteral("42 [x]")}));
    QStringList fmtShown = fmt;
    fmtShown[7] += QStringLiteral(" [x]");
    EXPECT_EQ(captions(submenu(m, "mnuFmtM")), fmtShown);

    // A format outside the menu checks none.
    w.setState(MenuState{QStringLiteral("Скрыть"), true, true, false, 0, 0, false, fmt, -1});
    EXPECT_EQ(captions(submenu(m, "mnuFmtM")), fmt);

    std::vector<std::pair<MenuItem, int>> chosen;
    w.onCommand = [&](MenuItem item, int index) { chosen.emplace_back(item, index); };
    for (const char* name : {"mnuShow", "mnuTop", "mnuInd", "mnuIndPos2", "mnuIndSize4", "mnuSelectSkin", "mnuFormat9", "mnuScale",
                             "mnuTrans", "mnuOptions", "mnuTown", "mnuAbout", "mnuExit"})
        m->findChild<QAction*>(QLatin1String(name))->trigger();
    EXPECT_EQ(chosen, (std::vector<std::pair<MenuItem, int>>{{MenuItem::Show, 0}, {MenuItem::Top, 0}, {MenuItem::Ind, 0},
                                                             {MenuItem::IndPos, 2}, {MenuItem::IndSize, 4}, {MenuItem::SelectSkin, 0},
                                                             {MenuItem::Format, 9}, {MenuItem::Scale, 0}, {MenuItem::Trans, 0},
                                                             {MenuItem::Options, 0}, {MenuItem::Town, 0}, {MenuItem::About, 0}, {MenuItem::Exit, 0}}));

    w.popupAt(QPoint(20, 20));
    EXPECT_EQ(refreshed, 1) << "the refresh runs before the menu shows";
    EXPECT_TRUE(w.isOpen());
    m->hide();
    EXPECT_FALSE(w.isOpen());
}

TEST(IndicatorWindowTest, AClickOpensTheMenuADragDoesNotAndClosingEndsTheProgram)
{
    IndicatorWindow w;
    QImage canvas(60, 30, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    w.showCanvas(canvas, 255);
    w.show();
    int menus = 0, exits = 0;
    w.onMenu = [&](QPoint) { ++menus; };
    w.onEscape = [&] { ++exits; };

    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&w, Qt::RightButton, {}, QPoint(6, 5));
    EXPECT_EQ(menus, 1) << "a click without movement";

    QTest::mousePress(&w, Qt::RightButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 20), w.mapToGlobal(QPointF(40, 20)), Qt::NoButton, Qt::RightButton, {});
    QApplication::sendEvent(&w, &move);
    QTest::mouseRelease(&w, Qt::RightButton, {}, QPoint(40, 20));
    EXPECT_EQ(menus, 1) << "past the drag distance it is a move, not a click";

    // A drawing at twice the pixel density keeps the window's logical size.
    canvas = QImage(120, 60, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    canvas.setDevicePixelRatio(2);
    w.showCanvas(canvas, 255);
    EXPECT_EQ(w.size(), QSize(60, 30));

    w.close();
    EXPECT_EQ(exits, 1);
}
