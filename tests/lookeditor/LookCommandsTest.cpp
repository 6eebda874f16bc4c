#include "LookCommands.h"
#include "FakeIndicator.h"
#include "Look.h"

#include <gtest/gtest.h>

using namespace tb;
using namespace tb::test;

namespace {

// Everything of the indicator's state a command can set, as one comparable text.
QString stateOf(const FakeIndicator& i)
{
    const OverlayStyle& s = i.style;
    const PicAdjust& a = i.adjust;
    return QStringList {i.sPicName, s.sFontName, QString::number(s.fBold), QString::number(s.fItalic),
        QString::number(s.fUnderline), QString::number(s.nFontSize), QString::number(s.nTextColor), QString::number(s.nTextX),
        QString::number(s.nTextY), QString::number(s.nShadowColor), QString::number(s.nShadowX), QString::number(s.nShadowY),
        QString::number(s.nShadowAlpha), QString::number(s.nOutlineColor), QString::number(s.nOutlineWidth),
        QString::number(s.fTextFill), QString::number(s.fShadow), QString::number(s.fOutline), QString::number(s.fFillOver),
        QString::number(a.nHue), QString::number(a.nSaturation), QString::number(a.nIntensity), QString::number(a.nBrightness),
        QString::number(a.nOpacity)}
        .join(u'|');
}

Look sample()
{
    Look l;
    l.picture = QStringLiteral("Winter\\frost.png");
    l.fontName = QStringLiteral("DejaVu Sans");
    l.styleBits = 5;
    l.fontSize = 12.5;
    l.textColor = 0x123456;
    l.textX = 1.5;
    l.textY = -3;
    l.shadowColor = 0x010203;
    l.shadowX = 2.25;
    l.shadowY = -2;
    l.shadowAlpha = 140;
    l.outlineColor = 0xFF0000;
    l.outlineWidth = 3;
    l.textFill = true;
    l.shadow = true;
    l.outline = false;
    l.fillOver = true;
    l.hue = 30;
    l.saturation = 55.5;
    l.intensity = 120;
    l.brightness = -10;
    l.transparency = 25;
    return l;
}

} // namespace

// The whole look goes through the indicator's own interpreter in both decimal forms and comes
// back unchanged; every field lands where the command language puts it.
TEST(LookCommands, WholeLookReachesTheIndicatorAndReadsBack)
{
    for (const Regional& regional : {Regional::russian(), Regional::english()}) {
        const Look look = sample();
        const LookCommands commands(regional);
        FakeCommandChannel channel;
        FakeIndicator indicator(channel, 1, regional);
        ASSERT_EQ(indicator.interpreter.run(commands.whole(look)), CommandInterpreter::Result::Done)
            << commands.whole(look).toStdString();
        const OverlayStyle& s = indicator.style;
        EXPECT_EQ(indicator.sPicName, look.picture);
        EXPECT_EQ(s.sFontName, look.fontName);
        EXPECT_TRUE(s.fBold && !s.fItalic && s.fUnderline);
        EXPECT_FLOAT_EQ(s.nFontSize, 12.5f);
        EXPECT_EQ(s.nTextColor, 0x123456);
        EXPECT_FLOAT_EQ(s.nTextX, 1.5f);
        EXPECT_FLOAT_EQ(s.nShadowX, 2.25f);
        EXPECT_EQ(s.nShadowAlpha, 140);
        EXPECT_TRUE(s.fTextFill && s.fShadow && !s.fOutline && s.fFillOver);
        EXPECT_FLOAT_EQ(indicator.adjust.nHue, 30.0f / 180.0f * 3.1415927f);
        EXPECT_FLOAT_EQ(indicator.adjust.nSaturation, 0.555f);
        EXPECT_FLOAT_EQ(indicator.adjust.nOpacity, 0.75f);
        EXPECT_EQ(indicator.draws, 1);

        const ParsedLook back = lookFromArgument(commands.argument(look), regional);
        EXPECT_TRUE(back.complete);
        EXPECT_EQ(back.look, look) << commands.argument(back.look).toStdString();
    }
    // The font size keeps "." whatever the locale; the other fractions follow it.
    EXPECT_TRUE(LookCommands(Regional::russian()).argument(sample()).contains(QStringLiteral("|12.5|1193046|1,5|-3|")));

    // A look saved by hand, and one broken at its shadow opacity: the fields before the fault
    // are read, the rest keep the base look's values.
    const ParsedLook saved = lookFromArgument(
        QStringLiteral("Summer\\sun.png|Liberation Serif|3|48|255|0|4|0|3|-3|140|1723012|2|1|1|0|0|-90|100|80|10|20"),
        Regional::english());
    EXPECT_TRUE(saved.complete);
    EXPECT_EQ(saved.look.fontName, QStringLiteral("Liberation Serif"));
    EXPECT_EQ(saved.look.styleBits, 3);
    EXPECT_DOUBLE_EQ(saved.look.hue, -90);
    EXPECT_DOUBLE_EQ(saved.look.intensity, 80);
    EXPECT_DOUBLE_EQ(saved.look.transparency, 20);
    const ParsedLook broken
        = lookFromArgument(QStringLiteral("a.png|Arial|1|30|255|0|0|0|1|1|999|5"), Regional::english(), sample());
    EXPECT_FALSE(broken.complete);
    EXPECT_EQ(broken.look.picture, QStringLiteral("a.png"));
    EXPECT_DOUBLE_EQ(broken.look.shadowY, 1);
    EXPECT_EQ(broken.look.shadowAlpha, sample().shadowAlpha);
    EXPECT_EQ(broken.look.outlineColor, sample().outlineColor);
}

