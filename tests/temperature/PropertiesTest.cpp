#include "TemperFixture.h"
#include "platform/FilePropertyBag.h"
#include "platform/MemoryPropertyBag.h"

#include <QTemporaryDir>

#include <limits>

using namespace tb;
using namespace tb::test;

namespace {
class Properties : public TemperFixture {};
}

TEST_F(Properties, ANewInstanceHasTheDefaults)
{
    auto t = make();
    EXPECT_TRUE(t->Save2Reg());
    EXPECT_EQ(t->OprosTime(), 60);
    EXPECT_EQ(t->strZapros(), QStringLiteral("$vox"));
    EXPECT_EQ(t->ProvName(), QStringLiteral("Интернет"));
    EXPECT_TRUE(t->CheckVer());
    EXPECT_TRUE(t->DifTimeEvent());
    EXPECT_EQ(t->DifTimePeriod(), 15);
    EXPECT_EQ(t->DifTimeDlit(), 1000);
    EXPECT_EQ(t->ProgId(), QString());
    EXPECT_TRUE(t->IsMsWs());

    MemoryPropertyBag bag;
    t->WriteProperties(bag);
    // Only the age text differs from its default: the default reading is years old.
    EXPECT_EQ(bag.values().keys(), QStringList{QStringLiteral("DifTimeStr")});
}

TEST_F(Properties, SavingStoresOnlyWhatDiffersFromTheDefaults)
{
    auto t = started(QStringLiteral("127.0.0.1"));
    reply(QStringLiteral("24.10.2012 18:33 -5.3"));
    reply(QStringLiteral("25.10.2012 18:33 -4"));
    t->setProv(1);
    t->setOprosTime(20);
    t->setProgId(QString(QChar(3)));
    (void)t->DifTimeStr();
    MemoryPropertyBag bag;
    t->WriteProperties(bag);
    const auto& v = bag.values();
    EXPECT_EQ(v.value(QStringLiteral("Prov")).toInt(), 1);
    EXPECT_FALSE(v.contains(QStringLiteral("ProvName"))) << "equal to the selected group's name";
    EXPECT_FALSE(v.contains(QStringLiteral("ProvIP"))) << "never stored";
    EXPECT_EQ(v.value(QStringLiteral("OprosTime")).toInt(), 20);
    EXPECT_DOUBLE_EQ(v.value(QStringLiteral("valTemper")).toDouble(), -4.0);
    EXPECT_DOUBLE_EQ(v.value(QStringLiteral("valTemperPrev")).toDouble(), -5.3);
    EXPECT_DOUBLE_EQ(v.value(QStringLiteral("valTime")).toDouble(), DateTime::of(2012, 10, 25, 18, 33).days());
    EXPECT_EQ(v.value(QStringLiteral("StatIn")).toInt(), 2);
    EXPECT_EQ(v.value(QStringLiteral("StatOut")).toInt(), 1);
    EXPECT_EQ(v.value(QStringLiteral("ProgId")).toString(), QString(QChar(3)));
    EXPECT_FALSE(v.value(QStringLiteral("DifTimeStr")).toString().isEmpty());
    for (const char* key : {"CheckVer", "TemperCor", "strZapros", "DifTimeEvent", "DifTimePeriod", "DifTimeDlit", "ProvCount", "Save2Reg"})
        EXPECT_FALSE(v.contains(QLatin1String(key))) << key;
}

