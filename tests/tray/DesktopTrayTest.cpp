// The tray icon on a desktop of its own: a helper process shows it on a private X display and
// a private session bus, where the test plays the StatusNotifierItem watcher and host, or
// trayer plays an XEmbed tray.
#include "QtPrinters.h"
#include "QtTestLoop.h"
#include "StatusNotifierWatcher.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace tb::test;

namespace {

const auto* const appEnvironment = ::testing::AddGlobalTestEnvironment(new AppEnvironment<QCoreApplication>);

// One picture of an icon as the protocol carries it: width, height, ARGB32 in network order.
QImage imageOf(int width, int height, const QByteArray& argb)
{
    QImage image(width, height, QImage::Format_ARGB32);
    if (argb.size() != qsizetype(width) * height * 4)
        return {};
    const auto* p = reinterpret_cast<const uchar*>(argb.constData());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, p += 4)
            image.setPixel(x, y, qRgba(p[1], p[2], p[3], p[0]));
    return image;
}

std::map<int, QImage> imagesOf(const QDBusArgument& arg)
{
    std::map<int, QImage> images;
    arg.beginArray();
    while (!arg.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray data;
        arg.beginStructure();
        arg >> width >> height >> data;
        arg.endStructure();
        images[width] = imageOf(width, height, data);
    }
    arg.endArray();
    return images;
}

class DesktopTrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed: no private session bus for the tray test";
        // A bus of the test's own that starts no services: Qt would otherwise have it launch
        // the accessibility bus.
        ASSERT_TRUE(busDir_.isValid());
        QFile config(busDir_.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
)")
                         .arg(busDir_.path())
                         .toUtf8());
        config.close();
        bus_.setProgram(daemon);
        bus_.setArguments({QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
            QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        bus_.start();
        ASSERT_TRUE(bus_.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([this] { return bus_.canReadLine(); }, 10000)) << bus_.readAllStandardError().toStdString();
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        connection_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, QStringLiteral("tray-test")));
        ASSERT_TRUE(connection_->isConnected()) << address_.toStdString();

        // Qt's D-Bus tray serves the X11 platform (and Wayland), not the offscreen one.
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            GTEST_SKIP() << "Xvfb is not installed: Qt offers its D-Bus tray to X11 programs only";
        display_.setProgram(xvfb);
        display_.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("320x240x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
        display_.start();
        ASSERT_TRUE(display_.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([this] { return display_.canReadLine(); }, 10000)) << "Xvfb gave no display";
        displayName_ = QLatin1Char(':') + QString::fromUtf8(display_.readLine()).trimmed();
    }

    void TearDown() override
    {
        if (helper_.state() != QProcess::NotRunning) {
            helper_.kill();
            helper_.waitForFinished(5000);
        }
        if (connection_)
            QDBusConnection::disconnectFromBus(QStringLiteral("tray-test"));
        connection_.reset();
        for (QProcess* p : {&display_, &bus_}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(5000))
                    p->kill();
            }
        }
    }

    void startHelper(const QString& temperature, const QString& tip)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), displayName_);
        helper_.setProcessEnvironment(env);
        helper_.setProgram(QStringLiteral(THERMOBADGE_TRAY_HELPER));
        helper_.setArguments({temperature, tip});
        helper_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper_.start();
    }

    // The helper's output lines so far.
    QStringList helperLines()
    {
        output_ += QString::fromUtf8(helper_.readAllStandardOutput());
        return output_.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QVariant itemProperty(const QString& service, const QString& name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.kde.StatusNotifierItem") << name;
        const QDBusMessage reply = connection_->call(get, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }

    QTemporaryDir busDir_;
    QProcess bus_;
    QProcess display_;
    QProcess helper_;
    QString displayName_;
    QString address_;
    QString output_;
    std::unique_ptr<QDBusConnection> connection_;
};

} // namespace

