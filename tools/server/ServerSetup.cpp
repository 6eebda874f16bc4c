#include "ServerSetup.h"

#include "platform/SafeFile.h"
#include "temperature/ProviderTable.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>

namespace tbserver {

namespace {

constexpr qint64 kLargestSettingsFile = 64 * 1024;
const QString kLoopback = QStringLiteral("127.0.0.1");

QStringList linesOf(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    return lines;
}

bool isValue(const QString& line)
{
    const QString t = line.trimmed();
    return !t.isEmpty() && !t.startsWith(u'#');
}

// How many lines the first complete group takes (comments among them included); 0 when there is none.
qsizetype firstGroupLength(const QStringList& lines)
{
    int values = 0;
    int hosts = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isValue(lines[i]))
            continue;
        ++values;
        if (values == 2) {
            bool ok = false;
            hosts = lines[i].trimmed().toInt(&ok);
            if (!ok || hosts < 1 || hosts > 32767)
                return 0;
        } else if (values > 2 && values == hosts + 2) {
            return i + 1;
        }
    }
    return 0;
}

// The system unit reads blank-separated words: an argument with a blank, quote, backslash or "$"
// would not come through as written.
bool isPlainWord(const QString& argument)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9._,:/%+~@=\\[\\]-]+$"));
    return plain.match(argument).hasMatch();
}

// The file's bytes, empty when it does not exist; nothing (and `why` set) when it cannot be used.
// A FIFO or a device in its place is refused without waiting or reading on.
std::optional<QByteArray> readSettingsFile(const QString& path, QString* why)
{
    const tb::NamedFileRead file = tb::readNamedFile(path, kLargestSettingsFile);
    switch (file.outcome) {
    case tb::NamedFileRead::Outcome::Read: return file.bytes;
    case tb::NamedFileRead::Outcome::Missing: return QByteArray();
    case tb::NamedFileRead::Outcome::TooLarge:
        *why = QStringLiteral("%1 is larger than %2 bytes; it is left as it is").arg(path).arg(kLargestSettingsFile);
        return std::nullopt;
    case tb::NamedFileRead::Outcome::NotRegular:
    case tb::NamedFileRead::Outcome::Failed: break;
    }
    *why = file.problem + QStringLiteral("; it is left as it is");
    return std::nullopt;
}

// The text of a settings file, or nothing when its bytes are not UTF-8 (a legacy code page, UTF-16).
std::optional<QString> utf8Text(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString groupsText(const tb::ProvTable& table)
{
    QStringList groups;
    for (const tb::ProvGroup& group : table)
        groups << QStringLiteral("\"%1\" %2").arg(group.Name, group.Hosts.join(u','));
    return groups.join(QStringLiteral(", "));
}

} // namespace

QString defaultConfigDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ThermoBadge");
}

QString serverEnvText(const QString& existing, const QStringList& arguments)
{
    const QString prefix = QLatin1String(kServerArgsVariable) + u'=';
    const QString setting = prefix + arguments.join(u' ');
    QStringList out;
    bool set = false;
    for (const QString& line : linesOf(existing)) {
        if (!line.trimmed().startsWith(prefix)) {
            out << line;
        } else if (!set) {
            out << setting;
            set = true;
        }
    }
    if (!set) {
        if (out.isEmpty())
            out << QStringLiteral("# Arguments of thermobadge-server for the user unit thermobadge-server.service.");
        out << setting;
    }
    return out.join(u'\n') + u'\n';
}

QString localProvidersText(const QString& existing)
{
    const QStringList builtin = tb::builtinProviderList();
    const QString localName = builtin.value(2 + builtin.value(1).toInt());
    const QStringList lines = linesOf(existing);
    QStringList out;
    if (const qsizetype first = firstGroupLength(lines)) {
        out = lines.first(first);
        for (const QString& line : lines.sliced(first))
            if (line.trimmed().startsWith(u'#'))
                out << line;
    } else {
        out << QStringLiteral("# ThermoBadge's provider groups: a name, the number of hosts, the hosts, then the next group.")
            << QStringLiteral("# Both groups ask the temperature server on this machine.") << builtin.value(0)
            << QStringLiteral("1") << kLoopback;
    }
    out << localName << QStringLiteral("1") << kLoopback;
    return out.join(u'\n') + u'\n';
}

SetupResult writeSetup(const QString& configDir, const QStringList& arguments)
{
    SetupResult result;
    QString why;
    auto fail = [&](const QString& message) {
        result.lines << message;
        return result;
    };
    for (const QString& argument : arguments)
        if (!isPlainWord(argument))
            return fail(QStringLiteral("\"%1\" cannot be passed through the unit's environment file").arg(argument));
    const QString dir = configDir.isEmpty() ? defaultConfigDir() : configDir;
    if (!QDir().mkpath(dir))
        return fail(QStringLiteral("cannot create the folder %1").arg(dir));

    const QString envPath = dir + QStringLiteral("/server.env");
    const QString providersPath = dir + QStringLiteral("/providers.txt");
    const auto env = readSettingsFile(envPath, &why);
    if (!env)
        return fail(why);
    const auto providers = readSettingsFile(providersPath, &why);
    if (!providers)
        return fail(why);
    const auto envExisting = utf8Text(*env);
    if (!envExisting)
        return fail(QStringLiteral("%1 is not UTF-8 text; it is left as it is").arg(envPath));
    // A providers file the indicator cannot read either (not UTF-8) gives no group to keep; its
    // bytes are kept as they are in the backup.
    const auto providersExisting = utf8Text(*providers);
    if (!providersExisting)
        result.lines << QStringLiteral("%1 is not UTF-8 text: none of its groups is kept").arg(providersPath);
    const QString newProviders = localProvidersText(providersExisting.value_or(QString()));
    const auto values = tb::parseProvidersText(newProviders);
    const auto table = values ? tb::FillProvTable(*values) : std::nullopt;
    if (!table)
        return fail(QStringLiteral("%1 would not list two provider groups; it is left as it is").arg(providersPath));

    const QString envText = serverEnvText(*envExisting, arguments);
    if (!tb::saveFileSafely(envPath, envText.toUtf8(), &why))
        return fail(why);
    result.lines << QStringLiteral("wrote %1: %2=%3").arg(envPath, QLatin1String(kServerArgsVariable), arguments.join(u' '));
    const QByteArray newProvidersBytes = newProviders.toUtf8();
    if (!providers->isEmpty() && *providers != newProvidersBytes) {
        // Byte for byte, whatever its encoding; a link named .bak is replaced, never written through.
        const QString backup = providersPath + QStringLiteral(".bak");
        if (!tb::saveFileSafely(backup, *providers, &why))
            return fail(why);
        result.lines << QStringLiteral("kept the previous %1 as %2").arg(providersPath, backup);
    }
    if (!tb::saveFileSafely(providersPath, newProvidersBytes, &why))
        return fail(why);
    result.lines << QStringLiteral("wrote %1: %2").arg(providersPath, groupsText(*table));
    result.lines << QStringLiteral("next: systemctl --user enable --now thermobadge-server.service (or restart it), "
                                   "then choose \"%1\" in ThermoBadge's options")
                        .arg(table->at(1).Name);
    result.ok = true;
    return result;
}

} // namespace tbserver
