#pragma once

#include "render/OverlayStyle.h"
#include "render/StaleMark.h"
#include "render/TrayDigits.h"
#include "settings/OptionKeys.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>

namespace tb {

// The borderless window that shows the drawn overlay.
class IndicatorView {
public:
    virtual ~IndicatorView() = default;
    // Shows the canvas (premultiplied ARGB, its device pixel ratio set) at its logical size,
    // blended with the constant alpha.
    virtual void showCanvas(const QImage& canvas, int constantAlpha) = 0;
    virtual void setShown(bool visible) = 0;
    virtual bool isShown() const = 0;
    virtual void moveTo(QPoint topLeft) = 0;
    virtual QPoint position() const = 0;
    // Keeps the window above others or not, without moving or resizing it.
    virtual void setOnTop(bool on) = 0;
    // Gives the window the keyboard focus and raises it.
    virtual void activate() {}
    // Shows the window on every workspace (true) or on the current one only.
    virtual void setSticky(bool) {}
    // Device pixels per logical pixel of the screen the window is on.
    virtual qreal devicePixelRatio() const { return 1.0; }
};

// One drawing of the overlay: picture, colour adjustment, text passes and marker.
struct DrawOutcome {
    bool drawn = false;        // a canvas was produced; otherwise the window keeps its content
    bool fontReplaced = false; // the font family was missing and "Arial" took its place
    QImage canvas;
};
class OverlayDrawing {
public:
    virtual ~OverlayDrawing() = default;
    // Draws with the picture file `file` (read anew), or with the bytes kept from the last
    // file when `file` is empty, at `devicePixelRatio` device pixels per logical pixel.
    virtual DrawOutcome draw(const QString& file, OverlayStyle& style, const PicAdjust& adjust, const StaleMark& mark,
                             qreal devicePixelRatio) = 0;
};

// Mouse messages of the notification icon, as the icon's callback numbers them.
inline constexpr int kTrayLeftButtonDown = 513;
inline constexpr int kTrayRightButtonUp = 517;

// The notification-area icon.
class TrayIcon {
public:
    virtual ~TrayIcon() = default;
    // Adds the icon (true) with the program icon and an empty tip, or removes it (false).
    virtual void TrayIconShow(bool add) = 0;
    // Sets the tip (cut to the icon's 64-character limit).
    virtual void TrayIconTip(const QString& tip) = 0;
    // Shows the temperature's digits in the look's colours, or the program icon in the
    // classic mode.
    virtual void UpdateTrayIcon(double temperature, const TrayLook& look) = 0;
    // A tray exists on the desktop, so the icon can be seen and clicked.
    virtual bool available() const = 0;

    // A mouse message of the icon (kTrayLeftButtonDown, kTrayRightButtonUp, ...) with the
    // pointer's global position.
    std::function<void(int message, QPoint globalPos)> onEvent;
    // A tray appeared on the desktop or went away.
    std::function<void(bool available)> onAvailableChanged;
};

// Saved window positions.
class WindowPlacement {
public:
    virtual ~WindowPlacement() = default;
    // The saved position of the key, or `fallback` when none is saved.
    virtual QPoint LoadPos(OptionKey key, QPoint fallback) = 0;
    virtual void SavePos(OptionKey key, QPoint position) = 0;
};

// The items of the pop-up menu that run a command.
enum class MenuItem { Show, Top, Ind, IndPos, IndSize, SelectSkin, Format, Scale, Trans, Options, Town, About, Exit };

// Captions of the marker position items, by position index (the menu translates them).
inline const QStringList kIndPosCaptions = {QStringLiteral(QT_TRANSLATE_NOOP("PopupMenuWidget", "Верх-Слева")),
    QStringLiteral(QT_TRANSLATE_NOOP("PopupMenuWidget", "Низ-Справа")),
    QStringLiteral(QT_TRANSLATE_NOOP("PopupMenuWidget", "Верх-Справа")),
    QStringLiteral(QT_TRANSLATE_NOOP("PopupMenuWidget", "Низ-Слева")),
    QStringLiteral(QT_TRANSLATE_NOOP("PopupMenuWidget", "Центр-Сверху")),
    QStringLiteral(QT_TRANSLATE_NOOP("PopupMenuWidget", "Центр-Снизу"))};
// Captions of the marker size items, by size index; the number is the size.
inline const QStringList kIndSizeCaptions = {QStringLiteral("14"), QStringLiteral("19"), QStringLiteral("23"),
                                             QStringLiteral("30"), QStringLiteral("35"), QStringLiteral("42")};

// What the pop-up menu shows: the caption and state of every item that changes.
struct MenuState {
    QString showCaption;      // "Скрыть" while the window is visible, else "Показать"
    bool showEnabled = true;  // false while no tray could bring a hidden window back
    bool top = true;          // "Впереди"
    bool ind = true;          // "Задействовать"
    int indPos = 0;           // the checked position item
    int indSize = 0;          // the checked size item
    bool selectSkin = false;  // "Вид": an add-on is linked
    QStringList formatCaptions;
    int formatChecked = -1;   // none when the format lies outside the menu
};

// The pop-up menu of the indicator and of the tray icon.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;
    // Opens the menu at a global position and returns at once; onAboutToShow runs first.
    virtual void popupAt(QPoint globalPos) = 0;
    // The menu is open on screen.
    virtual bool isOpen() const = 0;
    // Shows the state in the items.
    virtual void setState(const MenuState& state) = 0;

    // Runs however the menu opens (window, tray, a tray host over D-Bus), before it shows.
    std::function<void()> onAboutToShow;
    // The user chose an item; `index` numbers the items of the position, size and format lists.
    std::function<void(MenuItem item, int index)> onCommand;
};

// The dialogs and the add-on the main window opens or talks to.
class MainWindowCompanions {
public:
    virtual ~MainWindowCompanions() = default;
    // Opens the options dialog without waiting for it.
    virtual void mnuOptions_Click() = 0;
    // Opens the town chooser without waiting for it (an open one comes forward).
    virtual void showTownChooser() = 0;
    // A town has been chosen earlier.
    virtual bool townChosen() const = 0;
    // Sends a text to the linked add-on (nothing when none is linked).
    virtual void SendText(const QString& text) = 0;
    // Opens the scale and transparency panel, modal to the main window, without waiting.
    virtual void showSlider() = 0;
    // Gives the open scale and transparency panel the focus.
    virtual void focusSlider() = 0;
    // Opens the about box without waiting, above other windows.
    virtual void showAbout() = 0;
    // Starts the look editor add-on ("Вид").
    virtual void mnuSelectSkin_Click() = 0;
    // The add-on window handle that is still linked: `iOptWnd` when its endpoint answers, else 0.
    virtual qint32 CheckOptDll(qint32 iOptWnd) = 0;
    // Ends the program after the main window's unload.
    virtual void quit() = 0;
};

} // namespace tb
