#include "platform/desktop/GeoClueLocation.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>
#include <QTimer>

namespace tb {

namespace {

const QString kService = QStringLiteral("org.freedesktop.GeoClue2");
const QString kManagerPath = QStringLiteral("/org/freedesktop/GeoClue2/Manager");
const QString kManager = QStringLiteral("org.freedesktop.GeoClue2.Manager");
const QString kClient = QStringLiteral("org.freedesktop.GeoClue2.Client");
const QString kLocation = QStringLiteral("org.freedesktop.GeoClue2.Location");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kCallTimeoutMs = 3000;
constexpr int kPollMs = 500;
constexpr uint kCityAccuracy = 4;

QDBusMessage method(const QString& path, const QString& interface, const QString& name, const QVariantList& arguments = {})
{
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, name);
    m.setArguments(arguments);
    return m;
}

// Runs `then` with the reply of an asynchronous call; `context` going away drops it.
void whenAnswered(QObject* context, const QDBusMessage& call, std::function<void(const QDBusMessage& reply)> then)
{
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call, kCallTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, then = std::move(then)] {
        watcher->deleteLater();
        then(watcher->reply());
    });
}

bool failed(const QDBusMessage& reply) { return reply.type() != QDBusMessage::ReplyMessage; }

} // namespace

// One request for the current place: a client of its own, asked for its location until it has one.
struct GeoClueLocation::Attempt : QObject {
    std::function<void(std::optional<Location>, const QString&)> done;
    QString client;
    QTimer deadline;
    QTimer poll;

    void finish(std::optional<Location> where, const QString& why)
    {
        if (!done)
            return;
        deadline.stop();
        poll.stop();
        if (!client.isEmpty())
            QDBusConnection::systemBus().asyncCall(method(client, kClient, QStringLiteral("Stop")), kCallTimeoutMs);
        auto report = std::exchange(done, nullptr);
        deleteLater();
        report(where, why);
    }
};

GeoClueLocation::GeoClueLocation(QString desktopId, std::chrono::milliseconds timeout)
    : desktopId_(std::move(desktopId))
    , timeout_(timeout)
{
}

GeoClueLocation::~GeoClueLocation() = default;

void GeoClueLocation::probe(std::function<void(bool available)> done)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        QTimer::singleShot(0, this, [done = std::move(done)] { done(false); });
        return;
    }
    const QDBusMessage activatable = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListActivatableNames"));
    whenAnswered(this, activatable, [this, done = std::move(done)](const QDBusMessage& reply) {
        if (!failed(reply) && reply.arguments().value(0).toStringList().contains(kService))
            return done(true);
        const QDBusMessage owner = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
            QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"))
                                       << kService;
        whenAnswered(this, owner, [done](const QDBusMessage& has) { done(!failed(has) && has.arguments().value(0).toBool()); });
    });
}

void GeoClueLocation::locate(std::function<void(std::optional<Location>, const QString&)> done)
{
    auto* attempt = new Attempt;
    attempt->setParent(this);
    attempt->done = std::move(done);
    attempt->deadline.setSingleShot(true);
    QObject::connect(&attempt->deadline, &QTimer::timeout, attempt,
        [attempt] { attempt->finish(std::nullopt, QStringLiteral("no place from GeoClue in time")); });
    attempt->deadline.start(timeout_);
    if (!QDBusConnection::systemBus().isConnected()) {
        QTimer::singleShot(0, attempt, [attempt] { attempt->finish(std::nullopt, QStringLiteral("no system bus")); });
        return;
    }

    QPointer<Attempt> a(attempt);
    auto readLocation = [a](const QString& path) {
        whenAnswered(a, method(path, kProperties, QStringLiteral("GetAll"), {kLocation}), [a](const QDBusMessage& reply) {
            if (failed(reply))
                return a->finish(std::nullopt, reply.errorMessage());
            const QVariantMap values = qdbus_cast<QVariantMap>(reply.arguments().value(0));
            bool okLat = false, okLon = false;
            const double latitude = values.value(QStringLiteral("Latitude")).toDouble(&okLat);
            const double longitude = values.value(QStringLiteral("Longitude")).toDouble(&okLon);
            if (!okLat || !okLon || latitude < -90 || latitude > 90 || longitude < -180 || longitude > 180)
                return a->finish(std::nullopt, QStringLiteral("GeoClue gave no usable coordinates"));
            a->finish(Location {latitude, longitude}, {});
        });
    };
    // The client's "Location" is "/" until it has a fix.
    QObject::connect(&attempt->poll, &QTimer::timeout, attempt, [a, readLocation] {
        a->poll.stop();
        whenAnswered(a, method(a->client, kProperties, QStringLiteral("Get"), {kClient, QStringLiteral("Location")}),
            [a, readLocation](const QDBusMessage& reply) {
                if (failed(reply))
                    return a->finish(std::nullopt, reply.errorMessage());
                const QString path = qdbus_cast<QDBusObjectPath>(reply.arguments().value(0).value<QDBusVariant>().variant()).path();
                if (path.isEmpty() || path == u'/')
                    return a->poll.start(kPollMs);
                readLocation(path);
            });
    });
    const QString desktopId = desktopId_;
    QObject* self = this;
    whenAnswered(attempt, method(kManagerPath, kManager, QStringLiteral("GetClient")), [a, desktopId, self](const QDBusMessage& reply) {
        if (failed(reply))
            return a->finish(std::nullopt, reply.errorMessage());
        a->client = qdbus_cast<QDBusObjectPath>(reply.arguments().value(0)).path();
        const QDBusMessage setId = method(a->client, kProperties, QStringLiteral("Set"),
            {kClient, QStringLiteral("DesktopId"), QVariant::fromValue(QDBusVariant(desktopId))});
        const QDBusMessage setLevel = method(a->client, kProperties, QStringLiteral("Set"),
            {kClient, QStringLiteral("RequestedAccuracyLevel"), QVariant::fromValue(QDBusVariant(kCityAccuracy))});
        QDBusConnection::systemBus().asyncCall(setLevel, kCallTimeoutMs);
        whenAnswered(a, setId, [a, self](const QDBusMessage& set) {
            if (failed(set))
                return a->finish(std::nullopt, set.errorMessage());
            // Answered to the service object, not the attempt: a "Start" that GeoClue grants after
            // the attempt gave up (its permission dialog can take long) is stopped again then.
            const QString client = a->client;
            whenAnswered(self, method(client, kClient, QStringLiteral("Start")), [a, client](const QDBusMessage& started) {
                if (!a) {
                    if (!failed(started))
                        QDBusConnection::systemBus().asyncCall(method(client, kClient, QStringLiteral("Stop")), kCallTimeoutMs);
                    return;
                }
                if (failed(started))
                    return a->finish(std::nullopt, started.errorMessage());
                a->poll.start(0);
            });
        });
    });
}

} // namespace tb
