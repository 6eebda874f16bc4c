#include "Twips.h"

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

void placeTwips(QWidget* control, int left, int top, int width, int height)
{
    const QWidget* window = control->window();
    control->setGeometry(px(left, window), px(top, window), px(width, window), px(height, window));
}

QFont dialogFont(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace tb
