// Kills a writer of the three stores (crash_writer, driving the program's own store code) with
// SIGKILL at random moments while it writes, again and again, and checks after every kill that
// each file still parses and that every value is either the last one written completely or the
// one being written: nothing truncated, lost or mixed. 200 kills in the suite; the longer run:
//   THERMOBADGE_CRASH_KILLS=1000 ctest --test-dir BUILD -R StoreCrash
#include "CrashStep.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

extern char** environ;

using namespace tb::crash;

namespace {

struct WriterRun {
    qint64 lastDone = -1; // the last step the writer reported as written into all three stores
    bool killed = false; // ended by our SIGKILL, not by itself
};

// Starts the writer at `first` and kills it once it has reported `stepsFirst` steps (none: once it
// is ready), `fraction` of a step's time later. `stepUs`, a step's time, is kept up to date from
// the writer's reports, so the kills land at every point of a step however busy the machine is.
WriterRun runAndKill(const QString& dir, qint64 first, int stepsFirst, double fraction, double& stepUs)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const QByteArray folder = dir.toLocal8Bit();
    const QByteArray from = QByteArray::number(first);
    char* argv[]
        = {const_cast<char*>(CRASH_WRITER), const_cast<char*>(folder.constData()), const_cast<char*>(from.constData()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, CRASH_WRITER, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return {};
    }

    using Clock = std::chrono::steady_clock;
    QByteArray output;
    qsizetype lines = 0;
    Clock::time_point lastLine;
    char buffer[4096];
    auto readSome = [&](int timeoutMs) {
        pollfd p {out[0], POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0)
            return false;
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            return false;
        output.append(buffer, n);
        const qsizetype now = output.count('\n');
        const auto at = Clock::now();
        if (lines > 0 && now > lines) {
            const double us = std::chrono::duration<double, std::micro>(at - lastLine).count() / double(now - lines);
            stepUs = 0.8 * stepUs + 0.2 * us;
        }
        if (now > lines)
            lastLine = at;
        lines = now;
        return true;
    };
    while (lines < 1 + stepsFirst && readSome(10'000)) { }
    std::this_thread::sleep_for(std::chrono::microseconds(static_cast<qint64>(fraction * stepUs)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    while (readSome(1000)) { }
    close(out[0]);

    WriterRun run;
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    const QList<QByteArray> reported = output.split('\n');
    // The last piece is empty, or a number cut by the kill.
    for (qsizetype i = 0; i + 1 < reported.size(); ++i) {
        bool ok = false;
        const qint64 step = reported[i].toLongLong(&ok);
        if (ok)
            run.lastDone = step;
    }
    return run;
}

int killsWanted()
{
    const int n = qEnvironmentVariableIntValue("THERMOBADGE_CRASH_KILLS");
    return n > 0 ? n : 200;
}

} // namespace

TEST(StoreCrash, EveryValueIsTheOldOrTheNewOneAfterAKillDuringWrites)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const StoreFiles files = StoreFiles::in(dir.path());

    // Every key gets a first value, written and read back in this process: the values survive
    // the stores' escaping and quoting exactly.
    const auto started = std::chrono::steady_clock::now();
    for (qint64 step = 0; step < kKeys; ++step)
        ASSERT_TRUE(writeStep(files, step));
    double stepUs = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - started).count() / kKeys;
    std::array<std::array<qint64, kKeys>, kStores> shown {}; // the step each store shows per key
    {
        const Snapshot s = readStores(files);
        ASSERT_TRUE(s.problems.isEmpty()) << s.problems.join(QLatin1Char('\n')).toStdString();
        for (int store = 0; store < kStores; ++store)
            for (int k = 0; k < kKeys; ++k) {
                ASSERT_EQ(s.values[store][k], valueOf(k)) << kStoreNames[store];
                shown[store][k] = k;
            }
    }

    const unsigned seed = std::random_device {}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Killed in the first or the second step, anywhere in it.
    std::uniform_int_distribution<int> stepsFirst(0, 1);
    std::uniform_real_distribution<double> fraction(0, 1);
    qint64 next = kKeys;
    int kills = 0, betweenStores = 0, stepsWritten = 0;
    const int wanted = killsWanted();
    for (int round = 0; round < wanted; ++round) {
        const qint64 first = next;
        const WriterRun run = runAndKill(dir.path(), first, stepsFirst(random), fraction(random), stepUs);
        ASSERT_TRUE(run.killed) << "the writer ended by itself in round " << round;
        ++kills;
        const qint64 done = std::max(run.lastDone, first - 1);
        const qint64 cut = done + 1; // the step the kill may have cut short
        stepsWritten += static_cast<int>(done - first + 1);

        const Snapshot s = readStores(files);
        ASSERT_TRUE(s.problems.isEmpty()) << "round " << round << ": " << s.problems.join(QLatin1Char('\n')).toStdString();
        int storesWithCut = 0;
        for (int store = 0; store < kStores; ++store)
            for (int k = 0; k < kKeys; ++k) {
                // The newest step of this key written completely, else what the store showed.
                qint64 old = shown[store][k];
                for (qint64 step = first; step <= done; ++step)
                    if (step % kKeys == k)
                        old = step;
                const auto& got = s.values[store][k];
                ASSERT_TRUE(got.has_value()) << kStoreNames[store] << " lost key " << k << " in round " << round;
                if (*got == valueOf(old)) {
                    shown[store][k] = old;
                } else if (cut % kKeys == k && *got == valueOf(cut)) {
                    shown[store][k] = cut;
                    ++storesWithCut;
                } else {
                    FAIL() << kStoreNames[store] << " key " << k << " in round " << round << " holds neither step " << old
                           << " nor step " << cut << ": " << got->toStdString();
                }
            }
        if (storesWithCut > 0 && storesWithCut < kStores)
            ++betweenStores;
        next = cut + 1;
    }

    // Temporary files a kill left between naming and renaming them (lock files not counted).
    QStringList leftovers = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".ini."));
    leftovers.removeIf([](const QString& name) { return name.endsWith(QStringLiteral("lock")); });
    std::printf("%d kills, %d steps written, %d kills between the stores of one step, %lld temporary files left\n", kills,
        stepsWritten, betweenStores, static_cast<long long>(leftovers.size()));
    // The kills land inside the writing, not only before or after it, and steps also complete.
    EXPECT_GT(betweenStores, wanted / 10);
    EXPECT_GT(stepsWritten, wanted / 10);
}

// A writer killed between creating its lock file and writing its process id into it leaves the
// file empty; the next writer neither drops its write nor waits for the stale time.
TEST(StoreCrash, ALockFileLeftEmptyHoldsNoWriteOff)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const StoreFiles files = StoreFiles::in(dir.path());
    for (const QString& file : {files.registry, files.settings}) {
        QFile lock(file + QStringLiteral(".lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    }
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(writeStep(files, 0));
    ASSERT_TRUE(writeStep(files, 1));
    // Not the 30 s QSettings waits for a lock file it cannot account for.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    const Snapshot s = readStores(files);
    for (int store = 0; store < kStores; ++store)
        EXPECT_EQ(s.values[store][1], valueOf(1)) << kStoreNames[store];
}
