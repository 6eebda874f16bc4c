#pragma once

#include <QFrame>

class QGridLayout;
class QLabel;

namespace tb {

// A framed group of controls under a bold heading. Used instead of a group box, whose title
// the style sizes a pixel short of the text at some screen resolutions (144 dpi unscaled cut
// "Картинка"); a label in a layout always gets the room its text needs.
class TitledFrame : public QFrame {
public:
    TitledFrame(const QString& title, QWidget* parent = nullptr);

    // Where the controls go, below the heading.
    QGridLayout* body() const { return body_; }
    QLabel* heading() const { return heading_; }

private:
    QLabel* heading_;
    QGridLayout* body_;
};

} // namespace tb
