#pragma once

#include "TemperatureSource.h"

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QObject>
#include <QTimer>

#include <chrono>

namespace tbserver {

// What one background look at the file found.
struct FileRead {
    enum class Outcome { Unchanged, Reading, Problem };
    Outcome outcome = Outcome::Problem;
    // Size and times of the file as seen, so the next look can skip an unchanged file.
    QString signature;
    Reading reading;  // Outcome::Reading: the last number, taken at the file's modification time
    QString problem;  // Outcome::Problem
};

// Reads the last number of a regular file (its last kFileTail bytes), unless the file still
// has the signature `seen`. Blocking: runs on a worker thread.
inline constexpr qint64 kFileTail = 64 * 1024;
FileRead readTemperatureFile(const QString& path, const QString& seen);

// A sensor logger's file. The file is looked at when it changes and every `period` in any case;
// each look runs on a worker thread, so a slow disk never holds up an answer. The last good
// reading is kept through later bad reads.
class FileSource final : public QObject, public TemperatureSource {
    Q_OBJECT
public:
    using Notify = std::function<void(const QString&)>;
    FileSource(QString path, std::chrono::milliseconds period, Notify notify);
    ~FileSource() override;

    void start() override;
    SourceState state() override;
    QString describe() const override;

signals:
    // A look at the file has finished (whatever it found).
    void looked();

private:
    void look();
    void lookFinished();
    // Starts watching the file if it exists and is not watched yet; whether it did.
    bool watchFile();

    QString path_;
    Notify notify_;
    QTimer timer_;
    QFileSystemWatcher watcher_;
    QFutureWatcher<FileRead> pending_;
    bool busy_ = false;      // a look is running on a worker thread
    bool lookAgain_ = false; // something changed while it ran
    QString seen_;
    std::optional<Reading> reading_;
    QString problem_;
};

} // namespace tbserver
