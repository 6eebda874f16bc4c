#include "dialogs/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tb {

int px(int twips, const QWidget* w)
{
    const QScreen* s = w && w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    const qreal dpi = s ? s->logicalDotsPerInch() : 96.0;
    return qRound(twips * dpi / 1440.0);
}

} // namespace tb
