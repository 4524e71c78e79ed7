#include "support/testledger.h"
#include "support/widgetinput.h"

#include "gridinput.h"

#include "maintenance/operatorswindow.h"
#include "platform/core/messagebox.h"
#include "platform/output/printing.h"
#include "platform/reports/datastore.h"
#include "platform/reports/reportexport.h"
#include "support/pdftext.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>

using namespace qv;
using qv::test::click;
using qv::test::LedgerTest;
using qv::test::openCell;
using qv::test::shown;
using qv::test::typeInto;

namespace {

const QString kAsk = QStringLiteral("数据未保存！是否存盘?");
const QString kMask = QStringLiteral("*********");

class OperatorsWindowTest : public LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_boxes = &installScriptedMessageBoxes();
        ledger().exec(
            QStringLiteral("INSERT INTO czr (code, name, password) VALUES ('0001', '李会计', 'abc123')"));
    }

    auto openWindow() { return test::showWindow<OperatorsWindow>(sqlca()); }

    int operators(const char* where = "1=1")
    {
        return ledger()
            .scalar(QStringLiteral("SELECT count(*) FROM czr WHERE ") + QLatin1String(where))
            .toInt();
    }

    ScriptedMessageBoxes* m_boxes = nullptr;
};

TEST_P(OperatorsWindowTest, ListsEveryOperatorWithThePasswordMasked)
{
    auto w = openWindow();
    ReportGrid* dw = w->findChild<ReportGrid*>(QStringLiteral("dw_1"));
    ASSERT_EQ(dw, w->grid());
    ASSERT_EQ(dw->rowCount(), 2);
    const long row = dw->store().findText(QStringLiteral("code"), QStringLiteral("0001"), 1, 2);
    ASSERT_GT(row, 0);
    EXPECT_EQ(shown(dw, row, "password"), kMask);
    EXPECT_EQ(shown(dw, 3 - row, "password"), kMask) << "7063's password is as long as its code";

    // Copying the cell copies what is shown.
    dw->setCurrentIndex(dw->cellIndex(row, QStringLiteral("password")));
    dw->setFocus();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(dw, &copy);
    EXPECT_NE(QGuiApplication::clipboard()->text(), QStringLiteral("abc123"));
}

TEST_P(OperatorsWindowTest, TypedPasswordIsNeverShown)
{
    auto w = openWindow();
    ReportGrid* dw = w->grid();
    click(*w, "cb_1");
    ASSERT_EQ(dw->getRow(), 3);

    auto* editor = qobject_cast<QLineEdit*>(openCell(dw, 3, "password"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->echoMode(), QLineEdit::Password);
    dw->acceptText();
    typeInto(dw, 3, "password", QStringLiteral("s3cret"));
    EXPECT_EQ(dw->store().getItemString(3, QStringLiteral("password")), QStringLiteral("s3cret"));
    EXPECT_EQ(shown(dw, 3, "password"), kMask) << "after moving on";

    // While another cell of the row is being edited.
    ASSERT_TRUE(openCell(dw, 3, "name"));
    EXPECT_EQ(shown(dw, 3, "password"), kMask);
    dw->acceptText();
}

TEST_P(OperatorsWindowTest, UntouchedNewRowIsNoChange)
{
    auto w = openWindow();
    click(*w, "cb_1");
    click(*w, "cb_4");
    EXPECT_TRUE(m_boxes->shown().isEmpty());
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(operators(), 2);
}

TEST_P(OperatorsWindowTest, NewOperatorIsSavedFromTheExitQuestion)
{
    auto w = openWindow();
    click(*w, "cb_1");
    typeInto(w->grid(), 3, "code", QStringLiteral("0002"));
    typeInto(w->grid(), 3, "name", QStringLiteral("王出纳"));
    typeInto(w->grid(), 3, "password", QStringLiteral("pw"));
    click(*w, "cb_1"); // a second row, left empty, is not stored
    m_boxes->queueAnswer(1);
    click(*w, "cb_4");
    EXPECT_EQ(m_boxes->texts(), (QStringList{kAsk, QStringLiteral("数据保存成功!")}));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(operators(), 3);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT password FROM czr WHERE code = '0002'")).toString(),
              QStringLiteral("pw"));
}

