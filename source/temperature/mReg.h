#pragma once

#include "platform/RegistryStore.h"

#include <QList>
#include <QString>

#include <utility>

// The registry routines on string values: read, write (one or several), delete one value.
namespace tb::mReg {

// Reads a string value. False when the key or the value is missing, leaving `text` as it was;
// a value of another type reads as success with an empty text.
bool RegReadStr(const RegistryStore& store, RegRoot root, const QString& subKey, const QString& valueName, QString& text);
// Creates the key when needed and writes the text as a string value; false when it cannot.
bool RegWriteStr(RegistryStore& store, RegRoot root, const QString& subKey, const QString& valueName, const QString& text);
// Writes several string values of one key as one change of the store (all old or all new after
// a crash); false when it cannot.
bool RegWriteStrs(RegistryStore& store, RegRoot root, const QString& subKey, const QList<std::pair<QString, QString>>& values);
// Deletes one value of an existing key; false when the key or value is missing or it cannot.
bool RegDelValue(RegistryStore& store, RegRoot root, const QString& subKey, const QString& valueName);

} // namespace tb::mReg
