#pragma once

#include <QIcon>
#include <QImage>
#include <QLoggingCategory>
#include <QString>

#include <array>

namespace tb {

// The tray icon: refused temperatures and colours, the tray coming and going.
Q_DECLARE_LOGGING_CATEGORY(lcTray)

// How the tray icon shows the temperature.
struct TrayLook {
    bool TrCif = true; // digits (true) or the program icon (false)
    bool TrTrans = true; // the digits' background is transparent
    bool TrBold = false; // bold digits
    // 0x00BBGGRR: digits and background at or above zero, digits and background below zero.
    std::array<qint32, 4> TrCol {0xFF, 0xFFFF00, 0xFF0000, 0xFFFF};
};

// The pixel sizes the tray digits are drawn at; 16 is the base picture.
inline constexpr std::array<int, 6> kTrayIconSizes = {16, 22, 24, 32, 48, 64};

// The icon text for a temperature: whole degrees of the absolute value (halves away from
// zero), "°" after them unless there are two or more digits in bold, one leading space for a
// single digit. " 5°", "12°", "12", "105°". A temperature that is not a finite number shows
// "?" in place of the digits (" ?°").
QString trayIconText(double temperature, bool bold);

// Prints `text` at one pixel below the top edge of a size x size picture in the tray font
// (scaled with the size), without antialiasing, in the text colour on the background colour
// (both 0x00BBGGRR), then makes the icon picture of it (DCToIcon).
QImage TextToIcon(const QString& text, qint32 textColor, qint32 backColor, bool bold, bool transparent, int size = 16);

// The icon picture of a printed picture: every pixel of the mask colour becomes transparent,
// the others stay as they are and opaque. `maskColor` -1 takes the colour of pixel (0, 0);
// otherwise it is 0x00BBGGRR (0: exactly black pixels become transparent).
QImage DCToIcon(const QImage& printed, qint32 maskColor);

// The 24-bit RGB colour (0xRRGGBB) of a stored 0x00BBGGRR colour; bits above the low 24 are
// dropped (and logged).
QRgb trayColour(qint32 bgr);

// The digits of the temperature in the look's colours at every size of kTrayIconSizes, in one
// icon. Each size is drawn when it is first asked for.
QIcon trayDigitsIcon(double temperature, const TrayLook& look);

} // namespace tb
