#include "platform/money.h"

#include <gtest/gtest.h>

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
