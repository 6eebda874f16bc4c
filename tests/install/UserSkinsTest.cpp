// Where the skin list and pictures come from, and where the look editor writes, for a program
// folder that is writable (the build tree) and one that is not (an installed program). Files
// the user cannot read are covered by install_test.sh, which runs as another user.
#include "skinfiles/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tb;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

class UserSkins : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        writeFile(program + "ThermoBadge.ini", "[General]\r\nSelected=Winter\\frost.png\r\n");
        writeFile(program + "FotoMark/Winter/frost.png", "png");
    }
    QTemporaryDir root;
    const QString program = root.filePath("lib/thermobadge/");
    const QString user = root.filePath("data/ThermoBadge");
};

} // namespace

TEST_F(UserSkins, AWritableProgramFolderIsUsedAsItIs)
{
    writeFile(user + "/ThermoBadge.ini", "[General]\r\nSelected=Mine\\x.png\r\n");
    AppPaths p = InitPaths(root.filePath("lib/thermobadge"), user, true);
    EXPECT_EQ(p.AppDir, program);
    EXPECT_EQ(p.IniFile, program + "ThermoBadge.ini");
    EXPECT_EQ(p.PicDir, program + "FotoMark/");
    EXPECT_TRUE(p.UserDir.isEmpty());
    EXPECT_EQ(skinIniForWriting(p), program + "ThermoBadge.ini");
    EXPECT_EQ(p.IniFile, program + "ThermoBadge.ini");
    EXPECT_EQ(InitPaths(program).IniFile, program + "ThermoBadge.ini"); // the real check: this folder is writable
}

TEST_F(UserSkins, AReadOnlyProgramFolderReadsTheUsersCopyFirstAndWritesOnlyThere)
{
    // No copy yet: the program folder's files; the first write makes the copy from them.
    AppPaths p = InitPaths(program, user, false);
    EXPECT_EQ(p.UserDir, user + "/");
    EXPECT_EQ(p.IniFile, program + "ThermoBadge.ini");
    EXPECT_EQ(p.PicDir, program + "FotoMark/");
    EXPECT_EQ(skinIniForWriting(p), user + "/ThermoBadge.ini");
    EXPECT_EQ(p.IniFile, user + "/ThermoBadge.ini");
    EXPECT_EQ(readFile(user + "/ThermoBadge.ini"), readFile(program + "ThermoBadge.ini"));
    EXPECT_EQ(p.PicDir, program + "FotoMark/");

    // The copy is never made again over what the user changed.
    writeFile(user + "/ThermoBadge.ini", "[General]\r\nSelected=Winter\\mine.png\r\n");
    EXPECT_EQ(skinIniForWriting(p), user + "/ThermoBadge.ini");
    EXPECT_EQ(readFile(user + "/ThermoBadge.ini"), QByteArray("[General]\r\nSelected=Winter\\mine.png\r\n"));
    EXPECT_EQ(readFile(program + "ThermoBadge.ini"), QByteArray("[General]\r\nSelected=Winter\\frost.png\r\n"));

    // The user's skin list without pictures of its own, then with them.
    EXPECT_EQ(InitPaths(program, user, false).IniFile, user + "/ThermoBadge.ini");
    EXPECT_EQ(InitPaths(program, user, false).PicDir, program + "FotoMark/");
    writeFile(user + "/FotoMark/Winter/mine.png", "png");
    EXPECT_EQ(InitPaths(program, user, false).PicDir, user + "/FotoMark/");

    // Pictures without a skin list of the user's own are not used: they go with the list.
    ASSERT_TRUE(QFile::remove(user + "/ThermoBadge.ini"));
    EXPECT_EQ(InitPaths(program, user, false).PicDir, program + "FotoMark/");
}

TEST_F(UserSkins, AUserFolderThatCannotBeMadeIsReportedAndNothingIsWritten)
{
    writeFile(root.filePath("data/blocked"), "a file where the folder should be");
    AppPaths p = InitPaths(program, root.filePath("data/blocked/ThermoBadge"), false);
    EXPECT_TRUE(skinIniForWriting(p).isEmpty());
    EXPECT_EQ(p.IniFile, program + "ThermoBadge.ini");
    // Without a skin list in the program folder there is nothing to copy: the writer starts one.
    ASSERT_TRUE(QFile::remove(program + "ThermoBadge.ini"));
    AppPaths q = InitPaths(program, user, false);
    EXPECT_EQ(skinIniForWriting(q), user + "/ThermoBadge.ini");
    EXPECT_TRUE(QDir(user).exists());
}
