// One indicator per user: real processes racing for the lock (this test program starts itself
// again as each instance), and what crashed instances leave behind.
#include "QtTestLoop.h"
#include "platform/linux/SingleInstance.h"
#include "platform/linux/UnixCommandChannel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string_view>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tb;
using tb::test::waitUntil;

namespace {

// As an instance: prints "primary" and serves until killed, printing "activated" per request;
// or asks the primary and prints "notified" or "unanswered".
int runInstance()
{
    int argc = 1;
    char name[] = "instance";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    SingleInstance instance;
    if (instance.tryBecomePrimary()) {
        instance.onActivateRequested = [] {
            std::puts("activated");
            std::fflush(stdout);
        };
        std::puts("primary");
        std::fflush(stdout);
        return QCoreApplication::exec();
    }
    std::puts(instance.notifyPrimary() ? "notified" : "unanswered");
    return 0;
}

[[maybe_unused]] const bool kRanAsInstance = [] {
    if (!qEnvironmentVariableIsSet("THERMOBADGE_INSTANCE_ROLE"))
        return false;
    std::exit(runInstance());
}();

[[maybe_unused]] auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new test::AppEnvironment<QCoreApplication>);

// A socket file nobody listens at, as a killed process leaves it.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    ASSERT_TRUE(makeAddress(QFile::encodeName(path), address));
    ASSERT_EQ(::bind(fd, asAddress(address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ::close(fd);
}

// A peer of the primary talking the raw protocol: what it sent and what it heard back.
struct Peer {
    std::string_view says;
    QByteArray heard;
    bool closed = false;
    int fd = -1;

    ~Peer()
    {
        if (fd >= 0)
            ::close(fd);
    }
    void connectTo(const QString& path)
    {
        sockaddr_un address {};
        ASSERT_TRUE(makeAddress(QFile::encodeName(path), address));
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_EQ(::connect(fd, asAddress(address), sizeof address), 0);
        ASSERT_EQ(::send(fd, says.data(), says.size(), MSG_NOSIGNAL), static_cast<ssize_t>(says.size()));
    }
    // Reads what has come; true once the primary closed the connection.
    bool listen()
    {
        std::array<char, 64> bytes {};
        ssize_t n = 0;
        while ((n = ::recv(fd, bytes.data(), bytes.size(), MSG_DONTWAIT)) > 0)
            heard.append(bytes.data(), n);
        closed = closed || n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        return closed;
    }
};

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    std::unique_ptr<QProcess> start()
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("THERMOBADGE_INSTANCE_ROLE"), QStringLiteral("instance"));
        p->setProcessEnvironment(env);
        p->start(QCoreApplication::applicationFilePath(), {});
        return p;
    }
    QTemporaryDir runtime;
};

} // namespace

TEST_F(SingleInstanceTest, TwoStartsAtOnceLeaveExactlyOneAndACrashedOneBlocksNothing)
{
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        // Started back to back: both race for the lock within the same millisecond or so.
        std::unique_ptr<QProcess> a = start();
        std::unique_ptr<QProcess> b = start();
        ASSERT_TRUE(a->waitForStarted() && b->waitForStarted());
        ASSERT_TRUE(waitUntil([&] { return a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning; }, 15000));
        QProcess& second = a->state() == QProcess::NotRunning ? *a : *b;
        QProcess& first = &second == a.get() ? *b : *a;
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(second.readAllStandardOutput(), QByteArray("notified\n"));
        QByteArray out;
        ASSERT_TRUE(waitUntil(
            [&] {
                out += first.readAllStandardOutput();
                return out == "primary\nactivated\n";
            },
            5000))
            << out.toStdString();
        EXPECT_EQ(first.state(), QProcess::Running);
        // A crash: the lock goes with the process, the socket file stays for the next round.
        first.kill();
        ASSERT_TRUE(first.waitForFinished());
        EXPECT_TRUE(QFile::exists(runtime.filePath(QStringLiteral("thermobadge/indicator.show"))));
    }
}

