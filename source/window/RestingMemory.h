#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class QWidget;

namespace tb {

// Calls `trim` once the program has come to rest: `rest` after start-up, and again `rest` after
// the last window other than the indicator (a dialog, the panel, the menu) was closed, so the
// pages those windows needed are given back while nothing is open. While such a window is open
// it waits; an indicator left alone is not trimmed again and again. Borderless windows that are
// always there (the tray's icon) or go by themselves (tooltips) do not count as open.
class RestingMemory : public QObject {
public:
    RestingMemory(const QWidget* indicator, std::function<void()> trim, std::chrono::milliseconds rest = std::chrono::seconds(15));

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rested();

    const QWidget* indicator_;
    std::function<void()> trim_;
    QTimer timer_;
};

} // namespace tb
