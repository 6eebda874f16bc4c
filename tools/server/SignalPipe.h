#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace tbserver {

// Turns SIGINT and SIGTERM into a Qt signal delivered in the event loop. The signal handler
// only writes the signal number into a pipe (all it may safely do); a socket notifier on the
// other end emits stopRequested(). One instance per process.
class SignalPipe final : public QObject {
    Q_OBJECT
public:
    SignalPipe();
    ~SignalPipe() override;
    // Installs the handlers; false with errorString() set when the pipe or a handler fails.
    bool install();
    QString errorString() const { return error_; }

signals:
    void stopRequested(int signalNumber);

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    QString error_;
};

} // namespace tbserver
