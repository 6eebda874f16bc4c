#include "QtMessageBoxes.h"
#include "QtTestLoop.h"

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
