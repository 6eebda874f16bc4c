#pragma once

#include "platform/CommandChannel.h"

#include <QString>

#include <functional>
#include <memory>

namespace tb {

// The editor's end of the add-on link: its own command box on the channel, its announcement
// to the indicator, the commands it sends there, and the control texts the indicator sets
// into its box ("W=2" probe, "W=1" come to the front, "W=0" close, "F=" font replaced).
class EditorLink {
public:
    EditorLink(CommandChannel& channel, qint32 indicator);
    ~EditorLink();

    // Events, run inside the indicator's send: they must not wait for the user.
    std::function<void()> raise; // "W=1"
    std::function<void()> close; // "W=0"
    std::function<void(const QString& family)> fontReplaced; // "F=" + family
    // The link came up or went down (a send arrived or failed).
    std::function<void(bool linked)> linkChanged;

    // Opens the editor's box and announces it with "W=" + its handle. False when the box could
    // not be opened or the indicator did not take the announcement.
    bool start();
    // The handle of the editor's box; 0 before start() or when it could not be opened.
    qint32 handle() const;
    qint32 indicator() const { return indicator_; }
    // Whether the last text sent arrived.
    bool linked() const { return linked_; }

    // Sets one command into the indicator's box; false when it did not arrive.
    bool send(const QString& command);
    // Tells the indicator the editor is going away ("W=0"), unless the indicator asked for it.
    void finish();

    // What the editor does with a text set into its box (public for the channel's callback).
    void received(const QString& text);

private:
    void setLinked(bool linked);

    CommandChannel& channel_;
    qint32 indicator_;
    std::unique_ptr<CommandEndpoint> endpoint_;
    bool linked_ = false;
    bool closedByIndicator_ = false;
};

} // namespace tb
