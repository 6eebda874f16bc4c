#pragma once

#include "platform/MessageBoxes.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

namespace tb {

// Message boxes on QMessageBox, for the GUI thread.
class QtMessageBoxes final : public MessageBoxes {
public:
    // Boxes are centred on `parent` while it lives, else on the screen.
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    // Shows a modal box with the icon, the title, the text as plain text (CR LF and CR are
    // line breaks) and an OK button, above always-on-top windows; returns once it is closed. The
    // same message while its box is still open returns at once, without a second box.
    void show(Icon icon, const QString& title, const QString& text) override;

private:
    QPointer<QWidget> parent_;
    QSet<QString> showing_; // the messages whose boxes are open
};

} // namespace tb
