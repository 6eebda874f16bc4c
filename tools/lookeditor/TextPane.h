#pragma once

#include "LookPane.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace tb {

class ColorButton;

// The text of the look: font family (the installed ones), size, bold, italic, underline,
// colour, fill and the offset from the centre of the picture.
class TextPane final : public LookPane {
public:
    explicit TextPane(QWidget* parent = nullptr);

protected:
    void display(const Look& look) override;

private:
    QComboBox* family_;
    QDoubleSpinBox* size_;
    QCheckBox* bold_;
    QCheckBox* italic_;
    QCheckBox* underline_;
    ColorButton* color_;
    QCheckBox* fill_;
    QSpinBox* x_;
    QSpinBox* y_;
};

} // namespace tb
