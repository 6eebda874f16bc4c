#pragma once

#include <QWidget>

#include <functional>

class QSlider;
class QSpinBox;

namespace tb {

// A slider with a number box beside it that follow each other; the number box says the value.
class SliderRow final : public QWidget {
public:
    SliderRow(int minimum, int maximum, const QString& suffix, QWidget* parent = nullptr);

    int value() const;
    // Shows the value without reporting a change.
    void setValue(double value);

    // Runs when the user moves the slider or types a number.
    std::function<void(int value)> changed;

private:
    QSlider* slider_;
    QSpinBox* box_;
    bool setting_ = false;
};

} // namespace tb
