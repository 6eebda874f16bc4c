#include "FileSource.h"

#include <QFile>
#include <QFileInfo>
#include <QPromise>
#include <QThreadPool>

namespace tbserver {

FileRead readTemperatureFile(const QString& path, const QString& seen)
{
    FileRead r;
    const QFileInfo info(path);
    if (!info.exists()) {
        r.problem = QStringLiteral("%1 does not exist").arg(path);
        return r;
    }
    // Only regular files: opening a FIFO would wait for a writer, and a device has no "last number".
    if (!info.isFile()) {
        r.problem = QStringLiteral("%1 is not a regular file").arg(path);
        return r;
    }
    const QDateTime modified = info.lastModified();
    r.signature = QStringLiteral("%1 %2 %3")
                      .arg(info.size())
                      .arg(modified.toMSecsSinceEpoch())
                      .arg(info.metadataChangeTime().toMSecsSinceEpoch());
    if (r.signature == seen) {
        r.outcome = FileRead::Outcome::Unchanged;
        return r;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return r;
    }
    if (file.size() > kFileTail)
        file.seek(file.size() - kFileTail);
    const QByteArray tail = file.read(kFileTail);
    const auto value = lastNumberIn(tail);
    if (!value) {
        r.problem = QStringLiteral("no plausible temperature at the end of %1").arg(path);
        return r;
    }
    r.outcome = FileRead::Outcome::Reading;
    r.reading = Reading{*value, modified};
    return r;
}

FileSource::FileSource(QString path, std::chrono::milliseconds period, Notify notify)
    : path_(std::move(path))
    , notify_(std::move(notify))
{
    problem_ = QStringLiteral("%1 has not been read yet").arg(path_);
    timer_.setInterval(period);
    connect(&timer_, &QTimer::timeout, this, &FileSource::look);
    connect(&pending_, &QFutureWatcher<FileRead>::finished, this, &FileSource::lookFinished);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &FileSource::look);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FileSource::look);
}

// A look still running finishes on its worker thread and its result is dropped with pending_.
FileSource::~FileSource() = default;

void FileSource::start()
{
    // Watching the folder too catches a logger that writes a new file and renames it over the old.
    const QString dir = QFileInfo(path_).absolutePath();
    if (QFileInfo(dir).isDir())
        watcher_.addPath(dir);
    watchFile();
    timer_.start();
    look();
}

SourceState FileSource::state()
{
    return {reading_, problem_};
}

QString FileSource::describe() const
{
    return QStringLiteral("the last number in %1").arg(path_);
}

void FileSource::look()
{
    if (busy_) {
        lookAgain_ = true;
        return;
    }
    busy_ = true;
    auto promise = std::make_shared<QPromise<FileRead>>();
    pending_.setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, path = path_, seen = seen_] {
        promise->start();
        promise->addResult(readTemperatureFile(path, seen));
        promise->finish();
    });
}

void FileSource::lookFinished()
{
    busy_ = false;
    const QFuture<FileRead> future = pending_.future();
    if (future.resultCount() > 0) {
        const FileRead r = future.result();
        switch (r.outcome) {
        case FileRead::Outcome::Unchanged:
            break;
        case FileRead::Outcome::Reading:
            seen_ = r.signature;
            reading_ = r.reading;
            if (!problem_.isEmpty() && notify_)
                notify_(QStringLiteral("read %1 from %2").arg(r.reading.celsius).arg(path_));
            problem_.clear();
            break;
        case FileRead::Outcome::Problem:
            // Look again next time even if the file looks the same: the problem may pass.
            seen_.clear();
            if (r.problem != problem_ && notify_)
                notify_(r.problem);
            problem_ = r.problem;
            break;
        }
    }
    // A change made between this look and the start of watching would go unnoticed until the
    // next period: look once more when the file has just come under watch.
    if (watchFile())
        lookAgain_ = true;
    emit looked();
    if (lookAgain_) {
        lookAgain_ = false;
        look();
    }
}

bool FileSource::watchFile()
{
    // The watcher forgets a file that was removed or renamed over; add it back once it is there.
    if (watcher_.files().contains(path_) || !QFileInfo::exists(path_))
        return false;
    return watcher_.addPath(path_);
}

} // namespace tbserver
