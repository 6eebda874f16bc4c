#include "AnswerPolicy.h"
#include "Protocol.h"
#include "platform/Codepage.h"
#include "platform/Regional.h"
#include "temperature/Exchange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tbserver;

namespace {

QByteArray requestFor(const QString& word)
{
    return tb::toAnsi(tb::buildZaprosLine(word));
}

} // namespace

TEST(ServerProtocol, TemperatureRequestsAreCheckedByTheirChecksum)
{
    const Request abc = parseRequest(QByteArray::fromHex("747861626326"));
    EXPECT_EQ(abc.kind, RequestKind::Temperature);
    EXPECT_EQ(abc.word, QStringLiteral("abc"));

    // Words the client builds, Cyrillic and empty ones included, are all accepted as sent.
    for (const QString& word : {QStringLiteral("Москва"), QString(), QStringLiteral("яяя"), QStringLiteral("a\"b\\c")}) {
        const Request r = parseRequest(requestFor(word));
        EXPECT_EQ(r.kind, RequestKind::Temperature) << word.toStdString();
        EXPECT_EQ(r.word, word);
    }

    QByteArray wrong = requestFor(QStringLiteral("abc"));
    wrong.back() = static_cast<char>(wrong.back() + 1);
    const Request bad = parseRequest(wrong);
    EXPECT_EQ(bad.kind, RequestKind::BadChecksum);
    EXPECT_EQ(bad.expected, 0x26);
    EXPECT_EQ(bad.checksum, 0x27);
}

TEST(ServerProtocol, OnlyTxAndTwoByteVRequestsAreRequests)
{
    EXPECT_EQ(parseRequest(QByteArray("v\x03", 2)).kind, RequestKind::Version);
    EXPECT_EQ(parseRequest("vx").kind, RequestKind::Version);
    for (const QByteArray& d : {QByteArray(), QByteArray("v"), QByteArray("v12"), QByteArray("tx"), QByteArray("t"),
                                QByteArray("TXabc&"), QByteArray("xtabc&"), QByteArray(64, '\0')})
        EXPECT_EQ(parseRequest(d).kind, RequestKind::NotRequest) << d.toHex().toStdString();
}

TEST(ServerProtocol, TemperatureReplyHasTheClientsFixedLayout)
{
    const QDateTime taken(QDate(2012, 10, 24), QTime(18, 33, 41));
    EXPECT_EQ(buildTemperatureReply({-5.3, taken}), QByteArray("24.10.2012 18:33 -5.3"));
    EXPECT_EQ(buildTemperatureReply({12, taken})->mid(17), QByteArray("12.0"));
    EXPECT_EQ(buildTemperatureReply({-0.04, taken})->mid(17), QByteArray("0.0"));

    // Across the whole accepted range the reply is 18 to 30 bytes, its spaces where the client
    // looks for them, and the client reads back the temperature and the minute it was taken.
    const auto regional = tb::Regional::english();
    for (double t = kMinCelsius; t <= kMaxCelsius; t += 7.77) {
        const auto reply = buildTemperatureReply({t, taken});
        ASSERT_TRUE(reply) << t;
        EXPECT_GE(reply->size(), kMinTemperatureReply);
        EXPECT_LE(reply->size(), kMaxTemperatureReply);
        EXPECT_EQ(reply->indexOf(' '), 10);
        EXPECT_EQ(reply->indexOf(' ', 11), 16);
        const auto parsed = tb::parseTemperatureReply(tb::fromAnsi(*reply), regional);
        ASSERT_TRUE(parsed) << reply->toStdString();
        EXPECT_NEAR(parsed->temperature, t, 0.05 + 1e-9);
        // The client's date-time is a plain wall-clock value (held as UTC), whatever the time zone.
        EXPECT_EQ(parsed->time.toQDateTime(), QDateTime(taken.date(), QTime(18, 33), Qt::UTC));
    }
}

TEST(ServerProtocol, UnsendableReadingsGiveNoReply)
{
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_FALSE(buildTemperatureReply({std::nan(""), now}));
    EXPECT_FALSE(buildTemperatureReply({std::numeric_limits<double>::infinity(), now}));
    EXPECT_FALSE(buildTemperatureReply({kMaxCelsius + 1, now}));
    EXPECT_FALSE(buildTemperatureReply({1.0, QDateTime()}));
    EXPECT_FALSE(buildTemperatureReply({1.0, QDateTime(QDate(10000, 1, 1), QTime(0, 0))}));
}

TEST(ServerProtocol, VersionReplyMustBeOneToFiveCodePageBytes)
{
    EXPECT_EQ(makeVersionReply(QStringLiteral("1.5")).bytes, QByteArray("1.5"));
    EXPECT_EQ(makeVersionReply(QStringLiteral("абвгд")).bytes.size(), 5);
    for (const QString& bad : {QString(), QStringLiteral("123456"), QStringLiteral("абвгде"), QStringLiteral("1中")}) {
        const auto check = makeVersionReply(bad);
        EXPECT_TRUE(check.bytes.isEmpty()) << bad.toStdString();
        EXPECT_FALSE(check.error.isEmpty()) << bad.toStdString();
    }
}

TEST(ServerProtocol, LogFormsStayOnOneLine)
{
    EXPECT_EQ(printableWord(QStringLiteral("Ок\n\"\\")), QStringLiteral("\"Ок\\x0a\\\"\\\\\""));
    EXPECT_EQ(hexPreview(QByteArray(20, 'A'), 2), QStringLiteral("41 41 ..."));
}

TEST(ServerReading, LastNumberInText)
{
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"-7.5\n", -7.5},
        {"t=-7.5 C\n", -7.5},
        {"2024-01-05 12:00 3.25\n\n", 3.25},
        {"2024-01-05 12:00 -3\n", -3.0},
        {"10\n11\n12.", 12.0},
        {"v1.2.3", 2.3},
        {"-0.0", 0.0},
        {"", std::nullopt},
        {"no reading - sensor lost", std::nullopt},
        {"5000", std::nullopt},
        {"-300", std::nullopt},
        {"99999999999999999999999999999999999999999999", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = lastNumberIn(QByteArrayView(c.text));
        EXPECT_EQ(got.has_value(), c.value.has_value()) << c.text;
        if (got && c.value) {
            EXPECT_DOUBLE_EQ(*got, *c.value) << c.text;
            EXPECT_FALSE(std::signbit(*got) && *got == 0) << c.text;
        }
    }
}

TEST(ServerAnswerPolicy, EveryNthAndSilent)
{
    AnswerPolicy every3(3, false);
    std::vector<bool> answered;
    for (int i = 0; i < 7; ++i)
        answered.push_back(every3.temperatureRequest().answer);
    EXPECT_EQ(answered, (std::vector<bool>{false, false, true, false, false, true, false}));
    EXPECT_TRUE(every3.versionRequest().answer);

    AnswerPolicy all(1, false);
    EXPECT_TRUE(all.temperatureRequest().answer && all.temperatureRequest().answer);

    AnswerPolicy silent(1, true);
    EXPECT_FALSE(silent.temperatureRequest().answer);
    EXPECT_FALSE(silent.versionRequest().answer);
    EXPECT_FALSE(silent.versionRequest().reason.isEmpty());
}
