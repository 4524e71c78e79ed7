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

TEST(PinyinInitials, WalksTheNameCharacterByCharacter)
{
    const PinyinTable t = smallTable();
    const struct
    {
        QString name;
        QString code;
    } cases[] = {
        {QStringLiteral("张三"), QStringLiteral("zs")},
        {QStringLiteral("王小明"), QStringLiteral("w?m")}, // 小 is not in the table
        {QStringLiteral("单"), QStringLiteral("s")},       // the first row of a polyphone
        {QString(), QString()},
        // Latin letters and digits stand for themselves, in lower case; an
        // ASCII letter in front no longer spoils the characters after it.
        {QStringLiteral("Tom"), QStringLiteral("tom")},
        {QStringLiteral("O'Neil"), QStringLiteral("o?neil")},
        {QStringLiteral("张A"), QStringLiteral("za")},
        {QStringLiteral("a张三"), QStringLiteral("azs")},
        {QStringLiteral("王2明"), QStringLiteral("w2m")},
        {QStringLiteral("Liz张"), QStringLiteral("lizz")}, // z, the last letter, is a letter too
        // Blanks, punctuation, full-width and unencodable characters are "?".
        {QStringLiteral("张 三"), QStringLiteral("z?s")},
        {QStringLiteral("张·三"), QStringLiteral("z?s")},
        {QStringLiteral("Ｔ张"), QStringLiteral("?z")},
        {QStringLiteral("张🎂三"), QStringLiteral("z?s")},
        {QStringLiteral("한"), QStringLiteral("?")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(t.initials(c.name), c.code) << c.name.toStdString();
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
