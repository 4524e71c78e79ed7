#include "support/testledger.h"

#include "data/pinyin.h"

using namespace qv;

namespace {

PinyinTable smallTable()
{
    PinyinTable t;
    t.addRow(QStringLiteral("张"), QStringLiteral("zhang"));
    t.addRow(QStringLiteral("三"), QStringLiteral("san"));
    t.addRow(QStringLiteral("王"), QStringLiteral("wang"));
    t.addRow(QStringLiteral("明"), QStringLiteral("ming"));
    t.addRow(QStringLiteral("单"), QStringLiteral("shan"));
    t.addRow(QStringLiteral("单"), QStringLiteral("dan")); // later rows of a polyphone never win
    return t;
}

} // namespace

TEST(PinyinInitials, WalksTheNameTwoGbkBytesAtATime)
{
    const PinyinTable t = smallTable();
    EXPECT_EQ(t.initials(QStringLiteral("张三")), QStringLiteral("zs"));
    EXPECT_EQ(t.initials(QStringLiteral("王小明")), QStringLiteral("w?m"));
    EXPECT_EQ(t.initials(QStringLiteral("ab")), QStringLiteral("?"));
    // An ASCII letter in front shifts every later unit by one byte.
    EXPECT_EQ(t.initials(QStringLiteral("a张三")), QStringLiteral("???"));
    EXPECT_EQ(t.initials(QString()), QString());
    EXPECT_EQ(t.initials(QStringLiteral("单")), QStringLiteral("s"));
    EXPECT_EQ(t.size(), 6);
}

class PinyinDb : public qv::test::LedgerTest
{
};

TEST_P(PinyinDb, TheSeededTableGivesSurnameReadings)
{
    PinyinTable t;
    ASSERT_TRUE(t.load(sqlca()));
    EXPECT_GT(t.size(), 20000);
    EXPECT_EQ(t.initials(QStringLiteral("张三")), QStringLiteral("zs"));
    EXPECT_EQ(t.initials(QStringLiteral("单田芳")), QStringLiteral("stf"));
    EXPECT_EQ(t.initials(QStringLiteral("曾国藩")), QStringLiteral("zgf"));
}

QV_LEDGER_TEST_SUITE(PinyinDb);
