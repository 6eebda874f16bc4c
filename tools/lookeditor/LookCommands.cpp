#include "LookCommands.h"

namespace tb {

namespace {

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// The font size is read with "." in every locale.
QString fontSize(double size)
{
    return QString::number(size, 'g', 7);
}

} // namespace

QString LookCommands::argument(const Look& l) const
{
    const QStringList fields {
        l.picture,
        l.fontName,
        QString::number(l.styleBits),
        fontSize(l.fontSize),
        QString::number(l.textColor),
        number(l.textX),
        number(l.textY),
        QString::number(l.shadowColor),
        number(l.shadowX),
        number(l.shadowY),
        QString::number(l.shadowAlpha),
        QString::number(l.outlineColor),
        QString::number(l.outlineWidth),
        flag(l.textFill),
        flag(l.shadow),
        flag(l.outline),
        flag(l.fillOver),
        number(l.hue),
        number(l.saturation),
        number(l.intensity),
        number(l.brightness),
        number(l.transparency),
    };
    return fields.join(QLatin1Char('|'));
}

QString LookCommands::adjustments(const Look& l) const
{
    return QStringLiteral("p=")
        + QStringList {number(l.hue), number(l.saturation), number(l.intensity), number(l.brightness), number(l.transparency)}
              .join(QLatin1Char('|'));
}

QString LookCommands::picture(const Look& l) const
{
    return QStringLiteral("P=") + l.picture + QLatin1Char('|') + adjustments(l).mid(2);
}

QStringList LookCommands::change(const Look& from, const Look& to) const
{
    if (from == to)
        return {};
    QStringList style;
    const auto single = [&style](bool changed, const char* name, const QString& value) {
        if (changed)
            style << QString::fromLatin1(name) + value;
    };
    // An empty family cannot go alone: "F=" without a name is too short to be a command.
    const bool fontAlone = to.fontName.isEmpty() && from.fontName != to.fontName;
    single(from.fontName != to.fontName, "F=", to.fontName);
    single(from.styleBits != to.styleBits, "f=", QString::number(to.styleBits));
    single(from.fontSize != to.fontSize, "S=", fontSize(to.fontSize));
    single(from.textColor != to.textColor, "C=", QString::number(to.textColor));
    single(from.textX != to.textX, "X=", number(to.textX));
    single(from.textY != to.textY, "Y=", number(to.textY));
    single(from.shadowColor != to.shadowColor, "c=", QString::number(to.shadowColor));
    single(from.shadowX != to.shadowX, "x=", number(to.shadowX));
    single(from.shadowY != to.shadowY, "y=", number(to.shadowY));
    single(from.shadowAlpha != to.shadowAlpha, "t=", QString::number(to.shadowAlpha));
    single(from.outlineColor != to.outlineColor, "q=", QString::number(to.outlineColor));
    single(from.outlineWidth != to.outlineWidth, "w=", QString::number(to.outlineWidth));
    single(from.textFill != to.textFill, "T=", flag(to.textFill));
    single(from.shadow != to.shadow, "o=", flag(to.shadow));
    single(from.outline != to.outline, "O=", flag(to.outline));
    single(from.fillOver != to.fillOver, "d=", flag(to.fillOver));

    QStringList adjust;
    const auto one = [&adjust](bool changed, const char* name, const QString& value) {
        if (changed)
            adjust << QString::fromLatin1(name) + value;
    };
    one(from.hue != to.hue, "h=", number(to.hue));
    one(from.saturation != to.saturation, "s=", number(to.saturation));
    one(from.intensity != to.intensity, "v=", number(to.intensity));
    one(from.brightness != to.brightness, "b=", number(to.brightness));
    one(from.transparency != to.transparency, "a=", number(to.transparency));

    if (from.picture != to.picture)
        return style.isEmpty() ? QStringList {picture(to)} : QStringList {whole(to)};
    if (adjust.size() > 1)
        adjust = QStringList {adjustments(to)};
    if (fontAlone || style.size() + adjust.size() > kMostSingles)
        return {whole(to)};
    return style + adjust;
}

} // namespace tb
