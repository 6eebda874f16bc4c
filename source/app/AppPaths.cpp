#include "AppPaths.h"

namespace tb {

AppPaths InitPaths(const QString& programDir)
{
    AppPaths p;
    p.AppDir = programDir;
    if (!p.AppDir.endsWith(QLatin1Char('/')))
        p.AppDir += QLatin1Char('/');
    p.IniFile = p.AppDir + QStringLiteral("ThermoBadge.ini");
    p.PicDir = p.AppDir + QStringLiteral("FotoMark/");
    return p;
}

QString localPath(const QString& skinPath)
{
    QString p = skinPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p;
}

} // namespace tb
