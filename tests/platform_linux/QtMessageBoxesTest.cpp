#include "QtTestLoop.h"
#include "platform/linux/QtMessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

#include <optional>

using namespace tb;

namespace {

[[maybe_unused]] auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QApplication>);

struct SeenBox {
    QMessageBox::Icon icon;
    QString title;
    QString text;
    Qt::TextFormat format;
    bool modal;
};

// Shows a box and answers it from the event loop the box runs; what was on screen.
std::optional<SeenBox> showAndAnswer(MessageBoxes::Icon icon, const QString& title, const QString& text)
{
    std::optional<SeenBox> seen;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible())
                continue;
            seen = SeenBox{box->icon(), box->windowTitle(), box->text(), box->textFormat(), box->isModal()};
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start(10);
    // Should the box never be found, the test still ends.
    QTimer::singleShot(10000, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w))
                box->reject();
    });
    QtMessageBoxes().show(icon, title, text);
    return seen;
}

} // namespace

TEST(QtMessageBoxes, ShowsAModalBoxWithThePlainTextUntilClosed)
{
    const std::pair<MessageBoxes::Icon, QMessageBox::Icon> icons[] = {{MessageBoxes::Icon::Critical, QMessageBox::Critical},
                                                                       {MessageBoxes::Icon::Warning, QMessageBox::Warning},
                                                                       {MessageBoxes::Icon::Information, QMessageBox::Information}};
    for (const auto& [icon, expected] : icons) {
        const auto seen = showAndAnswer(icon, QStringLiteral("Ошибка загрузки формы..."),
                                        QStringLiteral("Номер: 10\r\n<b>не HTML</b>\rконец"));
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->icon, expected);
        EXPECT_EQ(seen->title, QStringLiteral("Ошибка загрузки формы..."));
        EXPECT_EQ(seen->text, QStringLiteral("Номер: 10\n<b>не HTML</b>\nконец"));
        EXPECT_EQ(seen->format, Qt::PlainText);
        EXPECT_TRUE(seen->modal);
    }
}

TEST(QtMessageBoxes, TheSameMessageIsNeverStackedTwice)
{
    const QString title = QStringLiteral("Ошибка...");
    const QString text = QStringLiteral("Файл: FotoMark\\missing.png\r\nНет доступа!");
    QtMessageBoxes boxes;
    auto openBoxes = [] {
        QList<QMessageBox*> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
                open << box;
        return open;
    };
    // 130 commands naming the same missing picture while the first box waits for its click.
    int returned = 0;
    qsizetype most = 0;
    QTimer repeat;
    QObject::connect(&repeat, &QTimer::timeout, [&] {
        if (returned < 130) {
            boxes.show(MessageBoxes::Icon::Critical, title, text);
            ++returned;
        }
        const auto open = openBoxes();
        most = std::max(most, open.size());
        if (returned == 130)
            for (QMessageBox* box : open)
                box->button(QMessageBox::Ok)->click();
    });
    repeat.start(1);
    QTimer::singleShot(20000, [&] {
        for (QMessageBox* box : openBoxes())
            box->reject();
    });
    boxes.show(MessageBoxes::Icon::Critical, title, text);
    repeat.stop();
    EXPECT_EQ(returned, 130);
    EXPECT_EQ(most, 1);
    // Once closed, the message shows again.
    const auto again = showAndAnswer(MessageBoxes::Icon::Critical, title, text);
    EXPECT_TRUE(again.has_value());
}
