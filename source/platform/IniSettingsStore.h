#pragma once

#include "SettingsStore.h"

#include <memory>

class QSettings;

namespace tb {

// The settings file $XDG_CONFIG_HOME/ThermoBadge/ThermoBadge.ini, section [Options]. Every
// change is written at once, atomically (QSettings writes a temporary file and renames it,
// under a lock file).
class IniSettingsStore final : public SettingsStore {
public:
    explicit IniSettingsStore(const QString& filePath = defaultPath());
    ~IniSettingsStore() override;

    std::optional<QString> value(const QString& key) const override;
    void setValue(const QString& key, const QString& text) override;
    void remove(const QString& key) override;

    static QString defaultPath();

private:
    void sync();

    std::unique_ptr<QSettings> settings_;
};

} // namespace tb
