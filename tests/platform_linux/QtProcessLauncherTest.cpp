#include "QtTestLoop.h"
#include "platform/linux/QtProcessLauncher.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tb;
using tb::test::waitUntil;

namespace {

class QtProcessLauncherTest : public ::testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& content, bool executable)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        f.close();
        QFileDevice::Permissions perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        if (executable)
            perms |= QFileDevice::ExeOwner;
        f.setPermissions(perms);
        return path;
    }

    QTemporaryDir dir;
    QtProcessLauncher launcher;
};

} // namespace

TEST_F(QtProcessLauncherTest, StartsAProgramWithExactlyItsArguments)
{
    ASSERT_TRUE(dir.isValid());
    const QString out = dir.filePath(QStringLiteral("args"));
    // Writes each argument followed by a NUL, then renames, so the file appears complete.
    const QString script = writeFile(QStringLiteral("record-args"),
                                     QStringLiteral("#!/bin/sh\nprintf '%s\\0' \"$@\" > '%1.part' && mv '%1.part' '%1'\n")
                                         .arg(out)
                                         .toUtf8(),
                                     true);
    const QStringList arguments{"plain", "two words", "", "quote\"s' and $HOME; `id` | *", "Привет", "--x=1\n2"};
    ASSERT_TRUE(launcher.startDetached(script, arguments));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(out); }, 10000));

    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QList<QByteArray> fields = f.readAll().split('\0');
    ASSERT_EQ(fields.takeLast(), QByteArray()); // after the last NUL
    QStringList received;
    for (const QByteArray& field : fields)
        received.append(QString::fromUtf8(field));
    EXPECT_EQ(received, arguments);
}

TEST_F(QtProcessLauncherTest, RefusesWhatCannotRunAndTellsFilesFromTheRest)
{
    ASSERT_TRUE(dir.isValid());
    const QString notExecutable = writeFile(QStringLiteral("no-exec-bit"), "#!/bin/sh\nexit 0\n", false);
    // A shell would run this one; the system does not.
    const QString marker = dir.filePath(QStringLiteral("ran"));
    const QString noShebang = writeFile(QStringLiteral("no-shebang"), QStringLiteral("touch '%1'\n").arg(marker).toUtf8(), true);
    const QString subdir = dir.filePath(QStringLiteral("subdir"));
    ASSERT_TRUE(QDir().mkdir(subdir));
    const QString missing = dir.filePath(QStringLiteral("missing"));

    for (const QString& program : {notExecutable, noShebang, subdir, missing, QString()})
        EXPECT_FALSE(launcher.startDetached(program, {QStringLiteral("a")})) << program.toStdString();
    EXPECT_FALSE(QFile::exists(marker));

    const QString fileLink = dir.filePath(QStringLiteral("file-link"));
    const QString dirLink = dir.filePath(QStringLiteral("dir-link"));
    ASSERT_TRUE(QFile::link(notExecutable, fileLink));
    ASSERT_TRUE(QFile::link(subdir, dirLink));
    EXPECT_TRUE(launcher.isRegularFile(notExecutable));
    EXPECT_TRUE(launcher.isRegularFile(fileLink));
    for (const QString& path : {subdir, dirLink, missing, QString(), QStringLiteral("/dev/null")})
        EXPECT_FALSE(launcher.isRegularFile(path)) << path.toStdString();
}
