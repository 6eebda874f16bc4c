#include "skinfiles/INI_Class.h"

#include "platform/Codepage.h"
#include "platform/SafeFile.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringDecoder>

namespace tb {

Q_LOGGING_CATEGORY(lcIni, "thermobadge.ini", QtWarningMsg)

namespace {

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16.decode(bytes.mid(2));
    }
    return fromAnsi(bytes);
}

QString unquote(QString v)
{
    v = v.trimmed();
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

} // namespace

INI_Class::Sections INI_Class::parse(const QByteArray& bytes)
{
    Sections sections;
    QHash<QString, QString>* current = nullptr;
    const QString text = decode(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const auto close = line.indexOf(u']');
            if (close < 0) {
                current = nullptr;
                continue;
            }
            // A repeated section is not read: the first one with the name is the section.
            const QString name = line.mid(1, close - 1).trimmed().toString().toLower();
            current = sections.contains(name) ? nullptr : &sections[name];
            continue;
        }
        const auto eq = line.indexOf(u'=');
        if (!current || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed().toString().toLower();
        if (key.isEmpty() || current->contains(key))
            continue;
        current->insert(key, unquote(line.mid(eq + 1).toString()));
    }
    return sections;
}

const INI_Class::Sections* INI_Class::load(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile()) {
        cache_.remove(fileName);
        return nullptr;
    }
    Cached& c = cache_[fileName];
    if (c.size == info.size() && c.modified == info.lastModified())
        return &c.sections;
    c = Cached{};
    if (info.size() > kMaxFileSize) {
        qCWarning(lcIni) << fileName << "is larger than" << kMaxFileSize << "bytes; not read";
        return nullptr;
    }
    // Read by the bytes that come: the file may have changed into something else since it was looked at.
    const NamedFileRead read = readNamedFile(fileName, kMaxFileSize);
    if (!read.ok()) {
        qCWarning(lcIni).noquote() << (read.problem.isEmpty() ? fileName + QStringLiteral(" is gone") : read.problem);
        cache_.remove(fileName);
        return nullptr;
    }
    c.sections = parse(read.bytes);
    c.size = info.size();
    c.modified = info.lastModified();
    return &c.sections;
}

QString INI_Class::ReadINIKey(const QString& Section, const QString& KeyName, const QString& FileName, const QString& sDefValue)
{
    const Sections* sections = load(FileName);
    if (!sections)
        return sDefValue;
    const auto s = sections->constFind(Section.trimmed().toLower());
    if (s == sections->constEnd())
        return sDefValue;
    const auto k = s->constFind(KeyName.trimmed().toLower());
    if (k == s->constEnd())
        return sDefValue;
    return k->left(kMaxValueLength);
}

} // namespace tb
