#include "CrashStep.h"

#include "WriteInIKey.h"
#include "platform/FileRegistryStore.h"
#include "platform/IniSettingsStore.h"
#include "skinfiles/INI_Class.h"

#include <QFile>
#include <QSettings>

#include <cstdio>

namespace tb::crash {

namespace {

const QString kRegistryKey = QStringLiteral("Software\\CrashTest");
const QString kSection = QStringLiteral("General");
// The registry keeps the newest step's value a second time, written in the same change.
const QString kLastName = QStringLiteral("Last");

} // namespace

StoreFiles StoreFiles::in(const QString& dir)
{
    return {dir + QStringLiteral("/registry.ini"), dir + QStringLiteral("/ThermoBadge.ini"), dir + QStringLiteral("/skins.ini")};
}

QString keyOf(qint64 step)
{
    return QStringLiteral("K%1").arg(step % kKeys);
}

QString valueOf(qint64 step)
{
    static const QString alphabet = QStringLiteral("abcxyzABC019 ,;\\=\"'#[]-.ЁжщЯ");
    QString v = QString::number(step) + QLatin1Char(':');
    const int length = 40 + static_cast<int>((step * 37) % 160);
    quint64 state = static_cast<quint64>(step) * 6364136223846793005ULL + 1442695040888963407ULL;
    while (v.size() < length - 4) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        v += alphabet[static_cast<qsizetype>((state >> 33) % static_cast<quint64>(alphabet.size()))];
    }
    return v + QStringLiteral("|%1").arg(length, 3, 10, QLatin1Char('0'));
}

bool writeStep(const StoreFiles& files, qint64 step)
{
    const QString key = keyOf(step);
    const QString value = valueOf(step);
    auto registry = [&] {
        if (FileRegistryStore(files.registry)
                .setValues(RegRoot::CurrentUser, kRegistryKey, {{key, RegValue::string(value)}, {kLastName, RegValue::string(value)}}))
            return true;
        std::fprintf(stderr, "the registry file refused step %lld\n", static_cast<long long>(step));
        return false;
    };
    auto settings = [&] {
        IniSettingsStore(files.settings).setValue(key, value);
        return true;
    };
    // The first lock a process takes is the slow one (QLockFile learns the machine's identity
    // then), so the order alternates between the two stores that lock.
    const bool stored = step % 2 == 0 ? registry() && settings() : settings() && registry();
    if (!stored)
        return false;
    const IniWrite w = WriteInIKey(kSection, key, value, files.skinIni);
    if (!w.ok()) {
        std::fprintf(stderr, "the skin INI refused step %lld: %s\n", static_cast<long long>(step), qPrintable(w.message));
        return false;
    }
    return true;
}

Snapshot readStores(const StoreFiles& files)
{
    Snapshot s;
    const FileRegistryStore registry(files.registry);
    QSettings settingsFile(files.settings, QSettings::IniFormat);
    if (settingsFile.status() != QSettings::NoError)
        s.problems << QStringLiteral("the settings file does not parse");
    const IniSettingsStore settings(files.settings);
    QFile ini(files.skinIni);
    const INI_Class::Sections skin = ini.open(QIODevice::ReadOnly) ? INI_Class::parse(ini.readAll()) : INI_Class::Sections {};
    // Two values written in one change are both old or both new.
    if (const auto last = registry.value(RegRoot::CurrentUser, kRegistryKey, kLastName)) {
        const qint64 step = last->text.section(QLatin1Char(':'), 0, 0).toLongLong();
        const auto same = registry.value(RegRoot::CurrentUser, kRegistryKey, keyOf(step));
        if (!same || same->text != last->text)
            s.problems << QStringLiteral("the registry's last step %1 and its key %2 were not written together").arg(step).arg(keyOf(step));
    }
    for (int k = 0; k < kKeys; ++k) {
        const QString key = keyOf(k);
        if (const auto v = registry.value(RegRoot::CurrentUser, kRegistryKey, key)) {
            if (v->type != RegType::String)
                s.problems << QStringLiteral("registry value %1 is no longer a string").arg(key);
            s.values[Registry][k] = v->text;
        }
        s.values[Settings][k] = settings.value(key);
        const auto section = skin.constFind(kSection.toLower());
        if (section != skin.cend())
            if (const auto v = section->constFind(key.toLower()); v != section->cend())
                s.values[SkinIni][k] = *v;
    }
    return s;
}

} // namespace tb::crash
