#include "platform/FileRegistryStore.h"

#include "platform/SafeFile.h"
#include "platform/UniqueFd.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tb {

Q_LOGGING_CATEGORY(lcRegistry, "thermobadge.registry", QtWarningMsg)

namespace {

// How long a write waits for another writer (any process of this user) to finish.
constexpr int kLockWaitMs = 2000;

// Held while the file is read, changed and replaced: an advisory lock (flock) on a lock file
// beside it, which stays in place. The system lets go of the lock when its holder ends, however
// it ends, so a killed writer never leaves a lock behind and no owner has to be looked up (a
// process number written into a lock file can belong to another process by the time it is read).
class WriteLock {
public:
    explicit WriteLock(const QString& file)
        : fd_(::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600))
    {
        if (!fd_.valid())
            qCWarning(lcRegistry) << "cannot open the lock file" << file << std::strerror(errno);
    }

    bool isOpen() const { return fd_.valid(); }

    bool acquire(int waitMs)
    {
        const QDeadlineTimer deadline(waitMs);
        while (fd_.valid()) {
            if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0)
                return true;
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

private:
    UniqueFd fd_; // closing it releases the lock
};

constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

QString rootName(RegRoot root)
{
    return root == RegRoot::LocalMachine ? QStringLiteral("HKEY_LOCAL_MACHINE") : QStringLiteral("HKEY_CURRENT_USER");
}

QString fullPath(RegRoot root, const QString& path)
{
    const QString rest = normalizeKeyPath(path);
    return rest.isEmpty() ? rootName(root) : rootName(root) + QLatin1Char('\\') + rest;
}

// Escapes backslashes, control characters and (in names) "=" so that every line stays one line.
QString escape(const QString& s, bool isName)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += QStringLiteral("\\\\");
        else if (u == u'\n')
            out += QStringLiteral("\\n");
        else if (u == u'\r')
            out += QStringLiteral("\\r");
        else if (u == u'\t')
            out += QStringLiteral("\\t");
        else if (u < 0x20 || u == 0x7f || (isName && (u == u'=' || u == u'[' || u == u'#')))
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

std::optional<QString> unescape(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\') {
            out += s[i];
            continue;
        }
        if (++i >= s.size())
            return std::nullopt;
        switch (s[i].unicode()) {
        case u'\\': out += u'\\'; break;
        case u'n': out += u'\n'; break;
        case u'r': out += u'\r'; break;
        case u't': out += u'\t'; break;
        case u'x': {
            if (i + 2 >= s.size())
                return std::nullopt;
            bool ok = false;
            const uint code = s.mid(i + 1, 2).toUInt(&ok, 16);
            if (!ok)
                return std::nullopt;
            out += QChar(static_cast<char16_t>(code));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

std::optional<RegValue> decodeValue(QStringView v)
{
    if (v.startsWith(u"sz:")) {
        auto text = unescape(v.mid(3));
        if (!text)
            return std::nullopt;
        return RegValue::string(*text);
    }
    const auto colon = v.indexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    const QStringView tag = v.left(colon);
    const QByteArray hex = v.mid(colon + 1).toLatin1();
    const QByteArray bytes = QByteArray::fromHex(hex);
    if (bytes.toHex() != hex.toLower())
        return std::nullopt;
    if (tag == u"dword" && bytes.size() == 4)
        return RegValue{RegType::Dword, {}, bytes};
    if (tag == u"hex")
        return RegValue{RegType::Binary, {}, bytes};
    return std::nullopt;
}

QString encodeValue(const RegValue& v)
{
    switch (v.type) {
    case RegType::String: return QStringLiteral("sz:") + escape(v.text, false);
    case RegType::Dword: return QStringLiteral("dword:") + QString::fromLatin1(v.bytes.toHex());
    case RegType::Binary: break;
    }
    return QStringLiteral("hex:") + QString::fromLatin1(v.bytes.toHex());
}

FileRegistryStore::Key* findKey(QList<FileRegistryStore::Key>& keys, const QString& full)
{
    for (auto& k : keys)
        if (k.path.compare(full, Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

} // namespace

FileRegistryStore::FileRegistryStore(QString filePath) : path_(std::move(filePath)) {}

QString FileRegistryStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ThermoBadge/registry.ini");
}

QList<FileRegistryStore::Key> FileRegistryStore::parse(const QByteArray& text, int* skipped)
{
    QList<Key> keys;
    Key* current = nullptr;
    int bad = 0;
    const QString all = QString::fromUtf8(text);
    for (QStringView line : QStringView(all).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            current = nullptr;
            if (!line.endsWith(u']') || line.size() < 3) {
                ++bad;
                continue;
            }
            const QString full = normalizeKeyPath(line.mid(1, line.size() - 2).toString());
            if (!full.startsWith(QStringLiteral("HKEY_"))) {
                ++bad;
                continue;
            }
            current = findKey(keys, full);
            if (!current) {
                keys.append({full, {}});
                current = &keys.last();
            }
            continue;
        }
        const auto eq = line.indexOf(u'=');
        const auto name = eq > 0 ? unescape(line.left(eq)) : std::nullopt;
        const auto value = eq > 0 ? decodeValue(line.mid(eq + 1)) : std::nullopt;
        if (!current || !name || !value) {
            ++bad;
            continue;
        }
        bool replaced = false;
        for (auto& e : current->entries)
            if (e.name.compare(*name, Qt::CaseInsensitive) == 0) {
                e.value = *value;
                replaced = true;
            }
        if (!replaced)
            current->entries.append({*name, *value});
    }
    if (bad > 0)
        qCWarning(lcRegistry) << "registry file: skipped" << bad << "unreadable line(s)";
    if (skipped)
        *skipped = bad;
    return keys;
}

QByteArray FileRegistryStore::serialize(const QList<Key>& keys)
{
    QString out = QStringLiteral("# ThermoBadge registry store: one [key] per section, name=type:value per line\n");
    for (const auto& k : keys) {
        out += QLatin1Char('[') + k.path + QStringLiteral("]\n");
        for (const auto& e : k.entries)
            out += escape(e.name, true) + QLatin1Char('=') + encodeValue(e.value) + QLatin1Char('\n');
    }
    return out.toUtf8();
}

QList<FileRegistryStore::Key> FileRegistryStore::load(bool* unreadable) const
{
    const NamedFileRead file = readNamedFile(path_, kMaxFileSize);
    if (unreadable)
        *unreadable = false;
    if (file.outcome == NamedFileRead::Outcome::Missing)
        return {};
    if (!file.ok()) {
        qCWarning(lcRegistry).noquote() << file.problem << "- defaults apply";
        if (unreadable)
            *unreadable = true;
        return {};
    }
    int skipped = 0;
    QList<Key> keys = parse(file.bytes, &skipped);
    if (unreadable)
        *unreadable = skipped > 0;
    return keys;
}

template <typename Change>
bool FileRegistryStore::modify(Change&& change)
{
    QDir().mkpath(QFileInfo(path_).absolutePath());
    WriteLock lock(path_ + QStringLiteral(".lock"));
    if (!lock.acquire(kLockWaitMs)) {
        if (lock.isOpen())
            qCWarning(lcRegistry) << "registry file is locked by another process; write dropped";
        else
            qCWarning(lcRegistry) << "registry write dropped:" << path_ << "cannot be locked";
        return false;
    }
    bool unreadable = false;
    QList<Key> keys = load(&unreadable);
    if (!change(keys))
        return false;
    QString problem;
    // What the new file would drop is kept first, under a name of its own.
    if (unreadable) {
        const std::optional<QString> kept = keepAside(path_, &problem);
        if (!kept) {
            qCWarning(lcRegistry).noquote() << problem << "- nothing written, so nothing of it is lost";
            return false;
        }
        qCWarning(lcRegistry).noquote() << "the registry file could not be read whole; it is kept as" << *kept
                                        << "and a new one is written";
    }
    if (!saveFileSafely(path_, serialize(keys), &problem)) {
        // Once per kind of failure: a full disk would otherwise log every reading.
        if (problem != lastProblem_)
            qCWarning(lcRegistry).noquote() << problem;
        lastProblem_ = problem;
        return false;
    }
    lastProblem_.clear();
    return true;
}

bool FileRegistryStore::keyExists(RegRoot root, const QString& path) const
{
    QList<Key> keys = load();
    return findKey(keys, fullPath(root, path)) != nullptr;
}

std::optional<RegValue> FileRegistryStore::value(RegRoot root, const QString& path, const QString& name) const
{
    QList<Key> keys = load();
    const Key* k = findKey(keys, fullPath(root, path));
    if (!k)
        return std::nullopt;
    for (const auto& e : k->entries)
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return e.value;
    return std::nullopt;
}

bool FileRegistryStore::createKey(RegRoot root, const QString& path)
{
    const QString full = fullPath(root, path);
    return modify([&](QList<Key>& keys) {
        if (!findKey(keys, full))
            keys.append({full, {}});
        return true;
    });
}

bool FileRegistryStore::setValue(RegRoot root, const QString& path, const QString& name, const RegValue& value)
{
    return setValues(root, path, {{name, value}});
}

bool FileRegistryStore::setValues(RegRoot root, const QString& path, const QList<RegNamedValue>& values)
{
    const QString full = fullPath(root, path);
    return modify([&](QList<Key>& keys) {
        Key* k = findKey(keys, full);
        if (!k) {
            keys.append({full, {}});
            k = &keys.last();
        }
        for (const RegNamedValue& v : values) {
            auto e = std::find_if(k->entries.begin(), k->entries.end(),
                                  [&](const Entry& e) { return e.name.compare(v.name, Qt::CaseInsensitive) == 0; });
            if (e != k->entries.end())
                e->value = v.value;
            else
                k->entries.append({v.name, v.value});
        }
        return true;
    });
}

bool FileRegistryStore::deleteValue(RegRoot root, const QString& path, const QString& name)
{
    const QString full = fullPath(root, path);
    return modify([&](QList<Key>& keys) {
        Key* k = findKey(keys, full);
        if (!k)
            return false;
        const auto before = k->entries.size();
        k->entries.removeIf([&](const Entry& e) { return e.name.compare(name, Qt::CaseInsensitive) == 0; });
        return k->entries.size() != before;
    });
}

} // namespace tb
