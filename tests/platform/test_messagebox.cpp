#include "platform/core/messagebox.h"

#include <gtest/gtest.h>

TEST(MessageBoxService, ScriptedAnswersAreReturnedInOrderThenTheDefault)
{
    auto& boxes = qv::installScriptedMessageBoxes();
    boxes.queueAnswer(2);
    EXPECT_EQ(qv::messagebox(QStringLiteral("退出"), QStringLiteral("确实退出吗?"), qv::Icon::Question,
                             qv::Buttons::OKCancel, 2),
              2);
    EXPECT_EQ(qv::messagebox(QStringLiteral("退出"), QStringLiteral("数据未保存！是否存盘?"),
                             qv::Icon::Question, qv::Buttons::YesNoCancel, 1),
              1);
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[0].icon, qv::Icon::Question);
    EXPECT_EQ(boxes.shown()[0].defaultButton, 2);
    EXPECT_EQ(boxes.shown()[1].answer, 1);
}

// The database's reason under a fixed text: a common cause in one Chinese
// sentence, the original words after it; Chinese and unknown texts as they came.
TEST(MessageBoxService, ReasonsOfCommonCausesAreSaidInChineseWithTheOriginalAfter)
{
    const struct
    {
        const char* reason;
        const char* meaning; // nullptr: shown unchanged
    } cases[] = {
        {"UNIQUE constraint failed: tjb_save.year, tjb_save.mon Unable to fetch row", "这一年的数据已经存过"},
        {"ERROR:  duplicate key value violates unique constraint \"tjb_save_pkey\"\nDETAIL:  Key (year, "
         "mon)=(2024, "
         "01) already exists.",
         "这一年的数据已经存过"},
        {"UNIQUE constraint failed: czr.code", "这条记录已经存在"},
        {"ERROR:  duplicate key value violates unique constraint \"czr_pkey\"", "这条记录已经存在"},
        {"database is locked Unable to fetch row", "账本正被另一个程序写入，请稍后再试"},
        {"attempt to write a readonly database", "账本文件是只读的"},
        {"database or disk is full", "磁盘已满"},
        {"ERROR:  could not extend file \"base/16384/16385\": No space left on device", "磁盘已满"},
        {"Error creating output xlsx file. Usually a permissions error.", "没有写入这个位置的权限"},
        {"ERROR:  permission denied for table czr", "数据库用户没有这项操作的权限"},
        {"could not connect to server: Connection refused\n\tIs the server running on host \"ledger.lan\"?",
         "连不上数据库服务器，请检查服务器是否开着、网络是否通畅"},
        {"[unixODBC][Driver Manager]Data source name not found and no default driver specified",
         "找不到 ODBC 数据源，请检查 pb.ini 的 dbparm"},
        {"磁盘空间不足（database or disk is full）", nullptr},
        {"与数据库服务器的连接已断开\nserver closed the connection unexpectedly", nullptr},
        {"near \"SELEC\": syntax error", nullptr},
    };
    for (const auto& c : cases) {
        const QString reason = QString::fromUtf8(c.reason);
        const QString expected = c.meaning ? QString::fromUtf8(c.meaning) + u'（' + reason + u'）' : reason;
        EXPECT_EQ(qv::withReason(QStringLiteral("数据保存出错!"), reason),
                  QStringLiteral("数据保存出错!\n") + expected)
            << c.reason;
    }
}
