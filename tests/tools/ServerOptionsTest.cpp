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
