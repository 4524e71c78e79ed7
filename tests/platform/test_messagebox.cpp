#include "platform/messagebox.h"

#include <gtest/gtest.h>

TEST(MessageBoxService, ScriptedAnswersAreReturnedInOrderThenTheDefault)
{
    auto& boxes = qv::installScriptedMessageBoxes();
    boxes.queueAnswer(2);
    EXPECT_EQ(qv::messagebox(QStringLiteral("退出"), QStringLiteral("确实退出吗?"), qv::Icon::Question,
                             qv::Buttons::OKCancel, 2),
              2);
    EXPECT_EQ(qv::messagebox(QStringLiteral("退出"), QStringLiteral("数据未保存！是否存盘?"), qv::Icon::Question,
                             qv::Buttons::YesNoCancel, 1),
              1);
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_EQ(boxes.shown()[0].icon, qv::Icon::Question);
    EXPECT_EQ(boxes.shown()[0].defaultButton, 2);
    EXPECT_EQ(boxes.shown()[1].answer, 1);
}
