// Kills the real indicator with SIGKILL while it stores readings. A stand-in server on a loopback
// address answers its first request and then keeps sending readings (each a different
// temperature with its own time), so the indicator writes the reading and its time to the
// registry file again and again until it is killed at a random moment. After every kill the
// registry file parses, its other values are all there, and the stored temperature and time
// are the pair of one reading: never a cut file, never one value old and the other new. The
// next start finds what the killed one left (its one-instance lock, its channel socket) and
// starts all the same. 100 kills in the suite, half of THERMOBADGE_CRASH_KILLS when set.
#include "platform/DateTime.h"
#include "platform/FileRegistryStore.h"
#include "platform/Regional.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <random>
#include <vector>

extern char** environ;

namespace {

using namespace tb;
using Clock = std::chrono::steady_clock;

const QString kKey = QStringLiteral("Software\\CtlTemper");
const DateTime kFirstTime = DateTime::of(2026, 1, 1, 0, 0);

// Reading n: a temperature from -50.0 to +49.9 and a time n minutes after the first one, so the
// time tells which temperature belongs to it.
double temperatureOf(qint64 n)
{
    return double(n % 1000 - 500) / 10.0;
}

QByteArray replyOf(qint64 n)
{
    const QDateTime t = kFirstTime.addSecs(n * 60).toQDateTime();
    return (t.toString(QStringLiteral("dd.MM.yyyy HH:mm ")) + QString::number(temperatureOf(n), 'f', 1)).toLatin1();
}

// The stand-in server: a UDP socket on port 25002 of a loopback address of its own.
class Server {
public:
    Server()
    {
        for (int last = 1; last < 50 && fd_ < 0; ++last) {
            const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            sockaddr_in a {};
            a.sin_family = AF_INET;
            a.sin_port = htons(25002);
            a.sin_addr.s_addr = htonl((127u << 24) | (46u << 16) | unsigned(last));
            if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
                fd_ = fd;
                address_ = QStringLiteral("127.46.0.%1").arg(last);
            } else {
                close(fd);
            }
        }
    }
    ~Server()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    const QString& address() const { return address_; }

    // Waits for a temperature request; the asker's address is kept for the readings.
    bool awaitRequest(int timeoutMs)
    {
        const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
            pollfd p {fd_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, left) <= 0)
                return false;
            char buffer[512];
            socklen_t size = sizeof asker_;
            const ssize_t n = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&asker_), &size);
            if (n > 0 && buffer[0] != 'v') // a version check is not answered
                return true;
        }
    }
    void send(const QByteArray& datagram)
    {
        sendto(fd_, datagram.constData(), size_t(datagram.size()), 0, reinterpret_cast<const sockaddr*>(&asker_), sizeof asker_);
    }
    // Drops whatever the last indicator sent.
    void drain()
    {
        char buffer[512];
        while (recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) > 0) { }
    }

private:
    int fd_ = -1;
    QString address_;
    sockaddr_in asker_ {};
};