// Each change is sent as the fewest commands, and whatever is sent leaves the indicator in the
// same state as the whole new look would.
TEST(LookCommands, ChangesAreFewCommandsWithTheSameResult)
{
    const Regional regional = Regional::russian();
    const LookCommands commands(regional);
    struct Case {
        const char* name;
        std::function<void(Look&)> change;
        QStringList expected; // "A" alone: the whole look
    };
    const Case cases[] = {
        {"nothing", [](Look&) {}, {}},
        {"font", [](Look& l) { l.fontName = QStringLiteral("Liberation Serif"); }, {"F=Liberation Serif"}},
        {"bold off, italic on", [](Look& l) { l.styleBits = 6; }, {"f=6"}},
        {"size", [](Look& l) { l.fontSize = 72; }, {"S=72"}},
        {"colour and offset",
            [](Look& l) {
                l.textColor = 0xFF;
                l.textX = -2.5;
            },
            {"C=255", "X=-2,5"}},
        {"shadow",
            [](Look& l) {
                l.shadow = false;
                l.shadowColor = 7;
                l.shadowY = 4;
            },
            {"c=7", "y=4", "o=0"}},
        {"outline", [](Look& l) { l.outline = true; }, {"O=1"}},
        {"one adjustment", [](Look& l) { l.hue = -45; }, {"h=-45"}},
        {"adjustments reset",
            [](Look& l) {
                l.hue = 0;
                l.saturation = 100;
                l.intensity = 100;
                l.brightness = 0;
                l.transparency = 0;
            },
            {"p=0|100|100|0|0"}},
        {"picture", [](Look& l) { l.picture = QStringLiteral("Summer\\sun.png"); }, {"P=Summer\\sun.png|30|55,5|120|-10|25"}},
        {"picture and font",
            [](Look& l) {
                l.picture = QStringLiteral("b.png");
                l.fontName = QStringLiteral("x");
            },
            {"A"}},
        {"many fields",
            [](Look& l) {
                l.textX = 9;
                l.textY = 9;
                l.shadowX = 9;
                l.outlineWidth = 9;
            },
            {"A"}},
        {"no font name", [](Look& l) { l.fontName.clear(); }, {"A"}},
    };
    for (const Case& c : cases) {
        const Look from = sample();
        Look to = from;
        c.change(to);
        const QStringList sent = commands.change(from, to);
        const QStringList expected = c.expected == QStringList {"A"} ? QStringList {commands.whole(to)} : c.expected;
        EXPECT_EQ(sent, expected) << c.name << ": " << sent.join(u' ').toStdString();

        FakeCommandChannel channel;
        FakeIndicator stepwise(channel, 1, regional), whole(channel, 2, regional);
        stepwise.interpreter.run(commands.whole(from));
        for (const QString& text : sent)
            EXPECT_EQ(stepwise.interpreter.run(text), CommandInterpreter::Result::Done) << c.name << ": " << text.toStdString();
        whole.interpreter.run(commands.whole(to));
        EXPECT_EQ(stateOf(stepwise), stateOf(whole)) << c.name;
    }
}
