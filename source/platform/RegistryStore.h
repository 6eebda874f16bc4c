#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tb {

// The two registry roots the program uses, with their predefined handle values.
enum class RegRoot : quint32 {
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
};

// Value types, numbered as the registry numbers them.
enum class RegType : quint32 {
    String = 1, // REG_SZ
    Binary = 3, // REG_BINARY
    Dword = 4,  // REG_DWORD
};

// One stored value: a string for RegType::String, raw bytes for the other types.
struct RegValue {
    RegType type = RegType::String;
    QString text;
    QByteArray bytes;

    static RegValue string(const QString& s) { return {RegType::String, s, {}}; }
    static RegValue dword(quint32 v);
    // Data size as the registry reports it: a string counts its code-page bytes plus the
    // terminating NUL, so even an empty string has a size.
    qint64 dataSize() const;
    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// A value with its name, for writing several values of one key at once.
struct RegNamedValue {
    QString name;
    RegValue value;
};

// A hierarchical store of keys holding named, typed values. Key paths use "\" between
// parts; key paths and value names compare without regard to case.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    // Whether the key exists (an existing key may hold no values).
    virtual bool keyExists(RegRoot root, const QString& path) const = 0;
    // The value, or nothing when the key or the value is missing.
    virtual std::optional<RegValue> value(RegRoot root, const QString& path, const QString& name) const = 0;
    // Opens or creates the key; false when the store cannot be written.
    virtual bool createKey(RegRoot root, const QString& path) = 0;
    // Creates the key when needed and sets the value; false when the store cannot be written.
    virtual bool setValue(RegRoot root, const QString& path, const QString& name, const RegValue& value) = 0;
    // Deletes one value; false when the key or the value is missing or the store cannot be written.
    virtual bool deleteValue(RegRoot root, const QString& path, const QString& name) = 0;
    // Creates the key when needed and sets the values as one change: a store kept in a file
    // writes it once, so a crash leaves all of them old or all of them new. By default, one
    // value after another.
    virtual bool setValues(RegRoot root, const QString& path, const QList<RegNamedValue>& values);
};

// Key path in the form the stores keep: parts joined by one "\", no leading or trailing "\".
QString normalizeKeyPath(const QString& path);

} // namespace tb
