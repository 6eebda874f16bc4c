// Choosing a town and keeping its server running, on fakes: which way the server runs (the user
// unit, a companion, a server that is there already) and what a choice writes, and when nothing.
#include "app/TownChoice.h"

#include "QtPrinters.h"
#include "TemperFixture.h"
#include "platform/MemorySettingsStore.h"
#include "platform/fakes/FakeCommandRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tb;

namespace {

void writeFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

CommandResult ended(int exitCode, const QByteArray& out = {}, const QByteArray& err = {})
{
    return {true, false, exitCode, out, err};
}

class TownChoiceTest : public test::TemperFixture {
protected:
    QTemporaryDir dir;
    QString server = dir.filePath(QStringLiteral("thermobadge-server"));
    FakeCommandRunner commands;
    FakeCompanionProcess companion;
    bool portTaken = false;
    LocalServer local {LocalServerEnv {commands, companion, [this] { return portTaken; }, server, dir.path()}};
    std::optional<ServerOutcome> outcome;

    void SetUp() override
    {
        writeFile(server, "#!/bin/sh\n");
        writeFile(dir.filePath(QStringLiteral("server.env")),
            "# settings\nTHERMOBADGE_SERVER_ARGS=--weather 55.75,37.62  --weather-url http://127.0.0.1:9\n");
    }
    void ensure(bool changed)
    {
        outcome.reset();
        local.ensure(changed, [this](const ServerOutcome& o) { outcome = o; });
        commands.finishAll();
        ASSERT_TRUE(outcome.has_value());
    }
    // What systemctl answers, by its verb; `show` gives the unit's program.
    void systemctl(const QString& unitProgram, int enableExit = 0, int startExit = 0, bool unitActive = false)
    {
        commands.answer = [=](const FakeCommandRunner::Call& c) {
            if (c.program != QStringLiteral("systemctl"))
                return ended(0);
            const QString verb = c.arguments.value(1);
            if (verb == QStringLiteral("is-active"))
                return ended(unitActive ? 0 : 3);
            if (verb == QStringLiteral("show"))
                return unitProgram.isNull() ? CommandResult {} // no systemctl at all
                                            : ended(0, "{ path=" + unitProgram.toUtf8() + " ; argv[]=" + unitProgram.toUtf8() + " $X ; }\n");
            return ended(verb == QStringLiteral("enable") ? enableExit : startExit, {}, "Failed to connect to bus");
        };
    }
    QStringList systemctlVerbs() const
    {
        QStringList verbs;
        for (const auto& c : commands.calls)
            if (c.program == QStringLiteral("systemctl"))
                verbs << c.arguments.value(1);
        return verbs;
    }
};

} // namespace

TEST_F(TownChoiceTest, TheServerRunsThroughTheUnitThatStartsThisServerElseBesideTheIndicator)
{
    const QStringList companionArgs {server, "--weather", "55.75,37.62", "--weather-url", "http://127.0.0.1:9"};
    // The unit names the server through a link, as the installed bin/ link does.
    const QString link = dir.filePath(QStringLiteral("bin-link"));
    ASSERT_TRUE(QFile::link(server, link));

    struct Case {
        const char* what;
        QString unitProgram; // null: no systemctl
        int enableExit, startExit;
        bool changed, portTaken, unitActive;
        ServerOutcome::Way way;
        QStringList verbs;
        size_t starts;
    };
    const Case cases[] = {
        {"no systemctl", QString(), 0, 0, true, false, false, ServerOutcome::Way::Companion, {"show"}, 1},
        {"no unit installed", "", 0, 0, true, false, false, ServerOutcome::Way::Companion, {"show"}, 1},
        {"the unit starts another server", "/usr/bin/thermobadge-server", 0, 0, true, false, false, ServerOutcome::Way::Companion,
            {"show"}, 1},
        {"the unit starts this server, town changed", link, 0, 0, true, false, false, ServerOutcome::Way::Unit,
            {"show", "is-active", "enable", "restart"}, 0},
        {"the unit starts this server, at start-up", link, 0, 0, false, false, false, ServerOutcome::Way::Unit,
            {"show", "is-active", "enable", "start"}, 0},
        {"the unit's own server holds the port, town changed", link, 0, 0, true, true, true, ServerOutcome::Way::Unit,
            {"show", "is-active", "enable", "restart"}, 0},
        {"the unit is stopped and another server holds the port", link, 0, 0, true, true, false, ServerOutcome::Way::Foreign,
            {"show", "is-active"}, 0},
        {"the unit cannot be enabled", link, 1, 0, true, false, false, ServerOutcome::Way::Companion,
            {"show", "is-active", "enable"}, 1},
        {"the unit does not start", link, 0, 1, true, false, false, ServerOutcome::Way::Companion,
            {"show", "is-active", "enable", "restart"}, 1},
        {"another server answers already", "", 0, 0, true, true, false, ServerOutcome::Way::Foreign, {"show"}, 0},
    };
    for (const Case& c : cases) {
        commands.calls.clear();
        companion.stop(nullptr);
        companion.starts.clear();
        portTaken = c.portTaken;
        systemctl(c.unitProgram, c.enableExit, c.startExit, c.unitActive);
        ensure(c.changed);
        EXPECT_EQ(outcome->way, c.way) << c.what << ": " << outcome->how.toStdString();
        EXPECT_EQ(systemctlVerbs(), c.verbs) << c.what;
        ASSERT_EQ(companion.starts.size(), c.starts) << c.what;
        if (c.starts) {
            EXPECT_EQ(companion.starts[0], companionArgs) << c.what;
        }
    }

    // A running companion is kept at start-up and started again when the town changes.
    systemctl(QString());
    companion.stop(nullptr);
    companion.starts.clear();
    companion.stops = 0;
    portTaken = false;
    ensure(false);
    ensure(false);
    EXPECT_EQ(companion.starts.size(), 1u);
    ensure(true);
    EXPECT_EQ(companion.starts.size(), 2u);
    EXPECT_EQ(companion.stops, 1);

    // Without settings there is nothing to start.
    companion.stop(nullptr);
    QFile::remove(dir.filePath(QStringLiteral("server.env")));
    ensure(true);
    EXPECT_EQ(outcome->way, ServerOutcome::Way::None);
}

