#pragma once

#include "platform/SettingsStore.h"

#include <memory>

class QSettings;

namespace tb {

// The settings file $XDG_CONFIG_HOME/ThermoBadge/ThermoBadge.ini, section [Options]. Every
// change is written at once, atomically (QSettings writes a temporary file and renames it,
// under a lock file). Something other than a plain settings file in its place (a FIFO, a
// device, a file over 1 MiB, one that cannot be parsed) is kept as ThermoBadge.ini.bad-<time>
// and a fresh file is written; a symbolic link is replaced by a copy of what it leads to.
class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(const QString& filePath = defaultPath());
    ~IniSettingsStore() override;

    std::optional<QString> value(const QString& key) const override;
    void setValue(const QString& key, const QString& text) override;
    void remove(const QString& key) override;

    static QString defaultPath();

private:
    // Writes the changes; false (the old file kept) when they could not be written whole.
    bool sync();

    std::unique_ptr<QSettings> settings_;
};

} // namespace tb
