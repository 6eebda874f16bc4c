#include "LogCapture.h"
#include "QtPrinters.h"
#include "dialogs/Autorun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tb;
using tb::test::LogCapture;

namespace {

QByteArray readBytes(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QString readAll(const QString& file)
{
    return QString::fromUtf8(readBytes(file));
}

// The value of a key of the written entry, as the file has it (string escapes not undone).
QString rawValue(const QString& entry, const QString& key)
{
    for (const QString& line : entry.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char('=')))
            return line.mid(key.size() + 1);
    return QStringLiteral("<missing>");
}

void writeFile(const QString& file, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

// Programs and arguments with every character the Exec line treats specially survive the entry
// both ways: the Exec line starts exactly that program with exactly those arguments (as a
// launcher splits it), the kept command reads back as written, and the entry is valid.
TEST(Autorun, CommandsWithBlanksQuotesPercentAndCyrillicSurviveTheEntry)
{
    struct Case {
        RunCommand command;
        const char* execInFile; // nullptr: not pinned here
        const char* commandText;
    } cases[] = {
        {{QStringLiteral("/opt/tb/ThermoBadge"), {}}, "/opt/tb/ThermoBadge", "/opt/tb/ThermoBadge"},
        {{QStringLiteral("/home/Пётр/Мои программы/ThermoBadge"), {}}, "\"/home/Пётр/Мои программы/ThermoBadge\"",
            "/home/Пётр/Мои программы/ThermoBadge"},
        {{QStringLiteral("/opt/100% \"tb\"/Thermo$Badge"), {}}, "\"/opt/100%% \\\\\"tb\\\\\"/Thermo\\\\$Badge\"",
            "/opt/100% \"tb\"/Thermo$Badge"},
        {{QStringLiteral("/opt/tb/ThermoBadge"), {QStringLiteral("--scale"), QStringLiteral("2")}},
            "/opt/tb/ThermoBadge --scale 2", "/opt/tb/ThermoBadge --scale 2"},
        {{QStringLiteral("/opt/t b/ThermoBadge"),
             {QStringLiteral("a b"), QString(), QStringLiteral("50%"), QStringLiteral("c:\\x")}},
            "\"/opt/t b/ThermoBadge\" \"a b\" \"\" 50%% \"c:\\\\\\\\x\"", "/opt/t b/ThermoBadge \"a b\" \"\" 50% \"c:\\\\x\""},
        {{QStringLiteral("/opt/tb/ThermoBadge"),
             {QStringLiteral(" lead"), QStringLiteral("two\nlines"), QStringLiteral("`x` 'y' ~|&;*?#()<>")}},
            nullptr, nullptr},
    };
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command.text().toStdString());
        QTemporaryDir home;
        const QString file = home.filePath(QStringLiteral("autostart/ThermoBadge.desktop"));
        Autorun autorun(file);
        EXPECT_FALSE(autorun.IsAutoRun(c.command));
        EXPECT_TRUE(autorun.SetAutoRun(true, c.command));
        EXPECT_TRUE(autorun.IsAutoRun(c.command));

        const QString entry = readAll(file);
        if (c.execInFile) {
            EXPECT_EQ(rawValue(entry, QStringLiteral("Exec")), QString::fromUtf8(c.execInFile));
            EXPECT_EQ(c.command.text(), QString::fromUtf8(c.commandText));
        }
        const auto argv = execSplit(desktopUnescape(rawValue(entry, QStringLiteral("Exec"))));
        ASSERT_TRUE(argv.has_value());
        EXPECT_EQ(*argv, QStringList {c.command.program} + c.command.arguments);
        EXPECT_EQ(desktopUnescape(rawValue(entry, QStringLiteral("X-ThermoBadge-Command"))), c.command.text());
        EXPECT_EQ(rawValue(entry, QStringLiteral("Icon")), QStringLiteral("thermobadge"));
        EXPECT_EQ(rawValue(entry, QStringLiteral("Type")), QStringLiteral("Application"));

        if (validator.isEmpty())
            continue;
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {file});
        ASSERT_TRUE(validate.waitForFinished(10000));
        EXPECT_EQ(validate.exitCode(), 0) << entry.toStdString() << validate.readAll().toStdString();
    }
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (scripts/install-deps.sh installs it); entries not validated";
}

TEST(Autorun, ExecLinesThatAreNotOursDoNotSplit)
{
    for (const char* exec : {"tb %f", "\"/opt/tb", "/opt/t b'", "\"a\"b", "a\"b\"", "\"a\\qb\"", "\"50%\"", "tb $HOME"})
        EXPECT_FALSE(execSplit(QString::fromUtf8(exec)).has_value()) << exec;
    EXPECT_EQ(execSplit(QStringLiteral("  a   \"b c\"  ")), (QStringList {QStringLiteral("a"), QStringLiteral("b c")}));
}

