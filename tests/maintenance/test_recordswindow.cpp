#include "support/testledger.h"

#include "gridinput.h"

#include "data/contactpicker.h"
#include "maintenance/recordswindow.h"
#include "platform/core/messagebox.h"
#include "platform/output/printing.h"
#include "platform/reports/datastore.h"
#include "platform/reports/reportexport.h"
#include "support/pdftext.h"

#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

using namespace qv;
using qv::test::LedgerTest;
using qv::test::openCell;
using qv::test::typeInto;

namespace {

const QString kAsk = QStringLiteral("数据未保存！是否存盘?");
const QString kSaved = QStringLiteral("数据保存成功!");

class RecordsWindowTest : public LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_boxes = &installScriptedMessageBoxes();
        addRecord("260301100000", "张三", "收情", "本人", "结婚", "50", "20260301");
        addRecord("260302100000", "张三", "送情", "父亲", "生日", "-1200", "20260302");
        addRecord("260303100000", "张三", "收情", "本人", "升职", "1200", "20260315");
        addRecord("260304100000", "李四", "收情", "本人", "结婚", "300", "20260301");
    }

    void addRecord(const char* xtbh, const char* xm, const char* lx, const char* dx, const char* sy,
                   const char* je, const char* sq)
    {
        ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, dx, sy, je, sj, sq) "
                                     "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
                      {QLatin1String(xtbh), QString::fromUtf8(xm), QString::fromUtf8(lx),
                       QString::fromUtf8(dx), QString::fromUtf8(sy), QLatin1String(je), QLatin1String(sq),
                       QLatin1String(sq)});
    }

    // Opens the window and lists a person's records of a period.
    std::unique_ptr<RecordsWindow> listed(const char* name, const char* from = "20260301",
                                          const char* to = "20260331")
    {
        auto w = std::make_unique<RecordsWindow>(sqlca());
        w->show();
        w->findChild<QLineEdit*>(QStringLiteral("sle_1"))->setText(QString::fromUtf8(name));
        w->findChild<DateEdit*>(QStringLiteral("em_1"))->setStoredText(QLatin1String(from));
        w->findChild<DateEdit*>(QStringLiteral("em_2"))->setStoredText(QLatin1String(to));
        click(*w, "cb_1");
        return w;
    }

    static void click(RecordsWindow& w, const char* button)
    {
        auto* b = w.findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_TRUE(b) << button;
        b->click();
    }

    static long rowOf(RecordsWindow& w, const char* xtbh)
    {
        return w.grid()->store().findText(QStringLiteral("xtbh"), QLatin1String(xtbh), 1,
                                          w.grid()->rowCount());
    }

    QVariant stored(const char* column, const char* xtbh)
    {
        return ledger().scalar(
            QStringLiteral("SELECT %1 FROM rqwlb WHERE xtbh = ?").arg(QLatin1String(column)),
            {QLatin1String(xtbh)});
    }
    Money storedAmount(const char* xtbh) { return *Money::fromVariant(stored("je", xtbh)); }

    ScriptedMessageBoxes* m_boxes = nullptr;
};

TEST_P(RecordsWindowTest, OpensWithTodayInBothDatesAndListsNothing)
{
    RecordsWindow w(sqlca());
    EXPECT_EQ(w.grid()->rowCount(), 0);
    EXPECT_TRUE(w.picker()->grid()->isHidden());
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    EXPECT_EQ(w.findChild<DateEdit*>(QStringLiteral("em_1"))->storedText(), today);
    EXPECT_EQ(w.findChild<DateEdit*>(QStringLiteral("em_2"))->storedText(), today);
}

