#include "SkinCatalog.h"

#include "platform/Codepage.h"
#include "platform/SafeFile.h"
#include "render/OverlayRenderer.h"
#include "skinfiles/AppPaths.h"
#include "skinfiles/INI_Class.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>

#include <algorithm>

namespace tb {

Q_LOGGING_CATEGORY(lcSkins, "thermobadge.editor.skins", QtInfoMsg)

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kSelected = QStringLiteral("Selected");
const QString kPath = QStringLiteral("Path");

QString dirSection(int number)
{
    return QStringLiteral("Dir%1").arg(number);
}

QString picKey(int number)
{
    return QStringLiteral("Pic%1").arg(number);
}

bool inCodePage(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u'?' || ansiCode(c) != '?'; });
}

} // namespace

QList<SkinFolder> SkinCatalog::folders() const
{
    // A fresh reader each time: its cache goes by size and time, which a quick rename of the
    // same length could fool.
    INI_Class ini;
    QList<SkinFolder> list;
    for (int g = 0; g < kMaxFolders; ++g) {
        const QString section = dirSection(g);
        const QString path = ini.ReadINIKey(section, kPath, paths_.IniFile, QString());
        if (path.isEmpty())
            break;
        SkinFolder folder {g, path, {}};
        for (int m = 1; m <= kMaxPictures; ++m) {
            const QString value = ini.ReadINIKey(section, picKey(m), paths_.IniFile, QString());
            if (value.isEmpty())
                break;
            const QString file = value.section(QLatin1Char('|'), 0, 0);
            const QString caption = value.contains(QLatin1Char('|')) ? value.section(QLatin1Char('|'), 1) : file;
            folder.pictures.append({file, caption.isEmpty() ? file : caption, path + QLatin1Char('\\') + file});
        }
        list.append(folder);
    }
    return list;
}

QString SkinCatalog::localFile(const QString& picturePath) const
{
    return localPath(pictureFile(paths_, picturePath));
}

QString SkinCatalog::folderDir(const QString& path) const
{
    return picturesForWriting(paths_) + localPath(path);
}

QString SkinCatalog::iniForWriting()
{
    return skinIniForWriting(paths_);
}

SkinCatalog::Change SkinCatalog::refused(IniWrite::Status status, const QString& message)
{
    qCWarning(lcSkins).noquote() << message;
    return {{status, message}, {}};
}

SkinCatalog::Change SkinCatalog::noUserList() const
{
    return refused(IniWrite::Status::CannotWrite,
        QCoreApplication::translate("SkinCatalog", "Нет места для списка шаблонов пользователя в %1.").arg(paths_.UserDir));
}

