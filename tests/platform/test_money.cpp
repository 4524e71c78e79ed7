#include "platform/core/capitals.h"
#include "platform/core/money.h"

#include <gtest/gtest.h>

#include <limits>

using qv::Money;

TEST(Money, ParsesDisplayTextsExactly)
{
    EXPECT_EQ(Money::parse(u"1,250.00")->cents(), 125000);
    EXPECT_EQ(Money::parse(u"300")->cents(), 30000);
    EXPECT_EQ(Money::parse(u" 12.3 ")->cents(), 1230);
    EXPECT_EQ(Money::parse(u".5")->cents(), 50);
    EXPECT_EQ(Money::parse(u"-5")->cents(), -500);
    EXPECT_EQ(Money::parse(u"1,234,567.89")->cents(), 123456789);
    EXPECT_EQ(Money::parse(u"99999999999")->cents(), 9999999999900);
}

TEST(Money, RejectsWhatIsNotAnAmount)
{
    for (auto text : {u"abc", u"1,2,3", u"", u"-", u"1.234", u"12,34.00", u"1e5", u"１２", u"1.2.3",
                      u"9999999999999", u",100"})
        EXPECT_FALSE(Money::parse(text).has_value()) << QString::fromUtf16(text).toStdString();
}

TEST(Money, TellsWhyATypedAmountIsRefused)
{
    const QString caption = QStringLiteral("收情金额");
    EXPECT_FALSE(Money::inputProblem(u"999,999,999,999.99", caption).has_value());
    for (auto text : {u"1000000000000", u"-1000000000000", u"1,000,000,000,000", u"99999999999999999999.5"}) {
        const auto problem = Money::inputProblem(text, caption);
        ASSERT_TRUE(problem.has_value());
        EXPECT_EQ(*problem, QStringLiteral("金额太大：收情金额最多为 999,999,999,999.99，请重新输入。"));
    }
    // A slip anywhere in a long number is a slip, not a size.
    for (auto text : {u"abc", u"1,2,3", u"99999999999999x", u"1.234"}) {
        const auto problem = Money::inputProblem(text, caption);
        ASSERT_TRUE(problem.has_value());
        EXPECT_TRUE(problem->contains(QStringLiteral("不是有效的金额"))) << problem->toStdString();
    }
}

TEST(Money, ReadsEveryDriverRepresentation)
{
    EXPECT_EQ(Money::fromVariant(QVariant(qlonglong(300)))->cents(), 30000);
    EXPECT_EQ(Money::fromVariant(QVariant(0.1))->cents(), 10);
    EXPECT_EQ(Money::fromVariant(QVariant(-300.0))->cents(), -30000);
    EXPECT_EQ(Money::fromVariant(QVariant(QStringLiteral("12.3400")))->cents(), 1234);
    EXPECT_EQ(Money::fromVariant(QVariant(QStringLiteral("-0.50")))->cents(), -50);
    EXPECT_FALSE(Money::fromVariant(QVariant()).has_value());
}