TEST_P(RecordsWindowTest, ListsBothKindsOfOnePersonAndPeriodWithTheBalance)
{
    struct Case
    {
        const char* from;
        const char* to;
        int rows;
        const char* balance;
    };
    const QList<Case> cases = {
        {"20260301", "20260331", 3, "50.00"}, // 50 - 1200 + 1200
        {"20260301", "20260301", 1, "50.00"}, // one day
        {"20260302", "20260314", 1, "-1200.00"},
        {"20260331", "20260301", 0, "0.00"}, // from after to
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from + std::string("-") + c.to);
        auto w = listed("张三", c.from, c.to);
        // The totals line keeps a strip of its own under the rows.
        ReportGrid* dw = w->grid();
        const int scrollBar =
            dw->horizontalScrollBar()->isVisible() ? dw->horizontalScrollBar()->height() : 0;
        EXPECT_GE(dw->height() - dw->frameWidth() - dw->viewport()->geometry().bottom() - 1 - scrollBar,
                  dw->fontMetrics().height());
        EXPECT_EQ(w->grid()->rowCount(), c.rows);
        EXPECT_EQ(w->grid()->store().sum(QStringLiteral("je")).format(u"0.00"), QLatin1String(c.balance));
        QStringList totals;
        for (const auto& cell : w->grid()->totalsTexts())
            totals << cell.second;
        EXPECT_EQ(totals,
                  (QStringList{QStringLiteral("共计："), QLatin1String(c.balance), QStringLiteral("元")}));
    }
}

TEST_P(RecordsWindowTest, DeleteQuestionNamesTheRecordWithItsAmount)
{
    auto w = listed("张三");
    const QList<QPair<const char*, QString>> cases = {
        {"260301100000", QStringLiteral("确实删除*收情张三本人结婚050.00*吗?")},
        {"260302100000", QStringLiteral("确实删除*送情张三父亲生日-1200.00*吗?")},
        {"260303100000", QStringLiteral("确实删除*收情张三本人升职1200.00*吗?")},
    };
    for (const auto& [xtbh, question] : cases) {
        m_boxes->clear();
        w->grid()->setRow(rowOf(*w, xtbh));
        m_boxes->queueAnswer(2);
        click(*w, "cb_2");
        EXPECT_EQ(m_boxes->texts(), QStringList{question});
        EXPECT_EQ(m_boxes->shown().front().defaultButton, 2);
    }
    EXPECT_EQ(w->grid()->rowCount(), 3) << "Cancel deletes nothing";
}

TEST_P(RecordsWindowTest, DeletedRowComesBackWhenListedAgainUnsaved)
{
    auto w = listed("张三");
    w->grid()->setRow(rowOf(*w, "260301100000"));
    m_boxes->queueAnswer(1);
    click(*w, "cb_2");
    ASSERT_EQ(w->grid()->rowCount(), 2);

    m_boxes->clear();
    m_boxes->queueAnswer(3); // Cancel: the list stays as it is
    click(*w, "cb_1");
    EXPECT_EQ(m_boxes->texts(), QStringList{kAsk});
    EXPECT_EQ(w->grid()->rowCount(), 2);

    m_boxes->queueAnswer(2); // No: drop the deletion
    click(*w, "cb_1");
    EXPECT_EQ(w->grid()->rowCount(), 3);
    EXPECT_TRUE(stored("xtbh", "260301100000").isValid());

    // Yes saves first, then lists.
    w->grid()->setRow(rowOf(*w, "260301100000"));
    m_boxes->clear();
    m_boxes->queueAnswer(1);
    click(*w, "cb_2");
    m_boxes->queueAnswer(1);
    click(*w, "cb_1");
    EXPECT_EQ(m_boxes->texts().back(), kSaved);
    EXPECT_EQ(w->grid()->rowCount(), 2);
    EXPECT_FALSE(stored("xtbh", "260301100000").isValid());
}

// The kind decides the sign of the stored amount, whatever is typed.
TEST_P(RecordsWindowTest, AmountKeepsTheSignOfItsKind)
{
    struct Case
    {
        const char* xtbh;
        const char* kind; // chosen after typing; empty = unchanged
        const char* typed;
        qint64 cents;
    };
    const QList<Case> cases = {
        {"260302100000", "", "80", -8000},     // given, typed as a size
        {"260302100000", "", "-80.5", -8050},  // given, typed negative
        {"260301100000", "", "-60", 6000},     // received, typed negative
        {"260301100000", "送情", "70", -7000}, // received becomes given
        {"260302100000", "收情", "90", 9000},  // given becomes received
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xtbh) + " " + c.typed + " " + c.kind);
        m_boxes->clear();
        auto w = listed("张三");
        const long row = rowOf(*w, c.xtbh);
        typeInto(w->grid(), row, "je", QLatin1String(c.typed));
        if (*c.kind)
            typeInto(w->grid(), row, "lx", QString::fromUtf8(c.kind));
        EXPECT_EQ(w->grid()->store().getItemMoney(row, QStringLiteral("je")).cents(), c.cents);
        click(*w, "cb_4");
        EXPECT_EQ(m_boxes->texts(), QStringList{kSaved});
        EXPECT_EQ(storedAmount(c.xtbh).cents(), c.cents);
    }
}

