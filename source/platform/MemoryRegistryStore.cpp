#include "platform/MemoryRegistryStore.h"

namespace tb {

QString MemoryRegistryStore::keyId(RegRoot root, const QString& path)
{
    return QString::number(static_cast<quint32>(root), 16) + QLatin1Char('\\') + normalizeKeyPath(path).toLower();
}

bool MemoryRegistryStore::keyExists(RegRoot root, const QString& path) const
{
    return keys_.contains(keyId(root, path));
}

std::optional<RegValue> MemoryRegistryStore::value(RegRoot root, const QString& path, const QString& name) const
{
    const auto key = keys_.constFind(keyId(root, path));
    if (key == keys_.constEnd())
        return std::nullopt;
    const auto v = key->constFind(name.toLower());
    if (v == key->constEnd())
        return std::nullopt;
    return *v;
}

bool MemoryRegistryStore::createKey(RegRoot root, const QString& path)
{
    if (!writable_)
        return false;
    keys_[keyId(root, path)];
    return true;
}

bool MemoryRegistryStore::setValue(RegRoot root, const QString& path, const QString& name, const RegValue& value)
{
    if (!writable_)
        return false;
    keys_[keyId(root, path)][name.toLower()] = value;
    ++writes_;
    return true;
}

bool MemoryRegistryStore::deleteValue(RegRoot root, const QString& path, const QString& name)
{
    if (!writable_)
        return false;
    auto key = keys_.find(keyId(root, path));
    if (key == keys_.end())
        return false;
    ++writes_;
    return key->remove(name.toLower()) > 0;
}

} // namespace tb
