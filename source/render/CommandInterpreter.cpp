#include "render/CommandInterpreter.h"

#include "platform/NumberText.h"

#include <QLoggingCategory>

#include <cmath>
#include <optional>

namespace tb {

Q_LOGGING_CATEGORY(lcCommand, "thermobadge.command", QtInfoMsg)

void FontStyleChange(OverlayStyle& style, int newStyle)
{
    style.fBold = (newStyle & 1) != 0;
    style.fItalic = (newStyle & 2) != 0;
    style.fUnderline = (newStyle & 4) != 0;
}

namespace {

// A field that did not convert: the command stops there.
struct BadField {
    int field;
    QString text;
    const char* expected;
};

class Fields {
public:
    Fields(const Regional& regional) : regional_(regional) {}

    std::int64_t whole(const QString& text, int field, std::int64_t lo, std::int64_t hi, const char* what) const
    {
        if (const auto n = regional_.parseWhole(text, lo, hi))
            return *n;
        throw BadField{field, text, what};
    }
    std::int32_t colour(const QString& text, int field) const
    {
        return static_cast<std::int32_t>(whole(text, field, INT32_MIN, INT32_MAX, "a 32-bit colour"));
    }
    float single(const QString& text, int field) const
    {
        const auto n = regional_.parseNumber(text);
        if (!n || std::fabs(*n) > 3.4028234663852886e38)
            throw BadField{field, text, "a number"};
        return static_cast<float>(*n);
    }
    float fontSize(const QString& text, int field) const
    {
        const auto n = LenientVal(text);
        if (!n || std::fabs(*n) > 3.4028234663852886e38)
            throw BadField{field, text, "a font size"};
        return static_cast<float>(*n);
    }
    bool boolean(const QString& text, int field) const
    {
        if (const auto b = regional_.parseBoolean(text))
            return *b;
        throw BadField{field, text, "a Boolean"};
    }
    float hue(const QString& text, int field) const { return single(text, field) / 180.0f * 3.1415927f; }
    float percent(const QString& text, int field) const { return single(text, field) / 100.0f; }
    float opacity(const QString& text, int field) const { return 1.0f - single(text, field) / 100.0f; }

private:
    const Regional& regional_;
};

// The field, or a BadField naming the one that is missing.
const QString& field(const QStringList& parts, int index)
{
    if (index >= parts.size())
        throw BadField{index, QString(), "a field (the command has too few)"};
    return parts[index];
}

void assignAdjust(PicAdjust& a, const Fields& f, const QStringList& parts, int first)
{
    a.nHue = f.hue(field(parts, first), first);
    a.nSaturation = f.percent(field(parts, first + 1), first + 1);
    a.nIntensity = f.percent(field(parts, first + 2), first + 2);
    a.nBrightness = f.percent(field(parts, first + 3), first + 3);
    a.nOpacity = f.opacity(field(parts, first + 4), first + 4);
}

} // namespace

CommandInterpreter::Result CommandInterpreter::run(const QString& command)
{
    if (command.size() < 3)
        return Result::TooShort;
    const QStringView name = QStringView(command).left(2);
    const QString arg = command.mid(2);
    try {
        Result r = Result::Unknown;
        if (name == u"A=")
            r = runA(command);
        else if (name == u"P=")
            r = runP(arg);
        else if (name == u"p=")
            r = runSmallP(arg);
        else
            r = runSingle(name, arg);
        return r;
    } catch (const BadField& bad) {
        qCWarning(lcCommand).noquote() << "command" << name.toString() << "stopped at field" << bad.field << ":" << bad.text.left(60)
                                       << "is not" << bad.expected;
        return Result::Failed;
    }
}

CommandInterpreter::Result CommandInterpreter::runA(const QString& whole)
{
    // At most 22 parts: a "|" inside the last part stays part of it.
    QStringList parts = whole.split(QLatin1Char('|'));
    if (parts.size() > 22) {
        const QString rest = parts.mid(21).join(QLatin1Char('|'));
        parts = parts.mid(0, 21);
        parts.append(rest);
    }
    parts[0] = parts[0].mid(2);
    const Fields f(regional_);
    OverlayStyle& s = t_.style;
    t_.sPicName = parts[0];
    if (t_.ChangeZapros)
        t_.ChangeZapros();
    t_.sPicFile = t_.pictureFile ? t_.pictureFile(t_.sPicName) : t_.picDir + t_.sPicName;
    s.sFontName = field(parts, 1);
    FontStyleChange(s, static_cast<int>(f.whole(field(parts, 2), 2, -32768, 32767, "a 16-bit number")));
    s.nFontSize = f.fontSize(field(parts, 3), 3);
    s.nTextColor = f.colour(field(parts, 4), 4);
    s.nTextX = f.single(field(parts, 5), 5);
    s.nTextY = f.single(field(parts, 6), 6);
    s.nShadowColor = f.colour(field(parts, 7), 7);
    s.nShadowX = f.single(field(parts, 8), 8);
    s.nShadowY = f.single(field(parts, 9), 9);
    s.nShadowAlpha = static_cast<std::uint8_t>(f.whole(field(parts, 10), 10, 0, 255, "a byte"));
    s.nOutlineColor = f.colour(field(parts, 11), 11);
    s.nOutlineWidth = static_cast<float>(f.whole(field(parts, 12), 12, -32768, 32767, "a 16-bit number"));
    s.fTextFill = f.boolean(field(parts, 13), 13);
    s.fShadow = f.boolean(field(parts, 14), 14);
    s.fOutline = f.boolean(field(parts, 15), 15);
    s.fFillOver = f.boolean(field(parts, 16), 16);
    assignAdjust(t_.adjust, f, parts, 17);
    if (t_.DrawTemper)
        t_.DrawTemper(true);
    return Result::Done;
}

CommandInterpreter::Result CommandInterpreter::runP(const QString& arg)
{
    const QStringList parts = arg.split(QLatin1Char('|'));
    assignAdjust(t_.adjust, Fields(regional_), parts, 1);
    t_.sPicFile = t_.pictureFile ? t_.pictureFile(parts[0]) : t_.picDir + parts[0];
    t_.sPicName = parts[0];
    if (t_.ChangeZapros)
        t_.ChangeZapros();
    if (t_.DrawTemper)
        t_.DrawTemper(true);
    return Result::Done;
}

CommandInterpreter::Result CommandInterpreter::runSmallP(const QString& arg)
{
    assignAdjust(t_.adjust, Fields(regional_), arg.split(QLatin1Char('|')), 0);
    if (t_.DrawTemper)
        t_.DrawTemper(false);
    return Result::Done;
}

CommandInterpreter::Result CommandInterpreter::runSingle(QStringView name, const QString& arg)
{
    const Fields f(regional_);
    OverlayStyle& s = t_.style;
    PicAdjust& a = t_.adjust;
    if (name.size() != 2 || name[1] != u'=')
        return Result::Unknown;
    switch (name[0].unicode()) {
    case u'F': s.sFontName = arg; break;
    case u'f': FontStyleChange(s, static_cast<int>(f.whole(arg, 0, -32768, 32767, "a 16-bit number"))); break;
    case u'S': s.nFontSize = f.fontSize(arg, 0); break;
    case u'C': s.nTextColor = f.colour(arg, 0); break;
    case u'X': s.nTextX = f.single(arg, 0); break;
    case u'Y': s.nTextY = f.single(arg, 0); break;
    case u'x': s.nShadowX = f.single(arg, 0); break;
    case u'y': s.nShadowY = f.single(arg, 0); break;
    case u'c': s.nShadowColor = f.colour(arg, 0); break;
    case u'T': s.fTextFill = f.boolean(arg, 0); break;
    case u'o': s.fShadow = f.boolean(arg, 0); break;
    case u't': s.nShadowAlpha = static_cast<std::uint8_t>(f.whole(arg, 0, 0, 255, "a byte")); break;
    case u'O': s.fOutline = f.boolean(arg, 0); break;
    case u'q': s.nOutlineColor = f.colour(arg, 0); break;
    case u'w': s.nOutlineWidth = static_cast<float>(f.whole(arg, 0, -32768, 32767, "a 16-bit number")); break;
    case u'd': s.fFillOver = f.boolean(arg, 0); break;
    case u'h': a.nHue = f.hue(arg, 0); break;
    case u's': a.nSaturation = f.percent(arg, 0); break;
    case u'v': a.nIntensity = f.percent(arg, 0); break;
    case u'b': a.nBrightness = f.percent(arg, 0); break;
    case u'a': a.nOpacity = f.opacity(arg, 0); break;
    case u'W': t_.iOptWnd = static_cast<qint32>(f.whole(arg, 0, INT32_MIN, INT32_MAX, "a window handle")); break;
    default: return Result::Unknown;
    }
    if (t_.DrawTemper)
        t_.DrawTemper(false);
    return Result::Done;
}

CommandInterpreter::Result txtMsg_Change(CommandBox& box, CommandInterpreter& interpreter)
{
    const QString command = box.text();
    if (command.size() < 3)
        return CommandInterpreter::Result::TooShort;
    box.setText(QString()); // runs this handler once more with an empty text
    return interpreter.run(command);
}

} // namespace tb
