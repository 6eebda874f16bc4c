#include "CommandSource.h"
#include "FileSource.h"
#include "SimulatedSource.h"
#include "ToolsTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <sys/stat.h>

using namespace tbserver;
using tools_test::waitUntil;

namespace {

QDateTime at(int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2023, month, day), QTime(hour, minute));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(SimulatedSource, SameSeedSameWeather)
{
    const QDateTime t = at(3, 14, 9, 26);
    EXPECT_EQ(simulatedCelsius(t, 7), simulatedCelsius(t, 7));
    int differ = 0;
    for (int m = 0; m < 60; ++m)
        differ += simulatedCelsius(t.addSecs(60 * m), 7) != simulatedCelsius(t.addSecs(60 * m), 8);
    EXPECT_GT(differ, 50);
}

TEST(SimulatedSource, DailyCurveIsSmoothAndFollowsTheSunAndTheSeason)
{
    for (int month = 1; month <= 12; ++month) {
        const QDateTime day = at(month, 15, 0);
        EXPECT_LT(simulatedCelsius(day.addSecs(5 * 3600), 1) + 2, simulatedCelsius(day.addSecs(15 * 3600), 1))
            << "month " << month;
        double previous = simulatedCelsius(day, 1);
        for (int minute = 1; minute < 24 * 60; ++minute) {
            const double t = simulatedCelsius(day.addSecs(60 * minute), 1);
            ASSERT_LT(std::abs(t - previous), 0.6) << "month " << month << " minute " << minute;
            previous = t;
        }
    }
    EXPECT_LT(simulatedCelsius(at(1, 20, 15), 1) + 15, simulatedCelsius(at(7, 20, 15), 1));
}

TEST(SimulatedSource, ReadingIsTakenOnTheMinute)
{
    SimulatedSource source(3, [] { return QDateTime(QDate(2023, 5, 1), QTime(10, 41, 37, 120)); });
    const auto reading = source.state().reading;
    ASSERT_TRUE(reading);
    EXPECT_EQ(reading->takenAt, QDateTime(QDate(2023, 5, 1), QTime(10, 41)));
    EXPECT_DOUBLE_EQ(reading->celsius, simulatedCelsius(reading->takenAt, 3));
}

TEST(FileSource, ReadsTheLastNumberAtTheFilesModificationTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sensor.log");
    writeFile(path, "12:00 -7.5\n12:01 -7.25\n");
    const FileRead first = readTemperatureFile(path, {});
    ASSERT_EQ(first.outcome, FileRead::Outcome::Reading) << first.problem.toStdString();
    EXPECT_DOUBLE_EQ(first.reading.celsius, -7.25);
    EXPECT_EQ(first.reading.takenAt, QFileInfo(path).lastModified());
    EXPECT_EQ(readTemperatureFile(path, first.signature).outcome, FileRead::Outcome::Unchanged);

    // Only the tail of a long log is read, and that is where the reading is.
    writeFile(path, QByteArray(200 * 1024, '1') + "\nnow 4.5\n");
    const FileRead longLog = readTemperatureFile(path, first.signature);
    ASSERT_EQ(longLog.outcome, FileRead::Outcome::Reading);
    EXPECT_DOUBLE_EQ(longLog.reading.celsius, 4.5);
}

TEST(FileSource, FilesWithoutAReadingAreProblemsNotHangs)
{
    QTemporaryDir dir;
    EXPECT_EQ(readTemperatureFile(dir.filePath("missing"), {}).outcome, FileRead::Outcome::Problem);
    EXPECT_EQ(readTemperatureFile(dir.path(), {}).outcome, FileRead::Outcome::Problem);
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(readTemperatureFile(fifo, {}).outcome, FileRead::Outcome::Problem); // no writer: must not wait
    writeFile(dir.filePath("empty"), "sensor lost\n");
    const FileRead noNumber = readTemperatureFile(dir.filePath("empty"), {});
    EXPECT_EQ(noNumber.outcome, FileRead::Outcome::Problem);
    EXPECT_TRUE(noNumber.problem.contains(QLatin1String("empty")));
}

TEST(FileSource, PicksUpChangesAndKeepsTheLastGoodReading)
{
    tools_test::qtApp();
    QTemporaryDir dir;
    const QString path = dir.filePath("sensor.log");
    QStringList notes;
    FileSource source(path, std::chrono::seconds(60), [&](const QString& n) { notes << n; });
    source.start();
    ASSERT_TRUE(waitUntil([&] { return !notes.isEmpty(); }, 3000));
    EXPECT_FALSE(source.state().reading);
    EXPECT_FALSE(source.state().problem.isEmpty());

    // The period is a minute: only the watcher can bring these changes in time.
    writeFile(path, "3.5\n");
    ASSERT_TRUE(waitUntil([&] { return source.state().reading.has_value(); }, 3000));
    EXPECT_DOUBLE_EQ(source.state().reading->celsius, 3.5);

    writeFile(path, "sensor lost\n");
    ASSERT_TRUE(waitUntil([&] { return !source.state().problem.isEmpty(); }, 3000));
    ASSERT_TRUE(source.state().reading);
    EXPECT_DOUBLE_EQ(source.state().reading->celsius, 3.5);
}

TEST(CommandSource, ServesWhatTheCommandPrintsAndReportsFailures)
{
    tools_test::qtApp();
    const QDateTime now(QDate(2023, 5, 1), QTime(10, 0));
    struct Case {
        QStringList command;
        std::optional<double> celsius;
        const char* problem;
    };
    const Case cases[] = {
        {{"echo", "reading:", "21.5"}, 21.5, ""},
        {{"false"}, std::nullopt, "exited with code 1"},
        {{"echo", "no sensor"}, std::nullopt, "no plausible temperature"},
        {{"/nonexistent/read-sensor"}, std::nullopt, "cannot start"},
        {{"sleep", "5"}, std::nullopt, "was killed"},
    };
    for (const Case& c : cases) {
        CommandSource source(c.command, std::chrono::seconds(60), std::chrono::milliseconds(300), [now] { return now; },
                             {});
        int runs = 0;
        QObject::connect(&source, &CommandSource::ran, [&runs] { ++runs; });
        source.start();
        ASSERT_TRUE(waitUntil([&] { return runs > 0; }, 3000)) << c.command.join(u' ').toStdString();
        const SourceState s = source.state();
        EXPECT_EQ(s.reading.has_value(), c.celsius.has_value()) << c.command.join(u' ').toStdString();
        if (c.celsius && s.reading) {
            EXPECT_DOUBLE_EQ(s.reading->celsius, *c.celsius);
            EXPECT_EQ(s.reading->takenAt, now);
        }
        EXPECT_TRUE(s.problem.contains(QLatin1String(c.problem))) << s.problem.toStdString();
    }
}
