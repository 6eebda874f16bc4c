#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace tb {

// Runs a function in the event loop when the process gets SIGINT or SIGTERM, so that a
// program stopped from outside shuts down as it would from its own menu. The handler only
// writes to a pipe; the notifier on the other end calls the function. One per process.
class UnixSignals final : public QObject {
public:
    explicit UnixSignals(std::function<void(int)> onStop);
    ~UnixSignals() override;
    // Installs the handlers; false when the pipe or a handler could not be set up.
    bool install();

private:
    std::function<void(int)> onStop_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tb
