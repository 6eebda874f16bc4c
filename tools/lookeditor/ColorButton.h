#pragma once

#include <QPushButton>

#include <functional>

namespace tb {

// A button that shows a colour of the look beside its caption and opens the colour dialog.
// The dialog's current colour is reported as it changes, so the indicator follows the choice
// live; cancelling reports the colour the button had before.
class ColorButton final : public QPushButton {
public:
    ColorButton(const QString& caption, const QString& dialogTitle, QWidget* parent = nullptr);

    // The colour shown, 0xRRGGBB.
    qint32 color() const { return color_; }
    void setColor(qint32 rgb);

    // Runs for every colour the user points at, and once more on cancel with the old colour.
    std::function<void(qint32 rgb)> picked;

private:
    void choose();

    QString dialogTitle_;
    qint32 color_ = 0;
};

} // namespace tb
