// The command channel across real processes: this test program starts itself again as the
// other process (THERMOBADGE_CHANNEL_PEER names its role), and raw sockets play senders that
// break the rules.
#include "QtPrinters.h"
#include "QtTestLoop.h"
#include "platform/CommandFrame.h"
#include "platform/linux/UnixCommandChannel.h"

#include <QDir>
#include <QtEndian>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include <poll.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tb;
using tb::test::waitUntil;

namespace {

constexpr uid_t kStranger = 65534; // "nobody"

bool isSocket(const QString& path)
{
    struct stat st { };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return address;
}

int connectRaw(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The roles this program plays as the other process.
//   addon HANDLE        announces its endpoint to HANDLE with "W=<own>", answers "W=2" the same
//                       way while the probe waits, prints every text, ends on "W=0"
//   flood HANDLE COUNT  sets "C=0" ... into HANDLE; exits 0 when every one was acknowledged
//   stranger PATH       as another user, sends one frame to the socket PATH; exits 0 when it
//                       was refused (no acknowledgement)
int runPeer(const QStringList& role)
{
    const qint32 target = role.value(1).toInt();
    if (role.value(0) == QStringLiteral("flood")) {
        UnixCommandChannel channel;
        const int count = role.value(2).toInt();
        for (int i = 0; i < count; ++i)
            if (!channel.setText(target, QStringLiteral("C=%1").arg(i)))
                return 1;
        return 0;
    }
    if (role.value(0) == QStringLiteral("stranger")) {
        // The folder stays reachable (file-system id 0), but the connection carries the
        // stranger's credentials.
        if (::setresgid(kStranger, kStranger, 0) != 0 || ::setresuid(kStranger, kStranger, 0) != 0)
            return 2;
        ::setfsuid(0);
        const int fd = connectRaw(role.value(1));
        if (fd < 0)
            return 3;
        const QByteArray frame = *encodeFrame("C=1");
        char answer = 0;
        const bool acknowledged
            = ::send(fd, frame.constData(), frame.size(), MSG_NOSIGNAL) == frame.size() && ::recv(fd, &answer, 1, 0) == 1;
        // The leak checker cannot inspect a process that changed its user: leave without it.
        ::_exit(acknowledged ? 4 : 0);
    }
    int argc = 1;
    char name[] = "peer";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    UnixCommandChannel channel;
    QTextStream out(stdout);
    std::unique_ptr<CommandEndpoint> endpoint;
    endpoint = channel.open([&](const QString& text) {
        out << text << Qt::endl;
        if (text == QStringLiteral("W=2"))
            channel.setText(target, QStringLiteral("W=%1").arg(endpoint->handle()));
        else if (text == QStringLiteral("W=0"))
            QCoreApplication::quit();
    });
    if (!endpoint || !channel.setText(target, QStringLiteral("W=%1").arg(endpoint->handle())))
        return 1;
    return QCoreApplication::exec();
}

[[maybe_unused]] const bool kRanAsPeer = [] {
    if (!qEnvironmentVariableIsSet("THERMOBADGE_CHANNEL_PEER"))
        return false;
    std::fflush(stdout);
    std::exit(runPeer(qEnvironmentVariable("THERMOBADGE_CHANNEL_PEER").split(u' ')));
}();

class ChannelApp final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            app_ = std::make_unique<QCoreApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "channel_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};
[[maybe_unused]] auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new ChannelApp);

class CommandChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        channel = std::make_unique<UnixCommandChannel>();
        ASSERT_TRUE(channel->usable());
        box = channel->open([this](const QString& text) { texts.append(text); });
        ASSERT_TRUE(box);
    }

    std::unique_ptr<QProcess> startPeer(const QString& role)
    {
        auto peer = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("THERMOBADGE_CHANNEL_PEER"), role);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        peer->setProcessEnvironment(env);
        peer->start(QCoreApplication::applicationFilePath(), {});
        EXPECT_TRUE(peer->waitForStarted());
        return peer;
    }
    QString pathOf(qint32 handle) const { return channel->folder() + u'/' + QString::number(handle); }

    QTemporaryDir runtime;
    std::unique_ptr<UnixCommandChannel> channel;
    std::unique_ptr<CommandEndpoint> box;
    QStringList texts;
};

