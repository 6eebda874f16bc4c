#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tb {

// A text box that other processes of the same user can set: one endpoint of the command
// channel, named by its window handle (a positive number below 2^31).
class CommandEndpoint {
public:
    virtual ~CommandEndpoint() = default;
    // The handle other processes send to.
    virtual qint32 handle() const = 0;
};

// The command channel between the indicator and its add-on (and scripts): each process opens
// endpoints of its own and sets texts into the endpoints of others. A set text arrives whole,
// its change handler runs, and only then does the sender's call return.
class CommandChannel {
public:
    virtual ~CommandChannel() = default;
    // Opens an endpoint with a fresh handle; `onText` runs for every text set into it.
    // Nothing when the channel's folder cannot be used (logged).
    virtual std::unique_ptr<CommandEndpoint> open(std::function<void(const QString& text)> onText) = 0;
    // Sets `text` into the endpoint `handle` and waits (at most 2 s) until its change handler has
    // run, serving this process's own endpoints meanwhile. False at once when nobody listens
    // there, or when no acknowledgement came in time.
    virtual bool setText(qint32 handle, const QString& text) = 0;
    // Makes the endpoint reachable under a fixed name as well (replacing an earlier one).
    virtual bool publish(const CommandEndpoint& endpoint, const QString& name) = 0;
    // The handle published under the name, when one is and its endpoint listens.
    virtual std::optional<qint32> lookup(const QString& name) = 0;
};

} // namespace tb
