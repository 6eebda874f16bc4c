#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tb {

// What reading a file named by a user or a setting gave.
struct NamedFileRead {
    enum class Outcome { Read, Missing, NotRegular, TooLarge, Failed };
    Outcome outcome = Outcome::Missing;
    QByteArray bytes; // the whole file, when read
    QString problem;  // why it was not read, for the caller's one log line (empty when read or missing)
    bool ok() const { return outcome == Outcome::Read; }
};

// Reads the file at `path`, whatever a user or a setting put there. It is opened without
// blocking (a FIFO never holds the caller), only a regular file (or a link to one) is read, and
// at most `maxBytes` bytes counted as they are read: a device reports no size and never ends,
// so a file with more than `maxBytes` is refused as too large, whatever size it reports.
NamedFileRead readNamedFile(const QString& path, qint64 maxBytes);

// Saves `bytes` as the file `path`: written to a new file in the same folder, every write, the
// flush to disk and the rename checked, then renamed over `path`. A symbolic link at `path` is
// replaced by the file (its target is never written); an existing regular file's permissions
// are kept. On any failure the old file stays exactly as it was, the new one is removed, false
// is returned and `problem` (when given) says why, for the caller's one log line.
bool saveFileSafely(const QString& path, QByteArrayView bytes, QString* problem = nullptr);

// Keeps whatever is at `path` (a file that could not be read, a FIFO, a link) under the name
// `path.bad-<yyyyMMdd-HHmmss>` before a new file is written there: a second name for it where
// the file system allows, else moved. Its content is never read or copied, so neither its size
// nor a full disk stops it. The name it is kept under; nothing when nothing is at `path`, a folder is
// there (left alone) or it could not be kept (`problem` says why).
std::optional<QString> keepAside(const QString& path, QString* problem = nullptr);

} // namespace tb