TEST_F(SingleInstanceTest, LeftoversOfACrashDoNotBlockAndAnUnsafeFolderTurnsTheCheckOff)
{
    const QString folder = runtime.filePath(QStringLiteral("thermobadge"));
    ASSERT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
    std::optional<SingleInstance> first;
    first.emplace(folder);
    leaveStaleSocket(first->socketPath());
    QFile lock(first->lockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    // The command channel's name of a crashed indicator, pointing at nothing.
    ASSERT_EQ(::symlink("2147483000", QFile::encodeName(folder + QStringLiteral("/indicator")).constData()), 0);

    ASSERT_TRUE(first->tryBecomePrimary());
    SingleInstance later(folder);
    EXPECT_FALSE(later.tryBecomePrimary());
    int activated = 0;
    first->onActivateRequested = [&] { ++activated; };
    std::unique_ptr<QProcess> other = start();
    ASSERT_TRUE(waitUntil([&] { return other->state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(other->readAllStandardOutput(), QByteArray("notified\n"));
    EXPECT_EQ(activated, 1);

    // The holder ends normally: its socket goes and the next start runs.
    first.reset();
    EXPECT_FALSE(QFile::exists(later.socketPath()));
    EXPECT_TRUE(later.tryBecomePrimary());

    // A folder others could enter is not trusted: every start runs.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    SingleInstance open1(folder);
    SingleInstance open2(folder);
    EXPECT_TRUE(open1.tryBecomePrimary());
    EXPECT_TRUE(open2.tryBecomePrimary());
}

TEST_F(SingleInstanceTest, BadPeersAreDroppedWhileARealRequestIsServed)
{
    SingleInstance primary(runtime.filePath(QStringLiteral("thermobadge")));
    ASSERT_TRUE(primary.tryBecomePrimary());
    int activated = 0;
    primary.onActivateRequested = [&] { ++activated; };
    using namespace std::string_view_literals;
    std::array<Peer, 5> peers;
    peers[0].says = "shout\n"sv; // not the request: refused at once
    peers[1].says = "\0\xff\n\n\n\n"sv; // nor is this
    peers[2].says = ""sv; // says nothing: dropped after 2 s
    peers[3].says = "sho"sv; // stops halfway: likewise
    peers[4].says = "show\n"sv; // confirmed once the handler ran
    for (Peer& peer : peers)
        ASSERT_NO_FATAL_FAILURE(peer.connectTo(primary.socketPath()));
    Peer& good = peers[4];
    ASSERT_TRUE(waitUntil([&] { return good.listen(); }));
    EXPECT_EQ(good.heard, QByteArray("shown\n"));
    EXPECT_EQ(activated, 1);
    ASSERT_TRUE(waitUntil([&] { return peers[0].listen() && peers[1].listen(); }));
    // The silent ones held nothing up and are still waited for.
    EXPECT_FALSE(peers[2].listen() || peers[3].listen());
    ASSERT_TRUE(waitUntil([&] { return peers[2].listen() && peers[3].listen(); }));
    for (const Peer& peer : peers) {
        if (&peer != &good) {
            EXPECT_EQ(peer.heard, QByteArray()) << peer.says;
        }
    }
    EXPECT_EQ(activated, 1);
}

// At most 32 connections are served at once: a 33rd, even with the right request, is closed
// unanswered while the 32 are still waited for.
TEST_F(SingleInstanceTest, AThirtyThirdConnectionAtOnceIsRefused)
{
    SingleInstance primary(runtime.filePath(QStringLiteral("thermobadge")));
    ASSERT_TRUE(primary.tryBecomePrimary());
    int activated = 0;
    primary.onActivateRequested = [&] { ++activated; };
    // All connect before the event loop runs, so they are accepted in this order.
    std::array<Peer, 33> peers;
    peers.back().says = "show\n";
    for (Peer& peer : peers)
        ASSERT_NO_FATAL_FAILURE(peer.connectTo(primary.socketPath()));
    ASSERT_TRUE(waitUntil([&] { return peers.back().listen(); }));
    EXPECT_EQ(peers.back().heard, QByteArray());
    EXPECT_EQ(activated, 0);
    for (std::size_t i = 0; i < 32; ++i)
        EXPECT_FALSE(peers[i].listen()) << i;
}

TEST_F(SingleInstanceTest, ABadRuntimeFolderNeverLetsTwoInstancesRun)
{
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString usual = runtime.filePath(QStringLiteral("thermobadge"));
    const QString elsewhere = runtime.filePath(QStringLiteral("elsewhere"));
    ASSERT_EQ(::mkdir(QFile::encodeName(elsewhere).constData(), 0700), 0);
    const QByteArray path = QFile::encodeName(usual);
    const struct {
        const char* what;
        std::function<bool()> make;
        bool keptInPlace; // this user's own folder is repaired, anything else avoided
    } cases[] = {
        {"this user's folder with mode 755", [&] { return ::mkdir(path.constData(), 0755) == 0 && ::chmod(path.constData(), 0755) == 0; }, true},
        {"a link to a private folder", [&] { return QFile::link(elsewhere, usual); }, false},
        {"a file", [&] { return QFile(usual).open(QIODevice::WriteOnly); }, false},
        {"another user's folder", [&] { return ::mkdir(path.constData(), 0700) == 0 && ::chown(path.constData(), 65534, 65534) == 0; }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(usual).removeRecursively();
        QFile::remove(usual);
        if (!c.make()) {
            EXPECT_NE(::geteuid(), 0u) << "only another user's folder needs root to arrange";
            continue;
        }
        SingleInstance first;
        SingleInstance second;
        EXPECT_EQ(first.folder() == usual, c.keptInPlace) << first.folder().toStdString();
        ASSERT_TRUE(first.tryBecomePrimary());
        EXPECT_TRUE(first.holdsLock());
        EXPECT_FALSE(second.tryBecomePrimary()) << "the second start finds the lock";
        UnixCommandChannel channel;
        EXPECT_TRUE(channel.usable());
        EXPECT_EQ(channel.folder(), first.folder());
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(first.folder()).constData(), &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(st.st_uid, ::geteuid());
    }
    QFileInfo target(elsewhere);
    EXPECT_TRUE(target.isDir()) << "the link's target is left alone";
    qunsetenv("XDG_CACHE_HOME");
}
