#include "platform/FileRegistryStore.h"
#include "platform/MemoryRegistryStore.h"
#include "temperature/mReg.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tb;
using namespace tb::mReg;

namespace {

const QString kKey = QStringLiteral("Software\\CtlTemper");

// The same rules hold for the in-memory store and for the file store.
class RegistryRoutines : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        if (GetParam())
            store = std::make_unique<FileRegistryStore>(dir.filePath(QStringLiteral("registry.ini")));
        else
            store = std::make_unique<MemoryRegistryStore>();
    }
    QTemporaryDir dir;
    std::unique_ptr<RegistryStore> store;
};

} // namespace

TEST_P(RegistryRoutines, MissingKeyOrValueReadsAsFailureAndKeepsTheText)
{
    QString text = QStringLiteral("unchanged");
    EXPECT_FALSE(RegReadStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), text));
    EXPECT_EQ(text, QStringLiteral("unchanged"));
    ASSERT_TRUE(RegWriteStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Time"), QStringLiteral("x")));
    EXPECT_FALSE(RegReadStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), text));
    EXPECT_EQ(text, QStringLiteral("unchanged"));
    EXPECT_FALSE(RegReadStr(*store, RegRoot::LocalMachine, kKey, QStringLiteral("Time"), text)) << "roots are apart";
}

TEST_P(RegistryRoutines, WrittenTextsReadBackExactly)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("-5,3"),
        QStringLiteral("  trailing blanks  "),
        QStringLiteral("\"/opt/Thermo Badge/ThermoBadge\" --flag=1 \\path\\"),
        QStringLiteral("строка\r\nс переводом\tи табуляцией"),
        QString(1000, QChar(u'ж')),
        QStringLiteral("[not a section]=\\x41"),
    };
    for (const QString& t : texts) {
        ASSERT_TRUE(RegWriteStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Value"), t));
        QString back = QStringLiteral("sentinel");
        ASSERT_TRUE(RegReadStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("value"), back));
        EXPECT_EQ(back, t);
    }
}

TEST_P(RegistryRoutines, NonStringValueReadsAsSuccessWithEmptyText)
{
    ASSERT_TRUE(store->setValue(RegRoot::CurrentUser, kKey, QStringLiteral("Count"), RegValue::dword(42)));
    QString text = QStringLiteral("unchanged");
    EXPECT_TRUE(RegReadStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Count"), text));
    EXPECT_EQ(text, QString());
}

TEST_P(RegistryRoutines, DeletingValues)
{
    EXPECT_FALSE(RegDelValue(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Temper"))) << "no key";
    RegWriteStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), QStringLiteral("1"));
    RegWriteStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Time"), QStringLiteral("2"));
    EXPECT_TRUE(RegDelValue(*store, RegRoot::CurrentUser, kKey, QStringLiteral("TEMPER")));
    EXPECT_FALSE(RegDelValue(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Temper"))) << "already gone";
    QString text;
    EXPECT_FALSE(RegReadStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Temper"), text));
    EXPECT_TRUE(RegReadStr(*store, RegRoot::CurrentUser, kKey, QStringLiteral("Time"), text));
    EXPECT_EQ(text, QStringLiteral("2"));
}

INSTANTIATE_TEST_SUITE_P(Stores, RegistryRoutines, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "File" : "Memory"; });
