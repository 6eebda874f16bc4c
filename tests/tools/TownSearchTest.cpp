// The town search of the server (--find-town): what each answer of a stand-in of the geocoding
// service on 127.0.0.1, and each typed text, ends with.
#include "TownSearch.h"
#include "HttpStub.h"
#include "ToolsTestSupport.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace tbserver;
using namespace std::chrono_literals;
using tools_test::HttpStub;

namespace {

QByteArray place(const QByteArray& name, const QByteArray& lat, const QByteArray& lon, qint64 population)
{
    return R"({"name":")" + name + R"(","latitude":)" + lat + R"(,"longitude":)" + lon
        + R"(,"country":"Россия","admin1":"Москва","population":)" + QByteArray::number(population) + "}";
}

struct Outcome {
    int exit = -1;
    QStringList lines;
    QStringList notes;
};

Outcome find(HttpStub& stub, const QString& text, bool loopbackOnly = true)
{
    TownSearch::Settings settings {QUrl(stub.url()), QStringLiteral("ru"), 400ms, loopbackOnly};
    Outcome out;
    TownSearch search(settings, [&](const QString& l) { out.lines << l; }, [&](const QString& n) { out.notes << n; });
    QObject::connect(&search, &TownSearch::finished, [&](int code) { out.exit = code; });
    search.start(text);
    EXPECT_TRUE(tools_test::waitUntil([&] { return out.exit >= 0; }, 5000)) << text.toStdString();
    return out;
}

} // namespace

TEST(TownSearch, EveryAnswerAndEveryTextEndsWithAPlainOutcome)
{
    tools_test::qtApp();
    HttpStub stub;
    QByteArray many = R"({"results":[)";
    for (int i = 0; i < 12; ++i)
        many += (i ? "," : "") + place("Town" + QByteArray::number(i), QByteArray::number(50 + i), "30", 1000 * i);
    many += "]}";
    struct Case {
        const char* what;
        QString text;
        HttpStub::Answer answer;
        int exit;
        QStringList lines;     // all of them, or the first few when `count` is given
        qsizetype count = -1;  // the number of lines, when not all are listed
        const char* note = "";
    };
    const QString name300(300, u'ж');
    const Case cases[] = {
        {"no match", "Nowhere", {200, R"({"generationtime_ms":0.4})"}, TownSearch::kNothing, {}, -1, "no place"},
        {"one match", "моск", {200, "{\"results\":[" + place("Москва", "55.75222", "37.61556", 10381222) + "]}"}, TownSearch::kFound,
            {"Москва\tМосква\tРоссия\t55.75222\t37.61556\t10381222"}},
        {"many, most populous first, ten at most", "Town", {200, many}, TownSearch::kFound,
            {"Town11\tМосква\tРоссия\t61\t30\t11000", "Town10\tМосква\tРоссия\t60\t30\t10000"}, 10},
        {"quotes, a tab and a character outside the BMP", "Sa", {200, "{\"results\":[" + place(R"(\"Sa\"\tint 😀)", "1", "2", 0) + "]}"},
            TownSearch::kFound, {"\"Sa\" int 😀\tМосква\tРоссия\t1\t2\t0"}},
        {"entries off the earth or unnamed are skipped", "X",
            {200, "{\"results\":[" + place("Far", "91", "0", 5) + "," + place("", "1", "1", 5) + "]}"}, TownSearch::kNothing, {}},
        {"not JSON", "Berlin", {200, "<html>Bad gateway</html>"}, TownSearch::kRefused, {}, -1, "not JSON"},
        {"HTTP 500", "Berlin", {500, R"({"error":true,"reason":"Internal"})"}, TownSearch::kRefused, {}, -1, "HTTP 500 Stub: Internal"},
        {"no answer in time", "Berlin", {200, "{}", HttpStub::Shape::Silent}, TownSearch::kUnreachable, {}, -1, "within 400 ms"},
        {"a huge body", "Berlin", {200, QByteArray(HttpFetch::kBodyLimit + 10, ' ')}, TownSearch::kRefused, {}, -1, "larger than"},
        {"an empty name", "  ", {}, TownSearch::kBadText, {}, -1, "no town name"},
        {"a 300-character name", name300, {}, TownSearch::kBadText, {}, -1, "at most 200"},
        {"coordinates", "55.75, 37.62", {}, TownSearch::kFound, {"\t\t\t55.75\t37.62\t0"}},
        {"coordinates off the earth", "95, 37.62", {}, TownSearch::kOffTheEarth, {}, -1, "latitude"},
    };
    for (const Case& c : cases) {
        stub.setAnswer(c.answer);
        const int requests = stub.requests();
        const Outcome got = find(stub, c.text);
        EXPECT_EQ(got.exit, c.exit) << c.what;
        if (c.count < 0) {
            EXPECT_EQ(got.lines, c.lines) << c.what;
        } else {
            EXPECT_EQ(got.lines.size(), c.count) << c.what;
        }
        for (qsizetype i = 0; i < c.lines.size() && i < got.lines.size(); ++i)
            EXPECT_EQ(got.lines[i], c.lines[i]) << c.what;
        EXPECT_EQ(got.notes.size(), c.exit == TownSearch::kFound ? 0 : 1) << c.what;
        EXPECT_TRUE(got.notes.join(' ').contains(QString::fromUtf8(c.note))) << c.what << ": " << got.notes.join(' ').toStdString();
        // Texts and coordinates that need no service never reach it.
        if (c.exit == TownSearch::kBadText || c.exit == TownSearch::kOffTheEarth || c.text.contains(u',')) {
            EXPECT_EQ(stub.requests(), requests) << c.what;
        }
    }
    EXPECT_TRUE(stub.lastRequestLine().startsWith("GET /v1/search?name=Berlin&count=10&language=ru&format=json "))
        << stub.lastRequestLine().toStdString();
    EXPECT_EQ(searchUrl(QUrl("http://127.0.0.1:1/geo/"), "a&b=+c", "ru").toString(QUrl::FullyEncoded),
        "http://127.0.0.1:1/geo/v1/search?name=a%26b%3D%2Bc&count=10&language=ru&format=json");
}

TEST(TownSearch, AServiceOffLoopbackIsNotAskedInALoopbackOnlyRun)
{
    tools_test::qtApp();
    TownSearch::Settings settings {QUrl(QLatin1String(kGeocodingBase)), QStringLiteral("en"), 400ms, true};
    int exit = -1;
    QStringList notes;
    TownSearch search(settings, nullptr, [&](const QString& n) { notes << n; });
    QObject::connect(&search, &TownSearch::finished, [&](int code) { exit = code; });
    search.start(QStringLiteral("Berlin"));
    ASSERT_TRUE(tools_test::waitUntil([&] { return exit >= 0; }, 2000));
    EXPECT_EQ(exit, TownSearch::kOffNetwork);
    EXPECT_TRUE(notes.value(0).contains("THERMOBADGE_LOOPBACK_ONLY")) << notes.value(0).toStdString();
}