TEST_P(OperatorsWindowTest, RowLeftEmptyAtASaveIsStoredOnceTypedInto)
{
    auto w = openWindow();
    const long row = w->grid()->store().findText(QStringLiteral("code"), QStringLiteral("0001"), 1, 2);
    click(*w, "cb_1");
    typeInto(w->grid(), row, "name", QStringLiteral("李出纳"));
    click(*w, "cb_3");
    ASSERT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("数据保存成功!")}));
    ASSERT_EQ(w->grid()->rowCount(), 3) << "the empty row stays to be typed into";

    m_boxes->clear();
    typeInto(w->grid(), 3, "code", QStringLiteral("0002"));
    typeInto(w->grid(), 3, "name", QStringLiteral("王出纳"));
    typeInto(w->grid(), 3, "password", QStringLiteral("pw"));
    click(*w, "cb_3");
    EXPECT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("数据保存成功!")}));
    EXPECT_EQ(operators("code = '0002'"), 1);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT name FROM czr WHERE code = '0001'")).toString(),
              QStringLiteral("李出纳"));
}

// A duplicate code is refused as a whole, with the text of the path taken.
TEST_P(OperatorsWindowTest, DuplicateCodeIsRefusedAndNothingStored)
{
    struct Case
    {
        const char* button;
        QList<int> answers;
        QString failure;
        bool staysOpen;
    };
    const QList<Case> cases = {
        {"cb_3", {}, QStringLiteral("数据保存出错,请查明是否主键（代码）重复或其他原因!"), true},
        {"cb_4", {1}, QStringLiteral("数据保存出错,请查明是否主键重复!"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        m_boxes->clear();
        auto w = openWindow();
        for (const char* name : {"甲", "乙"}) {
            click(*w, "cb_1");
            const long row = w->grid()->rowCount();
            typeInto(w->grid(), row, "code", QStringLiteral("0009"));
            typeInto(w->grid(), row, "name", QString::fromUtf8(name));
            typeInto(w->grid(), row, "password", QStringLiteral("pw"));
        }
        for (int a : c.answers)
            m_boxes->queueAnswer(a);
        click(*w, c.button);
        ASSERT_FALSE(m_boxes->shown().isEmpty());
        const ShownMessage& last = m_boxes->shown().back();
        EXPECT_EQ(last.title, QStringLiteral("错误"));
        EXPECT_EQ(last.icon, Icon::StopSign);
        EXPECT_EQ(last.text.section(u'\n', 0, 0), c.failure);
        EXPECT_EQ(operators(), 2);
        EXPECT_EQ(w->isVisible(), c.staysOpen);
        EXPECT_EQ(w->grid()->store().modifiedCount(), 2) << "the typing is kept";
        m_boxes->queueAnswer(2); // leave without saving
        w->close();
    }
}

// What the database would take but the login could not use is named, with
// its row, before anything is written: with one operator a password that
// cannot be typed again would lock everybody out.
TEST_P(OperatorsWindowTest, BadCodeNameOrPasswordIsNamedWithItsRow)
{
    struct Case
    {
        const char* name;
        const char* column;
        QString value;
        QString named;
    };
    const QList<Case> cases = {
        {"short code", "code", QStringLiteral("12"), QStringLiteral("代码")},
        {"empty code", "code", QString(), QStringLiteral("代码")},
        {"code of two characters in four bytes", "code", QStringLiteral("张三"), QStringLiteral("代码")},
        {"code with a blank", "code", QStringLiteral("70 3"), QStringLiteral("代码")},
        {"password too wide", "password", QStringLiteral("12345678901"), QStringLiteral("密码")},
        {"password with a blank after", "password", QStringLiteral("pw "), QStringLiteral("密码")},
        {"password with a blank before", "password", QStringLiteral(" pw"), QStringLiteral("密码")},
        {"empty password", "password", QString(), QStringLiteral("密码")},
        {"blank password", "password", QStringLiteral("  "), QStringLiteral("密码")},
        {"name too wide", "name", QStringLiteral("一二三四五六"), QStringLiteral("姓名")},
        {"empty name", "name", QString(), QStringLiteral("姓名")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        auto w = openWindow();
        DataStore& store = w->grid()->store();
        click(*w, "cb_1");
        store.setItem(3, QStringLiteral("code"), QStringLiteral("0003"));
        store.setItem(3, QStringLiteral("name"), QStringLiteral("王出纳"));
        store.setItem(3, QStringLiteral("password"), QStringLiteral("pw"));
        store.setItem(3, QString::fromLatin1(c.column), c.value.isEmpty() ? QVariant() : QVariant(c.value));
        click(*w, "cb_3");
        ASSERT_EQ(m_boxes->shown().size(), 1);
        const QString text = m_boxes->texts().front();
        EXPECT_EQ(m_boxes->shown().front().icon, Icon::StopSign);
        EXPECT_TRUE(text.contains(c.named) && text.contains(QStringLiteral("第3行"))) << text.toStdString();
        EXPECT_EQ(operators(), 2);
        m_boxes->queueAnswer(2);
        w->close();
    }
}

// A code stored by other means is not the window's to judge: it no longer
// blocks saving other rows. A key the password cell refuses says why.
TEST_P(OperatorsWindowTest, StoredOddCodeSavesAndARefusedKeySaysWhy)
{
    ledger().exec(QStringLiteral("INSERT INTO czr (code, name, password) VALUES ('01', '旧系统', 'x')"));
    auto w = openWindow();
    ReportGrid* dw = w->grid();
    const long row = dw->store().findText(QStringLiteral("code"), QStringLiteral("0001"), 1, dw->rowCount());
    typeInto(dw, row, "name", QStringLiteral("李出纳"));
    click(*w, "cb_3");
    EXPECT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("数据保存成功!")}));

    auto* editor = qobject_cast<GbkLineEdit*>(openCell(dw, row, "password"));
    ASSERT_TRUE(editor);
    editor->selectAll();
    test::typeKeys(editor, QStringLiteral("12345678901"));
    EXPECT_EQ(editor->text(), QStringLiteral("1234567890"));
    EXPECT_TRUE(editor->refusal().contains(QStringLiteral("密码")) &&
                editor->refusal().contains(QStringLiteral("10")))
        << editor->refusal().toStdString();
    EXPECT_EQ(QToolTip::text(), editor->refusal());
    dw->acceptText();
}

