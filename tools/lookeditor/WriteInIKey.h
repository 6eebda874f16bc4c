#pragma once

#include <QByteArray>
#include <QString>

namespace tb {

// What became of one write to a skin INI file.
struct IniWrite {
    enum class Status { Written, BadName, BadValue, ReadOnly, TooLarge, CannotRead, CannotWrite };
    Status status = Status::Written;
    QString message; // for the user, in Russian; empty when written

    bool ok() const { return status == Status::Written; }
};

// Writes one value into a skin INI file the way the indicator's reader finds it again: the
// first section and the first key of those names (letter case aside) get the value; a missing
// key is added after the section's last key, a missing section at the end of the file. Every
// other byte of the file stays as it was: comments, other keys, blank lines, line ends and the
// encoding (windows-1251, or UTF-8 / UTF-16 when the file starts with their byte-order mark).
// A value with blanks around it or in quotes is written in quotes so it reads back unchanged.
// The file is replaced atomically (a temporary file renamed over it) and keeps its permissions;
// a read-only file, or one the folder does not let us replace, is left untouched.
IniWrite WriteInIKey(const QString& Section, const QString& KeyName, const QString& KeyValue, const QString& FileName);

// The content `file` would have after the write; the status is BadName or BadValue when the
// names or the value cannot be written (a line break, "]" in a section, "=" in a key).
IniWrite::Status setIniValue(QByteArray& file, const QString& section, const QString& key, const QString& value);

} // namespace tb
