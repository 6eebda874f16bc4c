#include "EditorLink.h"
#include "EditorArgument.h"
#include "FakeIndicator.h"
#include "LookSession.h"

#include <gtest/gtest.h>

using namespace tb;
using namespace tb::test;
using Problem = EditorArgument::Problem;

TEST(EditorArgument, TheIndicatorsCommandLineAndWrongOnes)
{
    struct Good {
        QString arg;
        qint32 handle;
        QString temperature;
    };
    const Good good[] = {
        {"596|+7°", 596, "+7°"},
        {"1|-12.5°", 1, "-12.5°"},
        {"2147483647|+0°", 2147483647, "+0°"},
        {"0042|a|b", 42, "a|b"},
        {"596", 596, ""},
    };
    for (const Good& g : good) {
        const EditorArgument a = parseEditorArgument({g.arg});
        EXPECT_EQ(a.problem, Problem::None) << g.arg.toStdString();
        EXPECT_EQ(a.handle, g.handle) << g.arg.toStdString();
        EXPECT_EQ(a.temperature, g.temperature) << g.arg.toStdString();
        EXPECT_TRUE(argumentErrorText(a).isEmpty());
    }
    const std::pair<QStringList, Problem> bad[] = {
        {{}, Problem::Missing},
        {{"596|+7°", "x"}, Problem::Extra},
        {{"abc|+7°"}, Problem::NotANumber},
        {{"|+7°"}, Problem::NotANumber},
        {{" 596|+7°"}, Problem::NotANumber},
        {{"+596|+7°"}, Problem::NotANumber},
        {{"5.5|+7°"}, Problem::NotANumber},
        {{"-596|+7°"}, Problem::Negative},
        {{"0|+7°"}, Problem::Zero},
        {{"2147483648|+7°"}, Problem::TooLarge},
        {{"99999999999999999999999|+7°"}, Problem::TooLarge},
    };
    for (const auto& [args, problem] : bad) {
        const EditorArgument a = parseEditorArgument(args);
        EXPECT_EQ(a.problem, problem) << args.join(u' ').toStdString();
        const QString text = argumentErrorText(a);
        EXPECT_TRUE(text.contains(QStringLiteral("Использование: ThermoBadgeOpt.dll"))) << text.toStdString();
        EXPECT_LT(text.size(), 400);
    }
}

// The add-on's side of the link against the indicator's real command box: announcement, the
// probe answered inside the indicator's send, front, close, font notice; changes of the look
// land in the indicator's style.
TEST(EditorLink, AnnouncesAnswersTheProbeAndFollowsControlTexts)
{
    const Regional regional = Regional::english();
    FakeCommandChannel channel;
    FakeIndicator indicator(channel, 596, regional);
    EditorLink link(channel, 596);
    int raised = 0, closed = 0;
    QStringList fonts;
    QList<bool> states;
    link.raise = [&] { ++raised; };
    link.close = [&] { ++closed; };
    link.fontReplaced = [&](const QString& f) { fonts << f; };
    link.linkChanged = [&](bool up) { states << up; };

    ASSERT_TRUE(link.start());
    ASSERT_GT(link.handle(), 0);
    EXPECT_EQ(indicator.iOptWnd, link.handle());
    EXPECT_TRUE(indicator.probe());
    EXPECT_TRUE(indicator.probe()); // again: the box was emptied, the same answer still counts
    EXPECT_EQ(channel.sentTo(596),
        (QStringList {QStringLiteral("W=%1").arg(link.handle())} + QStringList(2, QStringLiteral("W=%1").arg(link.handle()))));

    channel.setText(link.handle(), QStringLiteral("W=1"));
    channel.setText(link.handle(), QStringLiteral("F=Arial"));
    channel.setText(link.handle(), QStringLiteral("F="));
    channel.setText(link.handle(), QStringLiteral("Q=whatever"));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(fonts, QStringList {QStringLiteral("Arial")});

    LookSession session(Look {}, LookCommands(regional), [&](const QString& t) { return link.send(t); });
    Look bigger = session.look();
    bigger.fontSize = 48;
    bigger.textColor = 0xFF00;
    EXPECT_TRUE(session.change(bigger));
    EXPECT_FLOAT_EQ(indicator.style.nFontSize, 48);
    EXPECT_EQ(indicator.style.nTextColor, 0xFF00);

    // The indicator shuts down: it says "W=0"; nothing more goes to it, not even a good-bye.
    const auto before = channel.sent.size();
    channel.setText(link.handle(), QStringLiteral("W=0"));
    EXPECT_EQ(closed, 1);
    link.finish();
    EXPECT_FALSE(session.change(Look {}));
    EXPECT_EQ(channel.sent.size(), before + 1); // only the "W=0" itself
    EXPECT_EQ(states, (QList<bool> {true, false}));
}

TEST(EditorLink, WithoutIndicatorOrBoxTheLinkStaysDown)
{
    FakeCommandChannel channel;
    EditorLink gone(channel, 596); // no indicator listens there
    EXPECT_FALSE(gone.start());
    EXPECT_GT(gone.handle(), 0);
    EXPECT_FALSE(gone.linked());
    gone.finish(); // never linked: no "W=0" either
    EXPECT_EQ(channel.sent.size(), 1u);

    FakeIndicator indicator(channel, 597, Regional::english());
    channel.opensFail = true;
    EditorLink boxless(channel, 597);
    EXPECT_FALSE(boxless.start());
    EXPECT_EQ(boxless.handle(), 0);
    EXPECT_EQ(indicator.iOptWnd, 0);

    // A user's close while linked tells the indicator.
    channel.opensFail = false;
    EditorLink linked(channel, 597);
    ASSERT_TRUE(linked.start());
    linked.finish();
    EXPECT_EQ(channel.sentTo(597).back(), QStringLiteral("W=0"));
    EXPECT_EQ(indicator.iOptWnd, 0);
}
