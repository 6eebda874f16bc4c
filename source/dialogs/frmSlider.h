#pragma once

#include "render/OverlayStyle.h"
#include "settings/OptionKeys.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QScrollBar;

namespace tb {

// The drawing parameters the scale and transparency panel edits in place. They belong to the
// main window (frmMain::sliderTarget()).
struct SliderTarget {
    OverlayStyle& style; // fScaleOn, nScaleX, nScaleY
    quint8& Trans; // 0 to 210
    bool& TransOn;
    bool& ScaleAutoOff;
    bool& fSliderOpen; // true from the end of loading until the panel closes
    qint16& nSliderFocus; // first focus: 0 transparency bar, 1 width bar
    std::function<void()> redraw; // the main window's redraw without picture change
};

// The panel's controls, by the names they are known by.
struct SliderControls {
    QGroupBox* framTrans = nullptr;
    QScrollBar* scrlTrans = nullptr;
    QCheckBox* chkTrans = nullptr;
    QLabel* lblTrans = nullptr;
    QGroupBox* framScale = nullptr;
    std::array<QLabel*, 3> lbl {}; // lbl(1) width, lbl(2) height; 0 unused
    std::array<QScrollBar*, 2> scrlScale {};
    std::array<QLabel*, 2> lblScale {};
    QCheckBox* chkScale = nullptr;
    QCheckBox* chkScaleSinc = nullptr;
    QCheckBox* chkScaleAutoOff = nullptr;
};

// The scale and transparency panel: adjusts the overlay's scale (25 to 300 %, width and
// height) and the window's transparency live, each with an on/off switch. Modal to its owner,
// the main window; one instance lives for the run and keeps its fields between openings.
class frmSlider final : public QDialog {
public:
    static constexpr int kScaleMin = 25;
    static constexpr int kScaleMax = 300;
    static constexpr int kTransMax = 210;

    frmSlider(SliderTarget target, Options& options, QWidget* owner);
    // Loads the values and shows the panel without waiting (modal to the owner). While the
    // panel is open it is only brought to the front.
    void open() override;

    // Esc (27) closes the panel; other keys are left to the controls.
    void Form_KeyDown(int keyCode);
    // Writes the position and the three switch keys; the panel counts as closed afterwards.
    void Form_Unload();

    QScrollBar* scrlTrans() const { return c_.scrlTrans; }
    QScrollBar* scrlScale(int i) const { return c_.scrlScale.at(std::size_t(i)); }
    QCheckBox* chkTrans() const { return c_.chkTrans; }
    QCheckBox* chkScale() const { return c_.chkScale; }
    QCheckBox* chkScaleSinc() const { return c_.chkScaleSinc; }
    QCheckBox* chkScaleAutoOff() const { return c_.chkScaleAutoOff; }
    QLabel* lblTrans() const { return c_.lblTrans; }
    QLabel* lblScale(int i) const { return c_.lblScale.at(std::size_t(i)); }
    QGroupBox* framTrans() const { return c_.framTrans; }
    QGroupBox* framScale() const { return c_.framScale; }
    bool fLoaded() const { return fLoaded_; }
    bool fActivated() const { return fActivated_; }
    qint16 nLastScaleIdx() const { return nLastScaleIdx_; }

protected:
    void done(int result) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    void resetControls();
    void Form_Load();
    void Form_Activate();
    void clampSharedValues();
    QPoint defaultPosition(QSize outer) const;
    std::optional<QPoint> storedPosition(QPoint fallback, QSize outer) const;
    QSize outerSize() const;
    qreal twipsPerPixel() const;

    void scrlScale_Scroll(int index);
    void scrlScale_Change(int index) { scrlScale_Scroll(index); }
    void scrlTrans_Scroll();
    void scrlTrans_Change() { scrlTrans_Scroll(); }
    void chkScale_Click();
    void chkTrans_Click();
    void chkScaleSinc_Click();
    void chkScaleAutoOff_Click();
    void lblScale_Click(int index);
    void lblTrans_Click();

    SliderTarget target_;
    Options& options_;
    QWidget* owner_;

    SliderControls c_;

    bool fLoaded_ = false;
    bool fActivated_ = false;
    qint16 nLastScaleIdx_ = 0;
    bool open_ = false; // loaded and not yet unloaded
    bool placedByDefault_ = false;
    int nestedScale_ = 0; // the other bar follows inside the handler
};

} // namespace tb
