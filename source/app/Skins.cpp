#include "app/Skins.h"

namespace tb {

QList<PicEntry> readPicList(INI_Class& ini, const QString& iniFile)
{
    int folders = 0;
    while (folders < kMaxSkinFolders &&
           !ini.ReadINIKey(QStringLiteral("Dir%1").arg(folders), QStringLiteral("Path"), iniFile, QString()).isEmpty())
        ++folders;
    QList<PicEntry> list;
    for (int g = 0; g < folders; ++g) {
        const QString section = QStringLiteral("Dir%1").arg(g);
        const QString folder = ini.ReadINIKey(section, QStringLiteral("Path"), iniFile, QString()) + QLatin1Char('\\');
        for (int m = 1; m <= kMaxPicturesPerFolder; ++m) {
            const QString value = ini.ReadINIKey(section, QStringLiteral("Pic%1").arg(m), iniFile, QString());
            if (value.isEmpty())
                break;
            list.append({folder + value.section(QLatin1Char('|'), 0, 0),
                         QStringLiteral("%1%2").arg(g, 2, 10, QLatin1Char('0')).arg(m, 2, 10, QLatin1Char('0'))});
        }
    }
    return list;
}

QString pictureCode(const QList<PicEntry>& list, const QString& sPicName)
{
    for (const PicEntry& e : list)
        if (e.sPath == sPicName)
            return e.sCode;
    return QStringLiteral("????");
}

QString zaprosPrefix(bool isMsWs, int major, int minor)
{
    return (isMsWs ? QStringLiteral("TbX_") : QStringLiteral("TbA_")) + QString::number(major) + QString::number(minor) + QLatin1Char('_');
}

} // namespace tb
