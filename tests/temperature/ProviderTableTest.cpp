#include "FileBytes.h"
#include "TemperFixture.h"
#include "temperature/ComponentError.h"
#include "temperature/ProviderTable.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tb;
using namespace tb::test;

namespace {

class Providers : public TemperFixture {};

int errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ComponentError& e) {
        return e.number();
    }
    return 0;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& content)
{
    const QString path = dir.filePath(QStringLiteral("providers.txt"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

} // namespace

TEST_F(Providers, NewComponentSelectsTheInternetGroup)
{
    auto t = make();
    EXPECT_EQ(t->Prov(), 0);
    EXPECT_EQ(t->ProvName(), QStringLiteral("Интернет"));
    EXPECT_EQ(t->ProvIP(), QStringLiteral("203.0.113.25,temp1.example.net,temp2.example.net,thermo.example.net"));
    EXPECT_EQ(t->ProvCount(), 2);
}

TEST_F(Providers, SelectingAndReplacingHosts)
{
    auto t = make();
    t->setProv(1);
    EXPECT_EQ(t->ProvName(), QStringLiteral("Локальный"));
    EXPECT_EQ(t->ProvIP(), QStringLiteral("192.168.0.5,192.168.0.1,127.0.0.1,192.168.1.1"));

    t->setProvIP(QStringLiteral("127.0.0.2,127.0.0.3"));
    EXPECT_EQ(t->ProvName(), QStringLiteral("Локальный"));
    const ProvGroup& g = t->providerTable()[1];
    EXPECT_EQ(g.HostCount, 2);
    EXPECT_EQ(g.Hosts, (QStringList{QStringLiteral("127.0.0.2"), QStringLiteral("127.0.0.3")}));
    EXPECT_EQ(t->providerTable()[0].HostCount, 4) << "the other group keeps its hosts";

    t->setProvIP(QString());
    EXPECT_EQ(t->providerTable()[1].HostCount, 0);
}

TEST_F(Providers, InvalidWritesRaiseTheirErrorsAndChangeNothing)
{
    auto t = make();
    t->setProv(1);
    EXPECT_EQ(errorOf([&] { t->setProv(2); }), 9);
    EXPECT_EQ(errorOf([&] { t->setProv(-1); }), 9);
    EXPECT_EQ(t->Prov(), 1);
    EXPECT_EQ(t->ProvName(), QStringLiteral("Локальный"));
    EXPECT_EQ(errorOf([&] { t->setProvName(QStringLiteral("x")); }), 382);
    EXPECT_EQ(errorOf([&] { t->setProvCount(3); }), 382);

    auto e = env();
    e.designMode = true;
    auto designed = make(e);
    EXPECT_EQ(errorOf([&] { designed->setProvName(QStringLiteral("x")); }), 387);
    EXPECT_EQ(errorOf([&] { designed->setProvCount(3); }), 387);
}

TEST_F(Providers, ShrinkingTheListWhileAHostFurtherOnIsCurrentStartsAgainAtTheFirst)
{
    auto t = started(QStringLiteral("127.0.0.1,127.0.0.2,127.0.0.3"));
    clock.advanceMs(4000); // two time-outs: host 2 is current
    EXPECT_EQ(t->providerTable()[0].CurHost, 2);
    t->setProvIP(QStringLiteral("127.0.0.9"));
    EXPECT_EQ(t->providerTable()[0].CurHost, 0);
}

TEST(ProviderFile, AValidFileReplacesTheBuiltInList)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "# my servers\nДача\n2\n127.0.0.1\n\nlocalhost\nРабота\n1\n127.0.0.5\n");
    const QStringList list = providerListFrom({dir.filePath(QStringLiteral("absent.txt")), path});
    const auto table = FillProvTable(list);
    ASSERT_TRUE(table);
    EXPECT_EQ((*table)[0].Name, QStringLiteral("Дача"));
    EXPECT_EQ((*table)[0].Hosts, (QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("localhost")}));
    EXPECT_EQ((*table)[1].HostCount, 1);
}

TEST(ProviderFile, UnusableFilesFallBackToTheBuiltInList)
{
    QTemporaryDir dir;
    const QByteArray bad[] = {
        "",                                            // empty
        "A\nx\n127.0.0.1\nB\n1\n127.0.0.2\n",          // count not a number
        "A\n0\nB\n1\n127.0.0.2\n",                     // no hosts
        "A\n5\n127.0.0.1\nB\n1\n127.0.0.2\n",          // more hosts than lines
        "A\n1\n127.0.0.1\n",                           // one group only
        "A\n1\n127.0.0.1\nB\n1\n127.0.0.2\nC\n1\nx\n", // three groups
        "A\n99999\n127.0.0.1\nB\n1\n127.0.0.2\n",      // count beyond 16 bits
        QByteArray(70 * 1024, 'x'),                    // far too large
        QByteArray("\0\xff\xfe\x01\n\x80", 6),         // binary
    };
    for (const QByteArray& content : bad) {
        const QString path = writeFile(dir, content);
        EXPECT_FALSE(loadProvidersFile(path)) << content.left(40).toStdString();
        EXPECT_EQ(providerListFrom({path}), builtinProviderList());
    }
}

TEST(ProviderFile, SpecialFilesInItsPlaceAreRefusedAtOnce)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.txt"));
    ASSERT_TRUE(::test::makeFifo(fifo));
    const QString toZero = dir.filePath(QStringLiteral("zero.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), toZero));
    for (const QString& path : {fifo, toZero, QStringLiteral("/dev/urandom"), dir.path()}) {
        EXPECT_FALSE(loadProvidersFile(path)) << path.toStdString();
        EXPECT_EQ(providerListFrom({path}), builtinProviderList());
    }
}

TEST_F(Providers, AComponentGivenABrokenListUsesTheBuiltInOne)
{
    auto e = env();
    e.providerList = QStringList{QStringLiteral("only a name")};
    auto t = make(e);
    EXPECT_EQ(t->ProvName(), QStringLiteral("Интернет"));
}
