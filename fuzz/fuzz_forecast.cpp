// Feeds arbitrary bodies to the reader of the weather service's answer (the server's --weather
// source) and checks what must hold for any answer: a reading is plausible weather at a valid
// local time and comes without a problem; no reading always says why.
#include "OpenMeteo.h"

#include "FuzzSupport.h"

#include <cmath>
#include <cstdlib>

using namespace tbserver;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    quietProgramLogs();
    const QByteArrayView body(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ForecastReading got = parseForecast(body);
    if (got.reading) {
        const double c = got.reading->celsius;
        if (!got.problem.isEmpty() || !std::isfinite(c) || c < kWeatherMinCelsius || c > kWeatherMaxCelsius
            || !got.reading->takenAt.isValid() || got.reading->takenAt.timeSpec() != Qt::LocalTime)
            std::abort();
    } else if (got.problem.isEmpty()) {
        std::abort();
    }
    // The service's own reason goes into a log line: never longer than the limit and its "...".
    if (serviceReason(body).size() > 203)
        std::abort();
    return 0;
}