// Installing, keeping, removing; an entry of another command (the program moved, or another
// program's file) counts as off, is overwritten when autorun is wanted and left alone when not.
TEST(Autorun, WritesOnlyWhatChangesAndLeavesForeignEntriesAlone)
{
    QTemporaryDir home;
    const QString dir = home.filePath(QStringLiteral("autostart"));
    const QString file = dir + QStringLiteral("/ThermoBadge.desktop");
    writeFile(dir + QStringLiteral("/other.desktop"), "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n");
    const RunCommand here {QStringLiteral("/opt/Термометр/ThermoBadge"), {}};
    const RunCommand moved {QStringLiteral("/usr/lib/thermobadge/ThermoBadge"), {}};
    Autorun autorun(file);

    EXPECT_FALSE(autorun.SetAutoRun(false, here));
    EXPECT_FALSE(QFile::exists(file)) << "nothing written when off is wanted and off is the state";
    ASSERT_TRUE(autorun.SetAutoRun(true, here));
    // A mark the program never writes: it stays only when the file is not written again.
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("# mark\n");
    }
    EXPECT_TRUE(autorun.SetAutoRun(true, here));
    EXPECT_TRUE(readAll(file).endsWith(QStringLiteral("# mark\n"))) << "written again although it was in place";

    // The program moved: the old entry is not this program's, and not wanted it stays.
    EXPECT_FALSE(autorun.IsAutoRun(moved));
    EXPECT_FALSE(autorun.SetAutoRun(false, moved));
    EXPECT_TRUE(autorun.IsAutoRun(here)) << "the old entry was touched";
    EXPECT_TRUE(autorun.SetAutoRun(true, moved));
    EXPECT_FALSE(autorun.IsAutoRun(here));
    EXPECT_FALSE(autorun.SetAutoRun(false, moved));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(QFile::exists(dir + QStringLiteral("/other.desktop"))) << "the rest of the folder is left as it is";

    // Entries that name this command but are not a working autorun of it.
    const QByteArray command = "X-ThermoBadge-Command=/opt/Термометр/ThermoBadge\n";
    const QByteArray foreign[] = {
        "[Desktop Entry]\nType=Application\nName=ThermoBadge\nExec=/opt/Термометр/ThermoBadge\n", // no command kept
        "[Desktop Entry]\nType=Application\nName=x\nExec=/usr/bin/other\n" + command, // starts another program
        "[Desktop Entry]\nType=Application\nName=x\nExec=/opt/Термометр/ThermoBadge\nHidden=true\n" + command,
        "[Desktop Entry]\nType=Application\nName=x\nExec=/opt/Термометр/ThermoBadge\nX-GNOME-Autostart-enabled=false\n" + command,
        "[Other Group]\nExec=/opt/Термометр/ThermoBadge\n" + command,
        "\xff\xfe garbage without groups\n",
    };
    for (const QByteArray& bytes : foreign) {
        writeFile(file, bytes);
        EXPECT_FALSE(autorun.SetAutoRun(false, here)) << bytes.toStdString();
        EXPECT_EQ(readBytes(file), bytes) << "a foreign entry was changed";
        EXPECT_TRUE(autorun.SetAutoRun(true, here)) << bytes.toStdString();
        EXPECT_TRUE(readAll(file).contains(QStringLiteral("Exec=/opt/Термометр/ThermoBadge\n")));
    }
}

// A write that cannot happen leaves autorun off, logged, and never raises.
TEST(Autorun, AFailingWriteLeavesAutorunOffAndSaysWhy)
{
    const RunCommand command {QStringLiteral("/opt/tb/ThermoBadge"), {}};
    QTemporaryDir home;
    // The autostart folder is a file.
    writeFile(home.filePath(QStringLiteral("autostart")), "not a folder");
    // The entry's name is taken by a folder.
    QDir().mkpath(home.filePath(QStringLiteral("taken/autostart/ThermoBadge.desktop")));
    // A read-only folder; root writes into any folder whatever its mode, so for root a folder
    // of a read-only file system stands in.
    QDir().mkpath(home.filePath(QStringLiteral("readonly/autostart")));
    QFile::setPermissions(home.filePath(QStringLiteral("readonly/autostart")), QFile::ReadOwner | QFile::ExeOwner);
    const QString readOnly
        = ::geteuid() == 0 ? QStringLiteral("/sys/thermobadge-autostart") : home.filePath(QStringLiteral("readonly/autostart"));
    for (const QString& dir :
        {home.filePath(QStringLiteral("autostart")), home.filePath(QStringLiteral("taken/autostart")), readOnly}) {
        SCOPED_TRACE(dir.toStdString());
        LogCapture log("thermobadge.autorun", QtInfoMsg);
        Autorun autorun(dir + QStringLiteral("/ThermoBadge.desktop"));
        EXPECT_FALSE(autorun.SetAutoRun(true, command));
        EXPECT_FALSE(autorun.IsAutoRun(command));
        EXPECT_TRUE(log.texts().filter(QStringLiteral("recorded as off")).size() == 1)
            << log.texts().join(QLatin1Char('\n')).toStdString();
        EXPECT_GE(log.texts().size(), 2) << "the failure itself is logged too";
    }
    QFile::setPermissions(
        home.filePath(QStringLiteral("readonly/autostart")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