TEST_P(RecordsWindowTest, DatesAndTextsAreEditedWithinTheirColumns)
{
    auto w = listed("张三");
    const long row = rowOf(*w, "260301100000");
    QWidget* editor = openCell(w->grid(), row, "sj");
    ASSERT_TRUE(qobject_cast<DateEdit*>(editor)) << "dates are edited as dates";
    EXPECT_EQ(qobject_cast<DateEdit*>(editor)->storedText(), QStringLiteral("20260301"));
    w->grid()->acceptText();
    typeInto(w->grid(), row, "sj", QStringLiteral("20251231"));
    typeInto(w->grid(), row, "wp", QStringLiteral("茶叶两盒"));

    // A text wider than its column cannot be typed; set behind the editor's
    // back, the save names it.
    auto* line = qobject_cast<QLineEdit*>(openCell(w->grid(), row, "dx"));
    ASSERT_TRUE(line);
    line->setText(QString());
    qv::test::typeKeys(line, QStringLiteral("一二三四五六"));
    EXPECT_EQ(line->text(), QStringLiteral("一二三四五")) << "ten bytes";
    w->grid()->acceptText();
    w->grid()->store().setItem(row, QStringLiteral("sy"), QStringLiteral("一二三四五六"));
    click(*w, "cb_4");
    ASSERT_EQ(m_boxes->texts().size(), 1);
    EXPECT_TRUE(m_boxes->texts().front().contains(QStringLiteral("事由")));
    EXPECT_EQ(stored("sj", "260301100000").toString(), QStringLiteral("20260301"));

    m_boxes->clear();
    w->grid()->store().setItem(row, QStringLiteral("sy"), QStringLiteral("结婚"));
    click(*w, "cb_4");
    EXPECT_EQ(m_boxes->texts(), QStringList{kSaved});
    EXPECT_EQ(stored("sj", "260301100000").toString(), QStringLiteral("20251231"));
    EXPECT_EQ(stored("wp", "260301100000").toString(), QStringLiteral("茶叶两盒"));
    EXPECT_EQ(stored("dx", "260301100000").toString(), QStringLiteral("一二三四五"));
}

TEST_P(RecordsWindowTest, RefusedSaveKeepsTheChangesWithTheReason)
{
    if (ledger().dbms() == u"SQLite") {
        ledger().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON rqwlb "
                                     "BEGIN SELECT RAISE(ABORT, 'refused by test'); END"));
    } else {
        ledger().exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger AS $$ BEGIN "
                                     "RAISE EXCEPTION 'refused by test'; END $$ LANGUAGE plpgsql"));
        ledger().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON rqwlb "
                                     "FOR EACH ROW EXECUTE FUNCTION refuse()"));
    }
    auto w = listed("张三");
    const long row = rowOf(*w, "260301100000");
    typeInto(w->grid(), row, "je", QStringLiteral("66"));
    click(*w, "cb_4");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown().front().title, QStringLiteral("错误"));
    EXPECT_EQ(m_boxes->texts().front().section(u'\n', 0, 0), QStringLiteral("数据保存出错,请查明原因!"));
    EXPECT_TRUE(m_boxes->texts().front().contains(QStringLiteral("refused by test")));
    EXPECT_EQ(w->grid()->store().modifiedCount(), 1);
    EXPECT_EQ(storedAmount("260301100000").cents(), 5000);

    // An amount typed half-way is named, not dropped.
    m_boxes->clear();
    auto* amount = qobject_cast<QLineEdit*>(openCell(w->grid(), row, "je"));
    ASSERT_TRUE(amount);
    amount->setText(QStringLiteral("-"));
    click(*w, "cb_4");
    ASSERT_EQ(m_boxes->texts().size(), 1);
    EXPECT_TRUE(m_boxes->texts().front().contains(QStringLiteral("收/送情金额")));
    amount->setText(QStringLiteral("66"));
    ASSERT_EQ(w->grid()->acceptText(), 1);

    // Empty names and amounts are named too.
    m_boxes->clear();
    w->grid()->store().setItem(row, QStringLiteral("je"), QVariant());
    click(*w, "cb_4");
    EXPECT_TRUE(m_boxes->texts().front().contains(QStringLiteral("收/送情金额")));
}

