#include "platform/IniSettingsStore.h"

#include "platform/LeftLockFile.h"
#include "platform/SafeFile.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace tb {

Q_LOGGING_CATEGORY(lcSettings, "thermobadge.settings", QtWarningMsg)

namespace {

const QString kSection = QStringLiteral("Options/");
// A settings file holds a few dozen short lines; anything near this is not one.
constexpr qint64 kMaxFileSize = 1024 * 1024;

// Moves what is at `path` out of the way (kept as path.bad-<time>) so that a fresh file is written.
void setAside(const QString& path, const QString& why)
{
    QString problem;
    const std::optional<QString> kept = keepAside(path, &problem);
    if (!kept) {
        qCWarning(lcSettings).noquote() << why << "-" << problem;
        return;
    }
    ::unlink(QFile::encodeName(path).constData());
    qCWarning(lcSettings).noquote() << why << "- kept as" << *kept << "and a new settings file is written";
}

// QSettings opens the file with a blocking open, reads it whole and writes through a link, so
// what is at the path is made a plain regular file of a sane size before QSettings reads it:
// a link is replaced by a copy of what it leads to; anything else that is not a regular file,
// or a file too large to be settings, is set aside.
void makePlainFile(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return;
    if (S_ISREG(st.st_mode)) {
        if (st.st_size > kMaxFileSize)
            setAside(path, QStringLiteral("%1 has more than %2 bytes").arg(path).arg(kMaxFileSize));
        return;
    }
    const NamedFileRead target = S_ISLNK(st.st_mode) ? readNamedFile(path, kMaxFileSize) : NamedFileRead{};
    QString problem;
    if (target.ok() && saveFileSafely(path, target.bytes, &problem))
        return;
    setAside(path, target.ok() ? problem : target.problem.isEmpty() ? QStringLiteral("%1 is not a regular file").arg(path) : target.problem);
}

} // namespace

IniSettingsStore::IniSettingsStore(const QString& filePath)
{
    makePlainFile(filePath);
    settings_ = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    if (settings_->status() == QSettings::FormatError) {
        // QSettings never writes a file it could not parse: every later change would be lost.
        settings_.reset();
        setAside(filePath, QStringLiteral("the settings file %1 cannot be parsed").arg(filePath));
        settings_ = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    }
    if (settings_->status() != QSettings::NoError)
        qCWarning(lcSettings) << "settings file" << filePath << "could not be read - defaults apply";
}

IniSettingsStore::~IniSettingsStore() = default;

QString IniSettingsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ThermoBadge/ThermoBadge.ini");
}

std::optional<QString> IniSettingsStore::value(const QString& key) const
{
    const QVariant v = settings_->value(kSection + key);
    if (!v.isValid())
        return std::nullopt;
    // A value QSettings reads as a list (it had a comma) is joined back into its text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

void IniSettingsStore::setValue(const QString& key, const QString& text)
{
    settings_->setValue(kSection + key, text);
    if (!sync())
        qCWarning(lcSettings) << "could not save setting" << key;
}

void IniSettingsStore::remove(const QString& key)
{
    settings_->remove(kSection + key);
    if (!sync())
        qCWarning(lcSettings) << "could not remove setting" << key;
}

bool IniSettingsStore::sync()
{
    const QString path = settings_->fileName();
    // QSettings waits for its lock file without a time limit (30 s for one left empty).
    removeEmptyLeftLockFile(path + QStringLiteral(".lock"));
    // Another program may have put something else in its place since.
    makePlainFile(path);
    // QSettings misses a write that fails as the file is flushed (a full disk) and renames the
    // empty file into place; the old file keeps a second name until the new one reads back whole.
    const QByteArray file = QFile::encodeName(path);
    const QByteArray previous = file + ".prev";
    ::unlink(previous.constData());
    const bool kept = ::link(file.constData(), previous.constData()) == 0;
    settings_->sync();
    bool whole = settings_->status() == QSettings::NoError;
    if (whole) {
        const QSettings written(path, QSettings::IniFormat);
        const QStringList keys = settings_->allKeys();
        whole = written.status() == QSettings::NoError && written.allKeys().size() == keys.size()
             && std::all_of(keys.begin(), keys.end(), [&](const QString& k) { return written.value(k) == settings_->value(k); });
    }
    if (whole) {
        ::unlink(previous.constData());
        return true;
    }
    // When QSettings noticed the failure itself both names are the same file still.
    if (kept && ::rename(previous.constData(), file.constData()) == 0)
        qCWarning(lcSettings) << "the settings file" << path << "could not be written whole (is the disk full?) - the old one is kept";
    ::unlink(previous.constData());
    return false;
}

} // namespace tb
