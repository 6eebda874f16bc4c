#pragma once

#include <QString>

namespace tb {

// Modal message boxes shown to the user.
class MessageBoxes {
public:
    enum class Icon { Critical, Warning, Information };
    virtual ~MessageBoxes() = default;
    // Shows the text under the title with an OK button and returns when the user closes it.
    virtual void show(Icon icon, const QString& title, const QString& text) = 0;
};

} // namespace tb
