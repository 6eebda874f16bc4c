#include "EffectsPane.h"

#include "ColorButton.h"
#include "SliderRow.h"
#include "TitledFrame.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace tb {

namespace {

QSpinBox* pixelBox(int minimum, int maximum, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setSuffix(QCoreApplication::translate("EffectsPane", " пикс."));
    return box;
}

int rounded(double v)
{
    return static_cast<int>(std::lround(v));
}

} // namespace

EffectsPane::EffectsPane(QWidget* parent)
    : LookPane(parent)
{
    auto* shadowBox = new TitledFrame(QCoreApplication::translate("EffectsPane", "Тень"), this);
    shadow_ = new QCheckBox(QCoreApplication::translate("EffectsPane", "Рисовать тень"), shadowBox);
    shadowColor_ = new ColorButton(QCoreApplication::translate("EffectsPane", "Цвет тени..."),
        QCoreApplication::translate("EffectsPane", "Цвет тени"), shadowBox);
    shadowX_ = pixelBox(-200, 200, shadowBox);
    shadowY_ = pixelBox(-200, 200, shadowBox);
    shadowAlpha_ = new SliderRow(0, 255, QString(), shadowBox);
    shadow_->setObjectName(QStringLiteral("shadow"));
    shadowAlpha_->setObjectName(QStringLiteral("shadowAlpha"));
    QGridLayout* s = shadowBox->body();
    s->addWidget(shadow_, 0, 0, 1, 2);
    s->addWidget(shadowColor_, 0, 2, 1, 2, Qt::AlignLeft);
    s->addWidget(new QLabel(QCoreApplication::translate("EffectsPane", "Сдвиг вправо:"), shadowBox), 1, 0);
    s->addWidget(shadowX_, 1, 1);
    s->addWidget(new QLabel(QCoreApplication::translate("EffectsPane", "Сдвиг вверх:"), shadowBox), 1, 2);
    s->addWidget(shadowY_, 1, 3);
    s->addWidget(new QLabel(QCoreApplication::translate("EffectsPane", "Непрозрачность:"), shadowBox), 2, 0);
    s->addWidget(shadowAlpha_, 2, 1, 1, 3);
    s->setColumnStretch(3, 1);

    auto* outlineBox = new TitledFrame(QCoreApplication::translate("EffectsPane", "Контур"), this);
    outline_ = new QCheckBox(QCoreApplication::translate("EffectsPane", "Обводить контур"), outlineBox);
    outlineColor_ = new ColorButton(QCoreApplication::translate("EffectsPane", "Цвет контура..."),
        QCoreApplication::translate("EffectsPane", "Цвет контура"), outlineBox);
    outlineWidth_ = pixelBox(0, 50, outlineBox);
    fillOver_ = new QCheckBox(QCoreApplication::translate("EffectsPane", "Заливка поверх контура"), outlineBox);
    outline_->setObjectName(QStringLiteral("outline"));
    outlineWidth_->setObjectName(QStringLiteral("outlineWidth"));
    QGridLayout* o = outlineBox->body();
    o->addWidget(outline_, 0, 0, 1, 2);
    o->addWidget(outlineColor_, 0, 2, Qt::AlignLeft);
    o->addWidget(new QLabel(QCoreApplication::translate("EffectsPane", "Толщина:"), outlineBox), 1, 0);
    o->addWidget(outlineWidth_, 1, 1);
    o->addWidget(fillOver_, 2, 0, 1, 3);
    o->setColumnStretch(2, 1);

    auto* column = new QVBoxLayout(this);
    column->addWidget(shadowBox);
    column->addWidget(outlineBox);
    column->addStretch();

    connect(shadow_, &QCheckBox::toggled, this, [this](bool on) { edit([on](Look& l) { l.shadow = on; }); });
    shadowColor_->picked = [this](qint32 rgb) { edit([rgb](Look& l) { l.shadowColor = rgb; }); };
    connect(shadowX_, &QSpinBox::valueChanged, this, [this](int v) { edit([v](Look& l) { l.shadowX = v; }); });
    connect(shadowY_, &QSpinBox::valueChanged, this, [this](int v) { edit([v](Look& l) { l.shadowY = v; }); });
    shadowAlpha_->changed = [this](int v) { edit([v](Look& l) { l.shadowAlpha = v; }); };
    connect(outline_, &QCheckBox::toggled, this, [this](bool on) { edit([on](Look& l) { l.outline = on; }); });
    outlineColor_->picked = [this](qint32 rgb) { edit([rgb](Look& l) { l.outlineColor = rgb; }); };
    connect(outlineWidth_, &QSpinBox::valueChanged, this, [this](int v) { edit([v](Look& l) { l.outlineWidth = v; }); });
    connect(fillOver_, &QCheckBox::toggled, this, [this](bool on) { edit([on](Look& l) { l.fillOver = on; }); });
}

void EffectsPane::display(const Look& look)
{
    shadow_->setChecked(look.shadow);
    shadowColor_->setColor(look.shadowColor);
    shadowX_->setValue(rounded(look.shadowX));
    shadowY_->setValue(rounded(look.shadowY));
    shadowAlpha_->setValue(look.shadowAlpha);
    outline_->setChecked(look.outline);
    outlineColor_->setColor(look.outlineColor);
    outlineWidth_->setValue(look.outlineWidth);
    fillOver_->setChecked(look.fillOver);
}

} // namespace tb
