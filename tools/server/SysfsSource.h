#pragma once

#include "TemperatureSource.h"

#include <QByteArrayView>
#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace tbserver {

// What one read of a sysfs temperature file gave: degrees Celsius, or why there are none.
struct SysfsRead {
    std::optional<double> celsius;
    QString problem;
};

// A kernel temperature attribute holds a whole number of millidegrees Celsius and a newline,
// such as "23125\n" for 23.125 degrees. Anything else (empty, text, a fraction, an exponent, a
// value outside the plausible range) is refused with the reason.
SysfsRead sysfsCelsius(QByteArrayView text);

// Reads the sysfs file `path` (a 1-wire ".../28-*/temperature" or a hwmon "temp*_input").
// Blocking: a 1-wire read waits for the sensor's conversion, so it runs on a worker thread.
inline constexpr qint64 kSysfsValueLimit = 64;
SysfsRead readSysfsTemperature(const QString& path);

// A Linux temperature sensor exposed in sysfs, read every `period` on a worker thread and taken
// at the moment of the read. A failed read keeps the last good reading (with its own time) in
// service; every change of problem is reported through `notify`.
class SysfsSource final : public QObject, public TemperatureSource {
    Q_OBJECT
public:
    using Notify = std::function<void(const QString&)>;
    SysfsSource(QString path, std::chrono::milliseconds period, Now now, Notify notify);
    ~SysfsSource() override;

    void start() override;
    SourceState state() override;
    QString describe() const override;

signals:
    // A read has finished (whatever it gave).
    void looked();

private:
    void look();
    void lookFinished();

    QString path_;
    Now now_;
    Notify notify_;
    QTimer timer_;
    QFutureWatcher<SysfsRead> pending_;
    bool busy_ = false;
    std::optional<Reading> reading_;
    QString problem_;
};

} // namespace tbserver
