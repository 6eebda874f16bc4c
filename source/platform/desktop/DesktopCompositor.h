#pragma once

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace tb {

// Whether the desktop blends translucent windows. On X11 that needs a compositing manager
// (the owner of the _NET_WM_CM_Sn selection); other platforms (Wayland, offscreen) always do.
bool compositorRunning();

// Whether the program runs on X11 (natively or through XWayland).
bool onX11();

// The application's X connection, or nullptr when it does not run on X11.
xcb_connection_t* x11Connection();

// Tells when a compositing manager starts or stops on X11, from the change of the selection's
// owner that the X server reports (XFixes selection events): nothing is polled. Where that
// cannot be had (not X11, an X server without XFixes) it never calls and listening() is false.
// Lives on the GUI thread, after the application object is made.
class CompositorWatch final : public QAbstractNativeEventFilter {
public:
    explicit CompositorWatch(std::function<void(bool running)> changed);
    ~CompositorWatch() override;
    CompositorWatch(const CompositorWatch&) = delete;
    CompositorWatch& operator=(const CompositorWatch&) = delete;

    // Whether the X server reports the changes to us.
    bool listening() const { return listening_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void(bool)> changed_;
    std::uint32_t selection_ = 0; // the _NET_WM_CM_S0 atom
    std::uint8_t selectionNotify_ = 0; // the event code of XFixes' selection notify
    bool listening_ = false;
};

} // namespace tb
