#pragma once

#include "TemperatureSource.h"

namespace tbserver {

// Always the same temperature, read "now".
class FixedSource final : public TemperatureSource {
public:
    FixedSource(double celsius, Now now);
    SourceState state() override;
    QString describe() const override;

private:
    double celsius_;
    Now now_;
};

} // namespace tbserver
