// thermobadge-server --setup: the user unit's environment file and the providers file.
#include "FileBytes.h"
#include "FullDisk.h"
#include "ServerSetup.h"
#include "ToolsTestSupport.h"
#include "temperature/ProviderTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tbserver;
using test::bytesOf;

namespace {

QString readText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

void writeText(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

// The groups a providers text gives the indicator, as "name: host,host | name: host".
QString groupsOf(const QString& text)
{
    const auto values = tb::parseProvidersText(text);
    const auto table = values ? tb::FillProvTable(*values) : std::nullopt;
    if (!table)
        return QStringLiteral("<not two groups>");
    return QStringLiteral("%1: %2 | %3: %4")
        .arg(table->at(0).Name, table->at(0).Hosts.join(u','), table->at(1).Name, table->at(1).Hosts.join(u','));
}

// thermobadge-server --setup run with the config folder's parent as XDG_CONFIG_HOME; its exit code.
int runSetup(const QString& configHome)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("THERMOBADGE_LOOPBACK_ONLY", "1");
    env.insert("XDG_CONFIG_HOME", configHome);
    p.setProcessEnvironment(env);
    p.start(THERMOBADGE_SERVER_BINARY, {"--setup", "55.7558,37.6173"});
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    return p.exitCode();
}

} // namespace

TEST(ServerSetup, LocalGroupPointsAtThisMachineAndTheFirstGroupIsKept)
{
    struct Case {
        const char* existing;
        const char* groups;
    };
    const Case cases[] = {
        {"", "Интернет: 127.0.0.1 | Локальный: 127.0.0.1"},
        {"not a providers file\n", "Интернет: 127.0.0.1 | Локальный: 127.0.0.1"},
        {"Интернет\n4\n203.0.113.25\n", "Интернет: 127.0.0.1 | Локальный: 127.0.0.1"}, // first group incomplete
        {"# mine\nMy server\n2\nweather.lan\n\n10.0.0.7\n# the rest\nЛокальный\n4\n192.168.0.5\n192.168.0.1\n"
         "127.0.0.1\n192.168.1.1\n",
            "My server: weather.lan,10.0.0.7 | Локальный: 127.0.0.1"},
        {"Office\r\n1\r\n10.1.1.1\r\nLAN\r\n1\r\n10.1.1.2\r\nstray\r\n", "Office: 10.1.1.1 | Локальный: 127.0.0.1"},
    };
    for (const Case& c : cases) {
        const QString text = localProvidersText(QString::fromUtf8(c.existing));
        EXPECT_EQ(groupsOf(text), QString::fromUtf8(c.groups)) << c.existing;
        EXPECT_EQ(localProvidersText(text), text) << "a second run changes nothing: " << c.existing;
    }
    // Comments stay where they were.
    EXPECT_TRUE(localProvidersText("# mine\nA\n1\nh\n# old local hosts\nB\n1\nx\n")
                    .startsWith("# mine\nA\n1\nh\n# old local hosts\nЛокальный\n1\n127.0.0.1\n"));
}

