#include "platform/RegistryStore.h"

#include "platform/Codepage.h"

#include <QStringList>

namespace tb {

RegValue RegValue::dword(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<char>((v >> (8 * i)) & 0xff);
    return {RegType::Dword, {}, b};
}

qint64 RegValue::dataSize() const
{
    if (type == RegType::String)
        return toAnsi(text).size() + 1;
    return bytes.size();
}

bool RegistryStore::setValues(RegRoot root, const QString& path, const QList<RegNamedValue>& values)
{
    bool ok = true;
    for (const RegNamedValue& v : values)
        ok = setValue(root, path, v.name, v.value) && ok;
    return ok;
}

QString normalizeKeyPath(const QString& path)
{
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

} // namespace tb
