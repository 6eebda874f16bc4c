#pragma once

#include "app/MainWindowParts.h"
#include "platform/Regional.h"
#include "platform/SettingsStore.h"

namespace tb {

// Window positions kept in the settings as "left|top" in screen pixels ("412|300"), numbers in
// the regional form. A stored text without two numbers leaves the window where it is.
class SettingsPlacement final : public WindowPlacement {
public:
    SettingsPlacement(SettingsStore& store, Regional regional) : store_(store), regional_(std::move(regional)) {}
    QPoint LoadPos(OptionKey key, QPoint fallback) override;
    void SavePos(OptionKey key, QPoint position) override;

    // The placement text of a position, and the position in a text.
    static QString PosToStr(QPoint p, const Regional& regional);
    static std::optional<QPoint> StrToPos(const QString& text, const Regional& regional);

private:
    SettingsStore& store_;
    Regional regional_;
};

} // namespace tb