TEST(ServerSetup, ProgramWritesBothFilesAndMergesWithWhatIsThere)
{
    tools_test::qtApp();
    QTemporaryDir home;
    const QString dir = home.filePath("ThermoBadge");

    // A fresh user: the files land in $XDG_CONFIG_HOME/ThermoBadge.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("THERMOBADGE_LOOPBACK_ONLY", "1");
    env.insert("XDG_CONFIG_HOME", home.path());
    p.setProcessEnvironment(env);
    p.start(THERMOBADGE_SERVER_BINARY, {"--setup", " 55.7558, 37.6173"});
    ASSERT_TRUE(p.waitForFinished(5000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(dir + "/server.env: THERMOBADGE_SERVER_ARGS=--weather 55.7558,37.6173"))
        << printed.toStdString();
    EXPECT_TRUE(printed.contains(dir + "/providers.txt")) << printed.toStdString();
    EXPECT_EQ(readText(dir + "/server.env").split(u'\n').filter("THERMOBADGE"),
        QStringList {"THERMOBADGE_SERVER_ARGS=--weather 55.7558,37.6173"});
    EXPECT_EQ(groupsOf(readText(dir + "/providers.txt")), "Интернет: 127.0.0.1 | Локальный: 127.0.0.1");
    EXPECT_FALSE(QFile::exists(dir + "/providers.txt.bak"));

    // Existing files keep everything but what the setup is about; the old providers file is kept aside.
    const QByteArray oldProviders = "Office\n1\n10.1.1.1\nLAN\n2\n10.1.1.2\n10.1.1.3\n";
    writeText(dir + "/server.env", "LANG=ru_RU.UTF-8\nTHERMOBADGE_SERVER_ARGS=--simulate\nTHERMOBADGE_SERVER_ARGS=--fixed 1\n");
    writeText(dir + "/providers.txt", oldProviders);
    const SetupResult merged = writeSetup(dir, {"--weather", "-33.8688,151.2093", "--refresh", "300"});
    ASSERT_TRUE(merged.ok) << merged.lines.join(u'\n').toStdString();
    EXPECT_EQ(
        readText(dir + "/server.env"), "LANG=ru_RU.UTF-8\nTHERMOBADGE_SERVER_ARGS=--weather -33.8688,151.2093 --refresh 300\n");
    EXPECT_EQ(groupsOf(readText(dir + "/providers.txt")), "Office: 10.1.1.1 | Локальный: 127.0.0.1");
    EXPECT_EQ(readText(dir + "/providers.txt.bak"), QString::fromUtf8(oldProviders));

    // What cannot be written as asked is refused, and nothing is touched.
    const QString before = readText(dir + "/server.env");
    EXPECT_FALSE(writeSetup(dir, {"--weather-url", "http://127.0.0.1/$HOME x"}).ok);
    writeText(dir + "/providers.txt", QByteArray(70 * 1024, '#'));
    const SetupResult tooLarge = writeSetup(dir, {"--weather", "1,2"});
    EXPECT_FALSE(tooLarge.ok);
    EXPECT_TRUE(tooLarge.lines.join(u' ').contains("larger than")) << tooLarge.lines.join(u' ').toStdString();
    EXPECT_EQ(readText(dir + "/server.env"), before);
    EXPECT_EQ(QFile(dir + "/providers.txt").size(), 70 * 1024);
}

TEST(ServerSetup, SpecialFilesInPlaceOfTheSettingsFailTheSetupAtOnceAndStayAsTheyAre)
{
    tools_test::qtApp();
    using Make = void (*)(const QString& file);
    const Make fifo = [](const QString& f) { test::makeFifo(f); };
    const Make toZero = [](const QString& f) { QFile::link(QStringLiteral("/dev/zero"), f); };
    for (const char* name : {"server.env", "providers.txt"}) {
        for (const Make make : {fifo, toZero}) {
            QTemporaryDir home;
            const QString dir = home.filePath("ThermoBadge");
            ASSERT_TRUE(QDir().mkpath(dir));
            make(dir + '/' + name);
            EXPECT_EQ(runSetup(home.path()), 1) << name;
            QFileInfo left(dir + '/' + name);
            EXPECT_FALSE(left.isFile() && !left.isSymLink()) << name << ": left as it was";
        }
    }
}

TEST(ServerSetup, AFullDiskFailsTheSetupAndKeepsTheOldFiles)
{
    tools_test::qtApp();
    QTemporaryDir home;
    const QString dir = home.filePath("ThermoBadge");
    ASSERT_TRUE(QDir().mkpath(dir));
    const QByteArray env = "THERMOBADGE_SERVER_ARGS=--simulate\n";
    const QByteArray providers = "Office\n1\n10.1.1.1\nLAN\n1\n10.1.1.2\n";
    writeText(dir + "/server.env", env);
    writeText(dir + "/providers.txt", providers);
    {
        // The program inherits the limit: every write beyond the first byte fails, as on a full disk.
        const test::FileSizeLimit full(0);
        EXPECT_EQ(runSetup(home.path()), 1);
        EXPECT_FALSE(writeSetup(dir, {"--weather", "1,2"}).ok);
    }
    EXPECT_EQ(bytesOf(dir + "/server.env"), env);
    EXPECT_EQ(bytesOf(dir + "/providers.txt"), providers);
}

TEST(ServerSetup, TheBackupIsAByteForByteCopyMadeWithoutFollowingALink)
{
    QTemporaryDir home;
    const QString dir = home.filePath("ThermoBadge");
    ASSERT_TRUE(QDir().mkpath(dir));
    // windows-1251 ("Дача") and UTF-16 with its byte order mark: not UTF-8.
    const QByteArray legacy[] = {QByteArray("\xc4\xe0\xf7\xe0\n1\n10.1.1.1\nLAN\n1\n10.1.1.2\n"),
                                 QByteArray("\xff\xfe" "A\0\n\0" "1\0\n\0", 10)};
    for (const QByteArray& old : legacy) {
        writeText(dir + "/providers.txt", old);
        const QString target = home.filePath("target");
        writeText(target, "someone else's file");
        QFile::remove(dir + "/providers.txt.bak");
        ASSERT_TRUE(QFile::link(target, dir + "/providers.txt.bak"));
        const SetupResult setup = writeSetup(dir, {"--weather", "1,2"});
        ASSERT_TRUE(setup.ok) << setup.lines.join(u'\n').toStdString();
        EXPECT_EQ(bytesOf(dir + "/providers.txt.bak"), old);
        EXPECT_FALSE(QFileInfo(dir + "/providers.txt.bak").isSymLink());
        EXPECT_EQ(bytesOf(target), QByteArray("someone else's file"));
        EXPECT_FALSE(readText(dir + "/providers.txt").contains(QChar::ReplacementCharacter));
        EXPECT_EQ(groupsOf(readText(dir + "/providers.txt")), "Интернет: 127.0.0.1 | Локальный: 127.0.0.1");
    }
}
