// The weather source: reading the forecast service's answers, and fetching them from a stand-in
// of the service on 127.0.0.1.
#include "WeatherSource.h"
#include "HttpStub.h"
#include "OpenMeteo.h"
#include "ToolsTestSupport.h"
#include "WeatherTestSupport.h"

#include <gtest/gtest.h>

using namespace tbserver;
using namespace std::chrono_literals;
using tools_test::forecastAnswer;
using tools_test::HttpStub;

namespace {

QDateTime utc(int hour, int minute = 0)
{
    return QDateTime(QDate(2024, 1, 5), QTime(hour, minute), Qt::UTC);
}

} // namespace

TEST(OpenMeteo, ReadsTheCurrentTemperatureAtItsObservationTimeAndRefusesTheRest)
{
    const QByteArray good = forecastAnswer("2024-01-05T07:00", -12.5);
    struct Case {
        QByteArray body;
        std::optional<double> celsius;
        QDateTime observed; // when there is a reading
        const char* problem;
    };
    const Case cases[] = {
        {good, -12.5, utc(4), ""},
        {forecastAnswer("2024-01-05T01:15:00", 70, -14400), 70, utc(5, 15), ""},
        {forecastAnswer("2024-01-05T04:00", -100, 0), -100, utc(4), ""},
        {good.left(good.size() / 2), {}, {}, "not JSON"},
        {"<html>Bad gateway</html>", {}, {}, "not JSON"},
        {"[1,2]", {}, {}, "not a JSON object"},
        {R"({"utc_offset_seconds":0})", {}, {}, "no \"current\""},
        {R"({"utc_offset_seconds":0,"current":{"time":"2024-01-05T04:00"}})", {}, {}, "no current temperature_2m"},
        {R"({"utc_offset_seconds":0,"current":{"time":"2024-01-05T04:00","temperature_2m":null}})", {}, {},
            "no current temperature_2m"},
        {R"({"utc_offset_seconds":0,"current":{"time":"2024-01-05T04:00","temperature_2m":"5"}})", {}, {},
            "no current temperature_2m"},
        {forecastAnswer("2024-01-05T07:00", 70.1), {}, {}, "outside -100..70"},
        {forecastAnswer("2024-01-05T07:00", -100.5), {}, {}, "outside -100..70"},
        {QByteArray(good).replace("°C", "°F"), {}, {}, "not in °C"},
        {forecastAnswer("05.01.2024 07:00", 1), {}, {}, "does not read"},
        {forecastAnswer("2024-13-05T07:00", 1), {}, {}, "does not read"},
        {QByteArray(good).replace("\"time\":\"2024-01-05T07:00\",", ""), {}, {}, "does not read"},
        {forecastAnswer("2024-01-05T07:00", 1, 90000), {}, {}, "utc_offset_seconds"},
        {QByteArray(good).replace("\"utc_offset_seconds\":10800,", ""), {}, {}, "utc_offset_seconds"},
        {forecastAnswer("9999-12-31T23:00", 1), {}, {}, "ahead of this machine's clock"},
    };
    for (const Case& c : cases) {
        const ForecastReading got = parseForecast(c.body);
        ASSERT_EQ(got.reading.has_value(), c.celsius.has_value()) << c.body.toStdString() << got.problem.toStdString();
        EXPECT_TRUE(got.problem.contains(QString::fromUtf8(c.problem))) << got.problem.toStdString();
        if (got.reading) {
            EXPECT_DOUBLE_EQ(got.reading->celsius, *c.celsius);
            EXPECT_EQ(got.reading->takenAt, c.observed) << c.body.toStdString();
            EXPECT_EQ(got.reading->takenAt.timeSpec(), Qt::LocalTime);
        }
    }
    // A clock a little behind the service's still takes its answers; one far behind does not.
    EXPECT_TRUE(parseForecast(good, utc(3, 30)).reading);
    EXPECT_FALSE(parseForecast(good, utc(2, 59)).reading);
    EXPECT_EQ(forecastUrl(QUrl("http://127.0.0.1:8080/mirror/"), {55.7558, -37.6}).toString(),
        "http://127.0.0.1:8080/mirror/v1/forecast?latitude=55.7558&longitude=-37.6&current=temperature_2m"
        "&timezone=auto");
}

