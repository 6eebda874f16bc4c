#pragma once

#include "TemperatureSource.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <chrono>

namespace tbserver {

// A command whose output ends with the temperature, run every `period` without a shell: the
// command line is split into program and arguments the way QProcess::splitCommand does (blanks
// separate, double quotes group, no variables, pipes or redirections). A run that takes longer
// than `timeout` is killed. Only the last kOutputLimit bytes of the output are kept.
class CommandSource final : public QObject, public TemperatureSource {
    Q_OBJECT
public:
    using Notify = std::function<void(const QString&)>;
    static constexpr qsizetype kOutputLimit = 64 * 1024;

    CommandSource(QStringList commandLine, std::chrono::milliseconds period, std::chrono::milliseconds timeout,
                  Now now, Notify notify);
    ~CommandSource() override;

    void start() override;
    SourceState state() override;
    QString describe() const override;

signals:
    // A run has ended (whatever it gave).
    void ran();

private:
    void run();
    void collectOutput();
    void finished(int exitCode, QProcess::ExitStatus status);
    void failedToStart();
    void setProblem(const QString& problem);

    QStringList commandLine_;
    std::chrono::milliseconds timeout_;
    Now now_;
    Notify notify_;
    QTimer period_;
    QTimer deadline_;
    QProcess process_;
    QByteArray output_;
    bool timedOut_ = false;
    std::optional<Reading> reading_;
    QString problem_;
};

} // namespace tbserver
