#include "CommandSource.h"

namespace tbserver {

CommandSource::CommandSource(QStringList commandLine, std::chrono::milliseconds period,
                             std::chrono::milliseconds timeout, Now now, Notify notify)
    : commandLine_(std::move(commandLine))
    , timeout_(timeout)
    , now_(std::move(now))
    , notify_(std::move(notify))
{
    problem_ = QStringLiteral("the command has not finished yet");
    period_.setInterval(period);
    deadline_.setSingleShot(true);
    connect(&period_, &QTimer::timeout, this, &CommandSource::run);
    connect(&deadline_, &QTimer::timeout, this, [this] {
        timedOut_ = true;
        process_.kill();
    });
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.setStandardInputFile(QProcess::nullDevice());
    connect(&process_, &QProcess::readyReadStandardOutput, this, &CommandSource::collectOutput);
    connect(&process_, &QProcess::finished, this, &CommandSource::finished);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            failedToStart();
    });
}

CommandSource::~CommandSource()
{
    // Nothing is reported any more; a run still going is killed (and reaped) by ~QProcess.
    process_.disconnect(this);
}

void CommandSource::start()
{
    period_.start();
    run();
}

SourceState CommandSource::state()
{
    return {reading_, problem_};
}

QString CommandSource::describe() const
{
    return QStringLiteral("the output of %1").arg(commandLine_.join(u' '));
}

void CommandSource::run()
{
    if (process_.state() != QProcess::NotRunning)
        return; // still busy with the last run: skip this turn rather than pile up
    if (commandLine_.isEmpty()) {
        setProblem(QStringLiteral("the command is empty"));
        return;
    }
    output_.clear();
    timedOut_ = false;
    deadline_.start(timeout_);
    process_.start(commandLine_.first(), commandLine_.mid(1), QIODevice::ReadOnly);
}

void CommandSource::collectOutput()
{
    output_ += process_.readAllStandardOutput();
    if (output_.size() > kOutputLimit)
        output_.remove(0, output_.size() - kOutputLimit);
}

void CommandSource::finished(int exitCode, QProcess::ExitStatus status)
{
    deadline_.stop();
    collectOutput();
    const QString name = commandLine_.value(0);
    if (timedOut_) {
        setProblem(QStringLiteral("%1 did not finish within %2 ms and was killed").arg(name).arg(timeout_.count()));
    } else if (status != QProcess::NormalExit) {
        setProblem(QStringLiteral("%1 crashed").arg(name));
    } else if (exitCode != 0) {
        setProblem(QStringLiteral("%1 exited with code %2").arg(name).arg(exitCode));
    } else if (const auto value = lastNumberIn(output_)) {
        if (!problem_.isEmpty() && notify_)
            notify_(QStringLiteral("%1 gave %2").arg(name).arg(*value));
        reading_ = Reading{*value, now_()};
        problem_.clear();
    } else {
        setProblem(QStringLiteral("no plausible temperature at the end of the output of %1").arg(name));
    }
    emit ran();
}

void CommandSource::failedToStart()
{
    deadline_.stop();
    setProblem(QStringLiteral("cannot start %1: %2").arg(commandLine_.value(0), process_.errorString()));
    emit ran();
}

void CommandSource::setProblem(const QString& problem)
{
    if (problem != problem_ && notify_)
        notify_(problem);
    problem_ = problem;
}

} // namespace tbserver
