#include "platform/money.h"

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
        {"unsigned int", QVariant(std::numeric_limits<uint>::max()), qint64(std::numeric_limits<uint>::max()) * 100},
        {"largest double", QVariant(999999999999.99), top},
        {"double too large", QVariant(1e12), std::nullopt},
        {"double far too large", QVariant(1e300), std::nullopt},
        {"negative double far too large", QVariant(-1e300), std::nullopt},
        {"infinity", QVariant(std::numeric_limits<double>::infinity()), std::nullopt},
        {"not a number", QVariant(std::numeric_limits<double>::quiet_NaN()), std::nullopt},
        {"largest decimal text", QVariant(QStringLiteral("999999999999.9949")), top},
        {"decimal text rounding past the largest", QVariant(QStringLiteral("999999999999.995")), std::nullopt},
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
        {"1.005", 101},    {"-1.005", -101},   {"-0.005", -1},   {"0.0049", 0},    {"12.3449", 1234},
        {"12.3450", 1235}, {"2.675", 268},     {"12.3400", 1234}, {"1.5e3", 150000}, {".125", 13},
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
