#pragma once

#include "platform/CommandRunner.h"

#include <deque>
#include <vector>

namespace tb {

// Records commands instead of running them; each gets the answer `answer` gives (by default an
// exit code 0 with no output) when the test calls finishAll(), never from inside run().
class FakeCommandRunner final : public CommandRunner {
public:
    struct Call {
        QString program;
        QStringList arguments;
    };
    void run(const QString& program, const QStringList& arguments, std::chrono::milliseconds, Done done) override
    {
        calls.push_back({program, arguments});
        pending_.push_back({{program, arguments}, std::move(done)});
    }
    // Ends the commands started so far, and those their ends start, in order.
    void finishAll()
    {
        while (!pending_.empty()) {
            auto [call, done] = std::move(pending_.front());
            pending_.pop_front();
            const CommandResult result = answer ? answer(call) : CommandResult {true, false, 0, {}, {}};
            if (done)
                done(result);
        }
    }
    bool idle() const { return pending_.empty(); }

    std::function<CommandResult(const Call&)> answer;
    std::vector<Call> calls;

private:
    std::deque<std::pair<Call, Done>> pending_;
};

// A companion that only records starts and stops.
class FakeCompanionProcess final : public CompanionProcess {
public:
    bool start(const QString& program, const QStringList& arguments) override
    {
        if (running_ || startsFail)
            return false;
        running_ = true;
        starts.push_back(QStringList {program} + arguments);
        return true;
    }
    bool running() const override { return running_; }
    void stop(std::function<void()> done) override
    {
        if (running_)
            ++stops;
        running_ = false;
        if (done)
            done();
    }
    // The companion ends by itself.
    void end(int exitCode)
    {
        running_ = false;
        if (onEnded)
            onEnded(exitCode);
    }

    bool startsFail = false;
    std::vector<QStringList> starts;
    int stops = 0;

private:
    bool running_ = false;
};

} // namespace tb
