#pragma once

#include "platform/CommandChannel.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessLauncher.h"
#include "render/CommandInterpreter.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tb {

// What the add-on link talks through.
struct AddonLinkEnv {
    CommandChannel& channel;
    ProcessLauncher& launcher;
    MessageBoxes& messages;
};

// The parts of the main window the link works on.
struct AddonLinkTarget {
    CommandBox& txtMsg; // texts other processes set into its endpoint land here
    qint32& iOptWnd; // the add-on's box, set by "W=" commands; below 1: not linked
    QString AppDir; // the program folder, ending in "/"
    std::function<double()> dTemper; // the current temperature, for the add-on's command line
};

// The name under which scripts and `ThermoBadge --send` find the indicator's command box.
inline QString indicatorEndpointName()
{
    return QStringLiteral("indicator");
}

// The indicator's side of its link to the look editor add-on, "ThermoBadgeOpt.dll" in the
// program folder: starts it with the command box's handle and the temperature, probes it,
// and sends it the control texts. The link exists while iOptWnd holds the handle the add-on
// announced; a send that finds nobody there drops it at once.
class AddonLink {
public:
    enum class State { NotLinked, Started, Linked };

    explicit AddonLink(AddonLinkEnv env)
        : env_(env)
    {
    }
    // Makes the command box an endpoint of the channel. False when the channel has none to
    // give (logged): the program then runs without add-on and scripts.
    bool attach(AddonLinkTarget target);
    // Makes the command box reachable under `name` as well.
    bool publish(const QString& name);
    // The handle of the command box's endpoint; 0 without one.
    qint32 boxHandle() const { return endpoint_ ? endpoint_->handle() : 0; }

    // Starts the add-on, or tells the user that its file is missing.
    void RunOptDll();
    // The liveness probe: afterwards iOptWnd is non-zero only if the add-on answered "W=2" by
    // announcing its box again. Returns iOptWnd.
    qint32 CheckOptDll();
    // Sends a text to the linked add-on; nothing when none is linked.
    void SendText(const QString& sStr);
    // Sends a text to the box `iWnd`, linked or not; false when nobody acknowledged it.
    bool SendTextAbs(const QString& sStr, qint32 iWnd);
    // Tells a linked add-on to close ("W=0") and drops the link.
    void closeAddon();
    State state() const;

private:
    void received(const QString& text);

    AddonLinkEnv env_;
    std::optional<AddonLinkTarget> target_;
    std::unique_ptr<CommandEndpoint> endpoint_;
    bool started_ = false; // started and not announced yet
};

} // namespace tb
