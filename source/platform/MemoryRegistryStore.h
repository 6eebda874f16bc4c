#pragma once

#include "platform/RegistryStore.h"

#include <QMap>

namespace tb {

// A registry store held in memory, for tests and for a program that must not touch disk.
class MemoryRegistryStore final : public RegistryStore {
public:
    bool keyExists(RegRoot root, const QString& path) const override;
    std::optional<RegValue> value(RegRoot root, const QString& path, const QString& name) const override;
    bool createKey(RegRoot root, const QString& path) override;
    bool setValue(RegRoot root, const QString& path, const QString& name, const RegValue& value) override;
    bool deleteValue(RegRoot root, const QString& path, const QString& name) override;

    // Makes every later write fail, as a read-only or full disk would.
    void setWritable(bool on) { writable_ = on; }
    int writeCount() const { return writes_; }

private:
    static QString keyId(RegRoot root, const QString& path);
    QMap<QString, QMap<QString, RegValue>> keys_; // by lower-cased key id, then lower-cased name
    bool writable_ = true;
    int writes_ = 0;
};

} // namespace tb
