#include "dialogs/Autorun.h"

#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>

namespace tb {

Q_LOGGING_CATEGORY(lcAutorun, "thermobadge.autorun", QtInfoMsg)

namespace {

// An autostart entry is a few lines; anything much larger is not one of ours.
constexpr qint64 kLargestEntry = 64 * 1024;

const QString kGroup = QStringLiteral("Desktop Entry");
const QString kCommandKey = QStringLiteral("X-ThermoBadge-Command");

// Characters that make an Exec argument need quotes.
bool reserved(QChar c)
{
    static const QString set = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    return set.contains(c);
}

// An argument in the Exec line's quoting; the Exec line itself also doubles "%", which stands
// for field codes there.
QString quoteArgument(const QString& argument, bool doublePercent)
{
    QString out;
    const bool quoted = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), reserved);
    if (quoted)
        out += QLatin1Char('"');
    for (const QChar c : argument) {
        if (quoted && (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')))
            out += QLatin1Char('\\');
        out += c;
        if (doublePercent && c == QLatin1Char('%'))
            out += c;
    }
    if (quoted)
        out += QLatin1Char('"');
    return out;
}

// Control characters other than those a desktop entry can escape have no place in it.
bool writable(const QString& text)
{
    return std::none_of(text.begin(), text.end(),
        [](QChar c) { return c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t') && c != QLatin1Char('\r'); });
}

// The keys of the "Desktop Entry" group, values unescaped; the first of a repeated key counts.
QHash<QString, QString> readEntry(const QString& file)
{
    QHash<QString, QString> keys;
    const NamedFileRead entry = readNamedFile(file, kLargestEntry);
    if (entry.outcome == NamedFileRead::Outcome::Missing)
        return keys;
    if (!entry.ok()) {
        qCWarning(lcAutorun).noquote() << "autorun entry:" << entry.problem << "- autorun counts as off";
        return keys;
    }
    bool inGroup = false;
    for (const QByteArray& raw : entry.bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + kGroup + QLatin1Char(']');
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inGroup || line.startsWith(QLatin1Char('#')) || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, desktopUnescape(line.mid(eq + 1).trimmed()));
    }
    return keys;
}

} // namespace

QString execQuote(const QString& argument)
{
    return quoteArgument(argument, true);
}

std::optional<QStringList> execSplit(const QString& exec)
{
    QStringList args;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        const QChar next = i + 1 < exec.size() ? exec[i + 1] : QChar();
        if (c == QLatin1Char(' ')) {
            if (inArgument)
                args << current;
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('%')) {
            if (next != QLatin1Char('%'))
                return std::nullopt; // a field code
            current += c;
            inArgument = true;
            ++i;
        } else if (c == QLatin1Char('"')) {
            if (inArgument)
                return std::nullopt; // quotes open only at the start of an argument
            inArgument = true;
            bool closed = false;
            for (++i; i < exec.size(); ++i) {
                const QChar q = exec[i];
                const QChar after = i + 1 < exec.size() ? exec[i + 1] : QChar();
                if (q == QLatin1Char('"')) {
                    closed = true;
                    break;
                }
                if (q == QLatin1Char('\\') && (after.isNull() || !QStringLiteral("\"`$\\").contains(after)))
                    return std::nullopt;
                if (q == QLatin1Char('%') && after != QLatin1Char('%'))
                    return std::nullopt;
                if (q == QLatin1Char('\\') || q == QLatin1Char('%'))
                    ++i; // the escaped character, or the second "%"
                current += exec[i];
            }
            if (!closed)
                return std::nullopt;
            if (i + 1 < exec.size() && exec[i + 1] != QLatin1Char(' '))
                return std::nullopt; // an argument is quoted as a whole
        } else if (reserved(c)) {
            return std::nullopt; // unquoted
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        args << current;
    return args;
}

QString desktopEscape(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        default:
            out += c;
        }
    }
    // Blanks around "=" do not belong to the value: those at either end are written "\s".
    qsizetype lead = 0;
    while (lead < out.size() && out[lead] == QLatin1Char(' '))
        ++lead;
    qsizetype trail = 0;
    while (trail < out.size() - lead && out[out.size() - 1 - trail] == QLatin1Char(' '))
        ++trail;
    return QStringLiteral("\\s").repeated(lead) + out.mid(lead, out.size() - lead - trail)
        + QStringLiteral("\\s").repeated(trail);
}

QString desktopUnescape(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i].unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += QLatin1Char('\\') + value[i]; // not an escape of a string value
        }
    }
    return out;
}

