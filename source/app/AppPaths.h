#pragma once

#include <QString>

namespace tb {

// The program folder and the skin files in it.
struct AppPaths {
    QString AppDir;  // the program's folder, ending in "/"
    QString IniFile; // AppDir + "ThermoBadge.ini"
    QString PicDir;  // AppDir + "FotoMark/"
};

// Paths for the program folder `programDir` (a trailing separator is not doubled).
AppPaths InitPaths(const QString& programDir);

// A path from a skin file or a command, where "\" separates folders, as a local file path.
QString localPath(const QString& skinPath);

} // namespace tb
