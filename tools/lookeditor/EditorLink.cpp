#include "EditorLink.h"

#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcLink, "thermobadge.editor.link", QtInfoMsg)

EditorLink::EditorLink(CommandChannel& channel, qint32 indicator)
    : channel_(channel)
    , indicator_(indicator)
{
}

EditorLink::~EditorLink() = default;

qint32 EditorLink::handle() const
{
    return endpoint_ ? endpoint_->handle() : 0;
}

bool EditorLink::start()
{
    if (!endpoint_)
        endpoint_ = channel_.open([this](const QString& text) { received(text); });
    if (!endpoint_) {
        qCWarning(lcLink) << "the editor's command box could not be opened; the indicator cannot reach it";
        setLinked(false);
        return false;
    }
    const bool ok = send(QStringLiteral("W=%1").arg(endpoint_->handle()));
    if (!ok)
        qCWarning(lcLink) << "the indicator's box" << indicator_ << "did not take the announcement";
    return ok;
}

bool EditorLink::send(const QString& command)
{
    // The indicator said good-bye and is shutting down: its box may no longer be served.
    if (closedByIndicator_)
        return false;
    const bool ok = channel_.setText(indicator_, command);
    if (!ok)
        qCDebug(lcLink).noquote() << "not delivered:" << command.left(80);
    setLinked(ok);
    return ok;
}

void EditorLink::finish()
{
    if (!closedByIndicator_ && linked_)
        send(QStringLiteral("W=0"));
}

void EditorLink::received(const QString& text)
{
    if (text == QLatin1String("W=2")) {
        // The probe: the answer must be in the indicator's box before its send returns.
        if (endpoint_)
            send(QStringLiteral("W=%1").arg(endpoint_->handle()));
    } else if (text == QLatin1String("W=1")) {
        if (raise)
            raise();
    } else if (text == QLatin1String("W=0")) {
        closedByIndicator_ = true;
        setLinked(false);
        if (close)
            close();
    } else if (text.startsWith(QLatin1String("F=")) && text.size() > 2) {
        if (fontReplaced)
            fontReplaced(text.mid(2));
    } else if (!text.isEmpty()) {
        qCInfo(lcLink).noquote() << "ignored a text the editor does not know:" << text.left(80);
    }
}

void EditorLink::setLinked(bool linked)
{
    if (linked == linked_)
        return;
    linked_ = linked;
    if (linkChanged)
        linkChanged(linked);
}

} // namespace tb
