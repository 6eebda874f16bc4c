#include "LookSession.h"

namespace tb {

LookSession::LookSession(Look start, LookCommands commands, Send send)
    : start_(start)
    , saved_(start)
    , look_(std::move(start))
    , commands_(std::move(commands))
    , send_(std::move(send))
{
}

bool LookSession::sendAll(const QStringList& texts)
{
    bool all = true;
    for (const QString& text : texts)
        all = send_(text) && all;
    return all;
}

bool LookSession::change(const Look& next)
{
    const QStringList texts = commands_.change(look_, next);
    look_ = next;
    return sendAll(texts);
}

bool LookSession::resend()
{
    return sendAll({commands_.whole(look_)});
}

void LookSession::renameFolder(const QString& oldPath, const QString& newPath)
{
    const QString prefix = oldPath + QLatin1Char('\\');
    for (Look* l : {&start_, &saved_, &look_})
        if (l->picture.startsWith(prefix))
            l->picture = newPath + QLatin1Char('\\') + l->picture.mid(prefix.size());
}

} // namespace tb
