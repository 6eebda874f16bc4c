#include "SkinCatalog.h"
#include "Codepage.h"
#include "INI_Class.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    EXPECT_FALSE(catalog.addPicture(5, source).ok());
    ASSERT_TRUE(QFile::setPermissions(ini, QFileDevice::ReadOwner));
    const SkinCatalog::Change ro = catalog.addPicture(0, source);
    EXPECT_EQ(ro.write.status, IniWrite::Status::ReadOnly);
    EXPECT_EQ(QDir(pics + QStringLiteral("Зима 2")).entryList(QDir::Files), QStringList {QStringLiteral("a.png")});
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), listBefore);
}
