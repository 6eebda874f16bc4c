#include "IniSettingsStore.h"

#include "LeftLockFile.h"

#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

namespace tb {

Q_LOGGING_CATEGORY(lcSettings, "thermobadge.settings", QtWarningMsg)

namespace {
const QString kSection = QStringLiteral("Options/");
}

IniSettingsStore::IniSettingsStore(const QString& filePath) : settings_(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
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
    sync();
    if (settings_->status() != QSettings::NoError)
        qCWarning(lcSettings) << "could not save setting" << key;
}

void IniSettingsStore::remove(const QString& key)
{
    settings_->remove(kSection + key);
    sync();
}

void IniSettingsStore::sync()
{
    // QSettings waits for its lock file without a time limit (30 s for one left empty).
    removeEmptyLeftLockFile(settings_->fileName() + QStringLiteral(".lock"));
    settings_->sync();
}

} // namespace tb