TEST_F(TownChoiceTest, AChoiceWritesTheServersSettingsFirstAndOnlyThenTheRest)
{
    auto temper = make();
    MemorySettingsStore store;
    Options options(store, Regional::russian());
    std::vector<int> selected;
    int polls = 0;
    TownChoice choice(TownChoiceEnv {options, *temper, commands, local, server, dir.path(), QStringLiteral("http://127.0.0.1:7"),
        [&](int prov) { selected.push_back(prov); }, [&] { ++polls; }});
    TownPlace moscow {QStringLiteral("Москва"), QStringLiteral("Москва"), QStringLiteral("Россия"), 55.75222, 37.61556, 10381222};
    std::optional<TownChoice::Outcome> got;
    auto choose = [&] {
        got.reset();
        choice.choose(moscow, [&](const TownChoice::Outcome& o) { got = o; });
        commands.finishAll();
        ASSERT_TRUE(got.has_value());
    };

    // The server's settings cannot be written: nothing else is.
    commands.answer = [](const FakeCommandRunner::Call&) { return ended(1, {}, "cannot write server.env: No space left on device"); };
    choose();
    EXPECT_FALSE(got->ok);
    EXPECT_EQ(got->message, QStringLiteral("Не удалось записать настройки сервера температуры."));
    EXPECT_TRUE(store.values.isEmpty()) << store.values.keys().join(u',').toStdString();
    EXPECT_EQ(temper->Prov(), 0);
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(polls, 0);
    EXPECT_FALSE(choice.current());
    ASSERT_EQ(commands.calls.size(), 1u);
    EXPECT_EQ(commands.calls[0].arguments, (QStringList {"--setup", "55.75222,37.61556", "--config-dir", dir.path(), "--weather-url",
                                               "http://127.0.0.1:7"}));

    // Written: the town, "Локальный" with the file's hosts, its server, a poll soon.
    commands.answer = [this](const FakeCommandRunner::Call& c) {
        if (c.program == server)
            writeFile(dir.filePath(QStringLiteral("providers.txt")), "Интернет\n1\n203.0.113.5\nЛокальный\n1\n127.0.0.1\n");
        return c.program == server ? ended(0) : CommandResult {};
    };
    choose();
    EXPECT_TRUE(got->ok);
    EXPECT_EQ(got->message, QStringLiteral("Выбрано: Москва, Россия."));
    EXPECT_EQ(store.value(QStringLiteral("Prov")), QStringLiteral("1"));
    EXPECT_EQ(store.value(QStringLiteral("Town")), QStringLiteral("Москва, Россия"));
    EXPECT_EQ(store.value(QStringLiteral("TownAt")), QStringLiteral("55.75222,37.61556"));
    EXPECT_EQ(temper->Prov(), kLocalProvider);
    EXPECT_EQ(temper->ProvIP(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(selected, std::vector<int> {kLocalProvider});
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(companion.starts.size(), 1u);
    ASSERT_TRUE(choice.current());
    EXPECT_EQ(townCaption(*choice.current()), QStringLiteral("Москва, Россия"));

    // At the next start the server is made sure of once more, without a restart.
    companion.stop(nullptr);
    choice.resume();
    commands.finishAll();
    EXPECT_EQ(companion.starts.size(), 2u);
    EXPECT_EQ(polls, 2);
    // ... but not when another provider was chosen since.
    companion.stop(nullptr);
    temper->setProv(0);
    choice.resume();
    commands.finishAll();
    EXPECT_EQ(companion.starts.size(), 2u);
}

TEST(TownPlaces, TheSearchListReadsBackAndBadLinesAreSkipped)
{
    const QByteArray output = "Москва\tМосква\tРоссия\t55.75222\t37.61556\t10381222\n"
                              "\t\t\t-33.9\t151.2\t0\r\n"
                              "Short\tline\n"
                              "Far\t\t\t91\t0\t5\n"
                              "Nan\t\t\tnan\t0\t5\n"
                              "Exp\t\t\t1e1\t0\t5\n"
                              "Берлин\tLand Berlin\tDeutschland\t52.52437\t13.41053\tmany\n";
    const QList<TownPlace> places = parseTownPlaces(output);
    ASSERT_EQ(places.size(), 3);
    EXPECT_EQ(townCaption(places[0]), QStringLiteral("Москва, Россия"));
    EXPECT_EQ(places[0].population, 10381222);
    EXPECT_EQ(townCaption(places[1]), QStringLiteral("-33.9, 151.2"));
    EXPECT_EQ(townCaption(places[2]), QStringLiteral("Берлин, Land Berlin, Deutschland"));
    EXPECT_EQ(places[2].population, 0);
    EXPECT_EQ(setupCoordinates(places[2]), QStringLiteral("52.52437,13.41053"));
    EXPECT_EQ(coordinatesCaption(places[2]), QStringLiteral("52.5244, 13.4105"));
    QByteArray eleven;
    for (int i = 0; i < 11; ++i)
        eleven += "T\t\t\t1\t2\t3\n";
    EXPECT_EQ(parseTownPlaces(eleven).size(), kMostTownPlaces);
}
