#pragma once

#include "skinfiles/INI_Class.h"

#include <QList>
#include <QString>

namespace tb {

// One picture of the skin list.
struct PicEntry {
    QString sPath; // relative to the picture folder: "Winter\snow.png"
    QString sCode; // folder and picture number, two digits each: "0001"
};

inline constexpr int kMaxSkinFolders = 41;      // Dir0 to Dir40
inline constexpr int kMaxPicturesPerFolder = 80; // Pic1 to Pic80

// Reads the skin list: folders "Dir0", "Dir1", ... until the first without a "Path", each
// with "Pic1", "Pic2", ... until the first empty one; the part of a picture value before its
// first "|" is the file name.
QList<PicEntry> readPicList(INI_Class& ini, const QString& iniFile);

// The four-digit code of the picture, or "????" when the list does not hold it (compared
// exactly, letter case included; the first entry wins).
QString pictureCode(const QList<PicEntry>& list, const QString& sPicName);

// "TbX_" + major + minor + "_": the request word's prefix for this program version.
QString zaprosPrefix(bool isMsWs, int major, int minor);

} // namespace tb
