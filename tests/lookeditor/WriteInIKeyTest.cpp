#include "WriteInIKey.h"
#include "platform/Codepage.h"
#include "skinfiles/INI_Class.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tb;

namespace {

// A skin list as people write them: CR LF, windows-1251 comments, blanks, a quoted value,
// a repeated section, a header without "]" and a last line without a line end.
QByteArray skinList()
{
    return toAnsi(u"; Скины термометра\r\n"
                  u"[General]\r\n"
                  u"Selected=Winter\\frost.png|Arial|1|40\r\n"
                  u"  ; отключено: Old=1\r\n"
                  u"\r\n"
                  u"[Dir0]\r\n"
                  u"Path = Зима\r\n"
                  u"Pic1=\"a.png|Снег\"\r\n"
                  u"\r\n"
                  u"; следующая папка\r\n"
                  u"[general]\r\n"
                  u"Selected=never read\r\n"
                  u"[Broken\r\n"
                  u"Key=value\r\n"
                  u"[Dir1]\r\n"
                  u"Path=Summer");
}

QByteArray readAll(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

// Each write changes exactly the value the reader will find, and every other key reads as before.
TEST(WriteInIKey, WritesWhatTheReaderFindsAndKeepsEverythingElse)
{
    struct Case {
        const char* name;
        QString section, key, value;
        QByteArray expected; // the whole file afterwards; empty: not checked byte for byte
    };
    const QByteArray before = skinList();
    const Case cases[] = {
        {"replace", "GENERAL", "selected", QStringLiteral("Summer\\sun.png|Вердана|0|12,5"),
            QByteArray(before).replace("Winter\\frost.png|Arial|1|40", toAnsi(u"Summer\\sun.png|Вердана|0|12,5"))},
        {"keeps the blanks before =", "Dir0", "Path", QStringLiteral("Лето"),
            QByteArray(before).replace(toAnsi(u"Path = Зима"), toAnsi(u"Path =Лето"))},
        {"new key after the section's last key", "Dir0", "Pic2", QStringLiteral("b.png|Лёд"),
            QByteArray(before).replace(toAnsi(u"Снег\"\r\n"), toAnsi(u"Снег\"\r\nPic2=b.png|Лёд\r\n"))},
        {"new key in the last section, which has no line end", "Dir1", "Pic1", QStringLiteral("sun.png"),
            before + "\r\nPic1=sun.png\r\n"},
        {"new section", "Dir2", "Path", QStringLiteral("Осень"), before + toAnsi(u"\r\n\r\n[Dir2]\r\nPath=Осень\r\n")},
        {"blanks around the value", "General", "Selected", QStringLiteral("  x  "), {}},
        {"a quoted value", "General", "Selected", QStringLiteral("\"q\""), {}},
        {"empty value", "General", "Selected", QString(), {}},
    };
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ThermoBadge.ini"));
    for (const Case& c : cases) {
        writeFile(file, before);
        const IniWrite w = WriteInIKey(c.section, c.key, c.value, file);
        ASSERT_TRUE(w.ok()) << c.name << ": " << w.message.toStdString();
        const QByteArray after = readAll(file);
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(fromAnsi(after).toStdString(), fromAnsi(c.expected).toStdString()) << c.name;
        }

        INI_Class::Sections expected = INI_Class::parse(before);
        expected[c.section.toLower()][c.key.toLower()] = c.value;
        EXPECT_EQ(INI_Class::parse(after), expected) << c.name;
    }

    // UTF-8 and UTF-16 files stay in their encoding.
    for (const QByteArray& bom : {QByteArray("\xEF\xBB\xBF"), QByteArray("\xFF\xFE")}) {
        const QString text = QStringLiteral("; Ёлка ☃\n[General]\nSelected=old\n");
        writeFile(file,
            bom == "\xFF\xFE" ? bom + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)
                              : bom + text.toUtf8());
        ASSERT_TRUE(WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"), QStringLiteral("Ёж ☃"), file).ok());
        const QByteArray after = readAll(file);
        EXPECT_TRUE(after.startsWith(bom));
        EXPECT_EQ(
            INI_Class().ReadINIKey(QStringLiteral("general"), QStringLiteral("selected"), file, {}), QStringLiteral("Ёж ☃"));
        EXPECT_EQ(INI_Class::parse(after).size(), 1);
    }
}

TEST(WriteInIKey, RefusesWithoutTouchingTheFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ThermoBadge.ini"));
    const QByteArray before = skinList();
    writeFile(file, before);

    const std::tuple<QString, QString, QString, IniWrite::Status> bad[] = {
        {"Gen]eral", "Selected", "x", IniWrite::Status::BadName},
        {"General", "Sel=ected", "x", IniWrite::Status::BadName},
        {"General", ";Selected", "x", IniWrite::Status::BadName},
        {"", "Selected", "x", IniWrite::Status::BadName},
        {"General", "Selected", "two\nlines", IniWrite::Status::BadValue},
    };
    for (const auto& [section, key, value, status] : bad) {
        const IniWrite w = WriteInIKey(section, key, value, file);
        EXPECT_EQ(w.status, status) << section.toStdString() << " " << key.toStdString();
        EXPECT_FALSE(w.message.isEmpty());
    }
    EXPECT_EQ(readAll(file), before);

    // Read-only: a clear message and the same bytes, though the folder would allow a rename (and
    // even when root runs the test).
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    const IniWrite ro = WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"), QStringLiteral("x"), file);
    EXPECT_EQ(ro.status, IniWrite::Status::ReadOnly);
    EXPECT_TRUE(ro.message.contains(QStringLiteral("только для чтения"))) << ro.message.toStdString();
    EXPECT_EQ(readAll(file), before);
}

// The write replaces the file in one rename: a new inode with the old permissions, and no
// temporary file left behind; a folder that cannot take the new file leaves the old one.
TEST(WriteInIKey, ReplacesAtomically)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ThermoBadge.ini"));
    writeFile(file, skinList());
    ASSERT_EQ(::chmod(file.toLocal8Bit().constData(), 0640), 0);
    struct stat old { };
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &old), 0);
    ASSERT_TRUE(WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"), QStringLiteral("x"), file).ok());
    struct stat now { };
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &now), 0);
    EXPECT_NE(now.st_ino, old.st_ino);
    EXPECT_EQ(now.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("ThermoBadge.ini")});

    const QString missingFolder = dir.filePath(QStringLiteral("no/such/ThermoBadge.ini"));
    EXPECT_EQ(WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"), QStringLiteral("x"), missingFolder).status,
        IniWrite::Status::CannotWrite);
    // A file that does not exist yet is made with the section.
    const QString fresh = dir.filePath(QStringLiteral("new.ini"));
    ASSERT_TRUE(WriteInIKey(QStringLiteral("General"), QStringLiteral("Selected"), QStringLiteral("Зима\\a.png"), fresh).ok());
    EXPECT_EQ(readAll(fresh), toAnsi(u"[General]\r\nSelected=Зима\\a.png\r\n"));
}
