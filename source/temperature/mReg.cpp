#include "temperature/mReg.h"

namespace tb::mReg {

bool RegReadStr(const RegistryStore& store, RegRoot root, const QString& subKey, const QString& valueName, QString& text)
{
    if (!store.keyExists(root, subKey))
        return false;
    const auto value = store.value(root, subKey, valueName);
    if (!value || value->dataSize() == 0)
        return false;
    text = value->type == RegType::String ? value->text : QString();
    return true;
}

bool RegWriteStr(RegistryStore& store, RegRoot root, const QString& subKey, const QString& valueName, const QString& text)
{
    return store.setValue(root, subKey, valueName, RegValue::string(text));
}

bool RegWriteStrs(RegistryStore& store, RegRoot root, const QString& subKey, const QList<std::pair<QString, QString>>& values)
{
    QList<RegNamedValue> named;
    named.reserve(values.size());
    for (const auto& [name, text] : values)
        named.append({name, RegValue::string(text)});
    return store.setValues(root, subKey, named);
}

bool RegDelValue(RegistryStore& store, RegRoot root, const QString& subKey, const QString& valueName)
{
    if (!store.keyExists(root, subKey))
        return false;
    return store.deleteValue(root, subKey, valueName);
}

} // namespace tb::mReg
