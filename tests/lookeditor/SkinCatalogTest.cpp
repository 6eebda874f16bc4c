#include "SkinCatalog.h"
#include "platform/Codepage.h"
#include "skinfiles/AppPaths.h"
#include "skinfiles/INI_Class.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tb;

namespace {

QString read(const QString& ini, const QString& section, const QString& key)
{
    return INI_Class().ReadINIKey(section, key, ini, QString());
}

} // namespace

// The editor's changes to the skin list, checked through the indicator's own reader: a new
// folder, pictures copied in under free names, a rename that the saved look follows, and
// refusals that leave files and list as they were.
TEST(SkinCatalog, AddsFoldersAndPicturesAndRenamesFolders)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("ThermoBadge.ini"));
    const QString pics = dir.filePath(QStringLiteral("FotoMark/"));
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            toAnsi(u"; мои скины\r\n[General]\r\nSelected=Зима\\a.png|Arial|1|40\r\n[Dir0]\r\nPath=Зима\r\nPic1=a.png|Иней\r\n"));
    }
    ASSERT_TRUE(QDir().mkpath(pics + QStringLiteral("Зима")));
    QImage picture(8, 4, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(pics + QStringLiteral("Зима/a.png")));
    const QString source = dir.filePath(QStringLiteral("Солнце|☀.png"));
    ASSERT_TRUE(picture.save(source, "PNG"));

    SkinCatalog catalog(ini, pics);
    ASSERT_EQ(catalog.folders().size(), 1);
    EXPECT_EQ(catalog.folders()[0].pictures[0].caption, QStringLiteral("Иней"));

    ASSERT_TRUE(catalog.addFolder(QStringLiteral("Лето")).ok());
    EXPECT_TRUE(QFileInfo(pics + QStringLiteral("Лето")).isDir());
    const SkinCatalog::Change first = catalog.addPicture(1, source);
    const SkinCatalog::Change second = catalog.addPicture(1, source);
    ASSERT_TRUE(first.ok() && second.ok()) << first.write.message.toStdString();
    EXPECT_EQ(first.picturePath, QStringLiteral("Лето\\Солнце__.png"));
    EXPECT_EQ(second.picturePath, QStringLiteral("Лето\\Солнце__ (2).png"));
    EXPECT_EQ(read(ini, QStringLiteral("Dir1"), QStringLiteral("Pic2")), QStringLiteral("Солнце__ (2).png|Солнце__ (2)"));
    EXPECT_TRUE(QFileInfo::exists(pics + QStringLiteral("Лето/Солнце__ (2).png")));

    ASSERT_TRUE(catalog.renameFolder(0, QStringLiteral("Зима 2")).ok());
    EXPECT_TRUE(QFileInfo::exists(pics + QStringLiteral("Зима 2/a.png")));
    EXPECT_FALSE(QFileInfo::exists(pics + QStringLiteral("Зима")));
    EXPECT_EQ(read(ini, QStringLiteral("General"), QStringLiteral("Selected")), QStringLiteral("Зима 2\\a.png|Arial|1|40"));
    EXPECT_EQ(catalog.folders()[0].pictures[0].path, QStringLiteral("Зима 2\\a.png"));
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().startsWith(toAnsi(u"; мои скины\r\n[General]\r\n")));
    }

    // Refusals: names the list cannot hold, a folder already listed, a file that is no picture,
    // and a read-only list (the copied picture is taken back).
    const QByteArray listBefore = [&] {
        QFile f(ini);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    for (const QString& name : {QString(), QStringLiteral(" x"), QStringLiteral("a/b"), QStringLiteral("a|b"),
             QStringLiteral(".."), QStringLiteral("Снег ☃"), QStringLiteral("лето")})
        EXPECT_FALSE(catalog.addFolder(name).ok()) << name.toStdString();
    EXPECT_FALSE(catalog.renameFolder(1, QStringLiteral("зима 2")).ok());
    EXPECT_FALSE(catalog.addPicture(0, ini).ok());
    const QString fifo = dir.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(catalog.addPicture(0, fifo).write.status, IniWrite::Status::CannotRead) << "a FIFO never holds the editor";
    EXPECT_FALSE(catalog.addPicture(5, source).ok());
    ASSERT_TRUE(QFile::setPermissions(ini, QFileDevice::ReadOwner));
    const SkinCatalog::Change ro = catalog.addPicture(0, source);
    EXPECT_EQ(ro.write.status, IniWrite::Status::ReadOnly);
    EXPECT_EQ(QDir(pics + QStringLiteral("Зима 2")).entryList(QDir::Files), QStringList {QStringLiteral("a.png")});
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), listBefore);
}

