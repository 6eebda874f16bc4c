#pragma once

#include "Reading.h"

#include <QString>

#include <functional>
#include <optional>

namespace tbserver {

// What a source has to serve right now.
struct SourceState {
    std::optional<Reading> reading; // the latest good reading, if there has been one
    QString problem;                // why there is no reading (or why the latest one is old); may be empty
};

// Where the server's temperature comes from. A source never makes the caller wait: slow work
// (files, commands) runs in the background and state() hands out the last good reading.
class TemperatureSource {
public:
    virtual ~TemperatureSource() = default;
    // Starts background refreshing, if the source has any. Called once, with an event loop running
    // or about to run.
    virtual void start() {}
    // The reading to answer with now, or why there is none. Returns at once.
    virtual SourceState state() = 0;
    // One line naming the source, for the start-up log.
    virtual QString describe() const = 0;
};

// The time source every source takes "now" from, so tests can choose it.
using Now = std::function<QDateTime()>;

} // namespace tbserver
