#pragma once

#include "OptionKeys.h"
#include "OverlayStyle.h"

#include <QDialog>

#include <functional>

namespace tb {

// The drawing parameters the scale and transparency panel edits in place. They belong to the
// main window (frmMain::sliderTarget()).
struct SliderTarget {
    OverlayStyle& style;  // fScaleOn, nScaleX, nScaleY
    quint8& Trans;        // 0 to 210
    bool& TransOn;
    bool& ScaleAutoOff;
    bool& fSliderOpen;    // true from the end of loading until the panel closes
    qint16& nSliderFocus; // first focus: 0 transparency bar, 1 width bar
    std::function<void()> redraw; // the main window's redraw without picture change
};

// The scale and transparency panel: adjusts the overlay's scale (25 to 300 %, width and
// height) and the window's transparency live, each with an on/off switch. Modal to its owner,
// the main window; one instance lives for the run and keeps its fields between openings.
class frmSlider final : public QDialog {
public:
    frmSlider(SliderTarget target, Options& options, QWidget* owner);
    // Loads the values and shows the panel without waiting (modal to the owner).
    void open() override;
};

} // namespace tb
