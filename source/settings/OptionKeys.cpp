#include "settings/OptionKeys.h"

#include "platform/NumberText.h"

#include <QLoggingCategory>

#include <array>
#include <cmath>

namespace tb {

Q_LOGGING_CATEGORY(lcOptions, "thermobadge.settings", QtWarningMsg)

namespace {

// Indexed by OptionKey: the static_assert below keeps each row at its key's place.
constexpr std::array<OptionRow, kOptionKeyCount> kRows = {{
    {OptionKey::scX, "scX", "100", OptionKind::Single},
    {OptionKey::scY, "scY", "100", OptionKind::Single},
    {OptionKey::ScaleOn, "ScaleOn", "1", OptionKind::Bool10},
    {OptionKey::Trans, "Trans", "0", OptionKind::Byte},
    {OptionKey::TransOn, "TransOn", "1", OptionKind::Bool10},
    {OptionKey::ScaleAutoOff, "ScaleAutoOff", "1", OptionKind::Bool10},
    {OptionKey::ScaleSinc, "ScaleSinc", "1", OptionKind::Bool10},
    {OptionKey::FrmSliderL, "FrmSliderL", nullptr, OptionKind::Int32},
    {OptionKey::FrmSliderT, "FrmSliderT", nullptr, OptionKind::Int32},
    {OptionKey::IndShow, "IndShow", "1", OptionKind::Bool10},
    {OptionKey::IndPos, "IndPos", "0", OptionKind::Int16},
    {OptionKey::IndSize, "IndSize", "0", OptionKind::Int16},
    {OptionKey::TmprFrmt, "TmprFrmt", "6", OptionKind::Format},
    {OptionKey::Show, "Show", "True", OptionKind::BoolWords},
    {OptionKey::WinTop, "WinTop", "True", OptionKind::BoolWords},
    {OptionKey::Sticky, "Sticky", "1", OptionKind::Bool10},
    {OptionKey::PosMain, "PosMain", nullptr, OptionKind::Text},
    {OptionKey::PosOpt, "PosOpt", nullptr, OptionKind::Text},
    {OptionKey::ARun, "ARun", "0", OptionKind::Bool10},
    {OptionKey::VerChk, "VerChk", "1", OptionKind::Bool10},
    {OptionKey::Prov, "Prov", nullptr, OptionKind::Int32},
    {OptionKey::TrCif, "TrCif", "1", OptionKind::Bool10},
    {OptionKey::TrBold, "TrBold", "0", OptionKind::Bool10},
    {OptionKey::TrTrans, "TrTrans", "1", OptionKind::Bool10},
    {OptionKey::TrCol0, "TrCol0", "255", OptionKind::Int32},
    {OptionKey::TrCol1, "TrCol1", "16776960", OptionKind::Int32},
    {OptionKey::TrCol2, "TrCol2", "16711680", OptionKind::Int32},
    {OptionKey::TrCol3, "TrCol3", "65535", OptionKind::Int32},
    {OptionKey::Town, "Town", "", OptionKind::Text},
    {OptionKey::TownAt, "TownAt", "", OptionKind::Text},
    {OptionKey::Lang, "Lang", "", OptionKind::Text},
}};

constexpr bool rowsInKeyOrder()
{
    for (std::size_t i = 0; i < kRows.size(); ++i)
        if (kRows[i].key != OptionKey(i))
            return false;
    return true;
}
static_assert(rowsInKeyOrder(), "every row of kRows sits at its key's place");

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

const OptionRow& optionRow(OptionKey key) { return kRows[static_cast<std::size_t>(key)]; }

QString optionName(OptionKey key) { return QLatin1String(optionRow(key).name); }

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

bool Options::boolean(OptionKey key) const
{
    const OptionRow& k = optionRow(key);
    const QString def = QLatin1String(k.defaultText);
    const QString name = optionName(key);
    const QString t = mTemperPub::GetOption(store_, name, def);
    if (const auto v = regional_.parseBoolean(t))
        return *v;
    qCWarning(lcOptions) << "setting" << name << "=" << t << "is not a Boolean - default" << def << "used";
    return *regional_.parseBoolean(def);
}

float Options::single(OptionKey key) const
{
    const OptionRow& k = optionRow(key);
    const QString def = QLatin1String(k.defaultText);
    const QString name = optionName(key);
    const QString t = mTemperPub::GetOption(store_, name, def);
    if (const auto v = OptionText::toSingle(t, regional_))
        return *v;
    qCWarning(lcOptions) << "setting" << name << "=" << t << "is not a number here - default" << def << "used";
    return def.toFloat();
}

qint64 Options::whole(OptionKey key, std::optional<qint64> defaultValue) const
{
    const OptionRow& k = optionRow(key);
    const QString def = defaultValue ? QString::number(*defaultValue) : QString(QLatin1String(k.defaultText));
    const QString name = optionName(key);
    const QString t = mTemperPub::GetOption(store_, name, def);
    const auto [lo, hi] = rangeOf(k.kind);
    if (k.kind == OptionKind::Format) {
        if (const std::optional<qint16> index = OptionText::toFormatIndex(t))
            return *index;
    } else if (const std::optional<qint64> v = regional_.parseWhole(t, lo, hi)) {
        return *v;
    }
    qCWarning(lcOptions) << "setting" << name << "=" << t << "does not convert - default" << def << "used";
    return def.toLongLong();
}

QString Options::text(OptionKey key, const QString& defaultText) const
{
    return mTemperPub::GetOption(store_, optionName(key), defaultText);
}

void Options::setBoolean(OptionKey key, bool on)
{
    setText(key, optionRow(key).kind == OptionKind::BoolWords ? OptionText::fromBoolWords(on) : OptionText::fromBool10(on));
}

void Options::setSingle(OptionKey key, float value) { setText(key, OptionText::fromSingle(value, regional_)); }

void Options::setWhole(OptionKey key, qint64 value) { setText(key, QString::number(value)); }

} // namespace tb
