#include "WriteInIKey.h"

#include "platform/Codepage.h"
#include "platform/SafeFile.h"
#include "skinfiles/INI_Class.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace tb {

Q_LOGGING_CATEGORY(lcIniWrite, "thermobadge.editor.ini", QtInfoMsg)

namespace {

// The byte encodings line editing works on; UTF-16 files are edited as UTF-8 and turned back.
enum class Encoding { Ansi, Utf8 };

QString decodeLine(QByteArrayView line, Encoding e)
{
    return e == Encoding::Utf8 ? QString::fromUtf8(line) : fromAnsi(line);
}

QByteArray encodeLine(const QString& line, Encoding e)
{
    return e == Encoding::Utf8 ? line.toUtf8() : toAnsi(line);
}

// One line of the file: its text without the line end, and the line end ("", "\n" or "\r\n").
struct Line {
    QByteArray text;
    QByteArray end;
};

QList<Line> splitLines(const QByteArray& bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines.append({bytes.mid(start), {}});
            break;
        }
        const bool cr = nl > start && bytes[nl - 1] == '\r';
        lines.append({bytes.mid(start, nl - start - (cr ? 1 : 0)), cr ? QByteArray("\r\n") : QByteArray("\n")});
        start = nl + 1;
    }
    return lines;
}

// The section a line opens (lower case, as the reader compares), an empty optional for a
// header without "]" (the reader then reads no keys until the next header), nothing else.
struct Header {
    bool isHeader = false;
    std::optional<QString> name;
};

Header headerOf(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {true, std::nullopt};
    return {true, t.mid(1, close - 1).trimmed().toLower()};
}

// The key a line sets (lower case), or nothing for blanks, comments and lines without "=".
std::optional<QString> keyOf(const QString& line)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return std::nullopt;
    const QString key = t.left(eq).trimmed().toLower();
    if (key.isEmpty())
        return std::nullopt;
    return key;
}

// The value as the reader will give it back: blanks around it and one pair of quotes are
// taken off when read, so such a value goes in quotes.
QString written(const QString& value)
{
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    if (value != value.trimmed() || quoted)
        return QLatin1Char('"') + value + QLatin1Char('"');
    return value;
}

bool hasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

IniWrite failed(IniWrite::Status status, QString message)
{
    qCWarning(lcIniWrite).noquote() << message;
    return {status, std::move(message)};
}

} // namespace

IniWrite::Status setIniValue(QByteArray& file, const QString& section, const QString& key, const QString& value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || sectionName.contains(QLatin1Char(']')) || hasLineBreak(sectionName) || keyName.isEmpty()
        || keyName.contains(QLatin1Char('=')) || keyName.startsWith(QLatin1Char(';')) || keyName.startsWith(QLatin1Char('['))
        || hasLineBreak(keyName))
        return IniWrite::Status::BadName;
    if (hasLineBreak(value))
        return IniWrite::Status::BadValue;

    Encoding encoding = Encoding::Ansi;
    QByteArray bom;
    bool utf16 = false;
    QByteArray bytes = file;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = Encoding::Utf8;
        bom = bytes.left(3);
        bytes.remove(0, 3);
    } else if (bytes.startsWith("\xFF\xFE")) {
        encoding = Encoding::Utf8;
        utf16 = true;
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        bytes = QString(decoder.decode(bytes.mid(2))).toUtf8();
    }

    QList<Line> lines = splitLines(bytes);
    const QByteArray newline = lines.isEmpty() || lines.front().end.isEmpty() ? QByteArray("\r\n") : lines.front().end;
    const QString wantedSection = sectionName.toLower();
    const QString wantedKey = keyName.toLower();

    // Walk the sections as the reader does: a repeated section's keys are never read.
    qsizetype header = -1, lastKey = -1, found = -1;
    bool inTarget = false;
    for (qsizetype i = 0; i < lines.size() && found < 0; ++i) {
        const QString text = decodeLine(lines[i].text, encoding);
        const Header h = headerOf(text);
        if (h.isHeader) {
            if (inTarget)
                break; // the section ended without the key
            inTarget = h.name && *h.name == wantedSection && header < 0;
            if (inTarget)
                header = lastKey = i;
            continue;
        }
        if (!inTarget)
            continue;
        if (const auto k = keyOf(text)) {
            lastKey = i;
            if (*k == wantedKey)
                found = i;
        }
    }

    const QString valueText = written(value);
    if (found >= 0) {
        // "=" is one byte in both encodings and never part of a longer character.
        const QByteArray& old = lines[found].text;
        lines[found].text = old.left(old.indexOf('=') + 1) + encodeLine(valueText, encoding);
    } else {
        const QByteArray keyLine = encodeLine(keyName + QLatin1Char('=') + valueText, encoding);
        if (header >= 0) {
            if (lines[lastKey].end.isEmpty())
                lines[lastKey].end = newline;
            lines.insert(lastKey + 1, {keyLine, newline});
        } else {
            if (!lines.isEmpty() && lines.back().end.isEmpty())
                lines.back().end = newline;
            if (!lines.isEmpty() && !decodeLine(lines.back().text, encoding).trimmed().isEmpty())
                lines.append({{}, newline});
            lines.append({encodeLine(QLatin1Char('[') + sectionName + QLatin1Char(']'), encoding), newline});
            lines.append({keyLine, newline});
        }
    }

    QByteArray out = bom;
    for (const Line& l : lines)
        out += l.text + l.end;
    if (utf16) {
        QStringEncoder encoder(QStringEncoder::Utf16LE);
        out = QByteArray("\xFF\xFE") + QByteArray(encoder.encode(QString::fromUtf8(out)));
    }
    file = out;
    return IniWrite::Status::Written;
}

