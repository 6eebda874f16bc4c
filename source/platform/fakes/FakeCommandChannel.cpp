#include "platform/fakes/FakeCommandChannel.h"

namespace tb {
namespace {

class FakeEndpoint final : public CommandEndpoint {
public:
    FakeEndpoint(std::weak_ptr<QHash<qint32, std::function<void(const QString&)>>> handlers, qint32 handle)
        : handlers_(std::move(handlers))
        , handle_(handle)
    {
    }
    ~FakeEndpoint() override
    {
        if (const auto handlers = handlers_.lock())
            handlers->remove(handle_);
    }
    qint32 handle() const override { return handle_; }

private:
    std::weak_ptr<QHash<qint32, std::function<void(const QString&)>>> handlers_;
    qint32 handle_;
};

} // namespace

FakeCommandChannel::FakeCommandChannel()
    : endpoints_(std::make_shared<Endpoints>())
{
}

std::unique_ptr<CommandEndpoint> FakeCommandChannel::open(std::function<void(const QString& text)> onText)
{
    if (opensFail)
        return nullptr;
    const qint32 handle = endpoints_->next++;
    endpoints_->handlers.insert(handle, std::move(onText));
    // The endpoint shares the table's lifetime through an aliasing pointer.
    return std::make_unique<FakeEndpoint>(
        std::shared_ptr<QHash<qint32, std::function<void(const QString&)>>>(endpoints_, &endpoints_->handlers), handle);
}

bool FakeCommandChannel::setText(qint32 handle, const QString& text)
{
    const auto it = endpoints_->handlers.constFind(handle);
    const bool listening = it != endpoints_->handlers.constEnd();
    sent.push_back({handle, text, listening});
    if (!listening)
        return false;
    const std::function<void(const QString&)> onText = *it; // the handler may close its endpoint
    onText(text);
    return true;
}

bool FakeCommandChannel::publish(const CommandEndpoint& endpoint, const QString& name)
{
    published_.insert(name, endpoint.handle());
    return true;
}

std::optional<qint32> FakeCommandChannel::lookup(const QString& name)
{
    const auto it = published_.constFind(name);
    if (it == published_.constEnd() || !endpoints_->handlers.contains(*it))
        return std::nullopt;
    return *it;
}

void FakeCommandChannel::addRemote(qint32 handle, std::function<void(const QString& text)> onText)
{
    endpoints_->handlers.insert(handle, std::move(onText));
}

void FakeCommandChannel::removeRemote(qint32 handle)
{
    endpoints_->handlers.remove(handle);
}

QStringList FakeCommandChannel::sentTo(qint32 handle) const
{
    QStringList texts;
    for (const Sent& s : sent)
        if (s.handle == handle)
            texts.append(s.text);
    return texts;
}

} // namespace tb
