#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tb {

// Where this computer is, as the desktop's location service tells it.
struct Location {
    double latitude = 0;
    double longitude = 0;
};

// The desktop's location service, asked without ever blocking: every answer comes later from the
// event loop, and a service that does not answer in time counts as absent.
class LocationService {
public:
    virtual ~LocationService() = default;
    // Whether the desktop has a location service at all.
    virtual void probe(std::function<void(bool available)> done) = 0;
    // The current place, or nothing and why (refused, no fix in time, no service).
    virtual void locate(std::function<void(std::optional<Location> where, const QString& why)> done) = 0;
};

} // namespace tb
