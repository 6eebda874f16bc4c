#include "LogCapture.h"
#include "QtPrinters.h"
#include "dialogs/Twips.h"
#include "dialogs/frmSlider.h"
#include "platform/MemorySettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using namespace tb;
using tb::test::LogCapture;

namespace {

// The main window's share of the panel, on local variables.
struct Rig {
    MemorySettingsStore store;
    Options options {store, Regional::russian()};
    OverlayStyle style;
    quint8 trans = 0;
    bool transOn = true;
    bool autoOff = true;
    bool sliderOpen = false;
    qint16 focus = 1;
    int redraws = 0;
    quint8 drawnTrans = 0; // the transparency of the last redraw
    float drawnScaleY = 0;
    QWidget owner; // declared before the panel, which it owns, so the panel goes first
    std::unique_ptr<frmSlider> panel;

    Rig()
    {
        owner.setGeometry(200, 100, 120, 60);
        owner.show();
    }
    frmSlider& open()
    {
        if (!panel)
            panel = std::make_unique<frmSlider>(
                SliderTarget {style, trans, transOn, autoOff, sliderOpen, focus,
                    [this] {
                        ++redraws;
                        drawnTrans = trans;
                        drawnScaleY = style.nScaleY;
                    }},
                options, &owner);
        panel->open();
        return *panel;
    }
    QString stored(const char* key) const { return store.value(QLatin1String(key)).value_or(QStringLiteral("<absent>")); }
    qreal twipsPerPixel() const { return 1440.0 / panel->screen()->logicalDotsPerInch(); }
};

TEST(SliderTest, OpeningShowsTheSharedValuesBringsThemIntoRangeAndDrawsThatOnce)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float scX, scY;
        const char* sinc;
        int bar0, bar1;
        float nX, nY;
        int scaleWarnings;
    } cases[] = {
        {150, 80, "1", 150, 150, 150, 150, 0}, // the first scale that differs from 100 wins
        {100, 80, "1", 80, 80, 80, 80, 0},
        {150, 80, "0", 150, 80, 150, 80, 0},
        {100.5f, 101.5f, "0", 100, 102, 100.5f, 102, 0}, // halves to even; an unmoved bar leaves its value
        {10, 500, "0", 25, 300, 25, 300, 2},
        {nan, 120, "0", 100, 120, 100, 120, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scX << " x " << c.scY << " sinc " << c.sinc);
        LogCapture log("thermobadge.slider");
        Rig rig;
        rig.store.setValue(QStringLiteral("ScaleSinc"), QLatin1String(c.sinc));
        rig.style.nScaleX = c.scX;
        rig.style.nScaleY = c.scY;
        rig.trans = 240;
        frmSlider& panel = rig.open();
        EXPECT_EQ(panel.scrlScale(0)->value(), c.bar0);
        EXPECT_EQ(panel.scrlScale(1)->value(), c.bar1);
        EXPECT_EQ(panel.lblScale(0)->text(), QString::number(c.bar0));
        EXPECT_EQ(panel.lblScale(1)->text(), QString::number(c.bar1));
        EXPECT_FLOAT_EQ(rig.style.nScaleX, c.nX);
        EXPECT_FLOAT_EQ(rig.style.nScaleY, c.nY);
        EXPECT_EQ(rig.trans, 210) << "a transparency above the bar is brought to its end";
        EXPECT_EQ(panel.lblTrans()->text(), QStringLiteral("82"));
        EXPECT_EQ(log.texts().size(), 1 + c.scaleWarnings) << log.texts().join(QLatin1Char('\n')).toStdString();
        // Nothing is drawn while loading; what loading changed is drawn once, right after.
        EXPECT_EQ(rig.redraws, 1);
        EXPECT_EQ(rig.drawnTrans, 210);
        EXPECT_FLOAT_EQ(rig.drawnScaleY, c.nY);
        EXPECT_TRUE(rig.sliderOpen);
        EXPECT_TRUE(panel.fLoaded());
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(panel.framTrans()->title(), QStringLiteral("Прозрачность %  (0-82)"));
        EXPECT_EQ(panel.lblScale(1)->toolTip(), panel.lblTrans()->toolTip());
    }
    // Values the bars show as they are: nothing to draw.
    Rig rig;
    rig.style.nScaleX = rig.style.nScaleY = 120;
    rig.trans = 100;
    rig.open();
    EXPECT_EQ(rig.redraws, 0);
}

