#include "SysfsSource.h"

#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

#include <algorithm>
#include <charconv>

namespace tbserver {

SysfsRead sysfsCelsius(QByteArrayView text)
{
    const QByteArrayView value = text.trimmed();
    SysfsRead r;
    if (value.isEmpty()) {
        r.problem = QStringLiteral("is empty");
        return r;
    }
    long long milli = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, milli);
    if (ec == std::errc::result_out_of_range || (ec == std::errc() && ptr == end && !isPlausible(milli / 1000.0))) {
        r.problem = QStringLiteral("holds %1 millidegrees, not a plausible temperature")
                        .arg(QString::fromLatin1(value.first(std::min<qsizetype>(value.size(), 24))));
        return r;
    }
    if (ec != std::errc() || ptr != end) {
        r.problem = QStringLiteral("holds \"%1\", not a whole number of millidegrees")
                        .arg(QString::fromLatin1(value.first(std::min<qsizetype>(value.size(), 24))));
        return r;
    }
    r.celsius = milli == 0 ? 0.0 : milli / 1000.0;
    return r;
}

SysfsRead readSysfsTemperature(const QString& path)
{
    SysfsRead r;
    const QFileInfo info(path);
    if (!info.exists()) {
        r.problem = QStringLiteral("%1 does not exist").arg(path);
        return r;
    }
    // A FIFO would wait for a writer; kernel attributes are regular files.
    if (!info.isFile()) {
        r.problem = QStringLiteral("%1 is not a regular file").arg(path);
        return r;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        r.problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return r;
    }
    const QByteArray bytes = file.read(kSysfsValueLimit + 1);
    // A sensor that stops answering makes the read itself fail (EIO) rather than the open.
    if (file.error() != QFileDevice::NoError) {
        r.problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return r;
    }
    if (bytes.size() > kSysfsValueLimit) {
        r.problem = QStringLiteral("%1 holds more than %2 bytes, not a sensor value").arg(path).arg(kSysfsValueLimit);
        return r;
    }
    r = sysfsCelsius(bytes);
    if (!r.celsius)
        r.problem = path + QLatin1Char(' ') + r.problem;
    return r;
}

SysfsSource::SysfsSource(QString path, std::chrono::milliseconds period, Now now, Notify notify)
    : path_(std::move(path))
    , now_(std::move(now))
    , notify_(std::move(notify))
{
    problem_ = QStringLiteral("%1 has not been read yet").arg(path_);
    timer_.setInterval(period);
    connect(&timer_, &QTimer::timeout, this, &SysfsSource::look);
    connect(&pending_, &QFutureWatcher<SysfsRead>::finished, this, &SysfsSource::lookFinished);
}

// A read still running finishes on its worker thread and its result is dropped with pending_.
SysfsSource::~SysfsSource() = default;

void SysfsSource::start()
{
    timer_.start();
    look();
}

SourceState SysfsSource::state()
{
    return {reading_, problem_};
}

QString SysfsSource::describe() const
{
    return QStringLiteral("the sensor %1 (millidegrees Celsius)").arg(path_);
}

void SysfsSource::look()
{
    // A sensor slower than the period is not asked again until it has answered.
    if (busy_)
        return;
    busy_ = true;
    auto promise = std::make_shared<QPromise<SysfsRead>>();
    pending_.setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, path = path_] {
        promise->start();
        promise->addResult(readSysfsTemperature(path));
        promise->finish();
    });
}

void SysfsSource::lookFinished()
{
    busy_ = false;
    const QFuture<SysfsRead> future = pending_.future();
    if (future.resultCount() > 0) {
        const SysfsRead r = future.result();
        if (r.celsius) {
            if (!problem_.isEmpty() && notify_)
                notify_(QStringLiteral("read %1 from %2").arg(*r.celsius).arg(path_));
            reading_ = Reading {*r.celsius, now_()};
            problem_.clear();
        } else {
            if (r.problem != problem_ && notify_)
                notify_(reading_ ? r.problem + QStringLiteral(" - the last good reading is kept") : r.problem);
            problem_ = r.problem;
        }
    }
    emit looked();
}

} // namespace tbserver
