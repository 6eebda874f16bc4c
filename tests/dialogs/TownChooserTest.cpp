// The town chooser on fakes: what a search lists or says for each outcome of the server's town
// search, that searching writes nothing, the location button, and a choice handed on.
#include "QtPrinters.h"
#include "TemperFixture.h"
#include "dialogs/frmTown.h"
#include "platform/MemorySettingsStore.h"
#include "platform/fakes/FakeCommandRunner.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>

using namespace tb;
using namespace tb::test;

namespace {

struct FakeLocation final : LocationService {
    void probe(std::function<void(bool)> done) override { done(available); }
    void locate(std::function<void(std::optional<Location>, const QString&)> done) override { done(where, QStringLiteral("refused")); }
    bool available = false;
    std::optional<Location> where;
};

CommandResult ended(int exitCode, const QByteArray& out = {}) { return {true, false, exitCode, out, "thermobadge-server: why"}; }

class TownChooserTest : public TemperFixture {
protected:
    FakeCommandRunner commands;
    FakeCompanionProcess companion;
    LocalServer local {LocalServerEnv {commands, companion, [] { return true; }, QStringLiteral("/opt/tb/thermobadge-server"),
        QStringLiteral("/nonexistent")}};
    MemorySettingsStore store;
    Options options {store, Regional::russian()};
    std::unique_ptr<ctlTemper> temper = make();
    TownChoice choice {TownChoiceEnv {options, *temper, commands, local, QStringLiteral("/opt/tb/thermobadge-server"),
        QStringLiteral("/nonexistent"), {}, {}, {}}};
    FakeLocation location;
    QPointer<frmTown> window;

    void open()
    {
        window = new frmTown(TownChooserEnv {commands, choice, &location, QStringLiteral("/opt/tb/thermobadge-server"),
            QStringLiteral("http://127.0.0.1:9")});
        window->Show();
    }
    void TearDown() override { delete window.data(); }
    // Types the text, searches, and ends the search with `result`.
    void search(const QString& text, const CommandResult& result)
    {
        window->txtTown->setText(text);
        window->search();
        commands.answer = [result](const FakeCommandRunner::Call&) { return result; };
        commands.finishAll();
    }
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < window->lstPlaces->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < 4; ++c)
                cells << window->lstPlaces->topLevelItem(i)->text(c);
            out << cells.join(u'|');
        }
        return out;
    }
};

const QByteArray kTwoPlaces = "Москва\tМосква\tРоссия\t55.75222\t37.61556\t10381222\n"
                              "Московский\tМосква\tРоссия\t55.6\t37.35\t16000\n";

} // namespace

TEST_F(TownChooserTest, ASearchListsThePlacesOrSaysPlainlyWhyNotAndWritesNothing)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Город"));
    EXPECT_TRUE(window->lblCurrent->text().startsWith(QStringLiteral("Город не выбран")));

    search(QStringLiteral("  моск "), ended(0, kTwoPlaces));
    ASSERT_EQ(commands.calls.size(), 1u);
    EXPECT_EQ(commands.calls[0].arguments,
        (QStringList {"--find-town", "моск", "--language", "ru", "--geocoding-url", "http://127.0.0.1:9"}));
    EXPECT_EQ(rows(), (QStringList {"Москва|Москва|Россия|55.7522, 37.6156", "Московский|Москва|Россия|55.6, 37.35"}));
    EXPECT_EQ(window->lstPlaces->currentItem(), window->lstPlaces->topLevelItem(0));
    EXPECT_TRUE(window->cmdChoose->isEnabled());
    EXPECT_EQ(window->lblStatus->text(), QStringLiteral("Найдено мест: 2. Выберите своё и нажмите «Выбрать»."));

    struct Case {
        QString text;
        CommandResult result;
        QString said;
    };
    const Case cases[] = {
        {"Berlin", {}, "Поиск не работает: не удалось запустить программу thermobadge-server."},
        {"Berlin", {true, true, -1, {}, {}}, "Служба поиска городов не ответила. Проверьте подключение к сети и повторите."},
        {"95, 37.62", ended(7), "Таких координат нет: широта от -90 до 90, долгота от -180 до 180, например 55.75, 37.62."},
        {"Nowhere", ended(3), "Ничего не найдено. Проверьте название или введите координаты, например 55.75, 37.62."},
        {"Berlin", ended(4), "Нет связи со службой поиска городов. Проверьте подключение к сети и повторите."},
        {"Berlin", ended(5), "Служба поиска городов ответила ошибкой. Повторите позже."},
        {"Berlin", ended(8), "Поиск отключён: программа запущена без выхода в сеть (THERMOBADGE_LOOPBACK_ONLY=1)."},
        {"Berlin", ended(0, "<html>"), "Служба поиска городов ответила непонятно. Повторите позже."},
        {"", ended(0, kTwoPlaces), "Введите название города или координаты, например 55.75, 37.62."},
        {QString(300, u'ж'), ended(0, kTwoPlaces), "Слишком длинное название: не больше 200 знаков."},
    };
    for (const Case& c : cases) {
        const size_t calls = commands.calls.size();
        search(c.text, c.result);
        EXPECT_EQ(window->lblStatus->text(), c.said) << c.text.left(20).toStdString();
        EXPECT_TRUE(rows().isEmpty()) << c.text.left(20).toStdString();
        EXPECT_FALSE(window->cmdChoose->isEnabled()) << c.text.left(20).toStdString();
        // An empty or overlong text is answered without the server.
        EXPECT_EQ(commands.calls.size(), calls + (c.text.isEmpty() || c.text.size() > 200 ? 0 : 1)) << c.text.left(20).toStdString();
    }

    // What is typed while a search runs is searched once it ends; the older answer is not shown.
    window->txtTown->setText(QStringLiteral("Ber"));
    window->search();
    window->txtTown->setText(QStringLiteral("Berl"));
    window->search();
    window->txtTown->setText(QStringLiteral("Berlin"));
    window->search();
    commands.answer = [](const FakeCommandRunner::Call& c) {
        return ended(0, c.arguments.value(1) == QStringLiteral("Berlin") ? "Берлин\tБерлин\tГермания\t52.52\t13.41\t3426354\n" : kTwoPlaces);
    };
    const size_t before = commands.calls.size();
    commands.finishAll();
    EXPECT_EQ(commands.calls.size(), before + 1) << "one search for the two texts typed meanwhile";
    EXPECT_EQ(commands.calls.back().arguments.value(1), QStringLiteral("Berlin"));
    EXPECT_EQ(rows(), QStringList {"Берлин|Берлин|Германия|52.52, 13.41"});

    EXPECT_TRUE(store.values.isEmpty()) << "a search wrote " << store.values.keys().join(u',').toStdString();
}