TEST(SliderTest, LiveChangesKeysAndClosingWithEsc)
{
    Rig rig;
    rig.store.setValue(QStringLiteral("ScaleSinc"), QStringLiteral("0"));
    frmSlider& panel = rig.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    EXPECT_EQ(QApplication::focusWidget(), panel.scrlScale(0)) << "mnuScale opens on the width bar";
    EXPECT_EQ(panel.windowModality(), Qt::WindowModal);

    // Without Ш+В the height bar moves alone: 1 for an arrow, 10 for a page key.
    panel.scrlScale(1)->setFocus();
    for (const auto key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp})
        QTest::keyClick(panel.scrlScale(1), key);
    EXPECT_FLOAT_EQ(rig.style.nScaleY, 111);
    EXPECT_FLOAT_EQ(rig.style.nScaleX, 100);
    EXPECT_EQ(panel.lblScale(1)->text(), QStringLiteral("111"));
    EXPECT_EQ(rig.redraws, 6);

    // Ticking Ш+В copies the bar moved last; a click on a value label resets it, the other follows.
    QTest::mouseClick(panel.chkScaleSinc(), Qt::LeftButton);
    EXPECT_EQ(panel.scrlScale(0)->value(), 111);
    EXPECT_FLOAT_EQ(rig.style.nScaleX, 111);
    EXPECT_EQ(panel.lblScale(0)->text(), QStringLiteral("111"));
    const int beforeReset = rig.redraws;
    QTest::mouseClick(panel.lblScale(1), Qt::LeftButton);
    EXPECT_EQ(rig.redraws, beforeReset + 1) << "the bar that follows does not draw the same picture again";
    EXPECT_FLOAT_EQ(rig.style.nScaleY, 100);
    EXPECT_FLOAT_EQ(rig.style.nScaleX, 100);
    EXPECT_EQ(panel.lblScale(0)->text(), QStringLiteral("100"));
    EXPECT_EQ(panel.nLastScaleIdx(), 1);

    // Transparency: percent of 255, cut to a whole number (of 256, 51 and 204 would read 19 and 79).
    const std::pair<int, const char*> percents[]
        = {{0, "0"}, {1, "0"}, {2, "0"}, {3, "1"}, {51, "20"}, {128, "50"}, {204, "80"}, {210, "82"}};
    for (const auto& [value, label] : percents) {
        panel.scrlTrans()->setValue(value);
        EXPECT_EQ(panel.lblTrans()->text(), QLatin1String(label)) << value;
        EXPECT_EQ(rig.trans, value);
    }
    QTest::mouseClick(panel.lblTrans(), Qt::LeftButton);
    EXPECT_EQ(rig.trans, 0);

    const int before = rig.redraws;
    QTest::mouseClick(panel.chkTrans(), Qt::LeftButton);
    QTest::mouseClick(panel.chkScale(), Qt::LeftButton);
    QTest::mouseClick(panel.chkScaleAutoOff(), Qt::LeftButton);
    EXPECT_FALSE(rig.transOn);
    EXPECT_FALSE(rig.style.fScaleOn);
    EXPECT_FALSE(rig.autoOff);
    EXPECT_EQ(rig.redraws, before + 2) << "the auto-off switch does not redraw";

    // Esc from a control closes the panel and stores its place and the three switches.
    panel.move(300, 260);
    QTest::keyClick(panel.scrlTrans(), Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(rig.sliderOpen);
    EXPECT_FALSE(panel.fActivated());
    const qreal tpp = rig.twipsPerPixel();
    EXPECT_EQ(rig.stored("FrmSliderL"), QString::number(qRound(panel.x() * tpp)));
    EXPECT_EQ(rig.stored("FrmSliderT"), QString::number(qRound(panel.y() * tpp)));
    EXPECT_EQ(rig.stored("ScaleSinc"), QStringLiteral("1"));
    EXPECT_EQ(rig.stored("ScaleAutoOff"), QStringLiteral("0"));
    EXPECT_EQ(rig.stored("TransOn"), QStringLiteral("0"));
    EXPECT_FALSE(rig.style.fScaleOn) << "edits are kept";

    // Reopened from "Прозрачность": the first activation focuses the transparency bar again,
    // the panel comes back where it was left, the boxes show the shared switches.
    rig.focus = 0;
    rig.open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    EXPECT_EQ(QApplication::focusWidget(), panel.scrlTrans());
    EXPECT_EQ(panel.pos(), QPoint(300, 260));
    EXPECT_FALSE(panel.chkScale()->isChecked());
    EXPECT_TRUE(panel.chkScaleSinc()->isChecked());
    EXPECT_EQ(panel.nLastScaleIdx(), 1) << "kept across openings";
    panel.close();
    EXPECT_FALSE(rig.sliderOpen) << "the close box unloads too";
}

