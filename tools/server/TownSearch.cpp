#include "TownSearch.h"

#include "OpenMeteo.h"
#include "ServerOptions.h"

#include <QTimer>

namespace tbserver {

bool looksLikeCoordinates(const QString& text)
{
    if (text.count(u',') != 1)
        return false;
    for (QChar c : text)
        if (!c.isDigit() && c != u'.' && c != u',' && c != u'-' && c != u'+' && !c.isSpace())
            return false;
    return true;
}

TownSearch::TownSearch(Settings settings, Print print, Print note)
    : settings_(std::move(settings))
    , print_(std::move(print))
    , note_(std::move(note))
    , fetch_(settings_.timeout, settings_.loopbackOnly, [this](const FetchResult& result) { answered(result); })
{
}

void TownSearch::start(const QString& typed)
{
    const QString text = typed.simplified();
    if (text.isEmpty())
        return end(kBadText, QStringLiteral("no town name given"));
    if (text.size() > kLongestTownName)
        return end(kBadText, QStringLiteral("a town name has at most %1 characters, not %2").arg(kLongestTownName).arg(text.size()));
    if (looksLikeCoordinates(text)) {
        QString why;
        const auto at = tb::parseCoordinates(text, &why);
        if (!at)
            return end(kOffTheEarth, why);
        print_(placeLine(Place {{}, {}, {}, *at, 0}));
        return end(kFound);
    }
    if (settings_.loopbackOnly && !isLoopbackHost(settings_.base))
        return end(kOffNetwork, QStringLiteral("the geocoding service %1 is not on a loopback address, and "
                                                "THERMOBADGE_LOOPBACK_ONLY=1 keeps this program off the network")
                                     .arg(settings_.base.toString()));
    fetch_.start(searchUrl(settings_.base, text, settings_.language));
}

void TownSearch::answered(const FetchResult& result)
{
    using Failure = FetchResult::Failure;
    if (result.failure == Failure::Unreachable)
        return end(kUnreachable, result.why);
    if (result.failure == Failure::Refused)
        return end(kRefused, failureText(result));
    const PlaceSearch found = parsePlaces(result.body);
    if (!found.problem.isEmpty())
        return end(kRefused, found.problem);
    if (found.places.isEmpty())
        return end(kNothing, QStringLiteral("no place of that name is known"));
    for (const Place& place : found.places)
        print_(placeLine(place));
    end(kFound);
}

void TownSearch::end(int code, const QString& why)
{
    if (!why.isEmpty() && note_)
        note_(why);
    // Always after start() has returned, so the caller's event loop is running.
    QTimer::singleShot(0, this, [this, code] { emit finished(code); });
}

} // namespace tbserver
