#pragma once

#include "platform/LocationService.h"

#include <QObject>

#include <chrono>

namespace tb {

// LocationService on GeoClue2 over the system D-Bus. Every call is asynchronous with a time
// limit: a bus or a service that does not answer counts as no service, never as a hang.
// DBUS_SYSTEM_BUS_ADDRESS points it at another bus (tests).
class GeoClueLocation final : public QObject, public LocationService {
public:
    // `desktopId`: the desktop entry GeoClue's permission store knows the program by.
    explicit GeoClueLocation(QString desktopId, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    ~GeoClueLocation() override;

    void probe(std::function<void(bool available)> done) override;
    void locate(std::function<void(std::optional<Location> where, const QString& why)> done) override;

private:
    struct Attempt;
    QString desktopId_;
    std::chrono::milliseconds timeout_;
};

} // namespace tb
