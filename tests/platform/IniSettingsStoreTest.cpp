#include "FileBytes.h"
#include "FullDisk.h"
#include "QtPrinters.h"
#include "platform/IniSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tb;

using test::bytesOf;
using test::makeFifo;
using test::writeBytes;

namespace {

QStringList keptCopies(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("ThermoBadge.ini.bad-*")}, QDir::AllEntries | QDir::System);
}

} // namespace

TEST(IniSettings, WhatIsNoSettingsFileIsKeptAsideAndAFreshOneWritten)
{
    using Make = void (*)(const QString& file);
    const struct {
        const char* what;
        Make make;
    } cases[] = {
        {"a named pipe", [](const QString& f) { makeFifo(f); }},
        {"a link to /dev/zero", [](const QString& f) { QFile::link(QStringLiteral("/dev/zero"), f); }},
        {"a link to a named pipe", [](const QString& f) {
             makeFifo(f + QStringLiteral("-fifo"));
             QFile::link(f + QStringLiteral("-fifo"), f);
         }},
        {"a file of 2 MiB", [](const QString& f) { writeBytes(f, "[Options]\nTrans=1\n" + QByteArray(2 * 1024 * 1024, ';')); }},
        {"a file that cannot be parsed", [](const QString& f) { writeBytes(f, "[Options\nTrans=1\n"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("ThermoBadge.ini"));
        c.make(file);
        IniSettingsStore store(file);
        EXPECT_FALSE(store.value(QStringLiteral("Trans")));
        store.setValue(QStringLiteral("Trans"), QStringLiteral("55"));
        EXPECT_EQ(keptCopies(dir).size(), 1);
        EXPECT_TRUE(QFileInfo(file).isFile() && !QFileInfo(file).isSymLink());
        EXPECT_EQ(IniSettingsStore(file).value(QStringLiteral("Trans")), QStringLiteral("55"));
    }
    struct stat zero {};
    ASSERT_EQ(::stat("/dev/zero", &zero), 0);
    EXPECT_TRUE(S_ISCHR(zero.st_mode)) << "the device is never replaced";
}

TEST(IniSettings, ALinkIsReplacedByACopyOfWhatItLedTo)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("dotfiles.ini"));
    ASSERT_TRUE(writeBytes(target, "[Options]\nTrans=40\n"));
    const QString file = dir.filePath(QStringLiteral("ThermoBadge.ini"));
    ASSERT_TRUE(QFile::link(target, file));
    IniSettingsStore store(file);
    EXPECT_EQ(store.value(QStringLiteral("Trans")), QStringLiteral("40"));
    store.setValue(QStringLiteral("TmprFrmt"), QStringLiteral("2"));
    EXPECT_FALSE(QFileInfo(file).isSymLink());
    EXPECT_EQ(bytesOf(target), QByteArray("[Options]\nTrans=40\n"));
    const IniSettingsStore again(file);
    EXPECT_EQ(again.value(QStringLiteral("Trans")), QStringLiteral("40"));
    EXPECT_EQ(again.value(QStringLiteral("TmprFrmt")), QStringLiteral("2"));
}

TEST(IniSettings, AFullDiskKeepsTheOldFile)
{
    QTemporaryDir dir;
    // A real full disk where the test may mount one, else every write failing as on one.
    const test::SmallDisk disk("1m");
    const QString folder = disk.mounted() ? disk.path() : dir.path();
    const QString file = folder + QStringLiteral("/ThermoBadge.ini");
    {
        IniSettingsStore store(file);
        store.setValue(QStringLiteral("Trans"), QStringLiteral("40"));
        disk.fill();
        std::optional<test::FileSizeLimit> limit;
        if (!disk.mounted())
            limit.emplace(0);
        store.setValue(QStringLiteral("TmprFrmt"), QStringLiteral("2"));
    }
    EXPECT_EQ(IniSettingsStore(file).value(QStringLiteral("Trans")), QStringLiteral("40"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("prev")), QStringList{});
}
