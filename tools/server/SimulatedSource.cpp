#include "SimulatedSource.h"

#include <cmath>
#include <numbers>

namespace tbserver {

namespace {

// A well-mixed 64-bit hash (the splitmix64 finaliser): neighbouring minutes get unrelated noise.
quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// -1 at 05:00, +1 at 15:00: ten hours of warming and fourteen of cooling, each half a cosine
// wave, so the curve and its slope are continuous.
double dailyShape(double hour)
{
    constexpr double kColdest = 5, kWarmest = 15;
    if (hour >= kColdest && hour < kWarmest)
        return -std::cos(std::numbers::pi * (hour - kColdest) / (kWarmest - kColdest));
    const double sinceWarmest = std::fmod(hour - kWarmest + 24, 24);
    return std::cos(std::numbers::pi * sinceWarmest / (24 - (kWarmest - kColdest)));
}

} // namespace

double simulatedCelsius(const QDateTime& when, quint64 seed)
{
    const QDateTime local = when.toLocalTime();
    const QTime t = local.time();
    const double hour = t.hour() + t.minute() / 60.0 + t.second() / 3600.0;
    // Coldest season around 20 January.
    const double season = std::cos(2 * std::numbers::pi * (local.date().dayOfYear() - 20) / 365.25);
    const double mean = 4 - 14 * season;
    const double swing = 5 - 1.5 * season;
    const quint64 minute = static_cast<quint64>(when.toSecsSinceEpoch() / 60);
    const double noise = (static_cast<double>(mix(seed ^ mix(minute)) >> 11) / 9007199254740992.0 - 0.5) * 0.5;
    return mean + swing * dailyShape(hour) + noise;
}

SimulatedSource::SimulatedSource(quint64 seed, Now now)
    : seed_(seed)
    , now_(std::move(now))
{
}

SourceState SimulatedSource::state()
{
    QDateTime minute = now_();
    minute.setTime(QTime(minute.time().hour(), minute.time().minute()));
    return {Reading{simulatedCelsius(minute, seed_), minute}, {}};
}

QString SimulatedSource::describe() const
{
    return QStringLiteral("simulated outdoor day, seed %1").arg(seed_);
}

} // namespace tbserver
