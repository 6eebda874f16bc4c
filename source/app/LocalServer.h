#pragma once

#include "platform/CommandRunner.h"

#include <QString>

#include <functional>

namespace tb {

// What keeping the local server running needs.
struct LocalServerEnv {
    CommandRunner& commands;
    CompanionProcess& companion;
    std::function<bool()> portTaken; // the servers' UDP port on 127.0.0.1 is taken by some program
    QString serverProgram;           // this program's thermobadge-server
    QString configDir;               // where server.env lives
    QString systemctl = QStringLiteral("systemctl");
};

// How the local server runs after ensure().
struct ServerOutcome {
    enum class Way {
        Unit,      // the systemd user unit of this installation: at every log-on too
        Companion, // a child of the indicator, started with it
        Foreign,   // some other program answers on the port already and is used as it is
        None,      // it could not be started
    };
    Way way = Way::None;
    QString how; // one line for the log
};

// Keeps the temperature server of this machine running with the settings of server.env (its
// arguments in THERMOBADGE_SERVER_ARGS): through the systemd user unit where a user systemd runs
// and the unit starts this very server program, otherwise as a companion process of the
// indicator. A server that already listens on 127.0.0.1:25002 and is not ours is used, never a
// second one started; a companion that ends by itself is started again (a few times).
class LocalServer {
public:
    explicit LocalServer(LocalServerEnv env);
    ~LocalServer();

    // Makes sure the server runs now and at every log-on. `changed`: its settings changed, so a
    // server of ours is restarted. `done` follows once, from the event loop.
    void ensure(bool changed, std::function<void(const ServerOutcome&)> done);

    // The arguments THERMOBADGE_SERVER_ARGS of server.env gives (split at blanks, as the unit
    // does); empty when the file or the variable is missing or cannot be read.
    QStringList serverArguments() const;

private:
    void useUnit(bool changed, std::function<void(const ServerOutcome&)> done);
    void enableAndStartUnit(bool changed, std::function<void(const ServerOutcome&)> done);
    void useCompanion(bool changed, std::function<void(const ServerOutcome&)> done);
    ServerOutcome startCompanion();
    bool unitRunsOurServer(const CommandResult& show) const;

    LocalServerEnv env_;
    int restarts_ = 0;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

// The path after "path=" in `systemctl show --property=ExecStart --value`'s answer, or empty.
QString unitProgram(const QByteArray& execStart);

} // namespace tb
