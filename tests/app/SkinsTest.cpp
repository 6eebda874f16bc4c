#include "QtPrinters.h"
#include "app/Skins.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tb;

namespace {

class SkinList : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ThermoBadge.ini"));
    INI_Class ini;

    QList<PicEntry> read(const QByteArray& content)
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
        f.close();
        return readPicList(ini, path);
    }
};

} // namespace

TEST_F(SkinList, FoldersAndPicturesInOrder)
{
    const auto list = read("[Dir0]\nPath=Winter\nPic1=snow.png|Snow\nPic2=ice.png\n[Dir1]\nPath=Summer\nPic1=sun.png\n");
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0].sPath, QStringLiteral("Winter\\snow.png"));
    EXPECT_EQ(list[0].sCode, QStringLiteral("0001"));
    EXPECT_EQ(list[1].sPath, QStringLiteral("Winter\\ice.png"));
    EXPECT_EQ(list[1].sCode, QStringLiteral("0002"));
    EXPECT_EQ(list[2].sPath, QStringLiteral("Summer\\sun.png"));
    EXPECT_EQ(list[2].sCode, QStringLiteral("0101"));
}

TEST_F(SkinList, GapsEndTheLists)
{
    const auto list = read("[Dir0]\nPath=A\nPic2=b.png\n[Dir1]\nPath=B\nPic1=c.png\n[Dir3]\nPath=D\nPic1=d.png\n");
    ASSERT_EQ(list.size(), 1) << "an empty Pic1 ends its folder, a missing Dir2 ends the folders";
    EXPECT_EQ(list[0].sCode, QStringLiteral("0101"));
    EXPECT_TRUE(read("").isEmpty());
    EXPECT_TRUE(read("[Dir1]\nPath=B\nPic1=c.png\n").isEmpty()) << "no Dir0";
}

TEST_F(SkinList, AtMost41FoldersOf80Pictures)
{
    QByteArray ini;
    for (int g = 0; g < 42; ++g) {
        ini += "[Dir" + QByteArray::number(g) + "]\nPath=F" + QByteArray::number(g) + "\n";
        for (int m = 1; m <= 81; ++m)
            ini += "Pic" + QByteArray::number(m) + "=p" + QByteArray::number(m) + ".png\n";
    }
    const auto list = read(ini);
    EXPECT_EQ(list.size(), 41 * 80);
    EXPECT_EQ(list.last().sCode, QStringLiteral("4080"));
}

TEST(SkinCodes, LookupIsExactAndTheFirstEntryWins)
{
    const QList<PicEntry> list = {{QStringLiteral("Winter\\snow.png"), QStringLiteral("0001")},
                                  {QStringLiteral("Summer\\sun.png"), QStringLiteral("0101")},
                                  {QStringLiteral("Winter\\snow.png"), QStringLiteral("0201")}};
    EXPECT_EQ(pictureCode(list, QStringLiteral("Winter\\snow.png")), QStringLiteral("0001"));
    EXPECT_EQ(pictureCode(list, QStringLiteral("winter\\snow.png")), QStringLiteral("????"));
    EXPECT_EQ(pictureCode({}, QStringLiteral("x")), QStringLiteral("????"));
    EXPECT_EQ(zaprosPrefix(true, 1, 6), QStringLiteral("TbX_16_"));
    EXPECT_EQ(zaprosPrefix(false, 2, 10), QStringLiteral("TbA_210_"));
}
