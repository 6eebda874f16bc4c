#include "Reading.h"

#include <charconv>
#include <cmath>

namespace tbserver {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool isPlausible(double celsius)
{
    return std::isfinite(celsius) && celsius >= kMinCelsius && celsius <= kMaxCelsius;
}

std::optional<double> lastNumberIn(QByteArrayView text)
{
    // Walk back to the last digit, then to the start of the number it belongs to.
    qsizetype end = text.size();
    while (end > 0 && !isDigit(text[end - 1]))
        --end;
    if (end == 0)
        return std::nullopt;
    qsizetype begin = end;
    bool point = false;
    while (begin > 0) {
        const char c = text[begin - 1];
        if (isDigit(c)) {
            --begin;
        } else if (c == '.' && !point && begin > 1 && isDigit(text[begin - 2])) {
            point = true;
            --begin;
        } else {
            break;
        }
    }
    // A number takes at most one point, so "1.2.3" ends in the number "2.3".
    if (begin > 0 && text[begin - 1] == '-' && (begin == 1 || !isDigit(text[begin - 2])))
        --begin;
    double value = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || !isPlausible(value))
        return std::nullopt;
    return value == 0 ? 0.0 : value; // no "-0"
}

} // namespace tbserver
