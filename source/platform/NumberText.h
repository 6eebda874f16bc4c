#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tb {

// `s` with its first "," replaced by "." (or the reverse); unchanged when there is none.
QString CommaToDot(QString s);
QString DotToComma(QString s);

// Reads a number the lenient way: blanks, tabs and line feeds anywhere are skipped, an
// optional sign, digits and at most one "." are read up to the first character that cannot
// continue the number; text without a leading number gives 0. Nothing when the number does
// not fit a double.
std::optional<double> LenientVal(QStringView text);

} // namespace tb
