#include "PicturePane.h"

#include "SliderRow.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tb {

PicturePane::PicturePane(QWidget* parent)
    : LookPane(parent)
    , hue_(new SliderRow(-180, 180, QStringLiteral("°"), this))
    , saturation_(new SliderRow(0, 300, QStringLiteral(" %"), this))
    , intensity_(new SliderRow(0, 300, QStringLiteral(" %"), this))
    , brightness_(new SliderRow(-100, 100, QStringLiteral(" %"), this))
    , transparency_(new SliderRow(0, 100, QStringLiteral(" %"), this))
{
    hue_->setObjectName(QStringLiteral("hue"));
    saturation_->setObjectName(QStringLiteral("saturation"));
    transparency_->setObjectName(QStringLiteral("transparency"));
    auto* reset = new QPushButton(QCoreApplication::translate("PicturePane", "Исходные цвета"), this);
    reset->setObjectName(QStringLiteral("resetColours"));

    auto* grid = new QGridLayout(this);
    const std::pair<const char*, SliderRow*> rows[] = {
        {QT_TRANSLATE_NOOP("PicturePane", "Оттенок:"), hue_},
        {QT_TRANSLATE_NOOP("PicturePane", "Насыщенность:"), saturation_},
        {QT_TRANSLATE_NOOP("PicturePane", "Интенсивность:"), intensity_},
        {QT_TRANSLATE_NOOP("PicturePane", "Яркость:"), brightness_},
        {QT_TRANSLATE_NOOP("PicturePane", "Прозрачность:"), transparency_},
    };
    int row = 0;
    for (const auto& [caption, slider] : rows) {
        grid->addWidget(new QLabel(QCoreApplication::translate("PicturePane", caption), this), row, 0);
        grid->addWidget(slider, row++, 1);
    }
    grid->addWidget(reset, row++, 1, Qt::AlignRight);
    grid->setRowStretch(row, 1);

    hue_->changed = [this](int v) { edit([v](Look& l) { l.hue = v; }); };
    saturation_->changed = [this](int v) { edit([v](Look& l) { l.saturation = v; }); };
    intensity_->changed = [this](int v) { edit([v](Look& l) { l.intensity = v; }); };
    brightness_->changed = [this](int v) { edit([v](Look& l) { l.brightness = v; }); };
    transparency_->changed = [this](int v) { edit([v](Look& l) { l.transparency = v; }); };
    connect(reset, &QPushButton::clicked, this, [this] {
        const Look plain;
        edit([&plain](Look& l) {
            l.hue = plain.hue;
            l.saturation = plain.saturation;
            l.intensity = plain.intensity;
            l.brightness = plain.brightness;
            l.transparency = plain.transparency;
        });
    });
}

void PicturePane::display(const Look& look)
{
    hue_->setValue(look.hue);
    saturation_->setValue(look.saturation);
    intensity_->setValue(look.intensity);
    brightness_->setValue(look.brightness);
    transparency_->setValue(look.transparency);
}

} // namespace tb
