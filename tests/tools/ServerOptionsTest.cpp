#include "ServerOptions.h"

#include <gtest/gtest.h>

using namespace tbserver;

namespace {

OptionsOutcome parse(QStringList args, bool loopbackOnly = true)
{
    args.prepend(QStringLiteral("thermobadge-server"));
    return parseServerOptions(args, loopbackOnly);
}

ServerOptions valid(const QStringList& args, bool loopbackOnly = true)
{
    const auto out = parse(args, loopbackOnly);
    EXPECT_TRUE(out.options) << args.join(u' ').toStdString() << ": " << out.message.toStdString();
    return out.options.value_or(ServerOptions{});
}

} // namespace

TEST(ServerOptions, DefaultsAndBehaviourOptions)
{
    const ServerOptions d = valid({});
    EXPECT_EQ(d.port, 25002);
    EXPECT_EQ(d.bind, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(d.source, SourceKind::Simulated);
    EXPECT_FALSE(d.seedGiven || d.silent || d.log);
    EXPECT_EQ(d.every, 1);
    EXPECT_EQ(d.delay.count(), 0);
    EXPECT_EQ(d.versionReply, QByteArray(THERMOBADGE_SERVER_VERSION));

    const ServerOptions o =
        valid({"--port", "0", "--bind", "::1", "--log", "--every", "3", "--delay", "250", "--silent",
               "--version-reply", "2"});
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.bind, QHostAddress(QHostAddress::LocalHostIPv6));
    EXPECT_TRUE(o.log && o.silent);
    EXPECT_EQ(o.every, 3);
    EXPECT_EQ(o.delay.count(), 250);
    EXPECT_EQ(o.versionReply, QByteArray("2"));
    EXPECT_EQ(valid({"--bind", "localhost"}).bind, QHostAddress(QHostAddress::LocalHost));
}

TEST(ServerOptions, SourcesAndTheirValues)
{
    EXPECT_DOUBLE_EQ(valid({"--fixed", "-5.3"}).fixedCelsius, -5.3);
    EXPECT_DOUBLE_EQ(valid({"--fixed=-5,3"}).fixedCelsius, -5.3);
    const ServerOptions seeded = valid({"--simulate", "--seed", "18446744073709551615"});
    EXPECT_TRUE(seeded.seedGiven);
    EXPECT_EQ(seeded.seed, 18446744073709551615ull);
    const ServerOptions file = valid({"--file", "/tmp/t.log", "--refresh", "2"});
    EXPECT_EQ(file.source, SourceKind::File);
    EXPECT_EQ(file.refresh.count(), 2000);
    const ServerOptions cmd = valid({"--command", R"(read-sensor "living room" --celsius)"});
    EXPECT_EQ(cmd.source, SourceKind::Command);
    EXPECT_EQ(cmd.command, (QStringList{"read-sensor", "living room", "--celsius"}));
}

TEST(ServerOptions, WeatherSourceAndSetup)
{
    const ServerOptions w = valid({"--weather", "55.7558,-37.6", "--weather-url", "http://localhost:8080/om"});
    EXPECT_EQ(w.source, SourceKind::Weather);
    EXPECT_DOUBLE_EQ(w.place.latitude, 55.7558);
    EXPECT_DOUBLE_EQ(w.place.longitude, -37.6);
    EXPECT_EQ(w.weatherUrl, QUrl("http://localhost:8080/om"));
    EXPECT_EQ(w.refresh, std::chrono::minutes(10));
    EXPECT_EQ(w.weatherTimeout.count(), 15000);
    const ServerOptions quick = valid({"--weather=-90,180", "--weather-url", "http://[::1]:9", "--refresh", "60",
                                       "--weather-timeout", "250"});
    EXPECT_EQ(quick.refresh.count(), 60000);
    EXPECT_EQ(quick.weatherTimeout.count(), 250);
    // Off loopback-only runs the public service is the default (parsing only: nothing is fetched here).
    EXPECT_EQ(valid({"--weather", "0,0"}, false).weatherUrl, QUrl("https://api.open-meteo.com"));

    const ServerOptions setup = valid({"--setup", "55.75000,37.62", "--weather-url", "http://127.0.0.1:8080",
                                       "--refresh", "300", "--config-dir", "/tmp/tb"});
    ASSERT_TRUE(setup.setup);
    EXPECT_EQ(setup.configDir, "/tmp/tb");
    EXPECT_EQ(setup.setupArguments,
              (QStringList{"--weather", "55.75,37.62", "--weather-url", "http://127.0.0.1:8080", "--refresh", "300"}));
    // Writing the settings fetches nothing, so the public default is no obstacle there.
    EXPECT_EQ(valid({"--setup", "1,2"}).setupArguments, (QStringList{"--weather", "1,2"}));
}

TEST(ServerOptions, RemoteBindNeedsConsentAndIsNeverAllowedInLoopbackOnlyMode)
{
    EXPECT_TRUE(parse({"--bind", "0.0.0.0"}, false).isError);
    EXPECT_TRUE(valid({"--bind", "0.0.0.0", "--allow-remote"}, false).bind == QHostAddress(QHostAddress::AnyIPv4));
    const auto refused = parse({"--bind", "0.0.0.0", "--allow-remote"}, true);
    EXPECT_TRUE(refused.isError);
    EXPECT_TRUE(refused.message.contains(QLatin1String("THERMOBADGE_LOOPBACK_ONLY")));
}

TEST(ServerOptions, BadCommandLinesAreRefusedWithAMessage)
{
    const QList<QStringList> bad = {
        {"--port", "65536"},
        {"--bind", "example.net"},
        {"--fixed", "warm"},
        {"--fixed", "5000"},
        {"--fixed", "1", "--simulate"},
        {"--command", ""},
        {"--seed", "1", "--fixed", "1"},
        {"--seed", "-1"},
        {"--refresh", "5"},
        {"--file", "a", "--refresh", "0"},
        {"--every", "0"},
        {"--delay", "60001"},
        {"--version-reply", "1.2345"},
        {"--port", "1", "--port", "2"},
        {"--weather", "90.5,0"},
        {"--weather", "0,-180.01"},
        {"--weather", "55.7,"},
        {"--weather", "55,7,37,6"},
        {"--weather", "nan,0"},
        {"--weather", "1e1,0"},
        {"--weather", "1,2"},                                             // the public service, loopback only
        {"--weather", "1,2", "--weather-url", "http://203.0.113.5"},      // likewise
        {"--weather", "1,2", "--weather-url", "ftp://127.0.0.1"},
        {"--weather", "1,2", "--weather-url", "http://127.0.0.1/?q=1"},
        {"--weather", "1,2", "--weather-url", "http://127.0.0.1", "--weather-timeout", "50"},
        {"--weather", "1,2", "--fixed", "3"},
        {"--weather-url", "http://127.0.0.1"},
        {"--setup", "100,2"},
        {"--setup", "1,2", "--port", "3"},
        {"--config-dir", "/tmp"},
        {"--no-such-option"},
        {"stray"},
    };
    for (const QStringList& args : bad) {
        const auto out = parse(args);
        EXPECT_FALSE(out.options) << args.join(u' ').toStdString();
        EXPECT_TRUE(out.isError) << args.join(u' ').toStdString();
        EXPECT_FALSE(out.message.isEmpty()) << args.join(u' ').toStdString();
    }
}
