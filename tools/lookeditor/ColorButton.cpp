#include "ColorButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace tb {

ColorButton::ColorButton(const QString& caption, const QString& dialogTitle, QWidget* parent)
    : QPushButton(caption, parent)
    , dialogTitle_(dialogTitle)
{
    setIconSize(QSize(16, 16));
    setColor(0);
    connect(this, &QPushButton::clicked, this, &ColorButton::choose);
}

void ColorButton::setColor(qint32 rgb)
{
    color_ = rgb & 0xFFFFFF;
    QPixmap swatch(iconSize());
    swatch.fill(QColor::fromRgb(static_cast<QRgb>(color_)));
    QPainter p(&swatch);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    p.end();
    setIcon(QIcon(swatch));
}

void ColorButton::choose()
{
    const qint32 before = color_;
    QColorDialog dialog(QColor::fromRgb(static_cast<QRgb>(before)), this);
    dialog.setWindowTitle(dialogTitle_);
    // Qt's own dialog reports every colour as it is pointed at; a desktop's may not.
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    connect(&dialog, &QColorDialog::currentColorChanged, this, [this](const QColor& c) {
        if (!c.isValid())
            return;
        setColor(static_cast<qint32>(c.rgb() & 0xFFFFFF));
        if (picked)
            picked(color_);
    });
    if (dialog.exec() == QDialog::Accepted) {
        setColor(static_cast<qint32>(dialog.selectedColor().rgb() & 0xFFFFFF));
        if (picked)
            picked(color_);
        return;
    }
    setColor(before);
    if (picked)
        picked(before);
}

} // namespace tb
