#include "platform/core/gbktext.h"

#include <gtest/gtest.h>

namespace gbk = qv::gbk;

TEST(GbkText, CountsBytesAsTheLedgerStoresThem)
{
    EXPECT_EQ(gbk::len(u"张三"), 4);
    EXPECT_EQ(gbk::len(u"ab张"), 4);
    EXPECT_EQ(gbk::len(u""), 0);
    EXPECT_EQ(gbk::left(u"张三丰", 4), QStringLiteral("张三"));
    EXPECT_EQ(gbk::mid(u"2003年05月01日", 7, 2), QStringLiteral("05"));
    EXPECT_EQ(gbk::mid(u"2003年05月01日", 11, 2), QStringLiteral("01"));
}

TEST(GbkText, EightChineseCharactersFitANameNineDoNot)
{
    EXPECT_FALSE(gbk::checkField(u"一二三四五六七八", 16, QStringLiteral("姓名")).has_value());
    const auto message = gbk::checkField(u"一二三四五六七八九", 16, QStringLiteral("姓名"));
    ASSERT_TRUE(message.has_value());
    EXPECT_TRUE(message->contains(QStringLiteral("姓名")));
    EXPECT_TRUE(message->contains(QStringLiteral("16")));
}

TEST(GbkText, UnencodableTextIsReportedNeverReplaced)
{
    EXPECT_FALSE(gbk::encode(u"张😀").has_value());
    EXPECT_EQ(gbk::firstUnencodable(u"张😀三"), QStringLiteral("😀"));
    const auto message = gbk::checkField(QStringLiteral("李\u0E01"), 16, QStringLiteral("姓名"));
    ASSERT_TRUE(message.has_value());
    EXPECT_TRUE(message->contains(QStringLiteral("姓名")));
    EXPECT_TRUE(message->contains(QStringLiteral("\u0E01")));
}