TEST_F(TownChooserTest, TheLocationButtonAndAChoiceHandedOn)
{
    // No location service: the button says so and stays off.
    open();
    EXPECT_FALSE(window->cmdHere->isEnabled());
    EXPECT_EQ(window->cmdHere->text(), QStringLiteral("Моё место: нет службы"));
    delete window.data();

    // A service that gives a place: its coordinates are searched (no name needed).
    location.available = true;
    location.where = Location {55.7558, 37.6173};
    open();
    ASSERT_TRUE(window->cmdHere->isEnabled());
    EXPECT_EQ(window->cmdHere->text(), QStringLiteral("Моё место"));
    window->cmdHere->click();
    EXPECT_EQ(window->txtTown->text(), QStringLiteral("55.7558, 37.6173"));
    ASSERT_FALSE(commands.calls.empty());
    EXPECT_EQ(commands.calls.back().arguments.value(1), QStringLiteral("55.7558, 37.6173"));
    commands.answer = [](const FakeCommandRunner::Call&) { return ended(0, "\t\t\t55.7558\t37.6173\t0\n"); };
    commands.finishAll();
    EXPECT_EQ(rows(), QStringList {"55.7558, 37.6173|||55.7558, 37.6173"});

    // Choosing writes the server's settings through the server, then the town; the window closes.
    window->chooseSelected();
    EXPECT_FALSE(window->cmdChoose->isEnabled()) << "one choice at a time";
    EXPECT_EQ(commands.calls.back().arguments.mid(0, 2), (QStringList {"--setup", "55.7558,37.6173"}));
    commands.answer = [](const FakeCommandRunner::Call& c) { return c.program == QStringLiteral("systemctl") ? CommandResult {} : ended(0); };
    commands.finishAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "the chooser stays open after a good choice: " << (window ? window->lblStatus->text().toStdString() : "");
    EXPECT_EQ(store.value(QStringLiteral("TownAt")), QStringLiteral("55.7558,37.6173"));
    EXPECT_EQ(store.value(QStringLiteral("Prov")), QStringLiteral("1"));

    // Opened again, it shows the town chosen last.
    open();
    EXPECT_EQ(window->lblCurrent->text(), QStringLiteral("Сейчас: 55.7558, 37.6173"));
    EXPECT_EQ(window->txtTown->text(), QStringLiteral("55.7558, 37.6173"));
}

// The interface language decides the language place names are asked in and how numbers read.
TEST_F(TownChooserTest, SearchesAndCountsInTheInterfaceLanguage)
{
    for (const auto& [language, population] : {std::pair {"ru", QStringLiteral("10\u00a0381\u00a0222")}, std::pair {"en", QStringLiteral("10,381,222")}}) {
        window = new frmTown(TownChooserEnv {commands, choice, nullptr, QStringLiteral("/opt/tb/thermobadge-server"), {}, QString::fromLatin1(language)});
        commands.calls.clear();
        search(QStringLiteral("моск"), ended(0, kTwoPlaces));
        ASSERT_EQ(commands.calls.size(), 1u) << language;
        EXPECT_EQ(commands.calls[0].arguments, (QStringList {"--find-town", "моск", "--language", language})) << language;
        EXPECT_EQ(window->lstPlaces->topLevelItem(0)->toolTip(0), QStringLiteral("Население: ") + population) << language;
        delete window.data();
    }
}
