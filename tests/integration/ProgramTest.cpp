#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Runs the indicator program offscreen with its own settings folder.
struct ProgramRun {
    int exitCode = -1;
    QString out;
};
ProgramRun runIndicator(const QStringList& args, const QString& configHome)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("THERMOBADGE_LOOPBACK_ONLY"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
    env.remove(QStringLiteral("LC_ALL"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(THERMOBADGE_BINARY), args);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

} // namespace

TEST(Program, TellsItsVersion)
{
    QTemporaryDir home;
    const ProgramRun r = runIndicator({QStringLiteral("--version")}, home.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains(QStringLiteral("ThermoBadge"))) << r.out.toStdString();
}

TEST(Program, SnapshotDrawsTheShippedLookWithTheStoredReading)
{
    QTemporaryDir home;
    QDir().mkpath(home.filePath(QStringLiteral("ThermoBadge")));
    QFile registry(home.filePath(QStringLiteral("ThermoBadge/registry.ini")));
    ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
    registry.write("[HKEY_CURRENT_USER\\Software\\CtlTemper]\nTemper=sz:-12,5\nTime=sz:07.03.2024 14:05:00\n");
    registry.close();
    const QString png = home.filePath(QStringLiteral("look.png"));
    const ProgramRun r = runIndicator({QStringLiteral("--snapshot"), png}, home.path());
    ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(256, 128)) << "the frost skin at its own size";
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the rounded corner stays transparent";
    int white = 0;
    for (int y = 30; y < 98; ++y)
        for (int x = 40; x < 216; ++x)
            white += image.pixel(x, y) == qRgba(255, 255, 255, 255) ? 1 : 0;
    EXPECT_GT(white, 300) << "white text is drawn over the middle";
    EXPECT_FALSE(QFile::exists(home.filePath(QStringLiteral("ThermoBadge/providers.txt"))));
}

TEST(Program, SnapshotWithoutASkinDrawsTheTextAlone)
{
    QTemporaryDir home;
    QTemporaryDir program;
    // A copy of the program in a folder without skins.
    ASSERT_TRUE(QFile::copy(QStringLiteral(THERMOBADGE_BINARY), program.filePath(QStringLiteral("ThermoBadge"))));
    QFile::setPermissions(program.filePath(QStringLiteral("ThermoBadge")), QFile::ReadOwner | QFile::ExeOwner);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    p.setProcessEnvironment(env);
    p.start(program.filePath(QStringLiteral("ThermoBadge")), {QStringLiteral("--snapshot"), home.filePath(QStringLiteral("x.png"))});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QImage image(home.filePath(QStringLiteral("x.png")));
    ASSERT_FALSE(image.isNull());
    EXPECT_LT(image.width(), 200) << "sized to the text, not to a picture";
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "transparent around the text";
    int white = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            white += image.pixel(x, y) == qRgba(255, 255, 255, 255) ? 1 : 0;
    EXPECT_GT(white, 100) << "the white text is there";
}

TEST(Program, CommandLineWorksWithoutADisplayAndTheIndicatorSaysWhatIsMissing)
{
    QTemporaryDir home;
    const auto run = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        env.insert(QStringLiteral("THERMOBADGE_LOOPBACK_ONLY"), QStringLiteral("1"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(THERMOBADGE_BINARY), args);
        EXPECT_TRUE(p.waitForFinished(20000));
        return ProgramRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                          QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
    };
    const ProgramRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("--snapshot")) && help.out.contains(QStringLiteral("--scale"))) << help.out.toStdString();
    const ProgramRun version = run({QStringLiteral("--version")});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.trimmed(), QStringLiteral("ThermoBadge " THERMOBADGE_VERSION));
    const QString png = home.filePath(QStringLiteral("look.png"));
    const ProgramRun snap = run({QStringLiteral("--snapshot"), png, QStringLiteral("--scale"), QStringLiteral("2")});
    EXPECT_EQ(snap.exitCode, 0) << snap.out.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(512, 256)) << "the 256 x 128 skin at twice the pixel density";

    const ProgramRun indicator = run({});
    EXPECT_EQ(indicator.exitCode, 1) << "no abort, no core dump";
    EXPECT_EQ(indicator.out.trimmed(),
              QStringLiteral("ThermoBadge: no display found; set DISPLAY or use ./run.sh, which brings a virtual one"));
    EXPECT_EQ(run({QStringLiteral("--bogus")}).exitCode, 2);

    // A text longer than a frame carries is not sent at all, and the user is told why.
    const ProgramRun tooLong = run({QStringLiteral("--send"), QString(70 * 1024, u'x')});
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_TRUE(tooLong.out.contains(QStringLiteral("too long to send: 71680 bytes, at most 65536"))) << tooLong.out.toStdString();
}
