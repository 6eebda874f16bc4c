#pragma once

#include "platform/RegistryStore.h"

#include <QList>
#include <QString>

namespace tb {

// The registry kept in one text file (UTF-8, one section per key, one line per value). Every
// write re-reads the file under a lock file, changes it and replaces it atomically (temporary
// file + rename, every write checked), so a crash, a full disk or a second running copy never
// loses or truncates it; a symbolic link in its place is replaced, never written through. A
// file that is missing, truncated or not text reads as far as it makes sense; before the next
// write rewrites it whole, a file that did not read whole (too large, not a regular file,
// unreadable lines) is kept as registry.ini.bad-<time>.
class FileRegistryStore final : public RegistryStore {
public:
    explicit FileRegistryStore(QString filePath);

    bool keyExists(RegRoot root, const QString& path) const override;
    std::optional<RegValue> value(RegRoot root, const QString& path, const QString& name) const override;
    bool createKey(RegRoot root, const QString& path) override;
    bool setValue(RegRoot root, const QString& path, const QString& name, const RegValue& value) override;
    bool deleteValue(RegRoot root, const QString& path, const QString& name) override;
    bool setValues(RegRoot root, const QString& path, const QList<RegNamedValue>& values) override;

    const QString& filePath() const { return path_; }

    // The default place: $XDG_CONFIG_HOME/ThermoBadge/registry.ini.
    static QString defaultPath();

    struct Entry {
        QString name;
        RegValue value;
    };
    struct Key {
        QString path; // e.g. HKEY_CURRENT_USER\Software\CtlTemper
        QList<Entry> entries;
    };
    // The file format, exposed for tests and the fuzz target.
    // `skipped`, when given, counts the lines that could not be read.
    static QList<Key> parse(const QByteArray& text, int* skipped = nullptr);
    static QByteArray serialize(const QList<Key>& keys);

private:
    // The keys as far as the file reads; `unreadable` tells whether anything of it could not be read.
    QList<Key> load(bool* unreadable = nullptr) const;
    template <typename Change>
    bool modify(Change&& change);

    QString path_;
    QString lastProblem_; // the last write failure logged
};

} // namespace tb
