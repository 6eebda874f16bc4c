#include "dialogs/DialogLook.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace tb {

namespace {

QFont face(const QString& family, QFont::StyleHint hint, qreal pointSize, bool bold)
{
    QFont font(family);
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

QFont dialogFont(qreal pointSize, bool bold)
{
    return face(QStringLiteral("Liberation Sans"), QFont::SansSerif, pointSize, bold);
}

QFont dialogSerifFont(qreal pointSize, bool bold)
{
    return face(QStringLiteral("Liberation Serif"), QFont::Serif, pointSize, bold);
}

void setDialogFace(QWidget* dialog, const QFont& font)
{
    QPalette back = dialog->palette();
    back.setColor(QPalette::Window, QColor::fromRgba(kDialogBackground));
    dialog->setPalette(back);
    dialog->setAutoFillBackground(true);
    dialog->setFont(font);
}

void setLook(QWidget* w, const ControlLook& look)
{
    if (look.points > 0)
        w->setFont(look.serif ? dialogSerifFont(look.points, look.bold) : dialogFont(look.points, look.bold));
    if (!look.text && !look.fill && !look.face)
        return;
    QPalette pal = w->palette();
    if (look.text) {
        pal.setColor(QPalette::WindowText, QColor::fromRgba(look.text));
        if (look.everyRole) {
            pal.setColor(QPalette::Text, QColor::fromRgba(look.text));
            pal.setColor(QPalette::ButtonText, QColor::fromRgba(look.text));
        }
    }
    if (look.fill) {
        pal.setColor(QPalette::Window, QColor::fromRgba(look.fill));
        if (look.everyRole) {
            pal.setColor(QPalette::Base, QColor::fromRgba(look.fill));
            pal.setColor(QPalette::Button, QColor::fromRgba(look.fill));
        }
        w->setBackgroundRole(QPalette::Window); // buttons fill with the Button role otherwise
        w->setAutoFillBackground(true);
    }
    if (look.face)
        pal.setColor(QPalette::Button, QColor::fromRgba(look.face));
    w->setPalette(pal);
}

void growToFit(QWidget* w, const QString& text)
{
    const QSize need = w->fontMetrics().boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextShowMnemonic, text).size();
    QSize room = w->size();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = button->text();
        const QStyle::SubElement contents = qobject_cast<QCheckBox*>(w) ? QStyle::SE_CheckBoxContents
            : qobject_cast<QRadioButton*>(w)                            ? QStyle::SE_RadioButtonContents
                                                                        : QStyle::SE_PushButtonContents;
        room = w->style()->subElementRect(contents, &opt, w).size();
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        room = label->contentsRect().size();
    }
    w->resize(w->width() + qMax(0, need.width() - room.width()), w->height() + qMax(0, need.height() - room.height()));
}

} // namespace tb
