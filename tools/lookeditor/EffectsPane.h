#pragma once

#include "LookPane.h"

class QCheckBox;
class QSpinBox;

namespace tb {

class ColorButton;
class SliderRow;

// The shadow (on/off, colour, offset, opacity) and the outline (on/off, colour, width, fill
// over it) of the text.
class EffectsPane final : public LookPane {
public:
    explicit EffectsPane(QWidget* parent = nullptr);

protected:
    void display(const Look& look) override;

private:
    QCheckBox* shadow_;
    ColorButton* shadowColor_;
    QSpinBox* shadowX_;
    QSpinBox* shadowY_;
    SliderRow* shadowAlpha_;
    QCheckBox* outline_;
    ColorButton* outlineColor_;
    QSpinBox* outlineWidth_;
    QCheckBox* fillOver_;
};

} // namespace tb
