#pragma once

#include "WriteInIKey.h"
#include "skinfiles/AppPaths.h"

#include <QList>
#include <QString>

namespace tb {

// One picture of a skin folder, as the skin list names it.
struct SkinPicture {
    QString file; // file name inside the folder
    QString caption; // the text after the first "|", or the file name
    QString path; // folder "\" file: how "A=" and "P=" name it
};

// One skin folder: section "Dir" + number of the skin list, a sub-folder of the picture folder.
struct SkinFolder {
    int number = 0;
    QString path; // the "Path" value: a folder name, "\" between nested folders
    QList<SkinPicture> pictures;
};

// The skin folders and pictures of ThermoBadge.ini, and the changes the editor makes to them.
// Reading follows the indicator's rules (folders Dir0, Dir1, ... up to the first without a
// "Path"; pictures Pic1, Pic2, ... up to the first empty one, 80 at most), so whatever the
// editor lists is what the indicator knows. Every change writes one key with WriteInIKey.
//
// In an installed program (a program folder the user cannot write) every change goes to the
// user's copy under $XDG_DATA_HOME/ThermoBadge/: the skin list is copied there on the first
// change and read from there afterwards, and new folders and pictures go to the user's
// FotoMark/, beside the program's pictures, which stay in use.
class SkinCatalog {
public:
    // The skin list and pictures of `paths`, which the catalog follows and updates (the user's
    // copy of the skin list, once made, is the one read); `paths` must outlive the catalog.
    explicit SkinCatalog(AppPaths& paths)
        : paths_(paths)
    {
    }
    // A skin list and picture folder used as they are (a writable program folder).
    SkinCatalog(QString iniFile, QString picDir)
        : own_ {QString(), std::move(iniFile), std::move(picDir), QString()}
        , paths_(own_)
    {
    }
    SkinCatalog(const SkinCatalog&) = delete;
    SkinCatalog& operator=(const SkinCatalog&) = delete;

    const QString& iniFile() const { return paths_.IniFile; }
    const QString& picDir() const { return paths_.PicDir; }

    // The folders and pictures as the file lists them now.
    QList<SkinFolder> folders() const;
    // The picture file on this computer for a path of the list ("Winter\snow.png").
    QString localFile(const QString& picturePath) const;

    // Outcome of a change: the INI write, and the picture path it made (addPicture).
    struct Change {
        IniWrite write;
        QString picturePath;
        bool ok() const { return write.ok(); }
    };

    // A new folder after the last one: its sub-folder is made and "Path" written.
    Change addFolder(const QString& name);
    // Renames the folder on disk and in the list; a look naming a picture in it follows.
    Change renameFolder(int number, const QString& newName);
    // Copies the picture into the folder and lists it as the next "Pic" + number, with its file
    // name (without extension) as the caption. A file of that name already there is kept: the
    // copy gets a free name ("sun (2).png").
    Change addPicture(int number, const QString& sourceFile);

    // A folder name the list can hold, or a reason in Russian why not.
    static QString folderNameProblem(const QString& name);
    // The name a picture gets in the list: characters windows-1251 lacks, "|" and "\" become "_".
    static QString listableName(const QString& name);

    static constexpr int kMaxFolders = 41;
    static constexpr int kMaxPictures = 80;

private:
    static Change refused(IniWrite::Status status, const QString& message);
    // Refused: the user's skin list cannot be made.
    Change noUserList() const;
    // Where a folder of the list is written to.
    QString folderDir(const QString& path) const;
    // The skin list to write to, made on the first change in an installed program; empty when
    // it cannot be made.
    QString iniForWriting();

    AppPaths own_;
    AppPaths& paths_;
};

} // namespace tb
