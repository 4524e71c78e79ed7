#include "support/testledger.h"

#include "app/mainwindow.h"
#include "app/sheets.h"
#include "maintenance/operatorswindow.h"
#include "maintenance/recordswindow.h"
#include "platform/core/messagebox.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace qv;
using qv::test::LedgerTest;

namespace {

class MaintenanceMenuTest : public LedgerTest
{
};

// The three items of 系统维护 reach what they name, each in its own way.
TEST_P(MaintenanceMenuTest, ItemsOpenTheirWindowsAndRunTheInitialisation)
{
    ScriptedMessageBoxes& boxes = installScriptedMessageBoxes();
    registerTaskWindows();
    auto frame = std::make_unique<MainWindow>(sqlca());
    frame->show();
    auto trigger = [&](const char* name) {
        QAction* action = frame->findChild<QAction*>(QLatin1String(name));
        ASSERT_TRUE(action) << name;
        action->trigger();
    };

    trigger("m_2_6");
    QMdiSubWindow* sheet = frame->sheetFrame(QStringLiteral("w_jlk_wh"));
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(qobject_cast<RecordsWindow*>(sheet->widget()));

    trigger("m_2_5");
    OperatorsWindow* operators = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* o = qobject_cast<OperatorsWindow*>(w))
            operators = o;
    ASSERT_TRUE(operators) << "a window of its own, beside the frame";
    EXPECT_FALSE(frame->sheetFrame(QStringLiteral("w_czrsz")));
    EXPECT_TRUE(operators->isVisible());

    boxes.queueAnswer(2);
    trigger("m_2_8");
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("只能在程序正式使用前初始化，您确认初始化吗？")});

    operators->close();
    delete operators;
}

} // namespace

QV_LEDGER_TEST_SUITE(MaintenanceMenuTest);
