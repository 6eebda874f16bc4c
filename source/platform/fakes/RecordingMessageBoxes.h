#pragma once

#include "platform/MessageBoxes.h"

#include <vector>

namespace tb {

// Records the message boxes that would have been shown.
class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        Icon icon;
        QString title;
        QString text;
    };
    void show(Icon icon, const QString& title, const QString& text) override { shown.push_back({icon, title, text}); }
    std::vector<Shown> shown;
};

} // namespace tb
