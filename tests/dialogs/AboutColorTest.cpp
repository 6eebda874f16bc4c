#include "QtPrinters.h"
#include "dialogs/Twips.h"
#include "dialogs/frmAbout.h"
#include "dialogs/mColorSelect.h"
#include "platform/desktop/OnTop.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace tb;

namespace {

// Gives the about box's deferred deletion its turn; true when the box is gone.
bool closed(const QPointer<frmAbout>& box)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return box.isNull();
}

} // namespace

TEST(AboutBox, ShowsTheVersionAndClosesOnEscWhateverHasTheFocus)
{
    const struct {
        int major, minor;
        const char* text;
    } versions[] = {{1, 4, "ThermoBadge (version 1.04)"}, {1, 6, "ThermoBadge (version 1.06)"},
        {2, 0, "ThermoBadge (version 2.00)"}, {1, 12, "ThermoBadge (version 1.12)"}, {10, 123, "ThermoBadge (version 10.123)"}};
    for (const auto& v : versions)
        EXPECT_EQ(frmAbout::versionText(v.major, v.minor), QString::fromLatin1(v.text));

    QPointer<frmAbout> box = new frmAbout(1, 4);
    box->show();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("О программе..."));
    EXPECT_TRUE(box->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(box->size(), QSize(px(4050, box), px(2970, box)));
    EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("txtVer"))->text(), QStringLiteral("ThermoBadge (version 1.04)"));
    auto* cmdOk = box->findChild<QPushButton*>(QStringLiteral("cmdOk"));
    ASSERT_NE(cmdOk, nullptr);
    EXPECT_EQ(box->focusWidget(), cmdOk) << "the button holds the focus when the box opens";
    const QImage face = box->grab().toImage();
    EXPECT_EQ(face.pixelColor(face.width() - 1, face.height() / 2), QColor(0x68, 0xA5, 0xE8));
    const QColor button = face.pixelColor(cmdOk->geometry().center() + QPoint(cmdOk->width() / 3, 0));
    EXPECT_TRUE(button.green() > 0xE0 && button.green() > button.red() + 16 && button.red() == button.blue())
        << "light green face, shaded by the style: " << qPrintable(button.name());
    QTest::keyClick(cmdOk, Qt::Key_A);
    EXPECT_FALSE(closed(box)) << "other keys leave it open";
    QTest::keyClick(cmdOk, Qt::Key_Return);
    EXPECT_TRUE(closed(box)) << "Enter presses the button";
    box = new frmAbout(1, 4);
    box->show();
    QTest::keyClick(box->findChild<QPushButton*>(QStringLiteral("cmdOk")), Qt::Key_Space);
    EXPECT_TRUE(closed(box)) << "Space presses the button";

    // Esc, whichever control holds the focus (the addresses take it when clicked, to be copied).
    const int controls = int(frmAbout(1, 4).findChildren<QWidget*>().size());
    ASSERT_GE(controls, 12);
    for (int i = -1; i < controls; ++i) {
        box = new frmAbout(1, 4);
        box->show();
        QWidget* holder = i < 0 ? box.data() : box->findChildren<QWidget*>().at(i);
        holder->setFocus();
        QTest::keyClick(holder, Qt::Key_Escape);
        EXPECT_TRUE(closed(box)) << "focus on " << (i < 0 ? "the box" : qPrintable(holder->objectName()));
        if (box)
            delete box.data();
    }
}

namespace {

// Answers the next colour dialog that comes up: `act` sees it while it is open.
void answerColorDialog(std::function<void(QColorDialog&)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QColorDialog*>(w);
            if (dialog && dialog->isVisible()) {
                poll->stop();
                poll->deleteLater();
                act(*dialog);
                return;
            }
        }
    });
    poll->start(5);
}

QPushButton* addToCustomColours(QColorDialog& dialog)
{
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text().remove(QLatin1Char('&')).contains(QStringLiteral("Custom")))
            return b;
    return nullptr;
}

QByteArray contentsOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

} // namespace

