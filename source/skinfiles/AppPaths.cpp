#include "skinfiles/AppPaths.h"

#include "platform/SafeFile.h"
#include "skinfiles/INI_Class.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

namespace tb {

Q_LOGGING_CATEGORY(lcPaths, "thermobadge.paths", QtInfoMsg)

namespace {

const QString kIniName = QStringLiteral("ThermoBadge.ini");
const QString kPicFolder = QStringLiteral("FotoMark/");

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

// The user's copy of the skin list can be used: it is there and reads as a regular file.
bool usableFile(const QString& path)
{
    const NamedFileRead read = readNamedFile(path, INI_Class::kMaxFileSize);
    if (read.outcome == NamedFileRead::Outcome::Missing)
        return false;
    if (read.ok())
        return true;
    qCWarning(lcPaths).noquote() << "cannot read the user's skin list:" << read.problem << "- the program folder's is used";
    return false;
}

bool usableFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    if (info.isDir() && info.isReadable() && info.isExecutable())
        return true;
    qCWarning(lcPaths).noquote() << "cannot read the user's picture folder" << path << "- the program folder's is used";
    return false;
}

} // namespace

AppPaths InitPaths(const QString& programDir, const QString& userDir, bool programDirWritable)
{
    AppPaths p;
    p.AppDir = withSlash(programDir);
    p.IniFile = p.AppDir + kIniName;
    p.PicDir = p.AppDir + kPicFolder;
    if (programDirWritable || userDir.isEmpty())
        return p;
    p.UserDir = withSlash(userDir);
    // The pictures go with the skin list that names them.
    if (usableFile(p.UserDir + kIniName)) {
        p.IniFile = p.UserDir + kIniName;
        if (usableFolder(p.UserDir + kPicFolder))
            p.PicDir = p.UserDir + kPicFolder;
    }
    qCInfo(lcPaths).noquote() << "the program folder" << p.AppDir << "is not writable: skin list" << p.IniFile << "pictures"
                              << p.PicDir;
    return p;
}

AppPaths InitPaths(const QString& programDir)
{
    return InitPaths(programDir, userSkinDir(), QFileInfo(programDir).isWritable());
}

QString userSkinDir()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(data))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return withSlash(data) + QStringLiteral("ThermoBadge/");
}

QString skinIniForWriting(AppPaths& paths)
{
    if (paths.UserDir.isEmpty())
        return paths.IniFile;
    const QString copy = paths.UserDir + kIniName;
    if (QFileInfo::exists(copy)) {
        paths.IniFile = copy;
        return copy;
    }
    if (!QDir().mkpath(paths.UserDir)) {
        qCWarning(lcPaths).noquote() << "cannot create the user's skin folder" << paths.UserDir
                                     << "- the skin list is not written";
        return {};
    }
    const QString original = paths.AppDir + kIniName;
    if (QFileInfo::exists(original)) {
        QFile source(original);
        if (!source.copy(copy)) {
            qCWarning(lcPaths).noquote() << "cannot copy" << original << "to" << copy << "-" << source.errorString()
                                         << "- the skin list is not written";
            return {};
        }
        // The copy belongs to the user, whatever the installed file's mode was.
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        qCInfo(lcPaths).noquote() << "the user's skin list" << copy << "was made from" << original;
    }
    paths.IniFile = copy;
    return copy;
}

QString pictureFile(const AppPaths& paths, const QString& picturePath)
{
    if (paths.UserDir.isEmpty())
        return paths.PicDir + picturePath;
    const QString mine = paths.UserDir + kPicFolder + picturePath;
    if (QFileInfo::exists(localPath(mine)))
        return mine;
    return paths.AppDir + kPicFolder + picturePath;
}

QString picturesForWriting(const AppPaths& paths)
{
    return paths.UserDir.isEmpty() ? paths.PicDir : paths.UserDir + kPicFolder;
}

QString localPath(const QString& skinPath)
{
    QString p = skinPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

} // namespace tb
