#include "support/testledger.h"
#include "support/widgetinput.h"

#include "maintenance/importwindow.h"
#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTableWidget>

using namespace qv;
using namespace qv::test;

class ImportWindowTest : public LedgerTest
{
protected:
    long long count(const char* sql) { return ledger().scalar(QString::fromUtf8(sql)).toLongLong(); }
};

// The operator's way through the window: a file chosen, a column the
// window did not know given its meaning, a refused row left out, 导入
// confirmed; then the import taken back from the list after the question.
TEST_P(ImportWindowTest, ChooseFixImportAndTakeBack)
{
    const QString file = ledger().workDir() + QStringLiteral("/礼单.csv");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("姓名,礼金,哪天,事由\r\n张三,200,2024-05-01,婚礼\r\n李四,abc,2024-05-02,婚礼\r\n"
                           "王五,伍佰元整,2024/5/3,满月\r\n")
                .toUtf8());
    f.close();
    ScriptedMessageBoxes& boxes = installScriptedMessageBoxes();
    installScriptedFileDialogs().queueAnswer(file);

    auto window = showWindow<ImportWindow>(sqlca());
    QAbstractItemModelTester tester(window->previewModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    click(*window, "cb_1");
    ASSERT_TRUE(window->previewModel()->preview());
    auto* summary = window->findChild<QLabel*>(QStringLiteral("st_1"));
    EXPECT_TRUE(summary->text().startsWith(QStringLiteral("读入 3 行，可导入 2 行，拒收 1 行")))
        << summary->text().toStdString();

    // 哪天 is no header the window knows: the operator says it is the date.
    auto* third = window->findChild<QComboBox*>(QStringLiteral("ddlb_col3"));
    ASSERT_TRUE(third);
    EXPECT_EQ(third->currentText(), QStringLiteral("（不导入）"));
    third->setCurrentText(QStringLiteral("日期"));
    emit third->activated(third->currentIndex());
    const ImportPreview& preview = *window->previewModel()->preview();
    EXPECT_EQ(preview.rows[2].gift.giftDate, QStringLiteral("20240503"));

    // The refused row blocks 导入 until its tick is taken away.
    auto* importButton = window->findChild<QPushButton*>(QStringLiteral("cb_2"));
    EXPECT_FALSE(importButton->isEnabled());
    ImportPreviewModel* model = window->previewModel();
    EXPECT_EQ(model->data(model->index(1, 2)).toString(), QStringLiteral("拒收"));
    EXPECT_EQ(model->data(model->index(1, 8)).toString(), QStringLiteral("第3行「礼金」：abc 不是金额"));
    ASSERT_TRUE(model->setData(model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(importButton->isEnabled());
    boxes.queueAnswer(1); // 导入吗？
    boxes.queueAnswer(1); // done
    click(*window, "cb_2");
    EXPECT_EQ(count("SELECT COUNT(*) FROM rqwlb"), 2);
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT sq FROM rqwlb WHERE xm = ?"), {QStringLiteral("王五")})
                  .toString(),
              QStringLiteral("20240503"));

    auto* history = window->findChild<QTableWidget*>(QStringLiteral("dw_3"));
    ASSERT_EQ(history->rowCount(), 1);
    EXPECT_EQ(history->item(0, 1)->text(), QStringLiteral("礼单.csv"));
    history->setCurrentCell(0, 0);
    boxes.queueAnswer(2); // 确定撤销吗？ No: nothing happens
    click(*window, "cb_3");
    EXPECT_EQ(count("SELECT COUNT(*) FROM rqwlb"), 2);
    boxes.queueAnswer(1);
    boxes.queueAnswer(1);
    click(*window, "cb_3");
    EXPECT_EQ(count("SELECT COUNT(*) FROM rqwlb"), 0);
    EXPECT_TRUE(boxes.texts().last().startsWith(QStringLiteral("已撤销第 1 次导入，删除了 2 条记录。")))
        << boxes.texts().last().toStdString();
    EXPECT_FALSE(history->item(0, 5)->text().isEmpty());
}

QV_LEDGER_TEST_SUITE(ImportWindowTest);
