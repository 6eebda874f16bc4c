#pragma once

#include "platform/CommandChannel.h"

#include <QHash>
#include <QStringList>

#include <memory>
#include <vector>

namespace tb {

// The command channel inside one process, synchronous: a text set into an endpoint runs its
// handler before setText returns. Endpoints of other processes are stood in for by handlers
// the test adds; they may set texts back, as a live add-on does while the sender waits.
// Every setText is recorded.
class FakeCommandChannel final : public CommandChannel {
public:
    struct Sent {
        qint32 handle;
        QString text;
        bool delivered;
    };

    FakeCommandChannel();
    std::unique_ptr<CommandEndpoint> open(std::function<void(const QString& text)> onText) override;
    bool setText(qint32 handle, const QString& text) override;
    bool publish(const CommandEndpoint& endpoint, const QString& name) override;
    std::optional<qint32> lookup(const QString& name) override;

    // Another process's endpoint `handle`: texts set into it run `onText`.
    void addRemote(qint32 handle, std::function<void(const QString& text)> onText);
    // That process has ended: its endpoint no longer listens.
    void removeRemote(qint32 handle);
    // The texts set into one endpoint, in order, delivered or not.
    QStringList sentTo(qint32 handle) const;

    std::vector<Sent> sent;
    bool opensFail = false; // open() finds no usable folder

private:
    struct Endpoints {
        QHash<qint32, std::function<void(const QString&)>> handlers;
        qint32 next = 1001;
    };
    std::shared_ptr<Endpoints> endpoints_;
    QHash<QString, qint32> published_;
};

} // namespace tb
