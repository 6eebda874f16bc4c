#include "QtPrinters.h"
#include "render/CommandInterpreter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace tb;
using R = CommandInterpreter::Result;

namespace {

class Commands : public ::testing::Test {
protected:
    OverlayStyle style;
    PicAdjust adjust;
    QString picName, picFile;
    qint32 optWnd = 0;
    std::vector<bool> draws; // fChangePic of each redraw
    int zaprosChanges = 0;
    Regional regional = Regional::russian();

    CommandInterpreter make()
    {
        return CommandInterpreter(CommandTarget{style, adjust, picName, picFile, optWnd, QStringLiteral("/opt/tb/FotoMark/"),
                                                [this] { ++zaprosChanges; }, [this](bool pic) { draws.push_back(pic); }},
                                  regional);
    }
};

const QString kFullA = QStringLiteral("A=Winter\\snow.png|DejaVu Sans|3|12,5|16711680|1,5|-2|0|2|3|128|255|2|1|1|1|0|180|100|90|10|25");

} // namespace

TEST_F(Commands, TheBoxEmptiesItselfAndIgnoresShortTexts)
{
    auto interpreter = make();
    std::vector<R> results;
    CommandBox box([&](CommandBox& b) { results.push_back(txtMsg_Change(b, interpreter)); });
    box.setText(QStringLiteral("F="));
    EXPECT_EQ(box.text(), QStringLiteral("F=")) << "two characters stay in the box";
    box.setText(QStringLiteral("F=Liberation Sans Narrow"));
    EXPECT_EQ(box.text(), QString());
    EXPECT_EQ(style.sFontName, QStringLiteral("Liberation Sans Narrow"));
    EXPECT_EQ(results, (std::vector<R>{R::TooShort, R::TooShort, R::Done})) << "the emptying re-enters once, harmlessly";
    box.setText(QStringLiteral("Q=1"));
    EXPECT_EQ(results.back(), R::Unknown);
    EXPECT_EQ(draws.size(), 1u) << "an unknown command does not redraw";
    box.setText(QStringLiteral("F=Liberation Sans Narrow"));
    EXPECT_EQ(draws.size(), 2u) << "the same command again is a new change";
}

TEST_F(Commands, TheWholeLookInOneCommand)
{
    auto interpreter = make();
    ASSERT_EQ(interpreter.run(kFullA), R::Done);
    EXPECT_EQ(picName, QStringLiteral("Winter\\snow.png"));
    EXPECT_EQ(picFile, QStringLiteral("/opt/tb/FotoMark/Winter\\snow.png"));
    EXPECT_EQ(zaprosChanges, 1);
    EXPECT_EQ(style.sFontName, QStringLiteral("DejaVu Sans"));
    EXPECT_TRUE(style.fBold && style.fItalic && !style.fUnderline);
    EXPECT_EQ(style.nFontSize, 12.0f) << "the font size reads its leading number with a point";
    EXPECT_EQ(style.nTextColor, 0xFF0000);
    EXPECT_EQ(style.nTextX, 1.5f);
    EXPECT_EQ(style.nTextY, -2.0f);
    EXPECT_EQ(style.nShadowX, 2.0f);
    EXPECT_EQ(style.nShadowY, 3.0f);
    EXPECT_EQ(style.nShadowAlpha, 128);
    EXPECT_EQ(style.nOutlineColor, 255);
    EXPECT_EQ(style.nOutlineWidth, 2.0f);
    EXPECT_TRUE(style.fTextFill && style.fShadow && style.fOutline && !style.fFillOver);
    EXPECT_EQ(adjust.nHue, 3.1415927f);
    EXPECT_EQ(adjust.nSaturation, 1.0f);
    EXPECT_EQ(adjust.nIntensity, 0.9f);
    EXPECT_EQ(adjust.nBrightness, 0.1f);
    EXPECT_EQ(adjust.nOpacity, 0.75f);
    EXPECT_EQ(draws, std::vector<bool>{true});
}

