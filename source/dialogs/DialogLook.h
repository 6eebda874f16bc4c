#pragma once

#include <QFont>
#include <QRgb>

class QWidget;

namespace tb {

// The colours the dialogs are drawn in (0xAARRGGBB). Every dialog stands on the same blue.
inline constexpr QRgb kDialogBackground = 0xFF68A5E8;
inline constexpr QRgb kValueBackground = 0xFFFFC080; // behind values: the provider list, the correction, scales
inline constexpr QRgb kDarkBlue = 0xFF0000C0; // behind the tray colour captions, the about box's addresses
inline constexpr QRgb kFieldFace = 0xFFC0FFC0; // the about box's address bands and its button
inline constexpr QRgb kWhite = 0xFFFFFFFF;
inline constexpr QRgb kBlack = 0xFF000000;
inline constexpr QRgb kYellow = 0xFFFFFF00;
inline constexpr QRgb kCyan = 0xFF00FFFF;

// The small sans face the dialogs' layouts were drawn for. Liberation Sans has the widths of
// the face the twips were measured with; the desktop's default face is wider and cuts captions.
QFont dialogFont(qreal pointSize = 8.25, bool bold = false);
// The serif face of the same layouts ("Times New Roman" there, Liberation Serif here).
QFont dialogSerifFont(qreal pointSize, bool bold = false);

// A dialog's own face: the blue background, filled, and the font its controls inherit.
void setDialogFace(QWidget* dialog, const QFont& font);

// How a control looks. A colour of 0 leaves the control's own (inherited) colour.
struct ControlLook {
    qreal points = 0; // 0: the font of what the control lies in
    bool bold = false;
    bool serif = false;
    QRgb text = 0;
    QRgb fill = 0; // the control's background, filled
    QRgb face = 0; // a button's face; the style shades it as it shades any button
    // The text colour also for typed text, button texts and check marks, the fill also for list
    // and button faces. Without it only the caption and the background take the colours.
    bool everyRole = false;
};

// Gives `w` the font and colours of `look`. Every control sets its own colours: a frame's would
// otherwise pass to what lies in it.
void setLook(QWidget* w, const ControlLook& look);

// A caption is never cut: a control too narrow or too low for `text` with the fonts of this
// machine grows to the right and downwards from where it was placed. Buttons keep the margins
// their style puts around the text; labels need the text and their frame.
void growToFit(QWidget* w, const QString& text);

} // namespace tb
