#pragma once

#include "TemperatureSource.h"

#include <QtGlobal>

namespace tbserver {

// The simulated outdoor temperature at a local time: a smooth daily curve, coldest at 05:00 and
// warmest at 15:00, around a mean and with a swing that follow the season (about -10 degrees in
// late January, +18 in late July), plus up to 0.25 degrees of noise that depends only on the
// seed and the minute, so one seed always gives the same weather.
double simulatedCelsius(const QDateTime& when, quint64 seed);

// A simulated weather station that takes one reading a minute.
class SimulatedSource final : public TemperatureSource {
public:
    SimulatedSource(quint64 seed, Now now);
    SourceState state() override;
    QString describe() const override;

private:
    quint64 seed_;
    Now now_;
};

} // namespace tbserver
