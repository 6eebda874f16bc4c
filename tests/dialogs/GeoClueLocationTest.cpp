// The desktop's location service over D-Bus, against a stand-in of GeoClue2 on a private bus of
// the test's own (started as the "system" bus of this process): no service, a place, no fix.
#include "platform/desktop/GeoClueLocation.h"

#include "QtTestLoop.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tb;

namespace {

// GeoClue2's manager, one client and one location, as far as a client of it uses them.
class FakeGeoClue final : public QDBusVirtualObject {
public:
    bool fix = true; // the client comes to a location after Start
    int startAnswerMs = 0; // how long Start takes (a permission dialog)
    QString desktopId;
    bool started = false, stopped = false;
    QStringList events; // "started" when Start is answered, "stop" when Stop comes

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override
    {
        const QString member = m.member();
        QDBusMessage reply;
        if (member == QLatin1String("GetClient")) {
            reply = m.createReply(QVariant::fromValue(QDBusObjectPath("/org/freedesktop/GeoClue2/Client/1")));
        } else if (member == QLatin1String("Set")) {
            if (m.arguments().value(1).toString() == QLatin1String("DesktopId"))
                desktopId = m.arguments().value(2).value<QDBusVariant>().variant().toString();
            reply = m.createReply();
        } else if (member == QLatin1String("Start") && startAnswerMs > 0) {
            QTimer::singleShot(startAnswerMs, [this, m, bus] {
                started = true;
                events << QStringLiteral("started");
                QDBusConnection(bus).send(m.createReply());
            });
            return true;
        } else if (member == QLatin1String("Start") || member == QLatin1String("Stop")) {
            (member == QLatin1String("Start") ? started : stopped) = true;
            events << (member == QLatin1String("Start") ? QStringLiteral("started") : QStringLiteral("stop"));
            reply = m.createReply();
        } else if (member == QLatin1String("Get")) {
            const QString at = fix && started ? QStringLiteral("/org/freedesktop/GeoClue2/Location/1") : QStringLiteral("/");
            reply = m.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(QDBusObjectPath(at)))));
        } else if (member == QLatin1String("GetAll")) {
            reply = m.createReply(QVariantMap {{"Latitude", 59.9386}, {"Longitude", 30.3141}, {"Accuracy", 5000.0}});
        } else {
            reply = m.createErrorReply(QDBusError::UnknownMethod, member);
        }
        bus.send(reply);
        return true;
    }
};

class GeoClueLocationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "location_tests";
        static char* argv[] = {name, nullptr};
        static auto* app = new QCoreApplication(argc, argv);
        (void)app;
        bus_ = new QProcess;
        bus_->start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!bus_->waitForStarted(5000) || !bus_->waitForReadyRead(5000))
            return;
        const QByteArray address = bus_->readLine().trimmed();
        // Before the first use of the system bus in this process, which then connects here.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        address_ = QString::fromUtf8(address);
    }
    static void TearDownTestSuite()
    {
        if (bus_) {
            bus_->kill();
            bus_->waitForFinished(3000);
        }
        delete bus_;
        bus_ = nullptr;
    }
    void SetUp() override
    {
        if (address_.isEmpty())
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
    }

    static inline QProcess* bus_ = nullptr;
    static inline QString address_;
};

} // namespace

TEST_F(GeoClueLocationTest, NoServiceNoFixAndAPlace)
{
    GeoClueLocation location(QStringLiteral("thermobadge"), std::chrono::milliseconds(1500));
    std::optional<bool> available;
    location.probe([&](bool a) { available = a; });
    ASSERT_TRUE(test::waitUntil([&] { return available.has_value(); }, 5000));
    EXPECT_FALSE(*available) << "a bus without GeoClue has no location service";

    QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("geoclue"));
    ASSERT_TRUE(service.isConnected());
    FakeGeoClue geoclue;
    ASSERT_TRUE(service.registerVirtualObject(QStringLiteral("/org/freedesktop/GeoClue2"), &geoclue, QDBusConnection::SubPath));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.GeoClue2")));
    available.reset();
    location.probe([&](bool a) { available = a; });
    ASSERT_TRUE(test::waitUntil([&] { return available.has_value(); }, 5000));
    EXPECT_TRUE(*available);

    struct Answer {
        bool done = false;
        std::optional<Location> where;
        QString why;
    };
    auto locate = [&] {
        Answer a;
        location.locate([&a](std::optional<Location> where, const QString& why) { a = {true, where, why}; });
        EXPECT_TRUE(test::waitUntil([&] { return a.done; }, 5000));
        return a;
    };
    const Answer here = locate();
    ASSERT_TRUE(here.where.has_value()) << here.why.toStdString();
    EXPECT_DOUBLE_EQ(here.where->latitude, 59.9386);
    EXPECT_DOUBLE_EQ(here.where->longitude, 30.3141);
    EXPECT_EQ(geoclue.desktopId, QStringLiteral("thermobadge"));
    EXPECT_TRUE(test::waitUntil([&] { return geoclue.stopped; }, 2000)) << "the client is stopped once it has answered";

    // A service that never finds the place: nothing, once the time is up, never a hang.
    geoclue.fix = false;
    geoclue.started = false;
    QElapsedTimer took;
    took.start();
    const Answer none = locate();
    EXPECT_FALSE(none.where.has_value());
    EXPECT_FALSE(none.why.isEmpty());
    EXPECT_LT(took.elapsed(), 3000);

    // A Start that GeoClue grants only after the attempt gave up is stopped again.
    geoclue.fix = true;
    geoclue.started = false;
    geoclue.startAnswerMs = 2500;
    geoclue.events.clear();
    const Answer late = locate();
    EXPECT_FALSE(late.where.has_value());
    ASSERT_TRUE(test::waitUntil([&] { return geoclue.events.contains(QStringLiteral("started")); }, 5000));
    test::runFor(300);
    EXPECT_EQ(geoclue.events.value(geoclue.events.size() - 1), QStringLiteral("stop")) << geoclue.events.join(u' ').toStdString();
    service.unregisterService(QStringLiteral("org.freedesktop.GeoClue2"));
}
