// Short commands and the companion process on real processes: bounded output and deadlines,
// a companion started again right after it was stopped, callers of stop() all told, and a
// runner that goes away without calling back.
#include "QtTestLoop.h"
#include "platform/linux/QtCommandRunner.h"

#include <memory>

using namespace tb;
using namespace std::chrono_literals;
using tb::test::runFor;
using tb::test::waitUntil;

TEST(QtCommandRunner, CommandsEndWithTheirOutputWithinTheirTimeAndNeverAfterTheRunnerIsGone)
{
    QtCommandRunner runner;
    std::vector<CommandResult> ended;
    auto keep = [&](const CommandResult& r) { ended.push_back(r); };
    runner.run(QStringLiteral("sh"), {"-c", "echo out; echo err >&2; exit 3"}, 5s, keep);
    runner.run(QStringLiteral("sh"), {"-c", "head -c 200000 /dev/zero"}, 5s, keep);
    runner.run(QStringLiteral("sleep"), {"10"}, 200ms, keep);
    runner.run(QStringLiteral("/nonexistent/program"), {}, 5s, keep);
    EXPECT_TRUE(ended.empty()) << "never from inside run()";
    ASSERT_TRUE(waitUntil([&] { return ended.size() == 4; }, 5000));
    for (const CommandResult& r : ended) {
        if (!r.started) {
            EXPECT_FALSE(r.succeeded());
        } else if (r.timedOut) {
            EXPECT_EQ(r.exitCode, -1);
        } else if (r.exitCode == 3) {
            EXPECT_EQ(r.out, "out\n");
            EXPECT_EQ(r.err, "err\n");
        } else {
            EXPECT_EQ(r.out.size(), kCommandOutputLimit) << "output is bounded";
        }
    }
    EXPECT_EQ(std::count_if(ended.begin(), ended.end(), [](const CommandResult& r) { return r.timedOut; }), 1);
    EXPECT_EQ(std::count_if(ended.begin(), ended.end(), [](const CommandResult& r) { return !r.started; }), 1);

    // A runner that goes away kills what still runs and calls nobody back.
    bool called = false;
    {
        QtCommandRunner leaving;
        leaving.run(QStringLiteral("sleep"), {"10"}, 20s, [&](const CommandResult&) { called = true; });
        runFor(100);
    }
    runFor(100);
    EXPECT_FALSE(called);
}

TEST(QtCompanionProcess, AServerStartedAgainRightAfterAStopKeepsRunning)
{
    QtCompanionProcess companion;
    int endedByItself = 0;
    companion.onEnded = [&](int) { ++endedByItself; };
    ASSERT_TRUE(companion.start(QStringLiteral("sleep"), {"100"}));
    // Both callers of stop() hear of the end; the second start comes from the first callback.
    int told = 0;
    companion.stop([&] {
        ++told;
        EXPECT_TRUE(companion.start(QStringLiteral("sleep"), {"100"}));
    });
    companion.stop([&] { ++told; });
    ASSERT_TRUE(waitUntil([&] { return told == 2; }, 5000));
    // The first stop's kill (after 3 s) must not reach the server started after it.
    runFor(3500);
    EXPECT_TRUE(companion.running());
    EXPECT_EQ(endedByItself, 0);
}