// An installed program: the program folder holds the shipped list and pictures and is never
// written. A new folder, a picture added to a shipped folder and a shipped folder renamed all go
// to the user's copy, which the catalog reads from then on, and the shipped pictures stay found
// beside the user's.
TEST(SkinCatalog, AnInstalledProgramChangesOnlyTheUsersCopy)
{
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("lib/thermobadge/"));
    const QString user = dir.filePath(QStringLiteral("data/ThermoBadge/"));
    const QByteArray shippedList
        = toAnsi(u"[General]\r\nSelected=Зима\\a.png|Arial|1|40\r\n[Dir0]\r\nPath=Зима\r\nPic1=a.png|Иней\r\n[Dir1]\r\nPath=Лето\r\nPic1=c.png\r\n");
    ASSERT_TRUE(QDir().mkpath(program + QStringLiteral("FotoMark/Зима")));
    ASSERT_TRUE(QDir().mkpath(program + QStringLiteral("FotoMark/Лето")));
    {
        QFile f(program + QStringLiteral("ThermoBadge.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(shippedList);
    }
    QImage picture(8, 4, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    for (const char* p : {"FotoMark/Зима/a.png", "FotoMark/Лето/c.png"})
        ASSERT_TRUE(picture.save(program + QString::fromUtf8(p)));
    const QString mine = dir.filePath(QStringLiteral("sun.png"));
    ASSERT_TRUE(picture.save(mine));
    const auto programFiles = [&] {
        QStringList all;
        QDirIterator it(program, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            all << it.next();
        all.sort();
        return all;
    };
    const QStringList shippedFiles = programFiles();

    AppPaths paths = InitPaths(program, user, false);
    SkinCatalog catalog(paths);
    EXPECT_EQ(catalog.localFile(QStringLiteral("Зима\\a.png")), program + QStringLiteral("FotoMark/Зима/a.png"));

    const SkinCatalog::Change folder = catalog.addFolder(QStringLiteral("Мои"));
    ASSERT_TRUE(folder.ok()) << folder.write.message.toStdString();
    EXPECT_TRUE(QFileInfo(user + QStringLiteral("FotoMark/Мои")).isDir());
    EXPECT_EQ(catalog.iniFile(), user + QStringLiteral("ThermoBadge.ini"));
    EXPECT_EQ(paths.IniFile, catalog.iniFile()) << "the editor saves the look to the list it shows";
    EXPECT_EQ(read(catalog.iniFile(), QStringLiteral("Dir2"), QStringLiteral("Path")), QStringLiteral("Мои"));

    const SkinCatalog::Change added = catalog.addPicture(0, mine);
    ASSERT_TRUE(added.ok()) << added.write.message.toStdString();
    EXPECT_EQ(added.picturePath, QStringLiteral("Зима\\sun.png"));
    EXPECT_EQ(catalog.localFile(added.picturePath), user + QStringLiteral("FotoMark/Зима/sun.png"));
    EXPECT_TRUE(QFileInfo::exists(catalog.localFile(added.picturePath)));
    // The user's picture folder adds to the program's: the shipped picture is still found.
    EXPECT_EQ(catalog.localFile(QStringLiteral("Зима\\a.png")), program + QStringLiteral("FotoMark/Зима/a.png"));
    EXPECT_EQ(pictureFile(InitPaths(program, user, false), QStringLiteral("Зима\\a.png")),
        program + QStringLiteral("FotoMark/Зима\\a.png"));

    const SkinCatalog::Change renamed = catalog.renameFolder(1, QStringLiteral("Юг"));
    ASSERT_TRUE(renamed.ok()) << renamed.write.message.toStdString();
    EXPECT_TRUE(QFileInfo::exists(catalog.localFile(QStringLiteral("Юг\\c.png"))));
    EXPECT_EQ(catalog.localFile(QStringLiteral("Юг\\c.png")), user + QStringLiteral("FotoMark/Юг/c.png"));

    const QList<SkinFolder> folders = catalog.folders();
    ASSERT_EQ(folders.size(), 3);
    EXPECT_EQ(folders[0].pictures.size(), 2);
    EXPECT_EQ(folders[1].path, QStringLiteral("Юг"));
    EXPECT_EQ(folders[2].path, QStringLiteral("Мои"));
    QFile shipped(program + QStringLiteral("ThermoBadge.ini"));
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    EXPECT_EQ(shipped.readAll(), shippedList) << "the program folder's list is never written";
    EXPECT_EQ(programFiles(), shippedFiles) << "nothing is added to the program folder";
}
