#pragma once

#include <QString>

#include <optional>

namespace tb {

// The per-user settings of the program: text values by key in one section.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or nothing when the key is absent.
    virtual std::optional<QString> value(const QString& key) const = 0;
    // Stores the text, creating the key when needed.
    virtual void setValue(const QString& key, const QString& text) = 0;
    // Removes the key; removing an absent key does nothing.
    virtual void remove(const QString& key) = 0;
};

} // namespace tb
