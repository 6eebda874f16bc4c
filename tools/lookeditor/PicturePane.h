#pragma once

#include "LookPane.h"

namespace tb {

class SliderRow;

// The colours of the skin picture: hue, saturation, intensity, brightness and transparency,
// and a button that puts all five back to the picture's own colours.
class PicturePane final : public LookPane {
public:
    explicit PicturePane(QWidget* parent = nullptr);

protected:
    void display(const Look& look) override;

private:
    SliderRow* hue_;
    SliderRow* saturation_;
    SliderRow* intensity_;
    SliderRow* brightness_;
    SliderRow* transparency_;
};

} // namespace tb