pid_t startIndicator(const QString& home)
{
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!entry.startsWith("DISPLAY=") && !entry.startsWith("WAYLAND_DISPLAY=") && !entry.startsWith("QT_QPA_PLATFORM=")
            && !entry.startsWith("XDG_CONFIG_HOME=") && !entry.startsWith("XDG_RUNTIME_DIR="))
            env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("THERMOBADGE_LOOPBACK_ONLY=1");
    env.push_back("XDG_CONFIG_HOME=" + QFile::encodeName(home + QStringLiteral("/config")));
    env.push_back("XDG_RUNTIME_DIR=" + QFile::encodeName(home + QStringLiteral("/runtime")));
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, QFile::encodeName(home + QStringLiteral("/indicator.log")).constData(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    char* argv[] = {const_cast<char*>(INDICATOR), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, INDICATOR, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

int killsWanted()
{
    const int n = qEnvironmentVariableIntValue("THERMOBADGE_CRASH_KILLS");
    return n > 0 ? std::max(n / 2, 1) : 100;
}

} // namespace

TEST(IndicatorCrash, AReadingAndItsTimeSurviveAKillAsOnePair)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    Server server;
    ASSERT_TRUE(server.ok()) << "no free port 25002 on 127.46.0.1 to 127.46.0.49";
    const QString config = home.filePath(QStringLiteral("config/ThermoBadge"));
    ASSERT_TRUE(QDir().mkpath(config));
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral("runtime"))));
    QFile::setPermissions(home.filePath(QStringLiteral("runtime")), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    {
        QFile providers(config + QStringLiteral("/providers.txt"));
        ASSERT_TRUE(providers.open(QIODevice::WriteOnly));
        providers.write(QStringLiteral("Local\n1\n%1\nLocal\n1\n%1\n").arg(server.address()).toLatin1());
        QFile settings(config + QStringLiteral("/ThermoBadge.ini"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[Options]\nProv=0\nVerChk=0\n");
    }
    const QString registryPath = config + QStringLiteral("/registry.ini");
    ASSERT_TRUE(FileRegistryStore(registryPath).setValue(RegRoot::CurrentUser, QStringLiteral("Software\\Neighbour"), QStringLiteral("Kept"),
                                                         RegValue::string(QStringLiteral("всё на месте"))));

    const Regional regional = Regional::system();
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> floodMs(0, 400);
    qint64 next = 0;
    int kills = 0, roundsStored = 0, started = 0;
    const int wanted = killsWanted();
    for (int round = 0; round < wanted; ++round) {
        server.drain();
        const pid_t pid = startIndicator(home.path());
        ASSERT_GT(pid, 0);
        const qint64 first = next;
        if (server.awaitRequest(10'000)) {
            ++started;
            // Readings every millisecond, more than it can store, until the kill a random time
            // after the first: the indicator is busy storing and drawing whenever the kill comes.
            const auto killAt = Clock::now() + std::chrono::milliseconds(floodMs(random));
            do {
                server.send(replyOf(next++));
                usleep(1000);
            } while (Clock::now() < killAt);
        }
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the indicator ended by itself in round " << round << "; see " << home.filePath(QStringLiteral("indicator.log")).toStdString();
        ++kills;
        ASSERT_GT(started, 0) << "the indicator never asked; see " << home.filePath(QStringLiteral("indicator.log")).toStdString();

        const FileRegistryStore registry(registryPath);
        const auto kept = registry.value(RegRoot::CurrentUser, QStringLiteral("Software\\Neighbour"), QStringLiteral("Kept"));
        ASSERT_TRUE(kept && kept->text == QStringLiteral("всё на месте")) << "round " << round << ": a neighbouring value was lost";
        const auto temper = registry.value(RegRoot::CurrentUser, kKey, QStringLiteral("Temper"));
        const auto time = registry.value(RegRoot::CurrentUser, kKey, QStringLiteral("Time"));
        if (temper || time) {
            ASSERT_TRUE(temper && time) << "round " << round << ": one of the pair is missing";
            const auto t = regional.parseNumber(temper->text);
            const auto when = regional.parseDateTime(time->text);
            ASSERT_TRUE(t && when) << "round " << round << ": " << temper->text.toStdString() << " / " << time->text.toStdString();
            const qint64 n = minuteBoundaries(kFirstTime, *when);
            ASSERT_TRUE(n >= 0 && n < next) << "round " << round << ": a time that was never sent: " << time->text.toStdString();
            ASSERT_NEAR(*t, temperatureOf(n), 1e-9) << "round " << round << ": the temperature of reading " << *t * 10
                                                     << " stored with the time of reading " << n;
            if (n >= first)
                ++roundsStored;
        }
        QSettings settings(config + QStringLiteral("/ThermoBadge.ini"), QSettings::IniFormat);
        ASSERT_EQ(settings.status(), QSettings::NoError) << "round " << round;
        ASSERT_EQ(settings.value(QStringLiteral("Options/Prov")).toString(), QStringLiteral("0")) << "round " << round;
    }
    std::printf("%d kills of the indicator, %d started and asked, %d left a reading of their own, %lld readings sent\n", kills,
                started, roundsStored, static_cast<long long>(next));
    // Nearly every start asks, and most killed runs had stored readings of their own: the kills
    // came while it was storing, not before it began.
    EXPECT_GE(started, wanted * 9 / 10);
    EXPECT_GE(roundsStored, wanted / 2);
}