// A raw sender: writes bytes and reads what the endpoint answers while the event loop runs.
struct RawSender {
    explicit RawSender(const QString& path)
        : fd(connectRaw(path))
    {
    }
    ~RawSender()
    {
        if (fd >= 0)
            ::close(fd);
    }
    void write(const QByteArray& bytes) const
    {
        ASSERT_EQ(::send(fd, bytes.constData(), bytes.size(), MSG_NOSIGNAL), bytes.size());
    }
    // The answer byte, -1 when the endpoint closed the connection, -2 when nothing came.
    int answer() const
    {
        int result = -2;
        waitUntil(
            [&] {
                char byte = 0;
                const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT);
                if (n == 1)
                    result = byte;
                else if (n == 0)
                    result = -1;
                return result != -2;
            },
            3000);
        return result;
    }
    int fd;
};

// A socket listening at `path` that nobody serves; -1 when it cannot be made.
int listenAt(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = addressOf(path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// An endpoint played by hand at a handle of the test's choosing, on a thread of its own (the
// sender waits without an event loop): it takes one frame and answers `reply`, then waits for
// the sender to close.
class HandMadeEndpoint {
public:
    HandMadeEndpoint(const QString& path, char reply)
        : path_(path)
        , fd_(listenAt(path))
        , thread_([this, reply] { serve(reply); })
    {
    }
    ~HandMadeEndpoint()
    {
        if (thread_.joinable())
            thread_.join();
        ::close(fd_);
        QFile::remove(path_);
    }
    // The frame's text as it arrived (after the sender is done).
    QByteArray text()
    {
        if (thread_.joinable())
            thread_.join();
        return text_;
    }

private:
    bool ready(int fd) const
    {
        pollfd p {fd, POLLIN, 0};
        return ::poll(&p, 1, 3000) == 1;
    }
    QByteArray readExactly(int fd, std::size_t size) const
    {
        QByteArray bytes;
        char buffer[256];
        while (static_cast<std::size_t>(bytes.size()) < size && ready(fd)) {
            const ssize_t n = ::recv(fd, buffer, std::min(sizeof buffer, size - static_cast<std::size_t>(bytes.size())), 0);
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        return bytes;
    }
    void serve(char reply)
    {
        if (fd_ < 0 || !ready(fd_))
            return;
        const int connection = ::accept(fd_, nullptr, nullptr);
        const QByteArray length = readExactly(connection, 4);
        if (length.size() == 4) {
            const auto size = qFromBigEndian<quint32>(length.constData());
            text_ = readExactly(connection, size);
            ::send(connection, &reply, 1, MSG_NOSIGNAL);
            readExactly(connection, 1); // until the sender closes
        }
        ::close(connection);
    }

    QString path_;
    int fd_;
    QByteArray text_;
    std::thread thread_;
};

} // namespace

TEST_F(CommandChannelTest, TheAddonsAnswerToTheProbeArrivesBeforeTheProbeReturns)
{
    auto addon = startPeer(QStringLiteral("addon %1").arg(box->handle()));
    ASSERT_TRUE(waitUntil([&] { return !texts.isEmpty(); }));
    const QString announced = texts.takeFirst();
    ASSERT_TRUE(announced.startsWith(QStringLiteral("W=")));
    const qint32 addonHandle = announced.mid(2).toInt();
    ASSERT_GT(addonHandle, 0);
    EXPECT_NE(addonHandle, box->handle());

    // No event loop runs between the send and the check: the answer came during the wait.
    ASSERT_TRUE(channel->setText(addonHandle, QStringLiteral("W=2")));
    EXPECT_EQ(texts, QStringList {announced});
    ASSERT_TRUE(channel->setText(addonHandle, QStringLiteral("F=Тест °±№")));
    ASSERT_TRUE(channel->setText(addonHandle, QStringLiteral("W=0")));
    ASSERT_TRUE(addon->waitForFinished(5000));
    EXPECT_EQ(addon->exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(addon->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
        (QStringList {QStringLiteral("W=2"), QStringLiteral("F=Тест °±№"), QStringLiteral("W=0")}));
    EXPECT_FALSE(isSocket(pathOf(addonHandle))) << "an ended process leaves no endpoint";

    // One that was killed leaves its socket behind: a send fails at once and removes it.
    texts.clear();
    auto killed = startPeer(QStringLiteral("addon %1").arg(box->handle()));
    ASSERT_TRUE(waitUntil([&] { return !texts.isEmpty(); }));
    const qint32 killedHandle = texts.takeFirst().mid(2).toInt();
    killed->kill();
    ASSERT_TRUE(killed->waitForFinished());
    ASSERT_TRUE(isSocket(pathOf(killedHandle)));
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(channel->setText(killedHandle, QStringLiteral("W=2")));
    EXPECT_FALSE(channel->setText(addonHandle, QStringLiteral("W=2")));
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_FALSE(isSocket(pathOf(killedHandle)));
}

TEST_F(CommandChannelTest, FramesAtTheLengthLimitAndBrokenStreams)
{
    const QString path = pathOf(box->handle());
    const QByteArray longest(kMaxFrameText, '\xE6'); // "ж"
    {
        // Several frames on one connection, each acknowledged after its handler ran.
        RawSender sender(path);
        for (const QByteArray& text : {QByteArray(), QByteArray("x"), longest}) {
            sender.write(*encodeFrame(text));
            EXPECT_EQ(sender.answer(), kFrameAck) << text.size();
        }
        ASSERT_EQ(texts.size(), 3);
        EXPECT_EQ(texts[0], QString());
        EXPECT_EQ(texts[1], QStringLiteral("x"));
        EXPECT_EQ(texts[2], QString(kMaxFrameText, QChar(0x0436)));
        EXPECT_FALSE(encodeFrame(longest + 'x'));
    }
    texts.clear();
    {
        // One byte over the limit: closed at the length, nothing set.
        RawSender sender(path);
        sender.write(QByteArray::fromHex("00010001") + longest.left(100));
        EXPECT_EQ(sender.answer(), -1);
    }
    {
        // The length promises more than comes before the sender closes.
        RawSender sender(path);
        sender.write(QByteArray::fromHex("0000000a") + "C=1");
        ::shutdown(sender.fd, SHUT_WR);
        EXPECT_EQ(sender.answer(), -1);
    }
    {
        // Closed in the middle of the length itself.
        RawSender sender(path);
        sender.write(QByteArray::fromHex("0000"));
        ::shutdown(sender.fd, SHUT_WR);
        EXPECT_EQ(sender.answer(), -1);
    }
    EXPECT_TRUE(texts.isEmpty());
    // The endpoint still works for the next sender.
    EXPECT_TRUE(channel->setText(box->handle(), QStringLiteral("C=255")));
    EXPECT_EQ(texts, QStringList {QStringLiteral("C=255")});
}

TEST_F(CommandChannelTest, OnlyProcessesOfTheSameUserAreServed)
{
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    EXPECT_EQ(peerUserId(pair[0]), ::geteuid());
    EXPECT_TRUE(peerIsSameUser(pair[0]));
    ::close(pair[0]);
    ::close(pair[1]);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    EXPECT_FALSE(peerUserId(pipeEnds[0])) << "no credentials, no talk";
    EXPECT_FALSE(peerIsSameUser(pipeEnds[0]));
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);

    if (::geteuid() != 0)
        GTEST_SKIP() << "another user's process needs root to arrange";
    auto stranger = startPeer(QStringLiteral("stranger ") + pathOf(box->handle()));
    ASSERT_TRUE(waitUntil([&] { return stranger->state() == QProcess::NotRunning; }));
    EXPECT_EQ(stranger->exitCode(), 0) << "2: could not change user, 3: could not connect, 4: it was served";
    EXPECT_TRUE(texts.isEmpty());
}

TEST_F(CommandChannelTest, TenThousandCommandsFromAnotherProcessAllArriveInOrder)
{
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
    heartbeat.start(5);
    auto flood = startPeer(QStringLiteral("flood %1 10000").arg(box->handle()));
    ASSERT_TRUE(waitUntil([&] { return flood->state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(flood->exitCode(), 0);
    ASSERT_EQ(texts.size(), 10000);
    for (int i = 0; i < texts.size(); ++i)
        ASSERT_EQ(texts[i], QStringLiteral("C=%1").arg(i));
    EXPECT_GT(ticks, 0) << "the receiver's other events ran during the flood";
}

TEST_F(CommandChannelTest, PublishedNamesAndFilesThatAreNoEndpoints)
{
    EXPECT_EQ(commandChannelFolder(), runtime.path() + QStringLiteral("/thermobadge"));

    ASSERT_TRUE(channel->publish(*box, QStringLiteral("indicator")));
    UnixCommandChannel other; // as a second process sees the folder
    EXPECT_EQ(other.lookup(QStringLiteral("indicator")), box->handle());
    EXPECT_TRUE(other.setText(*other.lookup(QStringLiteral("indicator")), QStringLiteral("S=48")));
    EXPECT_EQ(texts, QStringList {QStringLiteral("S=48")});
    EXPECT_FALSE(channel->publish(*box, QStringLiteral("123"))) << "a number is an endpoint's name";
    EXPECT_FALSE(channel->publish(*box, QStringLiteral("../x")));

    // A regular file where an endpoint would be: no wait, nothing sent, the file is left alone.
    QFile file(pathOf(4242));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(other.setText(4242, QStringLiteral("S=48")));
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_TRUE(file.exists());
    ASSERT_EQ(::symlink("4242", QFile::encodeName(channel->folder() + QStringLiteral("/regular"))), 0);
    EXPECT_FALSE(other.lookup(QStringLiteral("regular")));
    EXPECT_FALSE(other.setText(0, QStringLiteral("S=48")));
    EXPECT_FALSE(other.setText(-5, QStringLiteral("S=48")));

    // An endpoint closed by its own handler still acknowledges the text that closed it.
    std::unique_ptr<CommandEndpoint> oneShot;
    oneShot = channel->open([&](const QString&) { oneShot.reset(); });
    const qint32 oneShotHandle = oneShot->handle();
    EXPECT_TRUE(other.setText(oneShotHandle, QStringLiteral("W=0")));
    EXPECT_FALSE(oneShot);
    EXPECT_FALSE(isSocket(pathOf(oneShotHandle)));

    // Closing the endpoint takes its socket and its name away.
    const qint32 handle = box->handle();
    box.reset();
    EXPECT_FALSE(isSocket(pathOf(handle)));
    EXPECT_FALSE(QFileInfo(channel->folder() + QStringLiteral("/indicator")).isSymLink());
    EXPECT_FALSE(other.lookup(QStringLiteral("indicator")));
}

TEST_F(CommandChannelTest, AFolderOthersCouldReachIsRefused)
{
    const QString folder = runtime.filePath(QStringLiteral("open"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    const QString linked = runtime.filePath(QStringLiteral("linked"));
    ASSERT_TRUE(QFile::link(channel->folder(), linked));
    const QString foreign = runtime.filePath(QStringLiteral("foreign"));
    ASSERT_TRUE(QDir().mkdir(foreign));
    ::chmod(QFile::encodeName(foreign).constData(), 0700);
    const bool canChown = ::chown(QFile::encodeName(foreign).constData(), kStranger, kStranger) == 0;

    for (const QString& refused : {folder, linked, foreign}) {
        if (refused == foreign && !canChown)
            continue;
        UnixCommandChannel bad(refused);
        EXPECT_FALSE(bad.usable()) << qPrintable(refused);
        EXPECT_EQ(bad.open([](const QString&) {}), nullptr);
        EXPECT_FALSE(bad.setText(box->handle(), QStringLiteral("S=48")));
        EXPECT_TRUE(texts.isEmpty());
    }
    // A missing folder is made private.
    UnixCommandChannel fresh(runtime.filePath(QStringLiteral("fresh")));
    EXPECT_TRUE(fresh.usable());
    struct stat st { };
    ASSERT_EQ(::stat(QFile::encodeName(fresh.folder()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(CommandChannelTest, AReceiverThatNeverAnswersIsGivenUpAfterTwoSeconds)
{
    const int silent = listenAt(pathOf(777));
    ASSERT_GE(silent, 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(channel->setText(777, QStringLiteral("S=48")));
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_LT(clock.elapsed(), 4000);
    ::close(silent);
}

TEST_F(CommandChannelTest, IdleConnectionsTimeOutAndNeverLockSendersOut)
{
    // 200 connections that send nothing: more than the endpoint keeps at once.
    std::vector<std::unique_ptr<RawSender>> idle;
    for (int i = 0; i < 200; ++i) {
        idle.push_back(std::make_unique<RawSender>(pathOf(box->handle())));
        ASSERT_GE(idle.back()->fd, 0);
    }
    // Served (and the surplus refused) by the event loop; then they sit idle past 2 s.
    tb::test::runFor(2600);
    UnixCommandChannel other;
    EXPECT_TRUE(other.setText(box->handle(), QStringLiteral("S=48")));
    EXPECT_EQ(texts, QStringList {QStringLiteral("S=48")});
    // The idle ones were closed: their senders see the end of the stream.
    EXPECT_EQ(idle.front()->answer(), -1);
    EXPECT_EQ(idle.back()->answer(), -1);
}

// A send is done only when the receiver answers the acknowledgement byte: any other answer fails
// it at once. Handles have up to ten digits (2147483647 the largest), and a published name
// finds an endpoint at any of them.
TEST_F(CommandChannelTest, OnlyTheAcknowledgementCompletesASendAtHandlesOfEveryLength)
{
    const struct {
        qint32 handle;
        char reply;
        bool sent;
    } cases[] = {
        {2147483647, kFrameAck, true},
        {1000000000, kFrameAck, true},
        {7, kFrameAck, true},
        {2147483647, 'x', false},
        {999999999, '\0', false},
        {8, kFrameAck + 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.handle << " answers " << int(c.reply));
        HandMadeEndpoint receiver(pathOf(c.handle), c.reply);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(channel->setText(c.handle, QStringLiteral("S=48")), c.sent);
        EXPECT_LT(clock.elapsed(), 1000) << "the answer decided, not the 2 s wait";
        EXPECT_EQ(receiver.text(), QByteArray("S=48"));
    }

    const std::pair<const char*, std::optional<qint32>> links[] = {
        {"2147483647", 2147483647}, {"1000000000", 1000000000}, {"5", 5}, // served
        {"2147483648", std::nullopt}, {"02147483647", std::nullopt}, {"12345678901", std::nullopt}, // no handle
    };
    std::vector<int> listening;
    for (const auto& [target, handle] : links) {
        SCOPED_TRACE(target);
        if (handle)
            listening.push_back(listenAt(pathOf(*handle)));
        const QString name = QStringLiteral("to-") + QLatin1String(target);
        ASSERT_EQ(::symlink(target, QFile::encodeName(channel->folder() + u'/' + name).constData()), 0);
        EXPECT_EQ(channel->lookup(name), handle);
    }
    for (const int fd : listening)
        ::close(fd);
}
