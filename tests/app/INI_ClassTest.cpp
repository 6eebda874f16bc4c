#include "QtPrinters.h"
#include "skinfiles/INI_Class.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace tb;

namespace {

class IniReader : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ThermoBadge.ini"));
    INI_Class ini;

    void write(const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QString read(const char* section, const char* key, const char* def = "<default>")
    {
        return ini.ReadINIKey(QLatin1String(section), QLatin1String(key), path, QLatin1String(def));
    }
};

} // namespace

TEST_F(IniReader, PrivateProfileRules)
{
    write("; comment\r\n[General]\r\nSelected = Winter\\snow.png|Arial|1 \r\n"
          "[dir0]\r\npath=Winter\r\nPIC1=\"quoted value\"\r\nPic2=\r\nPic1=second wins nothing\r\nnoequals\r\n"
          "[Dir0]\r\nPath=repeated section is not read\r\nPic3=x\r\n");
    EXPECT_EQ(read("general", "SELECTED"), QStringLiteral("Winter\\snow.png|Arial|1"));
    EXPECT_EQ(read("Dir0", "Path"), QStringLiteral("Winter"));
    EXPECT_EQ(read("Dir0", "Pic1"), QStringLiteral("quoted value"));
    EXPECT_EQ(read("Dir0", "Pic2"), QString()) << "an empty value is not the default";
    EXPECT_EQ(read("Dir0", "Pic3"), QStringLiteral("<default>"));
    EXPECT_EQ(read("Dir0", "noequals"), QStringLiteral("<default>"));
    EXPECT_EQ(read("Dir9", "Path"), QStringLiteral("<default>"));
}

TEST_F(IniReader, LongValuesAreCutTo254Characters)
{
    write("[General]\nSelected=" + QByteArray(300, 'x') + "\n");
    EXPECT_EQ(read("General", "Selected").size(), 254);
}

TEST_F(IniReader, CodePagesAndByteOrderMarks)
{
    write("[Dir0]\nPath=\xC7\xE8\xEC\xE0\n"); // windows-1251
    EXPECT_EQ(read("Dir0", "Path"), QStringLiteral("Зима"));
    write("\xEF\xBB\xBF[Dir0]\nPath=Зима\n");
    EXPECT_EQ(read("Dir0", "Path"), QStringLiteral("Зима"));
    const QString utf16 = QStringLiteral("[Dir0]\r\nPath=Лето\r\n");
    write(QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2));
    EXPECT_EQ(read("Dir0", "Path"), QStringLiteral("Лето"));
}

TEST_F(IniReader, MissingEmptyBinaryOrChangedFiles)
{
    EXPECT_EQ(read("General", "Selected"), QStringLiteral("<default>"));
    write("");
    EXPECT_EQ(read("General", "Selected"), QStringLiteral("<default>"));
    write(QByteArray("\x00\x01[\xff\xfe\x00]=\n\x80=\x81", 13));
    EXPECT_EQ(read("General", "Selected"), QStringLiteral("<default>"));
    QThread::msleep(20); // a new modification time
    write("[General]\nSelected=new\n");
    EXPECT_EQ(read("General", "Selected"), QStringLiteral("new")) << "a changed file is read again";
    EXPECT_EQ(ini.ReadINIKey(QStringLiteral("General"), QStringLiteral("Selected"), dir.path(), QStringLiteral("d")), QStringLiteral("d"))
        << "a folder is not a file";
}
