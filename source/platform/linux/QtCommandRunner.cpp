#include "platform/linux/QtCommandRunner.h"

#include "platform/UniqueFd.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QTimer>

#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

namespace tb {

Q_LOGGING_CATEGORY(lcCommands, "thermobadge.process", QtWarningMsg)

namespace {

void keepBounded(QByteArray& into, QProcess& process, QProcess::ProcessChannel channel)
{
    process.setReadChannel(channel);
    const QByteArray more = process.readAll();
    into += more.left(std::max<qsizetype>(0, kCommandOutputLimit - into.size()));
}

} // namespace

void QtCommandRunner::run(const QString& program, const QStringList& arguments, std::chrono::milliseconds timeout, Done done)
{
    auto* process = new QProcess(this);
    auto result = std::make_shared<CommandResult>();
    auto* deadline = new QTimer(process);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, process, [process, result] {
        result->timedOut = true;
        process->kill();
    });
    QObject::connect(process, &QProcess::readyReadStandardOutput, process,
        [process, result] { keepBounded(result->out, *process, QProcess::StandardOutput); });
    QObject::connect(process, &QProcess::readyReadStandardError, process,
        [process, result] { keepBounded(result->err, *process, QProcess::StandardError); });
    auto reported = std::make_shared<bool>(false);
    auto finish = [process, result, reported, done = std::move(done)] {
        if (std::exchange(*reported, true))
            return;
        keepBounded(result->out, *process, QProcess::StandardOutput);
        keepBounded(result->err, *process, QProcess::StandardError);
        if (result->started && process->exitStatus() == QProcess::NormalExit)
            result->exitCode = process->exitCode();
        process->deleteLater();
        if (done)
            done(*result);
    };
    QObject::connect(process, &QProcess::finished, process, finish);
    QObject::connect(process, &QProcess::errorOccurred, process, [process, finish](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // a crash or a kill ends in finished() as well
        qCWarning(lcCommands) << "cannot run" << process->program() << ":" << process->errorString();
        finish();
    });
    QObject::connect(process, &QProcess::started, process, [result, deadline, timeout] {
        result->started = true;
        deadline->start(timeout);
    });
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->start(program, arguments, QIODevice::ReadOnly);
}

QtCommandRunner::~QtCommandRunner()
{
    // Before the bases go: a command ended by its destruction must not call back into a program
    // that is ending (a callback could even start another command on this runner).
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        process->kill();
        process->waitForFinished(1000);
    }
}

struct QtCompanionProcess::Child {
    QProcess process;
    QTimer kill; // a companion that does not end when asked is killed
    std::vector<std::function<void()>> stopped; // every caller of stop() waiting for the end
    bool stopping = false;
};

QtCompanionProcess::QtCompanionProcess() = default;

QtCompanionProcess::~QtCompanionProcess()
{
    if (!child_)
        return;
    QProcess& p = child_->process;
    p.disconnect();
    if (p.state() != QProcess::NotRunning) {
        p.terminate();
        if (!p.waitForFinished(2000))
            p.kill();
        p.waitForFinished(1000);
    }
}

bool QtCompanionProcess::start(const QString& program, const QStringList& arguments)
{
    if (running())
        return false;
    // Made on first use: an indicator without a town of its own never needs one.
    if (!child_) {
        child_ = std::make_unique<Child>();
        QProcess& p = child_->process;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.setStandardOutputFile(QProcess::nullDevice());
        // The companion must not outlive the indicator, however the indicator ends.
        p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        child_->kill.setSingleShot(true);
        child_->kill.setInterval(3000);
        QObject::connect(&child_->kill, &QTimer::timeout, &p, [&p] {
            if (p.state() != QProcess::NotRunning)
                p.kill();
        });
        QObject::connect(&p, &QProcess::finished, &p, [this](int exitCode, QProcess::ExitStatus status) {
            Child& c = *child_;
            // Only the process that was asked to end may be killed: the next one starts from here.
            c.kill.stop();
            if (c.stopping) {
                c.stopping = false;
                for (auto& done : std::exchange(c.stopped, {}))
                    if (done)
                        done();
                return;
            }
            const int code = status == QProcess::NormalExit ? exitCode : -1;
            qCWarning(lcCommands) << c.process.program() << "ended by itself with" << code;
            if (onEnded)
                onEnded(code);
        });
    }
    QProcess& p = child_->process;
    p.start(program, arguments);
    if (!p.waitForStarted(5000)) {
        qCWarning(lcCommands) << "cannot start" << program << ":" << p.errorString();
        return false;
    }
    return true;
}

bool QtCompanionProcess::running() const { return child_ && child_->process.state() != QProcess::NotRunning; }

void QtCompanionProcess::stop(std::function<void()> done)
{
    if (!running()) {
        if (done)
            done();
        return;
    }
    Child& c = *child_;
    c.stopped.push_back(std::move(done));
    if (c.stopping)
        return; // asked already: this caller hears of the same end
    c.stopping = true;
    c.process.terminate();
    c.kill.start();
}

bool loopbackUdpPortTaken(quint16 port)
{
    const UniqueFd fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        return false;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 && errno == EADDRINUSE;
}

} // namespace tb