TEST_F(DesktopTrayTest, RegistersWithDigitsAtSeveralSizesTipAndClicks)
{
    StatusNotifierWatcher watcher;
    ASSERT_TRUE(watcher.publish(*connection_));
    const QString tip = QStringLiteral("-7,6 °C\n07.12.2026 09:05:03 ") + QString(40, QLatin1Char('.'));
    startHelper(QStringLiteral("-7.6"), tip);
    ASSERT_TRUE(waitUntil([&] { return !watcher.registeredStatusNotifierItems().isEmpty(); }, 15000))
        << "the item never registered; helper said: " << helperLines().join(QLatin1Char('|')).toStdString();
    const QString item = watcher.registeredStatusNotifierItems().first();
    ASSERT_TRUE(waitUntil([&] { return helperLines().contains(QStringLiteral("ready 1")); }))
        << helperLines().join(QLatin1Char('|')).toStdString();

    // Below zero: blue digits (0xFF0000 stored blue-first) on a yellow background made
    // transparent, drawn anew at each size.
    const QVariant pixmaps = itemProperty(item, QStringLiteral("IconPixmap"));
    ASSERT_TRUE(pixmaps.canConvert<QDBusArgument>());
    const auto images = imagesOf(pixmaps.value<QDBusArgument>());
    int previousHeight = 0;
    for (int size : {16, 22, 32, 64}) {
        ASSERT_TRUE(images.count(size)) << "no picture of " << size << " pixels";
        const QImage& image = images.at(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        QRect digits;
        int other = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb p = image.pixel(x, y);
                if (p == qRgba(0, 0, 255, 255))
                    digits |= QRect(x, y, 1, 1);
                else if (qAlpha(p) != 0)
                    ++other;
            }
        EXPECT_EQ(other, 0) << size << " px: every pixel is a digit or transparent";
        EXPECT_GT(digits.height(), previousHeight) << size << " px: taller digits at a bigger size";
        previousHeight = digits.height();
    }

    const QVariant toolTip = itemProperty(item, QStringLiteral("ToolTip"));
    ASSERT_TRUE(toolTip.canConvert<QDBusArgument>());
    const QDBusArgument tipArg = toolTip.value<QDBusArgument>();
    QString iconName;
    QString title;
    QString text;
    tipArg.beginStructure();
    tipArg >> iconName;
    imagesOf(tipArg);
    tipArg >> title >> text;
    tipArg.endStructure();
    EXPECT_EQ(title, tip.left(64)) << "the reading, cut to the tip's 64 characters";
    EXPECT_EQ(text, QString());
    const QVariant menu = itemProperty(item, QStringLiteral("Menu"));
    EXPECT_FALSE(menu.value<QDBusObjectPath>().path().isEmpty()) << "the host gets the context menu over D-Bus";

    // A host's primary activation is a left click; its context request a right click.
    for (const auto& [method, message] : {std::pair {"Activate", 513}, std::pair {"ContextMenu", 517}}) {
        QDBusMessage call = QDBusMessage::createMethodCall(item, QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.kde.StatusNotifierItem"), QString::fromLatin1(method));
        call << 10 << 10;
        connection_->call(call, QDBus::Block, 5000);
        const QString expected = QStringLiteral("event %1").arg(message);
        EXPECT_TRUE(waitUntil([&] { return helperLines().contains(expected); })) << method;
    }
    EXPECT_EQ(helperLines().filter(QStringLiteral("event")).size(), 2) << helperLines().join(QLatin1Char('|')).toStdString();
}

// Qt 6.4 decides on its D-Bus tray once per X11 process, so a tray that comes later is
// reached over XEmbed: trayer stands for it.
TEST_F(DesktopTrayTest, IconEntersATrayThatComesLaterAndNoticesItLeave)
{
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    if (trayer.isEmpty())
        GTEST_SKIP() << "trayer is not installed: no XEmbed tray to come later";
    startHelper(QStringLiteral("21.5"), QStringLiteral("21,5 °C"));
    ASSERT_TRUE(waitUntil([&] { return helperLines().contains(QStringLiteral("ready 0")); }))
        << "started without a tray; helper said: " << helperLines().join(QLatin1Char('|')).toStdString();

    QProcess tray;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), displayName_);
    tray.setProcessEnvironment(env);
    tray.start(trayer,
        {QStringLiteral("--expand"), QStringLiteral("false"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
            QStringLiteral("--width"), QStringLiteral("100"), QStringLiteral("--height"), QStringLiteral("24")});
    ASSERT_TRUE(tray.waitForStarted(5000));
    EXPECT_TRUE(waitUntil([&] { return helperLines().contains(QStringLiteral("available 1")); }, 10000))
        << helperLines().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(waitUntil(
        [&] {
            helper_.write("\n");
            return helperLines().contains(QStringLiteral("geometry 22x22"));
        },
        10000))
        << "the icon never entered the tray: " << helperLines().join(QLatin1Char('|')).toStdString();

    tray.terminate();
    tray.waitForFinished(5000);
    EXPECT_TRUE(waitUntil([&] { return helperLines().contains(QStringLiteral("available 0")); }, 10000))
        << helperLines().join(QLatin1Char('|')).toStdString();
}
