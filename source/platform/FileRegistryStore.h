#pragma once

#include "RegistryStore.h"

#include <QList>
#include <QString>

namespace tb {

// The registry kept in one text file (UTF-8, one section per key, one line per value). Every
// write re-reads the file under a lock file, changes it and replaces it atomically (temporary
// file + rename), so a crash or a second running copy never loses or truncates it. A file
// that is missing, truncated or not text reads as far as it makes sense; the next write
// rewrites it whole.
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
    static QList<Key> parse(const QByteArray& text);
    static QByteArray serialize(const QList<Key>& keys);

private:
    QList<Key> load() const;
    template <typename Change>
    bool modify(Change&& change);

    QString path_;
};

} // namespace tb