TEST(SliderTest, PlacedAtTheMainWindowUnlessAUsableStoredPlace)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Case {
        int mainTop;
        const char* left;
        const char* top;
        bool stored, logged;
    } cases[] = {
        {screen.bottom() - 40, nullptr, nullptr, false, false}, // at the bottom: above the main window
        {100, nullptr, nullptr, false, false}, // elsewhere: below it
        {100, "1500", "2250", true, false}, // stored twips: used as they are
        {100, "abc", "2250", false, true}, {100, "-999999", "2250", false, true}, // off every screen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mainTop << " " << (c.left ? c.left : "-"));
        LogCapture log("thermobadge.slider");
        Rig rig;
        rig.owner.move(300, c.mainTop);
        if (c.left) {
            rig.store.setValue(QStringLiteral("FrmSliderL"), QLatin1String(c.left));
            rig.store.setValue(QStringLiteral("FrmSliderT"), QLatin1String(c.top));
        }
        frmSlider& panel = rig.open();
        const QRect main = rig.owner.frameGeometry();
        if (c.stored) {
            const qreal tpp = rig.twipsPerPixel();
            EXPECT_EQ(panel.pos(), QPoint(qRound(1500 / tpp), qRound(2250 / tpp)));
        } else {
            EXPECT_EQ(panel.frameGeometry().center().x(), main.center().x()) << "centred on the main window";
            if (c.mainTop > 100)
                EXPECT_LT(panel.frameGeometry().bottom(), main.top());
            else
                EXPECT_EQ(panel.frameGeometry().top(), main.bottom() + 1);
        }
        EXPECT_EQ(log.texts().size(), c.logged ? 1 : 0);
    }
}

TEST(SliderTest, CaptionsColoursAndKeyboardOrder)
{
    Rig rig;
    frmSlider& panel = rig.open();
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("Регулирование: клавиши стрелок, PgUp, PgDn"));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(panel.size(), QSize(px(4380, &panel), px(1665, &panel)));
    EXPECT_EQ(panel.scrlScale(1)->geometry(), QRect(px(1005, &panel), px(480, &panel), px(2685, &panel), px(195, &panel)));
    EXPECT_EQ(panel.palette().color(QPalette::Window), QColor(0x68A5E8));
    EXPECT_EQ(panel.lblScale(0)->palette().color(QPalette::Window), QColor(0xFFC080));
    EXPECT_EQ(panel.chkScaleSinc()->palette().color(QPalette::WindowText), QColor(0xFFFF00));
    EXPECT_EQ(panel.chkScaleSinc()->toolTip(), QStringLiteral("Масштабировать синхронно Ширину и Высоту"));
    EXPECT_EQ(panel.chkTrans()->toolTip(), QStringLiteral("Задействовать прозрачность"));

    const QList<QWidget*> order = {panel.scrlTrans(), panel.scrlScale(0), panel.scrlScale(1), panel.chkTrans(), panel.chkScale(),
        panel.chkScaleSinc(), panel.chkScaleAutoOff()};
    for (int i = 1; i < order.size(); ++i) {
        QWidget* next = order[i - 1]->nextInFocusChain();
        while (!(next->focusPolicy() & Qt::TabFocus))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i]) << i;
    }

    // The boxes on a frame's top line leave the frame's caption free.
    const std::pair<QGroupBox*, QCheckBox*> framed[]
        = {{panel.framTrans(), panel.chkTrans()}, {panel.framScale(), panel.chkScaleSinc()}};
    for (const auto& [frame, box] : framed) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        const QRect title = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        EXPECT_LT(title.right(), box->x()) << frame->title().toStdString();
    }
}

} // namespace