TEST_F(Properties, ReadingStoredPropertiesBypassesTheWriteRules)
{
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("Prov"), 1);
    bag.set(QStringLiteral("ProvName"), QStringLiteral("Своя сеть"));
    bag.set(QStringLiteral("ProvIP"), QStringLiteral("127.0.0.5"));
    bag.set(QStringLiteral("OprosTime"), 30);
    bag.set(QStringLiteral("strZapros"), QString());
    bag.set(QStringLiteral("ProgId"), QStringLiteral("AB"));
    bag.set(QStringLiteral("DifTimeStr"), QStringLiteral("7:77"));
    bag.set(QStringLiteral("StatOut"), 12);
    bag.set(QStringLiteral("Save2Reg"), false);
    ctlTemper t(env());
    t.ReadProperties(bag);
    EXPECT_EQ(t.Prov(), 1);
    EXPECT_EQ(t.ProvName(), QStringLiteral("Своя сеть"));
    EXPECT_EQ(t.ProvIP(), QStringLiteral("127.0.0.5"));
    EXPECT_EQ(t.providerTable()[0].HostCount, 4) << "the host lists are not changed";
    EXPECT_EQ(t.providerTable()[1].Hosts.first(), QStringLiteral("192.168.0.5"));
    EXPECT_EQ(t.OprosTime(), 30);
    EXPECT_EQ(t.strZapros(), QString());
    EXPECT_EQ(t.ProgId(), QStringLiteral("AB"));
    EXPECT_EQ(t.StatOut(), 12);
    EXPECT_FALSE(t.Save2Reg());

    MemoryPropertyBag saved;
    t.WriteProperties(saved);
    EXPECT_EQ(saved.values().value(QStringLiteral("DifTimeStr")).toString(), QStringLiteral("7:77"))
        << "the stored age text stands until it is read";
    EXPECT_NE(t.DifTimeStr(), QStringLiteral("7:77"));
}

TEST_F(Properties, UnusableStoredValuesFallBackToDefaults)
{
    MemoryPropertyBag bag;
    bag.set(QStringLiteral("Prov"), 7);
    bag.set(QStringLiteral("OprosTime"), QStringLiteral("often"));
    bag.set(QStringLiteral("CheckVer"), QVariant::fromValue(QStringList{QStringLiteral("x")}));
    bag.set(QStringLiteral("ProvCount"), 40000);
    bag.set(QStringLiteral("DifTimePeriod"), 1.5);
    bag.set(QStringLiteral("DifTimeDlit"), std::numeric_limits<double>::quiet_NaN());
    bag.set(QStringLiteral("Save2Reg"), QStringLiteral("abc"));
    bag.set(QStringLiteral("DifTimeEvent"), QStringLiteral("False"));
    ctlTemper t(env());
    t.ReadProperties(bag);
    EXPECT_EQ(t.Prov(), 0);
    EXPECT_EQ(t.ProvName(), QStringLiteral("Интернет"));
    EXPECT_EQ(t.OprosTime(), 60);
    EXPECT_TRUE(t.CheckVer());
    EXPECT_EQ(t.ProvCount(), 2);
    EXPECT_EQ(t.DifTimePeriod(), 15);
    EXPECT_EQ(t.DifTimeDlit(), 1000) << "not a number";
    EXPECT_TRUE(t.Save2Reg()) << "a word that is no Boolean";
    EXPECT_FALSE(t.DifTimeEvent()) << "the word False";
}

TEST_F(Properties, EveryWriteTellsTheContainerItsKey)
{
    auto t = make();
    t->setProv(1);
    t->setProvIP(QStringLiteral("127.0.0.1"));
    t->setCheckVer(false);
    t->setOprosTime(5);
    t->setTemperCor(1);
    t->setValTime(DateTime::of(2020, 1, 1));
    t->setValTemper(1);
    t->setValTemperPrev(1);
    t->setStatIn(1);
    t->setStatOut(1);
    t->setStrZapros(QStringLiteral("w"));
    t->setProgId(QStringLiteral("p"));
    t->setDifTimeEvent(false);
    t->setDifTimePeriod(3);
    t->setDifTimeDlit(3);
    t->setSave2Reg(false);
    EXPECT_EQ(changedKeys.join(QLatin1Char(' ')),
              QStringLiteral("Prov ProvIP CheckVer OprosTime TemperCor valTime valTemper valTemperPrev StatIn StatOut "
                             "strZapros ProgId DifTimeEvent DifTimePeriod DifTimeDlit Save2Reg"));
}

TEST_F(Properties, AFileBackedBagRoundTrips)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("props.ini"));
    {
        auto t = make();
        t->setProv(1);
        t->setStrZapros(QStringLiteral("Дом\\1 = x"));
        t->setDifTimeEvent(false);
        FilePropertyBag bag(path);
        t->WriteProperties(bag);
        ASSERT_TRUE(bag.save());
    }
    FilePropertyBag bag(path);
    ctlTemper t(env());
    t.ReadProperties(bag);
    EXPECT_EQ(t.Prov(), 1);
    EXPECT_EQ(t.strZapros(), QStringLiteral("Дом\\1 = x"));
    EXPECT_FALSE(t.DifTimeEvent());
}
