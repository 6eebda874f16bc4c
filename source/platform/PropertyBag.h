#pragma once

#include <QString>
#include <QVariant>

#include <optional>

namespace tb {

// The named values a container saves for a component placed on it. Only values that differ
// from their defaults are kept; a missing value reads as its default.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    // The stored value, or nothing when the key is absent.
    virtual std::optional<QVariant> read(const QString& key) const = 0;
    // Stores the value, or removes the key when the value equals `defaultValue`.
    virtual void write(const QString& key, const QVariant& value, const QVariant& defaultValue) = 0;
};

} // namespace tb
