#pragma once

#include "platform/PropertyBag.h"

#include <QMap>

namespace tb {

// A property bag kept in an INI-style text file (one section, typed values), loaded when
// made and written back by save(). Unreadable lines are skipped and logged.
class FilePropertyBag final : public PropertyBag {
public:
    explicit FilePropertyBag(QString filePath);

    std::optional<QVariant> read(const QString& key) const override;
    void write(const QString& key, const QVariant& value, const QVariant& defaultValue) override;
    // Writes the bag atomically; false when the file cannot be written.
    bool save() const;
    // Drops every value, as a container does before it saves a component again.
    void clear() { values_.clear(); }

private:
    QString path_;
    QMap<QString, QVariant> values_;
};

} // namespace tb