TEST_F(Commands, AFailingFieldStopsTheCommandWithoutARedraw)
{
    auto interpreter = make();
    // 23 parts: the surplus stays in field 21, which then does not convert.
    EXPECT_EQ(interpreter.run(kFullA + QStringLiteral("|7")), R::Failed);
    EXPECT_EQ(adjust.nBrightness, 0.1f) << "field 20 was assigned";
    EXPECT_EQ(adjust.nOpacity, 0.0f);
    EXPECT_TRUE(draws.empty());

    style = OverlayStyle{};
    EXPECT_EQ(interpreter.run(QStringLiteral("A=pic.png|Arial|1|10|abc|1|1")), R::Failed);
    EXPECT_EQ(style.nFontSize, 10.0f);
    EXPECT_EQ(style.nTextX, 0.0f) << "nothing after the failing field";
    EXPECT_EQ(picName, QStringLiteral("pic.png"));

    EXPECT_EQ(interpreter.run(QStringLiteral("A=pic.png|Arial")), R::Failed) << "too few fields";
    EXPECT_EQ(interpreter.run(QStringLiteral("t=256")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("t=-1")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("w=32768")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("f=70000")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("C=4294967296")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("X=1.5")), R::Failed) << "a point in a comma locale";
    EXPECT_EQ(interpreter.run(QStringLiteral("T=maybe")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("p=1|2|3|4")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("P=x.png|1|2")), R::Failed);
    EXPECT_EQ(picName, QStringLiteral("pic.png")) << "P= changes the picture only after its adjustments";
    EXPECT_TRUE(draws.empty());
}

TEST_F(Commands, SingleValueConversions)
{
    auto interpreter = make();
    interpreter.run(QStringLiteral("f=3"));
    EXPECT_TRUE(style.fBold && style.fItalic && !style.fUnderline);
    interpreter.run(QStringLiteral("f=4"));
    EXPECT_TRUE(!style.fBold && !style.fItalic && style.fUnderline);
    interpreter.run(QStringLiteral("f=8"));
    EXPECT_TRUE(!style.fBold && !style.fItalic && !style.fUnderline);
    interpreter.run(QStringLiteral("a=25"));
    EXPECT_EQ(adjust.nOpacity, 0.75f);
    interpreter.run(QStringLiteral("a=100"));
    EXPECT_EQ(adjust.nOpacity, 0.0f);
    interpreter.run(QStringLiteral("h=180"));
    EXPECT_EQ(adjust.nHue, 3.1415927f);
    interpreter.run(QStringLiteral("S=12.5"));
    EXPECT_EQ(style.nFontSize, 12.5f);
    interpreter.run(QStringLiteral("S=abc"));
    EXPECT_EQ(style.nFontSize, 0.0f);
    interpreter.run(QStringLiteral("X=1,5"));
    EXPECT_EQ(style.nTextX, 1.5f);
    interpreter.run(QStringLiteral("w=2,5"));
    EXPECT_EQ(style.nOutlineWidth, 2.0f) << "halves to the even neighbour";
    interpreter.run(QStringLiteral("T=true"));
    EXPECT_TRUE(style.fTextFill);
    interpreter.run(QStringLiteral("O=-1"));
    EXPECT_TRUE(style.fOutline);
    interpreter.run(QStringLiteral("p=0|50|100|0|0"));
    EXPECT_EQ(adjust.nSaturation, 0.5f);
    EXPECT_EQ(adjust.nOpacity, 1.0f);
    interpreter.run(QStringLiteral("P=Summer\\sun.png|0|100|100|0|0|ignored"));
    EXPECT_EQ(picName, QStringLiteral("Summer\\sun.png"));
    EXPECT_EQ(draws.back(), true);
    EXPECT_EQ(draws.size(), 14u);
}

TEST_F(Commands, TheAddOnLink)
{
    auto interpreter = make();
    interpreter.run(QStringLiteral("W=4711"));
    EXPECT_EQ(optWnd, 4711);
    interpreter.run(QStringLiteral("W=0"));
    EXPECT_EQ(optWnd, 0);
    EXPECT_EQ(draws.size(), 2u);
}

TEST_F(Commands, EnglishLocaleReadsPointsAndThePointFontSize)
{
    regional = Regional::english();
    auto interpreter = make();
    EXPECT_EQ(interpreter.run(QStringLiteral("X=1.5")), R::Done);
    EXPECT_EQ(style.nTextX, 1.5f);
    EXPECT_EQ(interpreter.run(QStringLiteral("X=1,5")), R::Failed);
    EXPECT_EQ(interpreter.run(QStringLiteral("S=12.5pt")), R::Done);
    EXPECT_EQ(style.nFontSize, 12.5f);
}
