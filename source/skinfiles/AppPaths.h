#pragma once

#include <QString>

namespace tb {

// The program folder and the skin files the program reads.
struct AppPaths {
    QString AppDir; // the program's folder, ending in "/"
    QString IniFile; // the skin list in use: AppDir + "ThermoBadge.ini", or the user's copy
    QString PicDir; // the picture folder in use: AppDir + "FotoMark/", or the user's copy
                    // (pictureFile() looks in the program folder's too)
    // The user's skin folder ($XDG_DATA_HOME/ThermoBadge/), ending in "/", when the program
    // folder is not writable (an installed program); empty when the program folder is used as
    // it is (the build tree).
    QString UserDir;
};

// Paths for the program folder `programDir` (a trailing separator is not doubled). Where the
// program folder is writable its skin list and pictures are used. Where it is not, the user's
// skin list in userSkinDir() is used when it is there and readable, with the user's FotoMark/
// when there is one (it then replaces the program folder's) and the program folder's otherwise;
// an unreadable copy is logged and passed over for the program folder's files.
AppPaths InitPaths(const QString& programDir);

// The same with the user's folder and the program folder's writability given, for tests.
AppPaths InitPaths(const QString& programDir, const QString& userDir, bool programDirWritable);

// $XDG_DATA_HOME/ThermoBadge/ (~/.local/share/ThermoBadge/ when the variable is unset or not
// absolute), ending in "/".
QString userSkinDir();

// The skin list a writer (the look editor) must write to. Where the program folder is used as
// it is, that is its ThermoBadge.ini. Otherwise it is the user's copy, created on this first
// call from the program folder's file; `paths.IniFile` then names it, so reads follow. Empty,
// and logged, when the user's copy cannot be made.
QString skinIniForWriting(AppPaths& paths);

// The file of a picture the skin list names ("Winter\\snow.png"), as `sPicFile` holds it: the
// user's copy in the user's FotoMark/ when there is one, else the program folder's. The user's
// pictures add to the program's, so a skin list copied from the program's keeps finding them.
QString pictureFile(const AppPaths& paths, const QString& picturePath);

// The picture folder a writer (the look editor) puts folders and pictures into, ending in "/":
// the program folder's where it is used as it is, else the user's FotoMark/.
QString picturesForWriting(const AppPaths& paths);

// A path from a skin file or a command, where "\" separates folders, as a local file path.
QString localPath(const QString& skinPath);

} // namespace tb