TEST(ColorChooser, GdiColoursCancelAndCustomSlotsKeptForTheRunOnly)
{
    const QString qtSettings
        = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/QtProject.conf");
    const QByteArray qtSettingsBefore = contentsOf(qtSettings);
    QWidget owner;
    owner.show();

    // First opening: the slots start black; the user adds a colour to them and takes another.
    QList<QColor> firstSlots;
    bool ownerModal = false;
    answerColorDialog([&](QColorDialog& d) {
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            firstSlots << QColorDialog::customColor(i);
        ownerModal = d.parentWidget() == &owner && d.windowModality() == Qt::WindowModal;
        d.setCurrentColor(QColor(0x12, 0x34, 0x56));
        QPushButton* add = addToCustomColours(d);
        EXPECT_NE(add, nullptr);
        if (add)
            add->click();
        d.setCurrentColor(QColor(0xAB, 0xCD, 0xEF));
        d.accept();
    });
    EXPECT_EQ(SelectColor(0x00332211, &owner), 0x00EFCDAB);
    EXPECT_EQ(firstSlots, QList<QColor>(16, QColor(Qt::black)));
    EXPECT_TRUE(ownerModal);

    // Another part of the program uses Qt's colour dialog meanwhile; our slots stay ours.
    QColorDialog::setCustomColor(0, Qt::white);

    // Accepting returns the chosen colour as 0x00BBGGRR; cancelling returns exactly what came in.
    // The dialog starts on the colour passed in, and offers the custom colour of the first opening.
    const struct {
        qint32 initial;
        QColor start;
        std::optional<QColor> chosen;
        qint32 expected;
    } openings[] = {
        {0x000000FF, QColor(0xFF, 0, 0), QColor(0, 0, 0xFF), 0x00FF0000},
        {0x00FF0000, QColor(0, 0, 0xFF), QColor(0xFF, 0, 0), 0x000000FF},
        {0x00010203, QColor(3, 2, 1), QColor(0x10, 0x20, 0x30), 0x00302010},
        {0x00010203, QColor(3, 2, 1), std::nullopt, 0x00010203},
        {0x00FFFFFF, QColor(Qt::white), std::nullopt, 0x00FFFFFF},
        {qint32(0x80000005), QColor(5, 0, 0), std::nullopt, qint32(0x80000005)},
    };
    for (const auto& o : openings) {
        QColor start, slot0;
        answerColorDialog([&](QColorDialog& d) {
            start = d.currentColor();
            slot0 = QColorDialog::customColor(0);
            d.setCurrentColor(QColor(0x77, 0x88, 0x99));
            if (o.chosen) {
                d.setCurrentColor(*o.chosen);
                d.accept();
            } else {
                d.reject();
            }
        });
        EXPECT_EQ(SelectColor(o.initial, &owner), o.expected) << Qt::hex << o.initial;
        EXPECT_EQ(start, o.start) << Qt::hex << o.initial;
        EXPECT_EQ(slot0, QColor(0x12, 0x34, 0x56)) << "the custom colour is offered again";
    }
    EXPECT_EQ(contentsOf(qtSettings), qtSettingsBefore)
        << "the custom colours are not stored in Qt's settings file " << qPrintable(qtSettings);
}

namespace {

// Counts what a window goes through that a user could see: hiding, showing, moving, resizing.
class VisibleChanges final : public QObject {
public:
    explicit VisibleChanges(QWidget& w) { w.installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        const auto t = e->type();
        count += t == QEvent::Hide || t == QEvent::Show || t == QEvent::Move || t == QEvent::Resize;
        return false;
    }
};

} // namespace

TEST(OnTopTest, TogglesTheHintInPlaceKeepingPositionSizeAndVisibility)
{
    const struct {
        const char* name;
        bool shown, created, onTop, on;
    } cases[] = {
        {"shown, put on top", true, true, false, true},
        {"shown, taken off the top", true, true, true, false},
        {"shown, off when not on top", true, true, false, false},
        {"shown, on when on top", true, true, true, true},
        {"hidden after showing, put on top", false, true, false, true},
        {"never shown, put on top", false, false, false, true},
    };
    for (const auto& c : cases) {
        QWidget w(nullptr, Qt::Tool | Qt::FramelessWindowHint);
        w.setWindowFlag(Qt::WindowStaysOnTopHint, c.onTop);
        w.setGeometry(40, 50, 120, 60);
        if (c.created) {
            w.show();
            if (!c.shown)
                w.hide();
        }
        const QWindow* handle = w.windowHandle();
        const WId id = c.created ? w.winId() : 0;
        VisibleChanges changes(w);
        SetOnTop(c.on, &w);
        EXPECT_EQ(changes.count, 0) << c.name << ": the window was hidden, shown, moved or resized";
        EXPECT_EQ(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.on) << c.name;
        EXPECT_EQ(w.isVisible(), c.shown) << c.name;
        EXPECT_EQ(w.geometry(), QRect(40, 50, 120, 60)) << c.name;
        if (c.created) {
            EXPECT_EQ(w.windowHandle(), handle) << c.name << ": the native window is the same";
            EXPECT_EQ(w.winId(), id) << c.name;
        }
        w.show();
        EXPECT_EQ(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), c.on) << c.name << ": the native window has it";
    }
    SetOnTop(true, nullptr); // logged, nothing else
}
