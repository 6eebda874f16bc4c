#include "app/LocalServer.h"

#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

namespace tb {

Q_LOGGING_CATEGORY(lcServer, "thermobadge.server", QtInfoMsg)

namespace {

using namespace std::chrono_literals;

const QString kUnit = QStringLiteral("thermobadge-server.service");
constexpr qint64 kLargestEnvFile = 64 * 1024;
// A companion that keeps ending by itself is not started over and over.
constexpr int kMostRestarts = 5;
constexpr auto kRestartDelay = 10s;

} // namespace

QString unitProgram(const QByteArray& execStart)
{
    // "{ path=/usr/bin/thermobadge-server ; argv[]=/usr/bin/thermobadge-server $THERMOBADGE_SERVER_ARGS ; ... }"
    const qsizetype at = execStart.indexOf("path=");
    if (at < 0)
        return {};
    const qsizetype from = at + 5;
    const qsizetype end = execStart.indexOf(" ;", from);
    return QString::fromUtf8(execStart.mid(from, end < 0 ? -1 : end - from)).trimmed();
}

LocalServer::LocalServer(LocalServerEnv env) : env_(std::move(env))
{
    env_.companion.onEnded = [this, alive = std::weak_ptr<int>(alive_)](int exitCode) {
        if (restarts_ >= kMostRestarts) {
            qCWarning(lcServer) << "the temperature server ended with" << exitCode << "again; it is not started any more";
            return;
        }
        ++restarts_;
        QTimer::singleShot(kRestartDelay, [this, alive] {
            if (!alive.expired())
                useCompanion(false, nullptr);
        });
    };
}

LocalServer::~LocalServer() { env_.companion.onEnded = nullptr; }

QStringList LocalServer::serverArguments() const
{
    const QString path = env_.configDir + QStringLiteral("/server.env");
    const NamedFileRead file = readNamedFile(path, kLargestEnvFile);
    if (!file.ok()) {
        qCWarning(lcServer).noquote() << "the server's settings cannot be read:"
                                      << (file.problem.isEmpty() ? path + QStringLiteral(" is missing") : file.problem);
        return {};
    }
    const QString prefix = QStringLiteral("THERMOBADGE_SERVER_ARGS=");
    for (const QString& line : QString::fromUtf8(file.bytes).split(u'\n')) {
        const QString t = line.trimmed();
        if (t.startsWith(prefix))
            return t.mid(prefix.size()).split(u' ', Qt::SkipEmptyParts);
    }
    qCWarning(lcServer) << path << "sets no THERMOBADGE_SERVER_ARGS";
    return {};
}

void LocalServer::ensure(bool changed, std::function<void(const ServerOutcome&)> done)
{
    if (changed)
        restarts_ = 0;
    std::weak_ptr<int> alive = alive_;
    env_.commands.run(env_.systemctl, {QStringLiteral("--user"), QStringLiteral("show"), QStringLiteral("--property=ExecStart"),
                                       QStringLiteral("--value"), kUnit},
        5s, [this, alive, changed, done = std::move(done)](const CommandResult& show) {
            if (alive.expired())
                return;
            if (unitRunsOurServer(show))
                useUnit(changed, done);
            else
                useCompanion(changed, done);
        });
}

bool LocalServer::unitRunsOurServer(const CommandResult& show) const
{
    if (!show.succeeded())
        return false; // no systemctl, or no user systemd to ask
    const QString program = unitProgram(show.out);
    const QString unitServer = QFileInfo(program).canonicalFilePath();
    const QString ours = QFileInfo(env_.serverProgram).canonicalFilePath();
    if (unitServer.isEmpty() || unitServer != ours) {
        qCInfo(lcServer).noquote() << "the user unit" << kUnit
                                   << (program.isEmpty() ? QStringLiteral("is not installed") : QStringLiteral("starts ") + program)
                                   << "- this program's server" << env_.serverProgram << "runs beside the indicator instead";
        return false;
    }
    return true;
}

void LocalServer::useUnit(bool changed, std::function<void(const ServerOutcome&)> done)
{
    std::weak_ptr<int> alive = alive_;
    // With the unit stopped and no companion of ours, a server holding the port is someone
    // else's: it is used as it is, as beside the indicator. Starting the unit then would only
    // have its server fail to bind and systemd start it again and again.
    env_.commands.run(env_.systemctl, {QStringLiteral("--user"), QStringLiteral("is-active"), QStringLiteral("--quiet"), kUnit}, 5s,
        [this, alive, changed, done](const CommandResult& active) {
            if (alive.expired())
                return;
            if (!active.succeeded() && !env_.companion.running() && env_.portTaken()) {
                const ServerOutcome outcome {ServerOutcome::Way::Foreign,
                    QStringLiteral("a temperature server already listens on 127.0.0.1:25002 while %1 is stopped; it is used as it is").arg(kUnit)};
                qCInfo(lcServer).noquote() << outcome.how;
                if (done)
                    done(outcome);
                return;
            }
            enableAndStartUnit(changed, done);
        });
}

void LocalServer::enableAndStartUnit(bool changed, std::function<void(const ServerOutcome&)> done)
{
    std::weak_ptr<int> alive = alive_;
    auto fallBack = [this, alive, changed, done](const QString& step, const CommandResult& r) {
        if (alive.expired())
            return;
        qCWarning(lcServer).noquote() << "systemctl --user" << step << kUnit << "failed:"
                                      << QString::fromUtf8(r.err).trimmed() << "- the server runs beside the indicator instead";
        useCompanion(changed, done);
    };
    env_.commands.run(env_.systemctl, {QStringLiteral("--user"), QStringLiteral("enable"), kUnit}, 10s,
        [this, alive, changed, done, fallBack](const CommandResult& enabled) {
            if (alive.expired())
                return;
            if (!enabled.succeeded())
                return fallBack(QStringLiteral("enable"), enabled);
            // A companion of ours from before would hold the port the unit's server needs.
            env_.companion.stop([this, alive, changed, done, fallBack] {
                if (alive.expired())
                    return;
                const QString verb = changed ? QStringLiteral("restart") : QStringLiteral("start");
                env_.commands.run(env_.systemctl, {QStringLiteral("--user"), verb, kUnit}, 15s,
                    [alive, verb, done, fallBack](const CommandResult& started) {
                        if (alive.expired())
                            return;
                        if (!started.succeeded())
                            return fallBack(verb, started);
                        const ServerOutcome outcome {ServerOutcome::Way::Unit,
                            QStringLiteral("the user unit %1 runs the server (enabled, %2ed)").arg(kUnit, verb)};
                        qCInfo(lcServer).noquote() << outcome.how;
                        if (done)
                            done(outcome);
                    });
            });
        });
}

void LocalServer::useCompanion(bool changed, std::function<void(const ServerOutcome&)> done)
{
    auto report = [done](const ServerOutcome& outcome) {
        if (outcome.way == ServerOutcome::Way::None)
            qCWarning(lcServer).noquote() << outcome.how;
        else
            qCInfo(lcServer).noquote() << outcome.how;
        if (done)
            done(outcome);
    };
    if (env_.companion.running()) {
        if (!changed)
            return report({ServerOutcome::Way::Companion, QStringLiteral("the server runs beside the indicator")});
        std::weak_ptr<int> alive = alive_;
        env_.companion.stop([this, alive, report] {
            if (!alive.expired())
                report(startCompanion());
        });
        return;
    }
    report(startCompanion());
}

ServerOutcome LocalServer::startCompanion()
{
    if (env_.portTaken())
        return {ServerOutcome::Way::Foreign,
            QStringLiteral("a temperature server already listens on 127.0.0.1:25002; it is used as it is")};
    const QStringList arguments = serverArguments();
    if (arguments.isEmpty())
        return {ServerOutcome::Way::None, QStringLiteral("the server has no settings in %1/server.env").arg(env_.configDir)};
    if (!env_.companion.start(env_.serverProgram, arguments))
        return {ServerOutcome::Way::None, QStringLiteral("%1 could not be started").arg(env_.serverProgram)};
    return {ServerOutcome::Way::Companion,
        QStringLiteral("started %1 %2 beside the indicator").arg(env_.serverProgram, arguments.join(u' '))};
}

} // namespace tb