TEST_P(RecordsWindowTest, ClickHighlightsTheRowAndBelowTheRowsEveryRow)
{
    auto w = listed("张三");
    QTableView* dw = w->grid();
    const QRect second = dw->visualRect(dw->model()->index(1, 1));
    QTest::mouseClick(dw->viewport(), Qt::LeftButton, {}, second.center());
    auto selected = [&] {
        QList<int> rows;
        for (int r = 0; r < dw->model()->rowCount(); ++r)
            if (dw->selectionModel()->isRowSelected(r, {}))
                rows << r + 1;
        return rows;
    };
    EXPECT_EQ(selected(), (QList<int>{2}));
    QTest::mouseClick(dw->viewport(), Qt::LeftButton, {},
                      QPoint(second.center().x(), dw->viewport()->height() - 3));
    QCoreApplication::processEvents();
    EXPECT_EQ(selected(), (QList<int>{1, 2, 3}));
}

TEST_P(RecordsWindowTest, CloseAsksBeforeDroppingChanges)
{
    auto w = listed("张三");
    click(*w, "cb_3");
    EXPECT_FALSE(w->isVisible()) << "nothing pending: no question";
    EXPECT_TRUE(m_boxes->shown().isEmpty());

    w = listed("张三");
    typeInto(w->grid(), 1, "wp", QStringLiteral("酒"));
    m_boxes->queueAnswer(3);
    w->close();
    EXPECT_EQ(m_boxes->texts(), QStringList{kAsk});
    EXPECT_TRUE(w->isVisible());
    m_boxes->queueAnswer(1);
    click(*w, "cb_3");
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(m_boxes->texts().back(), kSaved);
}

TEST_P(RecordsWindowTest, PrintedAndExportedListShowsDatesAsDatesAndTheBalance)
{
    auto w = listed("张三");
    EXPECT_TRUE(w->findChild<QPushButton*>(QStringLiteral("cb_export")));
    const ReportTable table = tableFromStore(w->grid()->store());
    ASSERT_EQ(table.rows.size(), 3);
    EXPECT_TRUE(table.rows.front().contains(QStringLiteral("2026年03月01日")));
    EXPECT_TRUE(table.totals.contains(QStringLiteral("共计：")));

    const QString pdf = QDir(ledger().workDir()).filePath(QStringLiteral("records.pdf"));
    QString error;
    ASSERT_GT(printStoreToPdf(w->grid()->store(), pdf, &error), 0) << error.toStdString();
    const QString text = qv::test::pdfText(pdf);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected : {"记录库维护", "2026年03月15日", "-1200.00", "共计：", "50.00", "元"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC)))
            << expected;
}

} // namespace

TEST_P(RecordsWindowTest, ShowsEveryColumnAtItsDesignedSizeWithALongList)
{
    for (int day = 1; day <= 28; ++day) {
        const QByteArray date = QStringLiteral("202603%1").arg(day, 2, 10, QLatin1Char('0')).toLatin1();
        addRecord(("2603" + date.right(2) + "200000").constData(), "张三", "收情", "本人", "结婚", "50",
                  date.constData());
    }
    auto w = listed("张三");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QTableView* grid = w->grid();
    ASSERT_GT(grid->model()->rowCount(), 28);
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible()) << "the list is longer than the grid";
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible());
    EXPECT_LE(grid->horizontalHeader()->length(), grid->viewport()->width());
}

QV_LEDGER_TEST_SUITE(RecordsWindowTest);
