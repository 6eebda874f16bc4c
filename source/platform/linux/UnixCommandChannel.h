#pragma once

#include "platform/CommandChannel.h"
#include "platform/linux/PrivateFolder.h"

#include <QString>

#include <memory>
#include <optional>

namespace tb {

// The command channel between processes of one user, over Unix-domain sockets. An endpoint is
// the socket <folder>/<handle>; a published name is a symbolic link <folder>/<name> to it. The
// folder must be a directory of this user with mode 0700 (it is created so when missing); any
// other folder is refused, logged, and the channel then opens, sends and finds nothing.
// Endpoints are served by the Qt event loop when there is one, and by setText while it waits
// for an acknowledgement, so a text set into this process's own box during that wait is
// handled before setText returns.
class UnixCommandChannel final : public CommandChannel {
public:
    explicit UnixCommandChannel(const QString& folder = commandChannelFolder());
    // Closes this channel's endpoints: their sockets and the names published for them go.
    ~UnixCommandChannel() override;
    UnixCommandChannel(const UnixCommandChannel&) = delete;
    UnixCommandChannel& operator=(const UnixCommandChannel&) = delete;

    std::unique_ptr<CommandEndpoint> open(std::function<void(const QString& text)> onText) override;
    bool setText(qint32 handle, const QString& text) override;
    bool publish(const CommandEndpoint& endpoint, const QString& name) override;
    std::optional<qint32> lookup(const QString& name) override;

    // The folder passed its checks.
    bool usable() const;
    const QString& folder() const;

    class Core;

private:
    std::shared_ptr<Core> core_;
};

} // namespace tb
