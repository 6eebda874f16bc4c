#include "app/TownChoice.h"

#include "temperature/ComponentError.h"
#include "temperature/ctlTemper.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTimer>

namespace tb {

Q_DECLARE_LOGGING_CATEGORY(lcTown)

TownChoice::TownChoice(TownChoiceEnv env) : env_(std::move(env)) {}

TownChoice::~TownChoice() = default;

void TownChoice::choose(const TownPlace& place, std::function<void(const Outcome&)> done)
{
    if (choosing_) {
        // A chooser closed and opened again while the last choice is still being set up.
        QTimer::singleShot(0, [done = std::move(done)] {
            if (done)
                done({false, QCoreApplication::translate("TownChoice", "Подождите: предыдущий выбор ещё не закончен.")});
        });
        return;
    }
    choosing_ = true;
    QStringList arguments {QStringLiteral("--setup"), setupCoordinates(place), QStringLiteral("--config-dir"), env_.configDir};
    if (!env_.weatherUrl.isEmpty())
        arguments << QStringLiteral("--weather-url") << env_.weatherUrl;
    std::weak_ptr<int> alive = alive_;
    env_.commands.run(env_.serverProgram, arguments, std::chrono::seconds(10),
        [this, alive, place, done = std::move(done)](const CommandResult& setup) {
            if (alive.expired())
                return;
            if (!setup.succeeded()) {
                choosing_ = false;
                const QString why = QString::fromUtf8(setup.err).trimmed();
                qCWarning(lcTown).noquote() << "the server's settings for" << townCaption(place) << "were not written:"
                                            << (why.isEmpty() ? QStringLiteral("the server program did not run") : why);
                if (done)
                    done({false,
                        setup.started
                            ? QCoreApplication::translate("TownChoice", "Не удалось записать настройки сервера температуры.")
                            : QCoreApplication::translate("TownChoice", "Не удалось запустить сервер температуры.")});
                return;
            }
            storeTown(env_.options, place);
            qCInfo(lcTown).noquote() << "town chosen:" << townCaption(place) << setupCoordinates(place);
            selectLocalProvider();
            env_.server.ensure(true, [this, alive, place, done](const ServerOutcome& server) {
                if (alive.expired())
                    return;
                choosing_ = false;
                if (env_.pollSoon)
                    env_.pollSoon();
                Outcome outcome {true, QCoreApplication::translate("TownChoice", "Выбрано: %1.").arg(townCaption(place))};
                if (server.way == ServerOutcome::Way::Foreign)
                    outcome.message += QCoreApplication::translate(
                        "TownChoice", " Температуру даёт сервер, который уже работал на этом компьютере.");
                else if (server.way == ServerOutcome::Way::None) {
                    outcome.ok = false;
                    outcome.message += QCoreApplication::translate("TownChoice", " Но сервер температуры не запустился.");
                }
                if (done)
                    done(outcome);
            });
        });
}

void TownChoice::resume()
{
    if (!current() || env_.temper.Prov() != kLocalProvider)
        return;
    env_.server.ensure(false, [alive = std::weak_ptr<int>(alive_), this](const ServerOutcome& server) {
        if (!alive.expired() && server.way != ServerOutcome::Way::None && env_.pollSoon)
            env_.pollSoon();
    });
}

void TownChoice::selectLocalProvider()
{
    // The settings made 127.0.0.1 the local group's host: the running component takes it now.
    const auto list = loadProvidersFile(env_.configDir + QStringLiteral("/providers.txt"));
    const auto table = list ? FillProvTable(*list) : std::nullopt;
    try {
        env_.temper.setProv(kLocalProvider);
        if (table)
            env_.temper.setProvIP(table->at(kLocalProvider).Hosts.join(u','));
    } catch (const ComponentError& e) {
        qCWarning(lcTown) << "the local provider could not be selected:" << e.description();
    }
    env_.options.setWhole(OptionKey::Prov, kLocalProvider);
    if (env_.selectProvider)
        env_.selectProvider(kLocalProvider);
}

} // namespace tb
