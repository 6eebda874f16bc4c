#pragma once

#include <QByteArray>

namespace tools_test {

// An answer shaped like the forecast service's to ...&current=temperature_2m&timezone=auto: `time`
// is the observation on the place's clock, `utcOffset` how far that clock is ahead of UTC.
inline QByteArray forecastAnswer(const char* time, double celsius, int utcOffset = 10800)
{
    return QByteArray(R"({"latitude":55.75,"longitude":37.625,"generationtime_ms":0.03,"utc_offset_seconds":)")
        + QByteArray::number(utcOffset)
        + R"(,"timezone":"Europe/Moscow","timezone_abbreviation":"MSK","elevation":144.0,)"
          R"("current_units":{"time":"iso8601","interval":"seconds","temperature_2m":"°C"},)"
          R"("current":{"time":")"
        + time + R"(","interval":900,"temperature_2m":)" + QByteArray::number(celsius) + "}}";
}

} // namespace tools_test