QString RunCommand::text() const
{
    QString out = program;
    if (!arguments.isEmpty()) {
        QStringList quoted;
        for (const QString& a : arguments)
            quoted << quoteArgument(a, false);
        out += QLatin1Char(' ') + quoted.join(QLatin1Char(' '));
    }
    return out;
}

QString RunCommand::execLine() const
{
    QStringList parts {execQuote(program)};
    for (const QString& a : arguments)
        parts << execQuote(a);
    return parts.join(QLatin1Char(' '));
}

RunCommand RunCommand::ofThisProgram()
{
    return {QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1)};
}

QString Autorun::userEntryFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/ThermoBadge.desktop");
}

QString Autorun::entryText(const RunCommand& command)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Version=1.0\n"
                          "Name=ThermoBadge\n"
                          "Comment=Outdoor temperature on the desktop\n"
                          "Exec=%1\n"
                          "Icon=thermobadge\n"
                          "Terminal=false\n"
                          "%2=%3\n")
        .arg(desktopEscape(command.execLine()), kCommandKey, desktopEscape(command.text()));
}

bool Autorun::IsAutoRun(const RunCommand& command) const
{
    const QHash<QString, QString> keys = readEntry(file_);
    if (keys.isEmpty())
        return false;
    if (keys.value(kCommandKey) != command.text()) {
        qCDebug(lcAutorun) << "autorun entry" << file_ << "starts" << keys.value(kCommandKey) << "- not this program";
        return false;
    }
    if (execSplit(keys.value(QStringLiteral("Exec"))) != QStringList {command.program} + command.arguments) {
        qCInfo(lcAutorun) << "autorun entry" << file_ << "keeps this command but its Exec line is"
                          << keys.value(QStringLiteral("Exec")) << "- not installed";
        return false;
    }
    if (keys.value(QStringLiteral("Hidden")) == QStringLiteral("true")
        || keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QStringLiteral("false")) {
        qCInfo(lcAutorun) << "autorun entry" << file_ << "is switched off by the desktop - not installed";
        return false;
    }
    return true;
}

bool Autorun::SetAutoRun(bool wanted, const RunCommand& command)
{
    const bool installed = IsAutoRun(command);
    if (wanted && !installed) {
        write(command);
    } else if (!wanted && installed) {
        if (!QFile::remove(file_))
            qCWarning(lcAutorun) << "autorun entry" << file_ << "could not be removed";
    }
    const bool now = IsAutoRun(command);
    if (now != wanted)
        qCWarning(lcAutorun) << "autorun" << (wanted ? "wanted" : "not wanted") << "but it is" << (now ? "on" : "off")
                             << "- recorded as" << (now ? "on" : "off");
    return now;
}

bool Autorun::write(const RunCommand& command)
{
    if (!writable(command.text())) {
        qCWarning(lcAutorun) << "the command" << command.text() << "holds control characters; no autorun entry written";
        return false;
    }
    const QString dir = QFileInfo(file_).absolutePath();
    if (!QDir().mkpath(dir)) {
        qCWarning(lcAutorun) << "autostart folder" << dir << "cannot be made; no autorun entry written";
        return false;
    }
    // Written beside the entry and renamed over it, so a reader never sees half an entry.
    QString problem;
    if (!saveFileSafely(file_, entryText(command).toUtf8(), &problem)) {
        qCWarning(lcAutorun).noquote() << "autorun entry:" << problem;
        return false;
    }
    qCInfo(lcAutorun) << "autorun entry" << file_ << "written for" << command.text();
    return true;
}

} // namespace tb
