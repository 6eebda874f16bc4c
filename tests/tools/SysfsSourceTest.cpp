// The sysfs sensor source: the millidegree format, bad files, and the last good reading kept
// through failed reads.
#include "SysfsSource.h"
#include "ServerOptions.h"
#include "ToolsTestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tbserver;
using tools_test::waitUntil;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(SysfsSource, MillidegreesAreReadAndEverythingElseIsRefused)
{
    EXPECT_EQ(sysfsCelsius("23125\n").celsius, 23.125);
    EXPECT_EQ(sysfsCelsius("-5250\n").celsius, -5.25);
    EXPECT_EQ(sysfsCelsius(" 0 ").celsius, 0.0);
    EXPECT_EQ(sysfsCelsius("-273150").celsius, -273.15);
    for (const char* bad : {"", "\n", "abc\n", "1e9\n", "23.5\n", "+5\n", "12 13\n", "0x10\n", "--5\n"}) {
        const SysfsRead r = sysfsCelsius(bad);
        EXPECT_FALSE(r.celsius) << bad;
        EXPECT_FALSE(r.problem.isEmpty()) << bad;
    }
    // Out of range: a million degrees, and a number too long for any integer.
    EXPECT_TRUE(sysfsCelsius("1000000000\n").problem.contains(QLatin1String("not a plausible")));
    EXPECT_TRUE(sysfsCelsius("-273151\n").problem.contains(QLatin1String("not a plausible")));
    EXPECT_TRUE(sysfsCelsius("99999999999999999999999\n").problem.contains(QLatin1String("not a plausible")));

    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_TRUE(readSysfsTemperature(fifo).problem.contains(QLatin1String("not a regular file"))); // must not wait
    EXPECT_TRUE(readSysfsTemperature(dir.filePath("gone")).problem.contains(QLatin1String("does not exist")));
    writeFile(dir.filePath("long"), QByteArray(kSysfsValueLimit, ' ') + "21000\n");
    EXPECT_FALSE(readSysfsTemperature(dir.filePath("long")).celsius);
}

TEST(SysfsSource, KeepsTheLastGoodReadingThroughEmptyTextVanishedAndHugeValues)
{
    tools_test::qtApp();
    QTemporaryDir dir;
    const QString path = dir.filePath("temp1_input");
    writeFile(path, "21500\n");
    QDateTime now(QDate(2024, 1, 5), QTime(7, 0));
    QStringList notes;
    SysfsSource source(
        path, std::chrono::milliseconds(10), [&now] { return now; }, [&](const QString& n) { notes << n; });
    EXPECT_FALSE(source.state().reading);
    source.start();
    ASSERT_TRUE(waitUntil([&] { return source.state().reading.has_value(); }, 3000));
    EXPECT_EQ(source.state().reading->celsius, 21.5);
    EXPECT_EQ(source.state().reading->takenAt, now);
    EXPECT_TRUE(source.state().problem.isEmpty());
    const QDateTime goodAt = now;
    now = now.addSecs(60);

    struct Step {
        QByteArray content; // empty with remove: the file vanishes
        bool remove;
        const char* problem;
    };
    const Step steps[] = {
        {"", false, "is empty"},
        {"sensor lost\n", false, "not a whole number"},
        {"", true, "does not exist"},
        {"1000000000\n", false, "not a plausible"},
    };
    for (const Step& step : steps) {
        if (step.remove)
            ASSERT_TRUE(QFile::remove(path));
        else
            writeFile(path, step.content);
        ASSERT_TRUE(waitUntil([&] { return source.state().problem.contains(QLatin1String(step.problem)); }, 3000))
            << step.problem;
        ASSERT_TRUE(source.state().reading) << step.problem;
        EXPECT_EQ(source.state().reading->celsius, 21.5) << step.problem;
        EXPECT_EQ(source.state().reading->takenAt, goodAt) << step.problem;
        EXPECT_TRUE(notes.last().contains(QLatin1String(step.problem))) << notes.last().toStdString();
        EXPECT_TRUE(notes.last().contains(QLatin1String("last good reading is kept"))) << notes.last().toStdString();
    }

    writeFile(path, "-3125\n");
    ASSERT_TRUE(waitUntil([&] { return source.state().reading->celsius == -3.125; }, 3000));
    EXPECT_EQ(source.state().reading->takenAt, now);
    EXPECT_TRUE(source.state().problem.isEmpty());
    EXPECT_TRUE(notes.last().startsWith(QLatin1String("read -3.125"))) << notes.last().toStdString();
}

TEST(SysfsSource, CommandLine)
{
    const auto parse = [](QStringList args) {
        args.prepend(QStringLiteral("thermobadge-server"));
        return parseServerOptions(args, true);
    };
    const OptionsOutcome ok = parse({"--sysfs", "/sys/class/hwmon/hwmon0/temp1_input", "--refresh", "30"});
    ASSERT_TRUE(ok.options) << ok.message.toStdString();
    EXPECT_EQ(ok.options->source, SourceKind::Sysfs);
    EXPECT_EQ(ok.options->sysfs, QStringLiteral("/sys/class/hwmon/hwmon0/temp1_input"));
    EXPECT_EQ(ok.options->refresh, std::chrono::seconds(30));
    EXPECT_TRUE(parse({"--sysfs", ""}).isError);
    EXPECT_TRUE(parse({"--sysfs", "/a", "--file", "/b"}).message.contains(QLatin1String("choose one")));
    EXPECT_TRUE(parse({"--sysfs", "/a", "--sysfs", "/b"}).message.contains(QLatin1String("more than once")));
    EXPECT_TRUE(parse({"--help"}).message.contains(QLatin1String("--sysfs PATH")));
}
