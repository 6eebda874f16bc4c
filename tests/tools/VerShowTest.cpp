#include "NoticeTexts.h"
#include "ToolsTestSupport.h"
#include "VersionArgument.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tbvershow;
using Problem = VersionArgument::Problem;

TEST(VerShowArguments, VersionsTheIndicatorPasses)
{
    const std::pair<QString, QString> good[] = {
        {"/v1.5", "1.5"}, {"/v2", "2"},     {"/V1.05", "1.05"},   {"/v1,5", "1.5"},
        {"/v 1.5 ", "1.5"}, {"/v+2", "2"}, {"/v01.50", "1.50"}, {"/v32767.32767", "32767.32767"},
        {"/v5.", "5"},
    };
    for (const auto& [arg, shown] : good) {
        const VersionArgument a = parseVersionArgument({arg});
        EXPECT_EQ(a.problem, Problem::None) << arg.toStdString();
        EXPECT_EQ(a.version, shown) << arg.toStdString();
    }
}

TEST(VerShowArguments, WrongCommandLines)
{
    EXPECT_EQ(parseVersionArgument({}).problem, Problem::Missing);
    EXPECT_EQ(parseVersionArgument({"/v1.5", "/v1.6"}).problem, Problem::Extra);
    EXPECT_EQ(parseVersionArgument({"/v" + QString(30, u'1')}).problem, Problem::TooLong);
    for (const char* arg : {"", "/v", "/vabc", "/v1.2.3", "/v-1", "/v.5", "v1.5", "-v1.5", "/x1.5", "/v1.5a",
                               "/v32768", "/v1.123456", "/v1 .5"})
        EXPECT_EQ(parseVersionArgument({QString::fromUtf8(arg)}).problem, Problem::Malformed) << arg;
}

TEST(VerShowTexts, NameTheVersionsOrTheMistake)
{
    const QString notice = noticeText("1.5", "1.4");
    EXPECT_TRUE(notice.contains(QStringLiteral("Доступна новая версия программы: 1.5")));
    EXPECT_TRUE(notice.contains(QStringLiteral("1.4")));

    const QString error = argumentErrorText(parseVersionArgument({"/v" + QString(5000, u'x')}));
    EXPECT_TRUE(error.contains(QStringLiteral("Использование: VerShow.dll /v")));
    EXPECT_LT(error.size(), 400); // a huge argument is cut short in the message
    EXPECT_TRUE(argumentErrorText(parseVersionArgument({"/v1.5"})).isEmpty());
}

TEST(VerShowProgram, ClosesWithCodeZeroOrTwo)
{
    tools_test::qtApp();
    struct Case {
        QStringList args;
        int exitCode;
        const char* shows;
    };
    const Case cases[] = {
        {{"/v1.5"}, 0, "1.5"},
        {{"/vabc"}, 2, "/vabc"},
        {{}, 2, "VerShow.dll /v"},
        {{"/v1.5", "extra"}, 2, "extra"},
    };
    // A runtime folder of its own: a notice another test shows meanwhile does not hold these off.
    QTemporaryDir runtime;
    for (const Case& c : cases) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("THERMOBADGE_VERSHOW_AUTOCLOSE_MS", "50");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        p.setProcessEnvironment(env);
        p.start(THERMOBADGE_VERSHOW_BINARY, c.args);
        ASSERT_TRUE(p.waitForFinished(10000)) << c.args.join(u' ').toStdString();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), c.exitCode) << c.args.join(u' ').toStdString();
        const QString shown = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(shown.contains(QLatin1String(c.shows))) << shown.toStdString();
    }
}

TEST(VerShowProgram, OneNoticeAtATime)
{
    tools_test::qtApp();
    QTemporaryDir runtime;
    auto start = [&](int closeAfterMs) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("THERMOBADGE_VERSHOW_AUTOCLOSE_MS", QString::number(closeAfterMs));
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        p->setProcessEnvironment(env);
        p->start(THERMOBADGE_VERSHOW_BINARY, {"/v9.9"});
        return p;
    };
    // The first notice stays on screen while 20 more replies start the program.
    const auto first = start(60000);
    ASSERT_TRUE(tools_test::waitUntil([&] { return first->canReadLine(); }, 10000)) << "the first notice is shown";
    for (int i = 0; i < 20; ++i) {
        const auto later = start(50);
        ASSERT_TRUE(later->waitForFinished(10000));
        EXPECT_EQ(later->exitCode(), 4) << i;
        EXPECT_TRUE(later->readAllStandardOutput().isEmpty()) << i;
    }
    EXPECT_EQ(first->state(), QProcess::Running);
    first->kill();
    first->waitForFinished();
    // Once it is gone, the next reply shows its notice.
    const auto next = start(50);
    ASSERT_TRUE(next->waitForFinished(10000));
    EXPECT_EQ(next->exitCode(), 0);
}

// Without a display the notice goes to standard error, in the interface language too.
TEST(VerShowProgram, WithoutADisplayTheNoticeIsWrittenInTheInterfaceLanguage)
{
    tools_test::qtApp();
    QTemporaryDir home;
    for (const auto& [lang, says] : {std::pair {"C.UTF-8", "нет дисплея для окна сообщения.\nДоступна новая версия программы: 1.5"},
             std::pair {"de_DE.UTF-8", "no display for the notice window.\nA new version of the program is available: 1.5"}}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            env.remove(QString::fromLatin1(name));
        env.insert("LANG", QString::fromLatin1(lang));
        env.insert("XDG_CONFIG_HOME", home.path());
        p.setProcessEnvironment(env);
        p.start(THERMOBADGE_VERSHOW_BINARY, {"/v1.5"});
        ASSERT_TRUE(p.waitForFinished(10000)) << lang;
        EXPECT_EQ(p.exitCode(), 3) << lang;
        const QString said = QString::fromUtf8(p.readAllStandardError());
        EXPECT_TRUE(said.contains(QString::fromUtf8(says))) << lang << ": " << said.toStdString();
    }
}
