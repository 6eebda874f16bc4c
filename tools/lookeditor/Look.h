#pragma once

#include "platform/Regional.h"
#include "render/OverlayStyle.h"

#include <QString>

namespace tb {

// One look of the indicator as the editor edits it: the picture and the 21 style fields of an
// "A=" command, in the units the user sees (colours 0xRRGGBB, degrees, percentages).
struct Look {
    QString picture; // relative to the picture folder, "\" between folder and file
    QString fontName = QStringLiteral("Arial");
    int styleBits = 1; // 1 bold, 2 italic, 4 underline
    double fontSize = 40; // pixels
    qint32 textColor = 0xFFFFFF;
    double textX = 0; // picture pixels to the right
    double textY = 0; // picture pixels upward
    qint32 shadowColor = 0;
    double shadowX = 2; // pixels to the right
    double shadowY = -2; // pixels upward
    int shadowAlpha = 128; // 0 to 255
    qint32 outlineColor = 0;
    int outlineWidth = 2;
    bool textFill = true;
    bool shadow = false;
    bool outline = true;
    bool fillOver = false;
    double hue = 0; // degrees
    double saturation = 100; // percent
    double intensity = 100; // percent
    double brightness = 0; // percent
    double transparency = 0; // percent

    bool operator==(const Look&) const = default;
};

// A look read from the argument of an "A=" command ("Selected" of the skin list) by the
// indicator's own command interpreter, so the editor sees exactly what the indicator shows.
// Fields after one that does not convert keep the values of `base`; `complete` tells whether
// every field was read.
struct ParsedLook {
    Look look;
    bool complete = false;
};
ParsedLook lookFromArgument(const QString& argument, const Regional& regional, const Look& base = Look {});

// The style and picture adjustments the indicator gets from this look.
void lookToStyle(const Look& look, const Regional& regional, OverlayStyle& style, PicAdjust& adjust);

} // namespace tb
