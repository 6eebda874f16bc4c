#pragma once

#include <QByteArray>
#include <QString>

namespace tb {

// The single-byte code page (windows-1251) used at the program's edges: datagrams, skin files,
// the command channel wire. One character is one byte; characters the code page lacks
// become "?".
QByteArray toAnsi(QStringView text);
QString fromAnsi(QByteArrayView bytes);
// The code of one character in the code page ("?" for characters it lacks).
unsigned char ansiCode(QChar c);

} // namespace tb
