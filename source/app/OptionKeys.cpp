#include "OptionKeys.h"

#include "NumberText.h"

#include <QLoggingCategory>

#include <array>
#include <cmath>
#include <stdexcept>

namespace tb {

Q_LOGGING_CATEGORY(lcOptions, "thermobadge.settings", QtWarningMsg)

namespace {

constexpr std::array kKeys = {
    OptionKey {"scX", "100", OptionKind::Single},
    OptionKey {"scY", "100", OptionKind::Single},
    OptionKey {"ScaleOn", "1", OptionKind::Bool10},
    OptionKey {"Trans", "0", OptionKind::Byte},
    OptionKey {"TransOn", "1", OptionKind::Bool10},
    OptionKey {"ScaleAutoOff", "1", OptionKind::Bool10},
    OptionKey {"ScaleSinc", "1", OptionKind::Bool10},
    OptionKey {"FrmSliderL", nullptr, OptionKind::Int32},
    OptionKey {"FrmSliderT", nullptr, OptionKind::Int32},
    OptionKey {"IndShow", "1", OptionKind::Bool10},
    OptionKey {"IndPos", "0", OptionKind::Int16},
    OptionKey {"IndSize", "0", OptionKind::Int16},
    OptionKey {"TmprFrmt", "6", OptionKind::Format},
    OptionKey {"Show", "True", OptionKind::BoolWords},
    OptionKey {"WinTop", "True", OptionKind::BoolWords},
    OptionKey {"Sticky", "1", OptionKind::Bool10},
    OptionKey {"PosMain", nullptr, OptionKind::Text},
    OptionKey {"PosOpt", nullptr, OptionKind::Text},
    OptionKey {"ARun", "0", OptionKind::Bool10},
    OptionKey {"VerChk", "1", OptionKind::Bool10},
    OptionKey {"Prov", nullptr, OptionKind::Int32},
    OptionKey {"TrCif", "1", OptionKind::Bool10},
    OptionKey {"TrBold", "0", OptionKind::Bool10},
    OptionKey {"TrTrans", "1", OptionKind::Bool10},
    OptionKey {"TrCol0", "255", OptionKind::Int32},
    OptionKey {"TrCol1", "16776960", OptionKind::Int32},
    OptionKey {"TrCol2", "16711680", OptionKind::Int32},
    OptionKey {"TrCol3", "65535", OptionKind::Int32},
    OptionKey {"Town", "", OptionKind::Text},
    OptionKey {"TownAt", "", OptionKind::Text},
    OptionKey {"Lang", "", OptionKind::Text},
};

std::pair<qint64, qint64> rangeOf(OptionKind kind)
{
    switch (kind) {
    case OptionKind::Byte: return {0, 255};
    case OptionKind::Int16:
    case OptionKind::Format: return {-32768, 32767};
    default: return {INT32_MIN, INT32_MAX};
    }
}

} // namespace

std::span<const OptionKey> optionKeys() { return kKeys; }

const OptionKey* findOptionKey(QStringView name)
{
    for (const OptionKey& k : kKeys)
        if (name.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

namespace mTemperPub {

QString GetOption(const SettingsStore& store, const QString& key, const QString& defaultText)
{
    return store.value(key).value_or(defaultText);
}

void SaveOption(SettingsStore& store, const QString& key, const QString& value) { store.setValue(key, value); }

void DeleteOption(SettingsStore& store, const QString& key) { store.remove(key); }

} // namespace mTemperPub

namespace OptionText {

std::optional<float> toSingle(QStringView text, const Regional& regional)
{
    const auto n = regional.parseNumber(text);
    if (!n || std::fabs(*n) > 3.4028234663852886e38)
        return std::nullopt;
    return static_cast<float>(*n);
}

std::optional<qint16> toFormatIndex(QStringView text)
{
    const auto n = LenientVal(text);
    if (!n)
        return std::nullopt;
    const double r = *n - std::remainder(*n, 1.0); // nearest, halves to even
    if (r < -32768 || r > 32767)
        return std::nullopt;
    return static_cast<qint16>(r);
}

QString fromBool10(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
QString fromBoolWords(bool on) { return on ? QStringLiteral("True") : QStringLiteral("False"); }
QString fromSingle(float value, const Regional& regional)
{
    // Single precision shows 7 significant digits, so 150.5 stays 150,5 and not 150,500000001.
    return regional.formatNumber(QString::number(value, 'g', 7).toDouble());
}

} // namespace OptionText

const OptionKey& Options::row(const QString& key) const
{
    const OptionKey* k = findOptionKey(key);
    if (!k)
        throw std::logic_error("unknown settings key " + key.toStdString());
    return *k;
}

bool Options::boolean(const QString& key) const
{
    const OptionKey& k = row(key);
    const QString def = QLatin1String(k.defaultText);
    const QString t = mTemperPub::GetOption(store_, key, def);
    if (const auto v = regional_.parseBoolean(t))
        return *v;
    qCWarning(lcOptions) << "setting" << key << "=" << t << "is not a Boolean - default" << def << "used";
    return *regional_.parseBoolean(def);
}

float Options::single(const QString& key) const
{
    const OptionKey& k = row(key);
    const QString def = QLatin1String(k.defaultText);
    const QString t = mTemperPub::GetOption(store_, key, def);
    if (const auto v = OptionText::toSingle(t, regional_))
        return *v;
    qCWarning(lcOptions) << "setting" << key << "=" << t << "is not a number here - default" << def << "used";
    return def.toFloat();
}

qint64 Options::whole(const QString& key, std::optional<qint64> defaultValue) const
{
    const OptionKey& k = row(key);
    const QString def = defaultValue ? QString::number(*defaultValue) : QString(QLatin1String(k.defaultText));
    const QString t = mTemperPub::GetOption(store_, key, def);
    const auto [lo, hi] = rangeOf(k.kind);
    if (k.kind == OptionKind::Format) {
        if (const std::optional<qint16> index = OptionText::toFormatIndex(t))
            return *index;
    } else if (const std::optional<qint64> v = regional_.parseWhole(t, lo, hi)) {
        return *v;
    }
    qCWarning(lcOptions) << "setting" << key << "=" << t << "does not convert - default" << def << "used";
    return def.toLongLong();
}

QString Options::text(const QString& key, const QString& defaultText) const
{
    return mTemperPub::GetOption(store_, key, defaultText);
}

void Options::setBoolean(const QString& key, bool on)
{
    const OptionKey& k = row(key);
    setText(key, k.kind == OptionKind::BoolWords ? OptionText::fromBoolWords(on) : OptionText::fromBool10(on));
}

void Options::setSingle(const QString& key, float value) { setText(key, OptionText::fromSingle(value, regional_)); }

void Options::setWhole(const QString& key, qint64 value) { setText(key, QString::number(value)); }

} // namespace tb
