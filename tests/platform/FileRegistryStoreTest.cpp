#include "FileBytes.h"
#include "FullDisk.h"
#include "QtPrinters.h"
#include "platform/FileRegistryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

using namespace tb;

namespace {

const QString kKey = QStringLiteral("Software\\CtlTemper");

class FileRegistry : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("cfg/registry.ini"));

    void writeRaw(const QByteArray& bytes)
    {
        QDir().mkpath(dir.filePath(QStringLiteral("cfg")));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QString text(const FileRegistryStore& s, const QString& name)
    {
        const auto v = s.value(RegRoot::CurrentUser, kKey, name);
        return v ? v->text : QStringLiteral("<missing>");
    }
};

} // namespace

TEST_F(FileRegistry, ValuesSurviveANewStoreOnTheSameFile)
{
    {
        FileRegistryStore s(path);
        ASSERT_TRUE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QStringLiteral("-5,3"))));
        ASSERT_TRUE(s.setValue(RegRoot::CurrentUser, QStringLiteral("\\software\\ctltemper\\"), QStringLiteral("Time"),
                               RegValue::string(QStringLiteral("24.10.2012 18:33:00"))));
        ASSERT_TRUE(s.setValue(RegRoot::LocalMachine, QStringLiteral("Run"), QStringLiteral("x=y"), RegValue::dword(7)));
    }
    FileRegistryStore s(path);
    EXPECT_EQ(text(s, QStringLiteral("temper")), QStringLiteral("-5,3"));
    EXPECT_EQ(text(s, QStringLiteral("Time")), QStringLiteral("24.10.2012 18:33:00"));
    EXPECT_EQ(s.value(RegRoot::LocalMachine, QStringLiteral("run"), QStringLiteral("X=Y")), RegValue::dword(7));
    // The lock is released after each write: another holder can take it at once.
    const int fd = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
}

TEST_F(FileRegistry, AWriteWaitsForAnotherWriterAndGivesUpAfterTwoSeconds)
{
    FileRegistryStore s(path);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    const int fd = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX), 0);
    // Held past the wait: the write is refused and says so; nothing is written.
    EXPECT_FALSE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QStringLiteral("1"))));
    EXPECT_FALSE(s.value(RegRoot::CurrentUser, kKey, QStringLiteral("Temper")));
    // Released during the wait: the write goes through.
    std::thread release([fd] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::close(fd);
    });
    EXPECT_TRUE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QStringLiteral("2"))));
    release.join();
    EXPECT_EQ(text(s, QStringLiteral("Temper")), QStringLiteral("2"));
}

TEST_F(FileRegistry, DamagedFilesReadAsFarAsTheyMakeSenseAndTheNextWriteRepairsThem)
{
    const QByteArray damaged[] = {
        QByteArray(),                                                             // empty
        QByteArray("[HKEY_CURRENT_USER\\Software\\CtlTemper]\nTemper=sz:-5,3\nTi"), // truncated
        QByteArray("\x00\x01\x02\xff\xfe[\x80\x81]\n=\n\\\\\\", 16),              // binary
        QByteArray("Temper=sz:1\n[nonsense\n[HKEY_CURRENT_USER\\Software\\CtlTemper]\nTemper=zz:1\nX=sz:\\q\nY=dword:12\n"),
    };
    for (const QByteArray& bytes : damaged) {
        writeRaw(bytes);
        FileRegistryStore s(path);
        const QString before = text(s, QStringLiteral("Temper"));
        EXPECT_TRUE(before == QStringLiteral("<missing>") || before == QStringLiteral("-5,3")) << before.toStdString();
        ASSERT_TRUE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("TCorrect"), RegValue::string(QStringLiteral("1"))));
        FileRegistryStore again(path);
        EXPECT_EQ(text(again, QStringLiteral("TCorrect")), QStringLiteral("1"));
        EXPECT_EQ(text(again, QStringLiteral("Temper")), before) << "what could be read is kept";
        EXPECT_EQ(FileRegistryStore::parse(FileRegistryStore::serialize(FileRegistryStore::parse(bytes))).size(),
                  FileRegistryStore::parse(bytes).size());
    }
}

TEST_F(FileRegistry, AFolderInPlaceOfTheFileGivesDefaultsAndFailedWrites)
{
    QDir().mkpath(path);
    FileRegistryStore s(path);
    EXPECT_FALSE(s.value(RegRoot::CurrentUser, kKey, QStringLiteral("Temper")));
    EXPECT_FALSE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QStringLiteral("1"))));
}

