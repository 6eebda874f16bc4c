#pragma once

#include "platform/Regional.h"
#include "platform/SettingsStore.h"

#include <QString>

#include <array>
#include <cstddef>
#include <optional>

namespace tb {

// How a key's text is read and written.
enum class OptionKind {
    Single,    // single-precision number in the regional format
    Byte,      // whole number 0 to 255
    Int16,     // 16-bit whole number
    Int32,     // 32-bit whole number
    Format,    // leading number with "." as decimal point, rounded half to even, 16-bit
    Bool10,    // Boolean written "1"/"0"
    BoolWords, // Boolean written "True"/"False"
    Text,      // kept as it is
};

// Every settings key the program keeps (section "Options"). Each enumerator is spelt exactly as
// the key is stored, so a reader finds "scX" in the INI file and OptionKey::scX in the code; a
// misspelt key does not compile.
enum class OptionKey : quint8 {
    scX,          // horizontal scale, percent
    scY,          // vertical scale, percent
    ScaleOn,      // scaling applied
    Trans,        // transparency 0 to 255
    TransOn,      // transparency applied
    ScaleAutoOff, // scaling switched off when the look changes (a box in the panel)
    ScaleSinc,    // both scales move together (a box in the panel)
    FrmSliderL,   // the panel's left, in twips
    FrmSliderT,   // the panel's top, in twips
    IndShow,      // the stale-reading marker shown
    IndPos,       // its corner, 0 to 5
    IndSize,      // its size, 0 to 5
    TmprFrmt,     // the temperature format index
    Show,         // the main window shown
    WinTop,       // the main window stays on top
    Sticky,       // the main window on every workspace
    PosMain,      // the main window's position, "left|top"
    PosOpt,       // the options dialog's position, "left|top"
    ARun,         // start at log-on
    VerChk,       // check for a new version
    Prov,         // the provider group; absent until the user chose one
    TrCif,        // tray icon: the digits (or the program icon)
    TrBold,       // tray icon: bold digits
    TrTrans,      // tray icon: transparent background
    TrCol0,       // tray icon colours, by the colour index of TrayLook::TrCol
    TrCol1,
    TrCol2,
    TrCol3,
    Town,         // the town chosen last, as shown
    TownAt,       // its coordinates, as written to the server's setup
    Lang,         // the interface language: "ru", "en", or empty for the desktop's
};

inline constexpr std::size_t kOptionKeyCount = std::size_t(OptionKey::Lang) + 1;

// The keys of the tray icon's colours, by colour index ("TrCol0" to "TrCol3").
inline constexpr std::array<OptionKey, 4> kTrColKeys{OptionKey::TrCol0, OptionKey::TrCol1, OptionKey::TrCol2, OptionKey::TrCol3};

// One row of the key table.
struct OptionRow {
    OptionKey key;
    const char* name;        // as stored
    const char* defaultText; // nullptr: the default depends on the moment it is read
    OptionKind kind;
};

// The row of a key.
const OptionRow& optionRow(OptionKey key);
// The name the key is stored under.
QString optionName(OptionKey key);

namespace mTemperPub {
// The stored text of the key, or `defaultText` when the key is absent.
QString GetOption(const SettingsStore& store, const QString& key, const QString& defaultText);
// Stores the text, creating the key when needed.
void SaveOption(SettingsStore& store, const QString& key, const QString& value);
// Removes the key; an absent key is fine.
void DeleteOption(SettingsStore& store, const QString& key);
} // namespace mTemperPub

// Conversions of stored texts. Each gives nothing when the text does not convert or is out of
// the type's range; the caller then uses the key's default.
namespace OptionText {
std::optional<float> toSingle(QStringView text, const Regional& regional);
std::optional<qint16> toFormatIndex(QStringView text);
QString fromBool10(bool on);
QString fromBoolWords(bool on);
QString fromSingle(float value, const Regional& regional);
} // namespace OptionText

// Typed reads and writes of the settings keys by the table's rules: a missing key or a text
// that does not convert gives the key's default (logged).
class Options {
public:
    Options(SettingsStore& store, Regional regional) : store_(store), regional_(std::move(regional)) {}

    bool boolean(OptionKey key) const;
    float single(OptionKey key) const;
    // Byte, Int16, Int32 and Format keys; `defaultValue` for keys whose default depends on the
    // moment ("Prov", the panel position).
    qint64 whole(OptionKey key, std::optional<qint64> defaultValue = std::nullopt) const;
    QString text(OptionKey key, const QString& defaultText = {}) const;

    void setBoolean(OptionKey key, bool on);
    void setSingle(OptionKey key, float value);
    void setWhole(OptionKey key, qint64 value);
    void setText(OptionKey key, const QString& value) { mTemperPub::SaveOption(store_, optionName(key), value); }
    void remove(OptionKey key) { mTemperPub::DeleteOption(store_, optionName(key)); }

    SettingsStore& store() const { return store_; }
    const Regional& regional() const { return regional_; }

private:
    SettingsStore& store_;
    Regional regional_;
};

} // namespace tb
