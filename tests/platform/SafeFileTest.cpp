#include "FileBytes.h"
#include "FullDisk.h"
#include "QtPrinters.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tb;

using test::bytesOf;
using test::makeFifo;
using test::writeBytes;

namespace {

QStringList entriesOf(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST(SafeFile, ReadsOnlyRegularFilesAndNeverMoreThanTheBound)
{
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small"));
    ASSERT_TRUE(writeBytes(small, "12345"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_TRUE(makeFifo(fifo));
    const QString toZero = dir.filePath(QStringLiteral("to-zero"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), toZero));
    const QString toSmall = dir.filePath(QStringLiteral("to-small"));
    ASSERT_TRUE(QFile::link(small, toSmall));
    const QString loop = dir.filePath(QStringLiteral("loop"));
    ASSERT_TRUE(QFile::link(loop, loop));

    using O = NamedFileRead::Outcome;
    const struct {
        QString path;
        qint64 bound;
        O outcome;
        QByteArray bytes;
    } cases[] = {
        {small, 5, O::Read, "12345"},
        {small, 4, O::TooLarge, {}},
        {toSmall, 100, O::Read, "12345"}, // a link to a regular file is read
        {dir.filePath(QStringLiteral("absent")), 5, O::Missing, {}},
        {fifo, 5, O::NotRegular, {}}, // opened without waiting for a writer
        {toZero, 5, O::NotRegular, {}},
        {QStringLiteral("/dev/zero"), 1 << 20, O::NotRegular, {}},
        {QStringLiteral("/dev/urandom"), 1 << 20, O::NotRegular, {}},
        {dir.path(), 5, O::NotRegular, {}},
        {loop, 5, O::Failed, {}},
    };
    for (const auto& c : cases) {
        const NamedFileRead r = readNamedFile(c.path, c.bound);
        EXPECT_EQ(r.outcome, c.outcome) << c.path.toStdString();
        EXPECT_EQ(r.bytes, c.bytes) << c.path.toStdString();
        EXPECT_EQ(r.problem.isEmpty(), c.outcome == O::Read || c.outcome == O::Missing) << r.problem.toStdString();
    }
}

TEST(SafeFile, ASaveReplacesTheNameKeepsThePermissionsAndNeverWritesThroughALink)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.ini"));
    ASSERT_TRUE(writeBytes(file, "old"));
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    ASSERT_TRUE(saveFileSafely(file, "new text"));
    EXPECT_EQ(bytesOf(file), QByteArray("new text"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // A link in its place is replaced by the file; its target keeps what it had.
    const QString target = dir.filePath(QStringLiteral("target"));
    ASSERT_TRUE(writeBytes(target, "target text"));
    const QString link = dir.filePath(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(saveFileSafely(link, "through?"));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_EQ(bytesOf(link), QByteArray("through?"));
    EXPECT_EQ(bytesOf(target), QByteArray("target text"));

    // A folder in its place is not replaced.
    const QString folder = dir.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QString problem;
    EXPECT_FALSE(saveFileSafely(folder, "x", &problem));
    EXPECT_FALSE(problem.isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(entriesOf(dir), (QStringList{"folder", "link.ini", "settings.ini", "target"})) << "no new file left behind";
}

TEST(SafeFile, AFullDiskKeepsTheOldFileAndSaysSo)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("registry.ini"));
    ASSERT_TRUE(writeBytes(file, "the correction and the last reading"));
    QString problem;
    {
        const test::FileSizeLimit full(8);
        EXPECT_FALSE(saveFileSafely(file, QByteArray(100, 'n'), &problem));
    }
    EXPECT_TRUE(problem.contains(QStringLiteral("the old file is kept"))) << problem.toStdString();
    EXPECT_EQ(bytesOf(file), QByteArray("the correction and the last reading"));
    EXPECT_EQ(entriesOf(dir), QStringList{"registry.ini"}) << "the new file is removed";

    const test::SmallDisk disk("64k");
    if (!disk.mounted())
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root); the file size limit stood for it";
    const QString onDisk = disk.filePath(QStringLiteral("registry.ini"));
    ASSERT_TRUE(saveFileSafely(onDisk, "kept"));
    disk.fill();
    EXPECT_FALSE(saveFileSafely(onDisk, QByteArray(8192, 'n'), &problem));
    EXPECT_EQ(bytesOf(onDisk), QByteArray("kept"));
}

TEST(SafeFile, WhatCannotBeReadIsKeptAsItselfUnderANameOfItsOwn)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("registry.ini"));
    ASSERT_TRUE(writeBytes(file, "not a registry"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_TRUE(makeFifo(fifo));

    const std::optional<QString> first = keepAside(file);
    const std::optional<QString> second = keepAside(file);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(first->startsWith(file + QStringLiteral(".bad-"))) << first->toStdString();
    EXPECT_EQ(bytesOf(*first), QByteArray("not a registry"));
    EXPECT_EQ(bytesOf(*second), QByteArray("not a registry"));

    const std::optional<QString> keptFifo = keepAside(fifo);
    ASSERT_TRUE(keptFifo);
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(*keptFifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_FALSE(keepAside(dir.filePath(QStringLiteral("absent"))));
}