TEST(Money, DriverValuesBeyondTheLargestAmountAreRefusedNotWrapped)
{
    const qint64 top = Money::maxCents;
    struct Case
    {
        const char* name;
        QVariant value;
        std::optional<qint64> cents; // nothing = refused
    };
    const QList<Case> cases = {
        {"largest whole amount", QVariant(qlonglong(top / 100)), top / 100 * 100},
        {"smallest whole amount", QVariant(qlonglong(-top / 100)), -(top / 100 * 100)},
        {"one unit too many", QVariant(qlonglong(top / 100 + 1)), std::nullopt},
        {"one unit too few", QVariant(qlonglong(-top / 100 - 1)), std::nullopt},
        {"wraps to a small amount", QVariant(qlonglong(92233720368547759LL)), std::nullopt},
        {"largest integer", QVariant(std::numeric_limits<qlonglong>::max()), std::nullopt},
        {"smallest integer", QVariant(std::numeric_limits<qlonglong>::min()), std::nullopt},
        {"unsigned within", QVariant(qulonglong(300)), 30000},
        {"unsigned past the signed range", QVariant(std::numeric_limits<qulonglong>::max()), std::nullopt},
        {"unsigned int", QVariant(std::numeric_limits<uint>::max()),
         qint64(std::numeric_limits<uint>::max()) * 100},
        {"largest double", QVariant(999999999999.99), top},
        {"double too large", QVariant(1e12), std::nullopt},
        {"double far too large", QVariant(1e300), std::nullopt},
        {"negative double far too large", QVariant(-1e300), std::nullopt},
        {"infinity", QVariant(std::numeric_limits<double>::infinity()), std::nullopt},
        {"not a number", QVariant(std::numeric_limits<double>::quiet_NaN()), std::nullopt},
        {"largest decimal text", QVariant(QStringLiteral("999999999999.9949")), top},
        {"decimal text rounding past the largest", QVariant(QStringLiteral("999999999999.995")),
         std::nullopt},
        {"negative decimal text rounding past", QVariant(QStringLiteral("-999999999999.995")), std::nullopt},
        {"long decimal text", QVariant(QStringLiteral("99999999999999999999.125")), std::nullopt},
        {"exponent text too large", QVariant(QStringLiteral("1.5e300")), std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<Money> m = Money::fromVariant(c.value);
        ASSERT_EQ(m.has_value(), c.cents.has_value()) << c.name << ": " << (m ? m->cents() : 0);
        if (m) {
            EXPECT_EQ(m->cents(), *c.cents) << c.name;
        }
    }
}

TEST(Money, DecimalTextFinerThanACentRoundsOnItsDigits)
{
    // Half a cent rounds away from zero as written, whatever a double makes
    // of the text (1.005 is 1.00499999… as a double).
    const QList<std::pair<const char*, qint64>> cases = {
        {"1.005", 101},    {"-1.005", -101}, {"-0.005", -1},    {"0.0049", 0},     {"12.3449", 1234},
        {"12.3450", 1235}, {"2.675", 268},   {"12.3400", 1234}, {"1.5e3", 150000}, {".125", 13},
    };
    for (const auto& [text, cents] : cases) {
        const auto m = Money::fromVariant(QVariant(QString::fromLatin1(text)));
        ASSERT_TRUE(m.has_value()) << text;
        EXPECT_EQ(m->cents(), cents) << text;
    }
    for (const char* text : {"1.00x", "1.0-5", "1.2.345"})
        EXPECT_FALSE(Money::fromVariant(QVariant(QString::fromLatin1(text))).has_value()) << text;
}

TEST(Money, FormatsLikeTheReportFormats)
{
    const Money m = Money::fromCents(125050);
    EXPECT_EQ(m.format(u"#,##0.00"), QStringLiteral("1,250.50"));
    EXPECT_EQ(m.format(u"0.00"), QStringLiteral("1250.50"));
    EXPECT_EQ(Money::fromCents(550).format(u"000.00"), QStringLiteral("005.50"));
    EXPECT_EQ(Money::fromCents(-30000).format(u"#,##0.00"), QStringLiteral("-300.00"));
    EXPECT_EQ(Money::fromCents(0).format(u"0.00"), QStringLiteral("0.00"));
    EXPECT_EQ(Money::fromCents(123456789).format(u"###,###.00"), QStringLiteral("1,234,567.89"));
    EXPECT_EQ(Money::fromCents(-30000).toSqlText(), QStringLiteral("-300.00"));
    EXPECT_EQ(Money::fromCents(5).toSqlText(), QStringLiteral("0.05"));
}

TEST(Money, SumsOfManySmallAmountsDoNotDrift)
{
    // 0.10 is not exact in binary; a million of them must still be 100,000.00.
    Money total;
    for (int i = 0; i < 1'000'000; ++i)
        total += *Money::fromVariant(QVariant(0.1));
    EXPECT_EQ(total.cents(), 10'000'000);
}

TEST(Capitals, WrittenAsABankAndABookWriteThemAndReadBack)
{
    const QList<std::pair<qint64, const char*>> table = {
        {0, "零元整"},
        {8, "捌分"},
        {50, "伍角"},
        {58, "伍角捌分"},
        {1000, "壹拾元整"},
        {1050, "壹拾元零伍角"},
        {108, "壹元零捌分"},
        {32504, "叁佰贰拾伍元零肆分"},
        {140950, "壹仟肆佰零玖元伍角"},
        {168032, "壹仟陆佰捌拾元零叁角贰分"},
        {100500, "壹仟零伍元整"},
        {1000050, "壹万元零伍角"},
        {10700053, "壹拾万柒仟元零伍角叁分"},
        {10010000, "壹拾万零壹佰元整"},
        {100000100, "壹佰万零壹元整"},
        {100100000, "壹佰万壹仟元整"},
        {1000000000000, "壹佰亿元整"},
        {10050000000, "壹亿零伍拾万元整"},
        {5005000000, "伍仟零伍万元整"},
        {10000010000, "壹亿零壹佰元整"},
        {Money::maxCents, "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {-20000, "负贰佰元整"},
    };
    for (const auto& [cents, text] : table) {
        const QString expected = QString::fromUtf8(text);
        EXPECT_EQ(qv::amountInCapitals(Money::fromCents(cents)), expected) << cents;
        const auto back = qv::parseCapitals(expected);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(back->cents(), cents) << text;
    }

    // Every amount the writer can produce reads back as itself.
    quint64 state = 0x9E3779B97F4A7C15ULL;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        // Mostly the sizes of gifts, some up to the largest amount, with
        // zeros in every place.
        qint64 cents = qint64(state >> 20) % (i % 3 == 0 ? Money::maxCents + 1 : 100000000);
        if (i % 5 == 0)
            cents -= cents % 1000;
        const QString text = qv::amountInCapitals(Money::fromCents(cents));
        const auto back = qv::parseCapitals(text);
        ASSERT_TRUE(back.has_value()) << text.toStdString();
        ASSERT_EQ(back->cents(), cents) << text.toStdString();
    }
}

TEST(Capitals, HandWrittenFormsAreReadAndWhatIsNoAmountIsNot)
{
    const QList<std::pair<const char*, qint64>> read = {
        {"伍佰元整", 50000},    {"壹仟贰佰元", 120000}, {"叁佰伍拾元伍角", 35050},
        {"贰佰圆正", 20000},    {"拾伍元", 1500},       {"人民币壹万元整", 1000000},
        {"一千二百元", 120000}, {"两百元", 20000},      {"伍佰", 50000},
        {"壹仟零伍元", 100500}, {"壹仟伍元", 100500},   {" 陆佰 陆拾 陆元 ", 66600},
    };
    for (const auto& [text, cents] : read) {
        const auto value = qv::parseCapitals(QString::fromUtf8(text));
        ASSERT_TRUE(value.has_value()) << text;
        EXPECT_EQ(value->cents(), cents) << text;
    }
    for (const char* bad :
         {"", "元", "整", "abc", "200", "伍伍元", "伍拾伍佰元", "壹万壹万元", "壹万亿元", "伍佰元伍",
          "伍角伍角", "佰元", "玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分玖"})
        EXPECT_FALSE(qv::parseCapitals(QString::fromUtf8(bad)).has_value()) << bad;
}
