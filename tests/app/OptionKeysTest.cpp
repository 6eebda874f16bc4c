#include "QtPrinters.h"
#include "platform/MemorySettingsStore.h"
#include "settings/OptionKeys.h"

#include <gtest/gtest.h>

using namespace tb;

namespace {
class Settings : public ::testing::Test {
protected:
    MemorySettingsStore store;
    Options options{store, Regional::russian()};
};
} // namespace

TEST_F(Settings, AnEmptyStoreGivesEveryDefault)
{
    EXPECT_EQ(options.single(OptionKey::scX), 100.0f);
    EXPECT_TRUE(options.boolean(OptionKey::ScaleOn));
    EXPECT_EQ(options.whole(OptionKey::Trans), 0);
    EXPECT_EQ(options.whole(OptionKey::TmprFrmt), 6);
    EXPECT_TRUE(options.boolean(OptionKey::Show));
    EXPECT_TRUE(options.boolean(OptionKey::WinTop));
    EXPECT_FALSE(options.boolean(OptionKey::ARun));
    EXPECT_EQ(options.whole(OptionKey::TrCol1), 16776960);
    EXPECT_EQ(options.whole(OptionKey::Prov, 1), 1);
    EXPECT_TRUE(store.values.isEmpty()) << "reading writes nothing";
}

TEST_F(Settings, BooleansInBothFormsAndAsNumbers)
{
    for (auto [text, value] : {std::pair{"1", true}, {"0", false}, {"True", true}, {"false", false}, {"-1", true}, {"2,5", true}}) {
        store.setValue(QStringLiteral("IndShow"), QString::fromLatin1(text));
        EXPECT_EQ(options.boolean(OptionKey::IndShow), value) << text;
    }
    store.setValue(QStringLiteral("IndShow"), QStringLiteral("yes"));
    EXPECT_TRUE(options.boolean(OptionKey::IndShow)) << "not a Boolean: the default";
    options.setBoolean(OptionKey::Show, false);
    options.setBoolean(OptionKey::IndShow, false);
    EXPECT_EQ(*store.value(QStringLiteral("Show")), QStringLiteral("False"));
    EXPECT_EQ(*store.value(QStringLiteral("IndShow")), QStringLiteral("0"));
}

TEST_F(Settings, TheFormatKeyReadsItsLeadingNumberRoundedHalfToEven)
{
    for (auto [text, value] : {std::pair{"7.5", 8}, {"6.5", 6}, {"abc", 0}, {"3xyz", 3}, {"-2", -2}, {"9,7", 9}}) {
        store.setValue(QStringLiteral("TmprFrmt"), QString::fromLatin1(text));
        EXPECT_EQ(options.whole(OptionKey::TmprFrmt), value) << text;
    }
    store.setValue(QStringLiteral("TmprFrmt"), QStringLiteral("99999"));
    EXPECT_EQ(options.whole(OptionKey::TmprFrmt), 6) << "beyond 16 bits: the default";
}

TEST_F(Settings, NumbersFollowTheRegionalFormAndTheirRanges)
{
    store.setValue(QStringLiteral("scX"), QStringLiteral("150,5"));
    EXPECT_EQ(options.single(OptionKey::scX), 150.5f);
    store.setValue(QStringLiteral("scX"), QStringLiteral("150.5"));
    EXPECT_EQ(options.single(OptionKey::scX), 100.0f) << "a point in a comma locale does not convert";
    store.setValue(QStringLiteral("Trans"), QStringLiteral("256"));
    EXPECT_EQ(options.whole(OptionKey::Trans), 0);
    store.setValue(QStringLiteral("Trans"), QStringLiteral("12,5"));
    EXPECT_EQ(options.whole(OptionKey::Trans), 12);
    store.setValue(QStringLiteral("IndPos"), QStringLiteral("40000"));
    EXPECT_EQ(options.whole(OptionKey::IndPos), 0);
    options.setSingle(OptionKey::scY, 133.3f);
    EXPECT_EQ(*store.value(QStringLiteral("scY")), QStringLiteral("133,3"));
    EXPECT_EQ(options.single(OptionKey::scY), 133.3f);
}