TEST_P(OperatorsWindowTest, LastOperatorCannotBeDeleted)
{
    auto w = openWindow();
    for (int i = 0; i < 2; ++i) {
        w->grid()->setRow(1);
        m_boxes->queueAnswer(1);
        click(*w, "cb_2");
    }
    ASSERT_EQ(w->grid()->rowCount(), 0);
    click(*w, "cb_1"); // an empty row is no operator
    click(*w, "cb_3");
    EXPECT_EQ(m_boxes->texts().back(), QStringLiteral("至少要保留一个操作人员"));
    EXPECT_EQ(operators(), 2);

    // Keeping one is enough.
    m_boxes->clear();
    typeInto(w->grid(), 1, "code", QStringLiteral("0005"));
    typeInto(w->grid(), 1, "name", QStringLiteral("王出纳"));
    typeInto(w->grid(), 1, "password", QStringLiteral("pw"));
    click(*w, "cb_3");
    EXPECT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("数据保存成功!")}));
    EXPECT_EQ(operators(), 1);
}

TEST_P(OperatorsWindowTest, DeleteAsksByNameAndCloseBoxAsksToo)
{
    auto w = openWindow();
    const long row = w->grid()->store().findText(QStringLiteral("code"), QStringLiteral("0001"), 1, 2);
    w->grid()->setRow(row);
    m_boxes->queueAnswer(2);
    click(*w, "cb_2");
    EXPECT_EQ(m_boxes->texts(), (QStringList{QStringLiteral("确实删除*李会计*吗?")}));
    EXPECT_EQ(w->grid()->rowCount(), 2) << "Cancel keeps the row";
    m_boxes->queueAnswer(1);
    click(*w, "cb_2");
    ASSERT_EQ(w->grid()->rowCount(), 1);

    m_boxes->clear();
    m_boxes->queueAnswer(3);
    w->close();
    EXPECT_EQ(m_boxes->texts(), (QStringList{kAsk}));
    EXPECT_TRUE(w->isVisible());
    m_boxes->queueAnswer(2);
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(operators(), 2) << "No drops the deletion";
}

// Whatever renders the operators - a printout, an exported file - sees the
// mask, never the password.
TEST_P(OperatorsWindowTest, PrintedAndExportedPasswordIsMasked)
{
    auto w = openWindow();
    const ReportTable table = tableFromStore(w->grid()->store());
    ASSERT_EQ(table.rows.size(), 2);
    for (const QVariantList& row : table.rows) {
        EXPECT_TRUE(row.contains(kMask));
        EXPECT_FALSE(row.contains(QStringLiteral("abc123")));
    }
    const QString pdf = QDir(ledger().workDir()).filePath(QStringLiteral("operators.pdf"));
    QString error;
    ASSERT_GT(printStoreToPdf(w->grid()->store(), pdf, &error), 0) << error.toStdString();
    const QString text = qv::test::pdfText(pdf);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text.contains(QStringLiteral("李会计")));
    EXPECT_TRUE(text.contains(kMask));
    EXPECT_FALSE(text.contains(QStringLiteral("abc123")));
}

} // namespace

QV_LEDGER_TEST_SUITE(OperatorsWindowTest);