IniWrite WriteInIKey(const QString& Section, const QString& KeyName, const QString& KeyValue, const QString& FileName)
{
    const QFileInfo info(FileName);
    QByteArray content;
    if (info.exists()) {
        if (!info.isFile())
            return failed(
                IniWrite::Status::CannotRead, QCoreApplication::translate("WriteInIKey", "%1 — не файл.").arg(FileName));
        // Without any write permission the file is read-only even for a user who could write it
        // anyway (root): the protection is the owner's wish.
        constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isWritable() || !(info.permissions() & anyWrite))
            return failed(IniWrite::Status::ReadOnly,
                QCoreApplication::translate("WriteInIKey", "Файл %1 только для чтения.").arg(FileName));
        if (info.size() > INI_Class::kMaxFileSize)
            return failed(IniWrite::Status::TooLarge,
                QCoreApplication::translate("WriteInIKey", "Файл %1 слишком большой (больше %2 байт).")
                    .arg(FileName)
                    .arg(INI_Class::kMaxFileSize));
        // Bounded by the bytes read: the file may have become something else since it was looked at.
        NamedFileRead in = readNamedFile(FileName, INI_Class::kMaxFileSize);
        if (!in.ok())
            return failed(IniWrite::Status::CannotRead,
                QCoreApplication::translate("WriteInIKey", "Не удалось прочитать файл %1: %2.").arg(FileName, in.problem));
        content = std::move(in.bytes);
    }

    switch (setIniValue(content, Section, KeyName, KeyValue)) {
    case IniWrite::Status::BadName:
        return failed(IniWrite::Status::BadName,
            QCoreApplication::translate("WriteInIKey", "Недопустимое имя раздела или ключа: [%1] %2.").arg(Section, KeyName));
    case IniWrite::Status::BadValue:
        return failed(IniWrite::Status::BadValue,
            QCoreApplication::translate("WriteInIKey", "Значение ключа %1 содержит перевод строки.").arg(KeyName));
    default:
        break;
    }

    // A rename replaces even a read-only file, so the check above is what protects it; the new
    // file is made in the same folder, every write checked, and takes over the old file's
    // permissions; a link in its place is replaced, never written through.
    QString problem;
    if (!saveFileSafely(FileName, content, &problem))
        return failed(IniWrite::Status::CannotWrite,
            QCoreApplication::translate("WriteInIKey", "Не удалось записать файл %1: %2.").arg(FileName, problem));
    qCDebug(lcIniWrite).noquote() << "wrote" << FileName << "[" << Section << "]" << KeyName;
    return {};
}

} // namespace tb