TEST_F(FileRegistry, TwoWritersAtOnceLoseNothing)
{
    // Two stores on one file stand for two running copies of the program.
    FileRegistryStore a(path), b(path);
    std::thread ta([&] {
        for (int i = 0; i < 40; ++i)
            a.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("A%1").arg(i), RegValue::string(QString::number(i)));
    });
    std::thread tb([&] {
        for (int i = 0; i < 40; ++i)
            b.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("B%1").arg(i), RegValue::string(QString::number(i)));
    });
    ta.join();
    tb.join();
    FileRegistryStore check(path);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(text(check, QStringLiteral("A%1").arg(i)), QString::number(i));
        EXPECT_EQ(text(check, QStringLiteral("B%1").arg(i)), QString::number(i));
    }
}

TEST_F(FileRegistry, AFullDiskKeepsTheStoredValues)
{
    const test::SmallDisk disk("1m");
    const QString file = disk.mounted() ? disk.filePath(QStringLiteral("registry.ini")) : path;
    FileRegistryStore s(file);
    ASSERT_TRUE(s.setValues(RegRoot::CurrentUser, kKey,
                            {{QStringLiteral("TCorrect"), RegValue::string(QStringLiteral("-1,5"))},
                             {QStringLiteral("Temper"), RegValue::string(QStringLiteral("3"))}}));
    {
        // A real full disk where the test may mount one, else every write failing as on one.
        disk.fill();
        std::optional<test::FileSizeLimit> limit;
        if (!disk.mounted())
            limit.emplace(0);
        for (int i = 0; i < 3; ++i)
            EXPECT_FALSE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QString::number(i))));
    }
    FileRegistryStore again(file);
    EXPECT_EQ(text(again, QStringLiteral("TCorrect")), QStringLiteral("-1,5"));
    EXPECT_EQ(text(again, QStringLiteral("Temper")), QStringLiteral("3"));
}

TEST_F(FileRegistry, AFileThatCannotBeReadIsKeptBeforeANewOneIsWritten)
{
    using Make = void (*)(const QString& file);
    const struct {
        const char* what;
        Make make;
        bool regular; // whether the kept name holds the very bytes
    } cases[] = {
        {"larger than 4 MiB", [](const QString& f) { QFile o(f); o.open(QIODevice::WriteOnly); o.write(QByteArray(4 * 1024 * 1024 + 1, '#')); }, true},
        {"not a registry file", [](const QString& f) { QFile o(f); o.open(QIODevice::WriteOnly); o.write("<html>\nTCorrect=2\n</html>\n"); }, true},
        {"a named pipe", [](const QString& f) { test::makeFifo(f); }, false},
        {"a link to /dev/zero", [](const QString& f) { QFile::link(QStringLiteral("/dev/zero"), f); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir d;
        const QString file = d.filePath(QStringLiteral("registry.ini"));
        c.make(file);
        const QByteArray before = c.regular ? [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }() : QByteArray();
        FileRegistryStore s(file);
        EXPECT_FALSE(s.value(RegRoot::CurrentUser, kKey, QStringLiteral("TCorrect")));
        ASSERT_TRUE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QStringLiteral("7"))));
        EXPECT_EQ(text(s, QStringLiteral("Temper")), QStringLiteral("7"));
        EXPECT_TRUE(QFileInfo(file).isFile() && !QFileInfo(file).isSymLink());
        const QStringList kept = QDir(d.path()).entryList({QStringLiteral("registry.ini.bad-*")}, QDir::AllEntries | QDir::System);
        ASSERT_EQ(kept.size(), 1);
        if (c.regular) {
            QFile k(d.filePath(kept.first()));
            ASSERT_TRUE(k.open(QIODevice::ReadOnly));
            EXPECT_EQ(k.readAll(), before);
        }
        // A file that reads whole is not kept again.
        ASSERT_TRUE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QStringLiteral("8"))));
        EXPECT_EQ(QDir(d.path()).entryList({QStringLiteral("registry.ini.bad-*")}, QDir::AllEntries | QDir::System).size(), 1);
    }
    struct stat zero {};
    ASSERT_EQ(::stat("/dev/zero", &zero), 0);
    EXPECT_TRUE(S_ISCHR(zero.st_mode)) << "the device is never replaced";
}

TEST_F(FileRegistry, ALinkInPlaceOfTheFileIsReplacedNotWrittenThrough)
{
    const QString target = dir.filePath(QStringLiteral("elsewhere.ini"));
    {
        FileRegistryStore elsewhere(target);
        ASSERT_TRUE(elsewhere.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("TCorrect"), RegValue::string(QStringLiteral("2"))));
    }
    QFile original(target);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray targetBytes = original.readAll();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    ASSERT_TRUE(QFile::link(target, path));

    FileRegistryStore s(path);
    ASSERT_TRUE(s.setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), RegValue::string(QStringLiteral("5"))));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(text(s, QStringLiteral("TCorrect")), QStringLiteral("2")) << "what the link led to is carried over";
    EXPECT_EQ(text(s, QStringLiteral("Temper")), QStringLiteral("5"));
    QFile after(target);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), targetBytes);
}
