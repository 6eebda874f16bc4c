#pragma once

#include "Look.h"
#include "LookCommands.h"

#include <functional>

namespace tb {

// The look being edited: where it started, what the skin list holds, what it is now. Every
// change goes to the indicator at once as the fewest commands that make it.
class LookSession {
public:
    using Send = std::function<bool(const QString& command)>;

    LookSession(Look start, LookCommands commands, Send send);

    const Look& look() const { return look_; }
    const Look& startLook() const { return start_; }
    const Look& savedLook() const { return saved_; }
    // The look differs from the one the skin list holds.
    bool dirty() const { return look_ != saved_; }
    const LookCommands& commands() const { return commands_; }

    // Makes `next` the look and sends what changed; whether every command arrived.
    bool change(const Look& next);
    // Sends the whole look (after the link came back, or when the indicator's look is unknown).
    bool resend();
    // Back to the look found at start.
    bool revert() { return change(start_); }
    // The skin list now holds the current look.
    void markSaved() { saved_ = look_; }
    // A folder was renamed: every look naming a picture in it follows, nothing is sent.
    void renameFolder(const QString& oldPath, const QString& newPath);

private:
    bool sendAll(const QStringList& texts);

    Look start_;
    Look saved_;
    Look look_;
    LookCommands commands_;
    Send send_;
};

} // namespace tb
