#include "Look.h"

#include "LookCommands.h"
#include "render/CommandInterpreter.h"

#include <cmath>

namespace tb {

namespace {

// The interpreter keeps single precision; four decimals give back the numbers people type
// (30 degrees, 12.5 pixels) instead of 29.9999996.
double tidy(double value)
{
    return std::round(value * 10000.0) / 10000.0 + 0.0; // no "-0"
}

} // namespace

void lookToStyle(const Look& look, const Regional& regional, OverlayStyle& style, PicAdjust& adjust)
{
    QString picName, picFile;
    qint32 optWnd = 0;
    CommandInterpreter interpreter(CommandTarget {style, adjust, picName, picFile, optWnd, QString(), {}, {}}, regional);
    interpreter.run(LookCommands(regional).whole(look));
}

ParsedLook lookFromArgument(const QString& argument, const Regional& regional, const Look& base)
{
    OverlayStyle s;
    PicAdjust a;
    lookToStyle(base, regional, s, a);
    QString picName = base.picture, picFile;
    qint32 optWnd = 0;
    CommandInterpreter interpreter(CommandTarget {s, a, picName, picFile, optWnd, QString(), {}, {}}, regional);
    ParsedLook parsed;
    parsed.complete = !argument.isEmpty() && interpreter.run(QStringLiteral("A=") + argument) == CommandInterpreter::Result::Done;

    Look& l = parsed.look;
    l.picture = picName;
    l.fontName = s.sFontName;
    l.styleBits = (s.fBold ? 1 : 0) | (s.fItalic ? 2 : 0) | (s.fUnderline ? 4 : 0);
    l.fontSize = tidy(s.nFontSize);
    l.textColor = s.nTextColor;
    l.textX = tidy(s.nTextX);
    l.textY = tidy(s.nTextY);
    l.shadowColor = s.nShadowColor;
    l.shadowX = tidy(s.nShadowX);
    l.shadowY = tidy(s.nShadowY);
    l.shadowAlpha = s.nShadowAlpha;
    l.outlineColor = s.nOutlineColor;
    l.outlineWidth = static_cast<int>(s.nOutlineWidth);
    l.textFill = s.fTextFill;
    l.shadow = s.fShadow;
    l.outline = s.fOutline;
    l.fillOver = s.fFillOver;
    l.hue = tidy(a.nHue / 3.1415927f * 180.0f);
    l.saturation = tidy(a.nSaturation * 100.0);
    l.intensity = tidy(a.nIntensity * 100.0);
    l.brightness = tidy(a.nBrightness * 100.0);
    l.transparency = tidy((1.0 - a.nOpacity) * 100.0);
    return parsed;
}

} // namespace tb
