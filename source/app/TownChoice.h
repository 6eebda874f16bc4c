#pragma once

#include "app/LocalServer.h"
#include "app/TownPlace.h"

#include <functional>

namespace tb {

class ctlTemper;

// What choosing a town touches.
struct TownChoiceEnv {
    Options& options;
    ctlTemper& temper;
    CommandRunner& commands;
    LocalServer& server;
    QString serverProgram; // this program's thermobadge-server
    QString configDir;     // where its settings and providers.txt live
    QString weatherUrl;    // the weather service for the server; empty for its own default
    // "Локальный" (provider 1) is chosen: the main window's provider setting and an open options
    // dialog follow.
    std::function<void(int prov)> selectProvider;
    // The server has been (re)started: ask it for a reading soon rather than at the next period.
    std::function<void()> pollSoon;
};

// The local provider group's index.
inline constexpr int kLocalProvider = 1;

// Turns a chosen town into readings: the server's settings (server.env and providers.txt, written
// by `thermobadge-server --setup`), "Локальный" with 127.0.0.1 first as the provider (stored
// "Prov"=1), the town kept for the chooser, and the server running now and at every log-on.
class TownChoice {
public:
    explicit TownChoice(TownChoiceEnv env);
    ~TownChoice();

    struct Outcome {
        bool ok = false;
        QString message; // for the chooser, in the interface's language
    };
    // Nothing is written before the server's settings are; `done` follows once, from the event loop.
    void choose(const TownPlace& place, std::function<void(const Outcome&)> done);

    // At start-up: with a town chosen and "Локальный" selected, its server runs.
    void resume();

    std::optional<TownPlace> current() const { return storedTown(env_.options); }

private:
    void selectLocalProvider();

    TownChoiceEnv env_;
    bool choosing_ = false; // a choice is being turned into settings and a server
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace tb
