#pragma once

#include "platform/SettingsStore.h"

#include <QMap>

namespace tb {

// Settings held in memory, for tests.
class MemorySettingsStore final : public SettingsStore {
public:
    std::optional<QString> value(const QString& key) const override
    {
        const auto it = values.constFind(key.toLower());
        return it == values.constEnd() ? std::nullopt : std::optional<QString>(*it);
    }
    void setValue(const QString& key, const QString& text) override { values.insert(key.toLower(), text); }
    void remove(const QString& key) override { values.remove(key.toLower()); }

    QMap<QString, QString> values; // by lower-cased key
};

} // namespace tb
