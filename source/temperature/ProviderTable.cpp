#include "temperature/ProviderTable.h"

#include "platform/SafeFile.h"

#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcProviders, "thermobadge.providers", QtInfoMsg)

namespace {
constexpr qint64 kMaxProvidersFileSize = 64 * 1024;
}

QStringList builtinProviderList()
{
    // The group names stay as they are (they are data, stored and compared); the options dialog
    // shows them translated.
    return {
        QStringLiteral(QT_TRANSLATE_NOOP("ProviderTable", "Интернет")),
        QStringLiteral("4"),
        QStringLiteral("203.0.113.25"),
        QStringLiteral("temp1.example.net"),
        QStringLiteral("temp2.example.net"),
        QStringLiteral("thermo.example.net"),
        QStringLiteral(QT_TRANSLATE_NOOP("ProviderTable", "Локальный")),
        QStringLiteral("4"),
        QStringLiteral("192.168.0.5"),
        QStringLiteral("192.168.0.1"),
        QStringLiteral("127.0.0.1"),
        QStringLiteral("192.168.1.1"),
    };
}

std::optional<ProvTable> FillProvTable(const QStringList& flatList)
{
    ProvTable table;
    qsizetype p = 0;
    for (auto& group : table) {
        if (p + 1 >= flatList.size())
            return std::nullopt;
        bool ok = false;
        const int count = flatList[p + 1].trimmed().toInt(&ok);
        if (!ok || count < 1 || count > 32767 || flatList[p].isEmpty())
            return std::nullopt;
        group.Name = flatList[p];
        group.HostCount = static_cast<qint16>(count);
        p += 2;
        if (p + count > flatList.size())
            return std::nullopt;
        group.Hosts = flatList.mid(p, count);
        p += count;
    }
    if (p != flatList.size())
        return std::nullopt;
    return table;
}

std::optional<QStringList> loadProvidersFile(const QString& path)
{
    const NamedFileRead file = readNamedFile(path, kMaxProvidersFileSize);
    if (file.outcome == NamedFileRead::Outcome::Missing)
        return std::nullopt;
    if (!file.ok()) {
        qCWarning(lcProviders).noquote() << "providers file:" << file.problem << "- built-in hosts used";
        return std::nullopt;
    }
    const auto values = parseProvidersText(QString::fromUtf8(file.bytes));
    if (!values) {
        qCWarning(lcProviders) << "providers file" << path
                               << "does not list two groups (name, host count, that many hosts) - built-in hosts used";
        return std::nullopt;
    }
    qCInfo(lcProviders) << "provider hosts from" << path;
    return values;
}

std::optional<QStringList> parseProvidersText(const QString& text)
{
    QStringList values;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            values.append(line);
    }
    if (!FillProvTable(values))
        return std::nullopt;
    return values;
}

QStringList providerListFrom(const QStringList& candidates)
{
    for (const QString& path : candidates)
        if (auto list = loadProvidersFile(path))
            return *list;
    return builtinProviderList();
}

} // namespace tb