TEST(WeatherSource, ServesOnlyGoodAnswersKeepsTheLastThroughEveryFaultAndBacksOff)
{
    tools_test::qtApp();
    HttpStub stub;
    WeatherSource::Settings settings;
    settings.base = QUrl(stub.url());
    settings.place = {55.75, 37.62};
    settings.timeout = 300ms;
    settings.direct = true;
    QStringList notes;
    WeatherSource source(settings, [&notes](const QString& n) { notes << n; });
    int fetches = 0;
    QObject::connect(&source, &WeatherSource::fetched, [&fetches] { ++fetches; });
    auto fetch = [&](const HttpStub::Answer& answer) {
        stub.setAnswer(answer);
        const int before = fetches;
        source.fetchNow();
        return tools_test::waitUntil([&] { return fetches > before; }, 5000);
    };

    // Nothing is served before the service has given a good answer, also after a failed fetch.
    EXPECT_FALSE(source.state().reading);
    ASSERT_TRUE(fetch({500, "busy"}));
    EXPECT_FALSE(source.state().reading);
    EXPECT_TRUE(notes.value(0).contains("nothing to serve yet")) << notes.value(0).toStdString();

    ASSERT_TRUE(fetch({200, forecastAnswer("2024-01-05T07:00", -12.5)}));
    EXPECT_TRUE(stub.lastRequestLine().startsWith(
        "GET /v1/forecast?latitude=55.75&longitude=37.62&current=temperature_2m&timezone=auto HTTP/1.1"))
        << stub.lastRequestLine().toStdString();
    const SourceState good = source.state();
    ASSERT_TRUE(good.reading);
    EXPECT_DOUBLE_EQ(good.reading->celsius, -12.5);
    EXPECT_EQ(good.reading->takenAt, utc(4));
    EXPECT_TRUE(good.problem.isEmpty());
    EXPECT_EQ(source.nextDelay(), 10min);

    const QByteArray later = forecastAnswer("2024-01-05T08:00", -11);
    const QByteArray huge = QByteArray(WeatherSource::kBodyLimit, ' ') + later;
    struct Fault {
        HttpStub::Answer answer;
        const char* problem;
    };
    const Fault faults[] = {
        {{404, R"({"error":true,"reason":"Latitude must be in range of -90 to 90°."})"},
            "HTTP 404 Stub: Latitude must be in range"},
        {{500, "Internal error"}, "HTTP 500"},
        {{200, "garbage"}, "not JSON"},
        {{200, R"({"utc_offset_seconds":0,"current":{"time":"2024-01-05T08:00"}})"}, "no current temperature_2m"},
        {{200, forecastAnswer("2024-01-05T08:00", 85)}, "outside -100..70"},
        {{200, huge}, "larger than 1048576 bytes"},
        {{200, huge, HttpStub::Shape::Unsized}, "larger than 1048576 bytes"},
        {{200, later, HttpStub::Shape::CutShort}, "cut short"},
        {{200, later, HttpStub::Shape::Silent}, "within 300 ms"},
    };
    // Each fault changes nothing and logs one line; the next fetch comes soon at first, then waits
    // twice as long from the refresh period on, up to an hour.
    const std::chrono::milliseconds waits[] = {10s, 30s, 1min, 2min, 5min, 10min, 20min, 40min, 60min};
    for (size_t i = 0; i < std::size(faults); ++i) {
        const qsizetype notesBefore = notes.size();
        ASSERT_TRUE(fetch(faults[i].answer)) << i;
        const SourceState s = source.state();
        ASSERT_TRUE(s.reading) << i;
        EXPECT_DOUBLE_EQ(s.reading->celsius, -12.5) << i;
        EXPECT_EQ(s.reading->takenAt, utc(4)) << i;
        EXPECT_FALSE(s.problem.isEmpty()) << i;
        EXPECT_TRUE(s.problem.contains(QString::fromUtf8(faults[i].problem))) << i << ": " << s.problem.toStdString();
        ASSERT_EQ(notes.size(), notesBefore + 1) << i;
        EXPECT_TRUE(notes.last().contains("still serving -12.5")) << notes.last().toStdString();
        EXPECT_EQ(source.nextDelay(), waits[i]) << i;
    }

    // A good answer brings the regular period back; an older observation does not replace a newer one.
    ASSERT_TRUE(fetch({200, later}));
    ASSERT_TRUE(source.state().reading);
    EXPECT_DOUBLE_EQ(source.state().reading->celsius, -11);
    EXPECT_EQ(source.state().reading->takenAt, utc(5));
    EXPECT_TRUE(source.state().problem.isEmpty());
    EXPECT_EQ(source.nextDelay(), 10min);
    ASSERT_TRUE(fetch({200, forecastAnswer("2024-01-05T06:00", -20)}));
    EXPECT_DOUBLE_EQ(source.state().reading->celsius, -11);
}

TEST(WeatherSource, RetriesSoonAtFirstThenDoublesFromTheRefreshPeriodUpToTheCeiling)
{
    struct Case {
        std::chrono::milliseconds refresh;
        int failures;
        std::chrono::milliseconds expected;
    };
    const Case cases[] = {
        {10min, 0, 10min},
        {10min, 1, 10s},
        {10min, 2, 30s},
        {10min, 5, 5min},
        {10min, 6, 10min},
        {10min, 8, 40min},
        {10min, 9, 60min},
        {10min, 1000, 60min},
        {1min, 2, 30s},
        {1min, 3, 1min},
        {1min, 4, 2min},
        {1s, 2, 2s},
        {1s, 13, 3600s},
        {2h, 5, 5min},
        {2h, 6, 2h},
    };
    for (const Case& c : cases)
        EXPECT_EQ(retryDelay(c.refresh, c.failures, 1h), c.expected) << c.refresh.count() << " " << c.failures;
}

TEST(WeatherSource, AFetchThatFailsAtStartIsTriedAgainWithinFifteenSeconds)
{
    // At log-on the network often comes a few seconds after the session.
    tools_test::qtApp();
    HttpStub stub;
    stub.setAnswer({503, "not yet"});
    WeatherSource::Settings settings;
    settings.base = QUrl(stub.url());
    settings.place = {55.75, 37.62};
    settings.direct = true;
    WeatherSource source(settings, nullptr);
    source.start();
    ASSERT_TRUE(tools_test::waitUntil([&] { return stub.requests() == 1 && !source.state().problem.contains("yet"); }, 5000));
    stub.setAnswer({200, forecastAnswer("2024-01-05T07:00", -3)});
    EXPECT_TRUE(tools_test::waitUntil([&] { return source.state().reading.has_value(); }, 15000));
    EXPECT_EQ(stub.requests(), 2);
}
