#pragma once

#include "platform/PropertyBag.h"

#include <QMap>

namespace tb {

// A property bag held in memory.
class MemoryPropertyBag final : public PropertyBag {
public:
    std::optional<QVariant> read(const QString& key) const override
    {
        const auto it = values_.constFind(key);
        return it == values_.constEnd() ? std::nullopt : std::optional<QVariant>(*it);
    }
    void write(const QString& key, const QVariant& value, const QVariant& defaultValue) override
    {
        if (value == defaultValue)
            values_.remove(key);
        else
            values_.insert(key, value);
    }
    void set(const QString& key, const QVariant& value) { values_.insert(key, value); }
    const QMap<QString, QVariant>& values() const { return values_; }

private:
    QMap<QString, QVariant> values_;
};

} // namespace tb
