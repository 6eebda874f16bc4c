#include "SignalPipe.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tbserver {

namespace {

// Plain descriptors, not UniqueFd: the signal handler writes to the second, and an owner's
// destructor run at exit could close it (or leave its number to another file) under a late signal.
int pipeFds[2] = {-1, -1};

void onSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    // A full pipe means a stop is already on its way; the byte may be dropped.
    [[maybe_unused]] const auto written = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

} // namespace

SignalPipe::SignalPipe() = default;

SignalPipe::~SignalPipe()
{
    if (pipeFds[0] < 0)
        return;
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGINT, &dfl, nullptr);
    ::sigaction(SIGTERM, &dfl, nullptr);
    delete notifier_;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

bool SignalPipe::install()
{
    if (pipeFds[0] >= 0) {
        error_ = QStringLiteral("the signal pipe is already installed");
        return false;
    }
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = QStringLiteral("cannot create the signal pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalPipe::drain);
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM}) {
        if (::sigaction(number, &sa, nullptr) != 0) {
            error_ = QStringLiteral("cannot handle signal %1: %2").arg(number).arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

void SignalPipe::drain()
{
    char bytes[16];
    const auto n = ::read(pipeFds[0], bytes, sizeof bytes);
    if (n > 0)
        emit stopRequested(bytes[n - 1]);
}

} // namespace tbserver
