#pragma once

#include "Geocoding.h"
#include "HttpFetch.h"

#include <QObject>

#include <chrono>
#include <functional>

namespace tbserver {

// thermobadge-server --find-town TEXT: the places a town chooser offers for a typed text. A text
// of two numbers ("55.75, 37.62") is a place of its own and needs no network; any other text is
// looked up by name in the geocoding service. The places go to `print` one line each (placeLine);
// what went wrong goes to `note` in one line. The exit code tells the chooser what to say.
class TownSearch final : public QObject {
    Q_OBJECT
public:
    enum Exit {
        kFound = 0,
        kNothing = 3,     // the service knows no such place
        kUnreachable = 4, // no network, or no answer in time
        kRefused = 5,     // the service answered with an error or with something that is no list of places
        kBadText = 6,     // empty, or too long for a name
        kOffTheEarth = 7, // coordinates outside -90..90, -180..180
        kOffNetwork = 8,  // THERMOBADGE_LOOPBACK_ONLY=1 and the service is not on this machine
    };
    using Print = std::function<void(const QString&)>;

    struct Settings {
        QUrl base;                                // e.g. https://geocoding-api.open-meteo.com
        QString language = QStringLiteral("en"); // the language of the names
        std::chrono::milliseconds timeout {15'000};
        bool loopbackOnly = false; // only a service on this machine may be asked, never through a proxy
    };

    TownSearch(Settings settings, Print print, Print note);

    // Starts the search; finished() follows once, also for a text that needs no network.
    void start(const QString& text);

signals:
    void finished(int exitCode);

private:
    void end(int code, const QString& why = {});
    void answered(const FetchResult& result);

    Settings settings_;
    Print print_;
    Print note_;
    HttpFetch fetch_;
};

// True when `text` is written as coordinates: two numbers separated by a comma, nothing else.
bool looksLikeCoordinates(const QString& text);

} // namespace tbserver
