#include "SliderRow.h"

#include <QHBoxLayout>
#include <QSlider>
#include <QSpinBox>

#include <cmath>

namespace tb {

SliderRow::SliderRow(int minimum, int maximum, const QString& suffix, QWidget* parent)
    : QWidget(parent)
    , slider_(new QSlider(Qt::Horizontal, this))
    , box_(new QSpinBox(this))
{
    slider_->setRange(minimum, maximum);
    slider_->setMinimumWidth(160);
    box_->setRange(minimum, maximum);
    box_->setSuffix(suffix);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(slider_, 1);
    row->addWidget(box_);
    connect(slider_, &QSlider::valueChanged, box_, &QSpinBox::setValue);
    connect(box_, &QSpinBox::valueChanged, this, [this](int v) {
        slider_->setValue(v);
        if (!setting_ && changed)
            changed(v);
    });
}

int SliderRow::value() const
{
    return box_->value();
}

void SliderRow::setValue(double value)
{
    setting_ = true;
    box_->setValue(static_cast<int>(std::lround(value)));
    setting_ = false;
}

} // namespace tb
