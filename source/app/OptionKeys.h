#pragma once

#include "Regional.h"
#include "SettingsStore.h"

#include <QString>

#include <optional>
#include <span>

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

// One row of the table of persisted settings keys (section "Options").
struct OptionKey {
    const char* name;
    const char* defaultText; // nullptr: the default depends on the moment it is read
    OptionKind kind;
};

// Every settings key the program keeps, with its default and conversion.
std::span<const OptionKey> optionKeys();
// The row of a key (names compare without regard to case), or nullptr.
const OptionKey* findOptionKey(QStringView name);

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

    bool boolean(const QString& key) const;
    float single(const QString& key) const;
    // Byte, Int16, Int32 and Format keys; `defaultValue` for keys whose default depends on the
    // moment ("Prov", the panel position).
    qint64 whole(const QString& key, std::optional<qint64> defaultValue = std::nullopt) const;
    QString text(const QString& key, const QString& defaultText = {}) const;

    void setBoolean(const QString& key, bool on);
    void setSingle(const QString& key, float value);
    void setWhole(const QString& key, qint64 value);
    void setText(const QString& key, const QString& value) { mTemperPub::SaveOption(store_, key, value); }
    void remove(const QString& key) { mTemperPub::DeleteOption(store_, key); }

    SettingsStore& store() const { return store_; }
    const Regional& regional() const { return regional_; }

private:
    const OptionKey& row(const QString& key) const;
    SettingsStore& store_;
    Regional regional_;
};

} // namespace tb
