#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

namespace tb {

// Reads values from skin INI files by the private-profile rules: section and key names
// compare without regard to case, the first matching section and key win, blanks around
// names and values and one pair of quotes around a value are removed, lines starting with
// ";" are comments, and a value is cut to 254 characters. Files are windows-1251 unless they
// start with a UTF-8 or UTF-16 byte-order mark. A parsed file is kept until it changes on disk.
class INI_Class {
public:
    // The value of the key, or `sDefValue` when the file, the section or the key is missing.
    QString ReadINIKey(const QString& Section, const QString& KeyName, const QString& FileName, const QString& sDefValue);

    // The longest value returned.
    static constexpr int kMaxValueLength = 254;
    // Files larger than this are not read (a skin list is a few kilobytes).
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    // Parsed content: lower-cased section name -> lower-cased key -> value (first ones only).
    using Sections = QHash<QString, QHash<QString, QString>>;
    static Sections parse(const QByteArray& bytes);

private:
    struct Cached {
        QDateTime modified;
        qint64 size = -1;
        Sections sections;
    };
    const Sections* load(const QString& fileName);
    QHash<QString, Cached> cache_;
};

} // namespace tb