QString SkinCatalog::folderNameProblem(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QCoreApplication::translate("SkinCatalog", "Имя папки пустое.");
    if (name != name.trimmed())
        return QCoreApplication::translate("SkinCatalog", "Имя папки не может начинаться или кончаться пробелом.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QCoreApplication::translate("SkinCatalog", "Имя папки «%1» недопустимо.").arg(name);
    for (const QChar c : {u'/', u'\\', u'|'})
        if (name.contains(c))
            return QCoreApplication::translate("SkinCatalog", "Имя папки не может содержать знаки / \\ и |.");
    if (name.size() > 100)
        return QCoreApplication::translate("SkinCatalog", "Имя папки длиннее 100 знаков.");
    if (!inCodePage(name))
        return QCoreApplication::translate("SkinCatalog", "Имя папки содержит знаки, которых нет в кодировке windows-1251.");
    return {};
}

QString SkinCatalog::listableName(const QString& name)
{
    QString out = name.trimmed();
    for (QChar& c : out)
        if (c == u'|' || c == u'\\' || (c != u'?' && ansiCode(c) == '?'))
            c = u'_';
    return out;
}

SkinCatalog::Change SkinCatalog::addFolder(const QString& name)
{
    if (const QString problem = folderNameProblem(name); !problem.isEmpty())
        return refused(IniWrite::Status::BadValue, problem);
    const QList<SkinFolder> list = folders();
    if (list.size() >= kMaxFolders)
        return refused(IniWrite::Status::BadValue,
            QCoreApplication::translate("SkinCatalog", "В списке уже %1 папок, больше нельзя.").arg(kMaxFolders));
    for (const SkinFolder& f : list)
        if (f.path.compare(name, Qt::CaseInsensitive) == 0)
            return refused(IniWrite::Status::BadValue,
                QCoreApplication::translate("SkinCatalog", "Папка «%1» уже есть в списке.").arg(name));
    const QString ini = iniForWriting();
    if (ini.isEmpty())
        return noUserList();
    const QString dir = folderDir(name);
    if (!QDir().mkpath(dir))
        return refused(
            IniWrite::Status::CannotWrite, QCoreApplication::translate("SkinCatalog", "Не удалось создать папку %1.").arg(dir));
    return {WriteInIKey(dirSection(static_cast<int>(list.size())), kPath, name, ini), {}};
}

SkinCatalog::Change SkinCatalog::renameFolder(int number, const QString& newName)
{
    if (const QString problem = folderNameProblem(newName); !problem.isEmpty())
        return refused(IniWrite::Status::BadValue, problem);
    const QList<SkinFolder> list = folders();
    if (number < 0 || number >= list.size())
        return refused(
            IniWrite::Status::BadValue, QCoreApplication::translate("SkinCatalog", "Папки номер %1 нет в списке.").arg(number));
    const QString oldName = list[number].path;
    if (oldName == newName)
        return {};
    for (const SkinFolder& f : list)
        if (f.number != number && f.path.compare(newName, Qt::CaseInsensitive) == 0)
            return refused(IniWrite::Status::BadValue,
                QCoreApplication::translate("SkinCatalog", "Папка «%1» уже есть в списке.").arg(newName));

    const QString ini = iniForWriting();
    if (ini.isEmpty())
        return noUserList();
    const QString oldDir = folderDir(oldName), newDir = folderDir(newName);
    const bool moveOnDisk = QFileInfo(oldDir).isDir();
    if (moveOnDisk) {
        if (QFileInfo::exists(newDir) && QFileInfo(newDir).canonicalFilePath() != QFileInfo(oldDir).canonicalFilePath())
            return refused(IniWrite::Status::CannotWrite,
                QCoreApplication::translate("SkinCatalog", "Папка %1 уже существует.").arg(newDir));
        if (!QDir().rename(oldDir, newDir))
            return refused(IniWrite::Status::CannotWrite,
                QCoreApplication::translate("SkinCatalog", "Не удалось переименовать папку %1.").arg(oldDir));
    }
    // The program's pictures of a folder cannot move: the user's folder of the new name gets
    // copies of them, so that the renamed folder still shows them.
    QStringList copied;
    if (!paths_.UserDir.isEmpty()) {
        const QDir shipped(paths_.AppDir + QStringLiteral("FotoMark/") + localPath(oldName));
        const QStringList files = shipped.exists() ? shipped.entryList(QDir::Files) : QStringList();
        if (!files.isEmpty() && !QDir().mkpath(newDir))
            return refused(IniWrite::Status::CannotWrite,
                QCoreApplication::translate("SkinCatalog", "Не удалось создать папку %1.").arg(newDir));
        for (const QString& file : files) {
            const QString target = QDir(newDir).filePath(file);
            if (QFileInfo::exists(target))
                continue;
            if (!QFile::copy(shipped.filePath(file), target)) {
                for (const QString& c : copied)
                    QFile::remove(c);
                if (moveOnDisk)
                    QDir().rename(newDir, oldDir);
                return refused(IniWrite::Status::CannotWrite,
                    QCoreApplication::translate("SkinCatalog", "Не удалось скопировать %1 в %2.")
                        .arg(shipped.filePath(file), newDir));
            }
            copied << target;
        }
    }
    Change change {WriteInIKey(dirSection(number), kPath, newName, ini), {}};
    if (!change.ok()) {
        for (const QString& c : copied)
            QFile::remove(c);
        if (moveOnDisk)
            QDir().rename(newDir, oldDir); // the list still names the old folder
        return change;
    }
    // The saved look follows its picture into the renamed folder.
    const QString selected = INI_Class().ReadINIKey(kGeneral, kSelected, ini, QString());
    const QString oldPrefix = oldName + QLatin1Char('\\');
    if (selected.size() >= INI_Class::kMaxValueLength)
        qCWarning(lcSkins) << "Selected is too long to rewrite safely; it still names" << oldName;
    else if (selected.startsWith(oldPrefix))
        change.write = WriteInIKey(kGeneral, kSelected, newName + QLatin1Char('\\') + selected.mid(oldPrefix.size()), ini);
    return change;
}

SkinCatalog::Change SkinCatalog::addPicture(int number, const QString& sourceFile)
{
    const QList<SkinFolder> list = folders();
    if (number < 0 || number >= list.size())
        return refused(
            IniWrite::Status::BadValue, QCoreApplication::translate("SkinCatalog", "Папки номер %1 нет в списке.").arg(number));
    const SkinFolder& folder = list[number];
    if (folder.pictures.size() >= kMaxPictures)
        return refused(IniWrite::Status::BadValue,
            QCoreApplication::translate("SkinCatalog", "В папке «%1» уже %2 картинок, больше нельзя.")
                .arg(folder.path)
                .arg(kMaxPictures));
    // Read once, without blocking and with a bound (a FIFO or a device chosen by mistake must
    // not hold or fill the editor); what is checked is what gets copied.
    NamedFileRead picture = readNamedFile(sourceFile, OverlayRenderer::kMaxFileBytes);
    QBuffer pictureBytes(&picture.bytes);
    pictureBytes.open(QIODevice::ReadOnly);
    if (!picture.ok() || !QImageReader(&pictureBytes).canRead()) {
        if (!picture.problem.isEmpty())
            qCWarning(lcSkins).noquote() << picture.problem;
        return refused(IniWrite::Status::CannotRead,
            QCoreApplication::translate("SkinCatalog", "Файл %1 не удаётся прочитать как картинку.").arg(sourceFile));
    }

    const QString ini = iniForWriting();
    if (ini.isEmpty())
        return noUserList();
    const QFileInfo source(sourceFile);
    const QString dir = folderDir(folder.path);
    if (!QDir().mkpath(dir))
        return refused(
            IniWrite::Status::CannotWrite, QCoreApplication::translate("SkinCatalog", "Не удалось создать папку %1.").arg(dir));
    QString name = listableName(source.fileName());
    QString target = QDir(dir).filePath(name);
    const bool alreadyThere = QFileInfo(target).canonicalFilePath() == source.canonicalFilePath();
    for (int n = 2; !alreadyThere && QFileInfo::exists(target); ++n) {
        const QFileInfo plain(listableName(source.fileName()));
        const QString suffix = plain.suffix().isEmpty() ? QString() : QLatin1Char('.') + plain.suffix();
        name = QStringLiteral("%1 (%2)%3").arg(plain.completeBaseName()).arg(n).arg(suffix);
        target = QDir(dir).filePath(name);
    }
    QString problem;
    if (!alreadyThere && !saveFileSafely(target, picture.bytes, &problem)) {
        qCWarning(lcSkins).noquote() << problem;
        return refused(IniWrite::Status::CannotWrite,
            QCoreApplication::translate("SkinCatalog", "Не удалось скопировать %1 в %2.").arg(sourceFile, dir));
    }
    const QString caption = QFileInfo(name).completeBaseName();
    Change change {WriteInIKey(dirSection(number), picKey(static_cast<int>(folder.pictures.size()) + 1),
                       name + QLatin1Char('|') + caption, ini),
        folder.path + QLatin1Char('\\') + name};
    if (!change.ok() && !alreadyThere)
        QFile::remove(target); // not listed, so not kept
    return change;
}

} // namespace tb
