#include "platform/FilePropertyBag.h"

#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcPropertyBag, "thermobadge.properties", QtWarningMsg)

namespace {

// Each line is key=type:value with type one of s (string), i (integer), d (double), b (Boolean).
QString encode(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: return QStringLiteral("b:") + (v.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong: return QStringLiteral("i:") + QString::number(v.toLongLong());
    case QMetaType::Double: return QStringLiteral("d:") + QString::number(v.toDouble(), 'g', 17);
    default: break;
    }
    QString s = v.toString();
    s.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return QStringLiteral("s:") + s;
}

std::optional<QVariant> decode(QStringView t)
{
    if (t.size() < 2 || t[1] != u':')
        return std::nullopt;
    const QStringView body = t.mid(2);
    bool ok = false;
    switch (t[0].unicode()) {
    case u'b':
        if (body == u"1" || body == u"0")
            return QVariant(body == u"1");
        return std::nullopt;
    case u'i': {
        const qlonglong v = body.toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant(v)) : std::nullopt;
    }
    case u'd': {
        const double v = body.toDouble(&ok);
        return ok ? std::optional<QVariant>(QVariant(v)) : std::nullopt;
    }
    case u's': {
        QString out;
        for (qsizetype i = 0; i < body.size(); ++i) {
            if (body[i] == u'\\' && i + 1 < body.size()) {
                const QChar n = body[++i];
                out += n == u'n' ? QChar(u'\n') : n == u'r' ? QChar(u'\r') : n;
            } else {
                out += body[i];
            }
        }
        return QVariant(out);
    }
    default: return std::nullopt;
    }
}

} // namespace

FilePropertyBag::FilePropertyBag(QString filePath) : path_(std::move(filePath))
{
    const NamedFileRead file = readNamedFile(path_, 1024 * 1024);
    if (file.outcome == NamedFileRead::Outcome::Missing)
        return;
    if (!file.ok()) {
        qCWarning(lcPropertyBag).noquote() << file.problem;
        return;
    }
    const QString all = QString::fromUtf8(file.bytes);
    for (QStringView line : QStringView(all).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'[') || line.startsWith(u'#'))
            continue;
        const auto eq = line.indexOf(u'=');
        const auto value = eq > 0 ? decode(line.mid(eq + 1)) : std::nullopt;
        if (!value) {
            qCWarning(lcPropertyBag) << "skipped unreadable line in" << path_ << line.left(80);
            continue;
        }
        values_.insert(line.left(eq).toString(), *value);
    }
}

std::optional<QVariant> FilePropertyBag::read(const QString& key) const
{
    const auto it = values_.constFind(key);
    return it == values_.constEnd() ? std::nullopt : std::optional<QVariant>(*it);
}

void FilePropertyBag::write(const QString& key, const QVariant& value, const QVariant& defaultValue)
{
    if (value == defaultValue)
        values_.remove(key);
    else
        values_.insert(key, value);
}

bool FilePropertyBag::save() const
{
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QByteArray text = "[Properties]\n";
    for (auto it = values_.cbegin(); it != values_.cend(); ++it)
        text += (it.key() + QLatin1Char('=') + encode(it.value()) + QLatin1Char('\n')).toUtf8();
    QString problem;
    if (saveFileSafely(path_, text, &problem))
        return true;
    qCWarning(lcPropertyBag).noquote() << problem;
    return false;
}

} // namespace tb
