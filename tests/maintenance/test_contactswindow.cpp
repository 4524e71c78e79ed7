#include "gridinput.h"
#include "support/testledger.h"
#include "support/widgetinput.h"

#include "data/contactpicker.h"
#include "maintenance/contactswindow.h"
#include "platform/core/messagebox.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"
#include "platform/output/reportgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace qv;
using qv::test::click;
using qv::test::LedgerTest;

namespace {

class ContactsWindowTest : public LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_boxes = &installScriptedMessageBoxes();
    }

    void addContact(const char* xm, const char* xb, const char* dh = nullptr)
    {
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, dh) VALUES (?, ?, ?)"),
                      {QString::fromUtf8(xm), QString::fromUtf8(xb),
                       dh ? QVariant(QString::fromUtf8(dh)) : QVariant()});
        sqlca().commit();
    }

    auto openWindow() { return test::showWindow<ContactsWindow>(sqlca()); }

    static void typeInto(ContactsWindow& w, long row, const char* column, const QString& text)
    {
        test::typeInto(w.grid(), row, column, text);
    }

    QString item(ContactsWindow& w, long row, const char* column)
    {
        return w.grid()->store().getItemString(row, QString::fromLatin1(column));
    }

    int count(const char* where = "1=1", const QVariantList& values = {})
    {
        return ledger()
            .scalar(QStringLiteral("SELECT count(*) FROM wlryb WHERE ") + QString::fromUtf8(where), values)
            .toInt();
    }

    ScriptedMessageBoxes* m_boxes = nullptr;
};

} // namespace

TEST_P(ContactsWindowTest, OpensWithTheContactsAndTheDesignedControls)
{
    addContact("张三", "男");
    addContact("李四", "女");
    auto w = openWindow();
    EXPECT_EQ(w->objectName(), QStringLiteral("w_wlrywh"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("往来人员设置"));
    ReportGrid* dw = w->findChild<ReportGrid*>(QStringLiteral("dw_1"));
    ASSERT_EQ(dw, w->grid());
    EXPECT_EQ(dw->rowCount(), 2);
    EXPECT_EQ(dw->getRow(), 1);
    EXPECT_EQ(dw->rowFocusIndicator(), ReportGrid::FocusIndicator::Hand);
    EXPECT_GT(w->pinyinTable().size(), 20000) << "lds_word holds the ledger's character table";

    QStringList captions;
    for (int c = 0; c < dw->model()->columnCount(); ++c)
        captions << dw->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions,
              (QStringList{"", "姓名", "性别", "拼音码", "分类", "部门", "电话", "手机", "呼机", "住址"}));
    EXPECT_EQ(dw->model()->index(0, 1).data(Qt::BackgroundRole).value<QBrush>().color(),
              QColor(180, 255, 200));
    EXPECT_EQ(dw->model()->index(1, 1).data(Qt::BackgroundRole).value<QBrush>().color(),
              QColor(255, 255, 255));
    EXPECT_EQ(dw->dropDownValues(QStringLiteral("fw")).size(),
              ledger().scalar(QStringLiteral("SELECT count(*) FROM fwfz")).toInt());

    auto* note = w->findChild<QLabel*>(QStringLiteral("st_1"));
    ASSERT_TRUE(note);
    EXPECT_EQ(note->text(), QStringLiteral("注：姓名和性别不能为空。"));
    EXPECT_EQ(note->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QList<QPushButton*> buttons;
    for (const char* name : {"cb_1", "cb_2", "cb_3", "cb_5", "cb_4"})
        buttons << w->findChild<QPushButton*>(QString::fromLatin1(name));
    QStringList texts;
    for (int i = 0; i < buttons.size(); ++i) {
        ASSERT_TRUE(buttons[i]);
        texts << buttons[i]->text();
        EXPECT_EQ(buttons[i]->y(), buttons[0]->y()) << "one row";
        EXPECT_GT(buttons[i]->y(), dw->geometry().bottom()) << "below the grid";
        if (i) {
            EXPECT_GT(buttons[i]->x(), buttons[i - 1]->x());
        }
    }
    EXPECT_EQ(texts, (QStringList{"增加", "删除", "保存", "打印", "退出"}));
}

TEST_P(ContactsWindowTest, EightCharacterNamesAndEveryCaptionAreShownWhole)
{
    addContact("欧阳东方明珠塔楼", "男");
    auto w = openWindow();
    ReportGrid* dw = w->grid();
    EXPECT_EQ(dw->horizontalScrollBar()->value(), 0) << "it opens at its first column";
    const QModelIndex name = dw->cellIndex(1, QStringLiteral("xm"));
    EXPECT_GE(dw->visualRect(name).width() - 6, dw->fontMetrics().horizontalAdvance(name.data().toString()));
    for (const ColumnDef& c : dw->store().definition().columns) {
        if (c.caption.isEmpty())
            continue;
        EXPECT_GT(dw->columnWidth(dw->viewColumn(c.name)),
                  dw->horizontalHeader()->fontMetrics().horizontalAdvance(c.caption))
            << c.caption.toStdString();
    }
    // Wider columns must not push the last ones behind a sideways scroll bar.
    for (int i = 0; i < 40; ++i)
        addContact(QStringLiteral("联系人%1").arg(i).toUtf8().constData(), "女");
    w = openWindow();
    dw = w->grid();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    EXPECT_TRUE(dw->verticalScrollBar()->isVisible()) << "the list is longer than the grid";
    EXPECT_FALSE(dw->horizontalScrollBar()->isVisible());
    EXPECT_LE(dw->horizontalHeader()->length(), dw->viewport()->width());
}

TEST_P(ContactsWindowTest, PinyinCodeFollowsEveryChangeOfTheRow)
{
    auto w = openWindow();
    click(*w, "cb_1");
    ReportGrid* dw = w->grid();
    ASSERT_EQ(dw->rowCount(), 1);
    EXPECT_EQ(dw->getRow(), 1);

    typeInto(*w, 1, "xm", QStringLiteral("张三"));
    EXPECT_EQ(item(*w, 1, "py"), QStringLiteral("zs")) << "at once, before any save";

    // A code set by other means is replaced on the next change of any cell.
    dw->store().setItem(1, QStringLiteral("py"), QStringLiteral("xx"));
    typeInto(*w, 1, "dh", QStringLiteral("87654321"));
    EXPECT_EQ(item(*w, 1, "py"), QStringLiteral("zs"));
    typeInto(*w, 1, "py", QStringLiteral("ab"));
    EXPECT_EQ(item(*w, 1, "py"), QStringLiteral("zs")) << "a typed code does not survive";

    typeInto(*w, 1, "xm", QStringLiteral("★Ａ"));
    EXPECT_EQ(item(*w, 1, "py"), QStringLiteral("??")) << "characters without pinyin";

    // Emptying the name leaves the last code.
    QModelIndex name = dw->cellIndex(1, QStringLiteral("xm"));
    dw->setCurrentIndex(name);
    dw->edit(name);
    qobject_cast<GbkLineEdit*>(dw->cellDelegate()->openEditor())->clear();
    dw->acceptText();
    EXPECT_EQ(item(*w, 1, "xm"), QString());
    EXPECT_EQ(item(*w, 1, "py"), QStringLiteral("??"));
}

// The pickers of open windows keep the contacts in memory; a save tells them
// to read the contacts again.
TEST_P(ContactsWindowTest, ASaveMakesThePickersReadTheContactsAgain)
{
    auto w = openWindow();
    ContactIndex index;
    ASSERT_TRUE(index.build(sqlca()));
    ASSERT_TRUE(index.isCurrent());
    click(*w, "cb_1");
    typeInto(*w, 1, "xm", QStringLiteral("周顺"));
    typeInto(*w, 1, "xb", QStringLiteral("男"));
    click(*w, "cb_3");
    ASSERT_EQ(count(), 1) << "saved";
    EXPECT_FALSE(index.isCurrent());
}

TEST_P(ContactsWindowTest, RefusedSaveKeepsEveryPendingChangeUntilCorrected)
{
    addContact("张三", "男", "111");
    auto w = openWindow();
    typeInto(*w, 1, "dh", QStringLiteral("222"));
    click(*w, "cb_1");
    typeInto(*w, 2, "xm", QStringLiteral("张三"));
    typeInto(*w, 2, "xb", QStringLiteral("女"));

    click(*w, "cb_3");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    const ShownMessage& refused = m_boxes->shown()[0];
    EXPECT_EQ(refused.title, QStringLiteral("错误"));
    const qsizetype firstBreak = refused.text.indexOf(u'\n');
    ASSERT_GT(firstBreak, 0) << refused.text.toStdString();
    EXPECT_EQ(refused.text.left(firstBreak), QStringLiteral("数据保存出错,请查明是否姓名重复或其他原因!"));
    EXPECT_TRUE(refused.text.mid(firstBreak).contains(QStringLiteral("xm")))
        << "the database names the key that clashed: " << refused.text.toStdString();
    EXPECT_EQ(refused.icon, Icon::StopSign);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT dh FROM wlryb")).toString(), QStringLiteral("111"))
        << "the phone change went back with the refused insert";
    EXPECT_EQ(w->grid()->store().modifiedCount(), 2);
    EXPECT_EQ(item(*w, 1, "dh"), QStringLiteral("222"));

    typeInto(*w, 2, "xm", QStringLiteral("张三丰"));
    click(*w, "cb_3");
    ASSERT_EQ(m_boxes->shown().size(), 2);
    EXPECT_EQ(m_boxes->shown()[1].title, QStringLiteral("提示"));
    EXPECT_EQ(m_boxes->shown()[1].text, QStringLiteral("数据保存成功!"));
    EXPECT_EQ(m_boxes->shown()[1].icon, Icon::Information);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT py FROM wlryb WHERE xm = ?"), {QStringLiteral("张三丰")})
                  .toString(),
              QStringLiteral("zsf"));
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT dh FROM wlryb WHERE xm = ?"), {QStringLiteral("张三")})
                  .toString(),
              QStringLiteral("222"));
    EXPECT_EQ(w->grid()->store().modifiedCount(), 0);
}

// A name is stored as the gift forms store it: " 张三 " is 张三, not a second
// contact, and a name of blanks is no name. A stored name is never renamed
// by a save that did not touch it.
TEST_P(ContactsWindowTest, TypedNamesAreStoredWithoutSurroundingBlanks)
{
    struct Case
    {
        const char* typed;
        const char* savedText; // the message the save ends with
        int contacts;          // rows of wlryb afterwards
        const char* stored;    // the new contact's stored name, when saved
    };
    const Case cases[] = {
        {" 张三 ", "数据保存出错,请查明是否姓名重复或其他原因!", 1, nullptr},
        {"  李四", "数据保存成功!", 2, "李四"},
        {"\u3000王五\u3000", "数据保存成功!", 2, "王五"},
        {"   ", "姓名和性别不能为空。", 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ledger().exec(QStringLiteral("DELETE FROM wlryb"));
        sqlca().commit();
        addContact("张三", "男");
        m_boxes->clear();
        auto w = openWindow();
        click(*w, "cb_1");
        typeInto(*w, 2, "xm", QString::fromUtf8(c.typed));
        typeInto(*w, 2, "xb", QStringLiteral("女"));
        click(*w, "cb_3");
        ASSERT_FALSE(m_boxes->shown().isEmpty());
        EXPECT_EQ(m_boxes->shown().last().text.section(u'\n', 0, 0), QString::fromUtf8(c.savedText));
        EXPECT_EQ(count(), c.contacts);
        if (c.stored) {
            EXPECT_EQ(count("xm = ?", {QString::fromUtf8(c.stored)}), 1);
            EXPECT_EQ(item(*w, 2, "py"), w->pinyinTable().initials(QString::fromUtf8(c.stored)))
                << "the code of the name as stored";
        }
    }

    // A name stored with blanks before this rule stays as it is when only
    // another column of its row changes.
    ledger().exec(QStringLiteral("DELETE FROM wlryb"));
    sqlca().commit();
    addContact(" 赵六 ", "男");
    m_boxes->clear();
    auto w = openWindow();
    typeInto(*w, 1, "dh", QStringLiteral("123"));
    click(*w, "cb_3");
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("数据保存成功!")});
    EXPECT_EQ(count("xm = ? AND dh = ?", {QStringLiteral(" 赵六 "), QStringLiteral("123")}), 1);
}

// The note under the grid is checked before the ledger sees the rows, and the
// message sends the operator to the empty cell.
TEST_P(ContactsWindowTest, RowWithoutSexOrNameIsNamedBeforeSaving)
{
    addContact("张三", "男");
    auto w = openWindow();
    ReportGrid* dw = w->grid();
    click(*w, "cb_1");
    typeInto(*w, 2, "xm", QStringLiteral("王五"));
    click(*w, "cb_3");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].text, QStringLiteral("姓名和性别不能为空。\n第2行的“性别”是空的"));
    EXPECT_EQ(dw->getRow(), 2);
    EXPECT_EQ(dw->currentIndex(), dw->cellIndex(2, QStringLiteral("xb")));
    EXPECT_EQ(count(), 1);

    m_boxes->clear();
    dw->store().setItem(2, QStringLiteral("xm"), QVariant());
    typeInto(*w, 2, "xb", QStringLiteral("男"));
    m_boxes->queueAnswer(1);
    click(*w, "cb_4"); // the save on leaving checks the same
    ASSERT_EQ(m_boxes->shown().size(), 2);
    EXPECT_EQ(m_boxes->shown()[1].text, QStringLiteral("姓名和性别不能为空。\n第2行的“姓名”是空的"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(count(), 1);

    // Blanks are no name either; an added row nobody typed into is no change.
    m_boxes->clear();
    typeInto(*w, 2, "xm", QStringLiteral("  "));
    click(*w, "cb_1");
    click(*w, "cb_3");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_TRUE(m_boxes->shown()[0].text.endsWith(QStringLiteral("第2行的“姓名”是空的")));
}

TEST_P(ContactsWindowTest, TextTooWideIsNamedAndNothingIsWritten)
{
    addContact("张三", "男");
    auto w = openWindow();
    // The editor cannot take it; a value set by other means is caught before
    // the ledger sees it.
    w->grid()->store().setItem(1, QStringLiteral("dz"), QString(21, QChar(u'街')));
    click(*w, "cb_3");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].title, QStringLiteral("错误"));
    EXPECT_TRUE(m_boxes->shown()[0].text.contains(QStringLiteral("住址")))
        << m_boxes->shown()[0].text.toStdString();
    EXPECT_TRUE(ledger().scalar(QStringLiteral("SELECT dz FROM wlryb")).isNull());
    EXPECT_EQ(w->grid()->store().modifiedCount(), 1);
}

TEST_P(ContactsWindowTest, DeleteAsksAndOnlyTheSaveWrites)
{
    addContact("张三", "男");
    addContact("李四", "女");
    auto w = openWindow();
    ReportGrid* dw = w->grid();
    ASSERT_TRUE(dw->setRow(dw->store().findText(QStringLiteral("xm"), QStringLiteral("张三"), 1, 2)));

    m_boxes->queueAnswer(2);
    click(*w, "cb_2");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    const ShownMessage& question = m_boxes->shown()[0];
    EXPECT_EQ(question.title, QStringLiteral("删除！"));
    EXPECT_EQ(question.text, QStringLiteral("确实删除*张三*吗?"));
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_EQ(question.buttons, Buttons::OKCancel);
    EXPECT_EQ(question.defaultButton, 2);
    EXPECT_EQ(dw->rowCount(), 2) << "cancelled";

    m_boxes->queueAnswer(1);
    click(*w, "cb_2");
    EXPECT_EQ(dw->rowCount(), 1);
    EXPECT_EQ(count(), 2) << "nothing written before a save";

    m_boxes->queueAnswer(2);
    click(*w, "cb_4");
    ASSERT_EQ(m_boxes->shown().size(), 3);
    const ShownMessage& exitQuestion = m_boxes->shown()[2];
    EXPECT_EQ(exitQuestion.title, QStringLiteral("退出"));
    EXPECT_EQ(exitQuestion.text, QStringLiteral("数据未保存！是否存盘?"));
    EXPECT_EQ(exitQuestion.buttons, Buttons::YesNoCancel);
    EXPECT_EQ(exitQuestion.defaultButton, 1);
    EXPECT_FALSE(w->isVisible()) << "No closes";
    EXPECT_EQ(count(), 2) << "and deletes nothing";
}

TEST_P(ContactsWindowTest, DeleteWithoutCurrentRowAsksNothing)
{
    auto w = openWindow();
    click(*w, "cb_2");
    EXPECT_TRUE(m_boxes->shown().isEmpty());
}

TEST_P(ContactsWindowTest, ExitClosesAtOnceWithoutChangesAndAsksOtherwise)
{
    addContact("张三", "男");
    {
        auto w = openWindow();
        click(*w, "cb_4");
        EXPECT_TRUE(m_boxes->shown().isEmpty());
        EXPECT_FALSE(w->isVisible());
    }
    {
        // An added row nobody typed into is no change.
        auto w = openWindow();
        click(*w, "cb_1");
        click(*w, "cb_4");
        EXPECT_TRUE(m_boxes->shown().isEmpty());
        EXPECT_FALSE(w->isVisible());
    }
    {
        auto w = openWindow();
        typeInto(*w, 1, "dh", QStringLiteral("333"));
        m_boxes->queueAnswer(3);
        click(*w, "cb_4");
        EXPECT_EQ(m_boxes->shown().size(), 1);
        EXPECT_TRUE(w->isVisible()) << "Cancel stays";
        EXPECT_EQ(w->grid()->store().modifiedCount(), 1);

        m_boxes->clear();
        m_boxes->queueAnswer(1);
        click(*w, "cb_4");
        ASSERT_EQ(m_boxes->shown().size(), 2);
        EXPECT_EQ(m_boxes->shown()[1].text, QStringLiteral("数据保存成功!"));
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT dh FROM wlryb")).toString(), QStringLiteral("333"));
    }
}

TEST_P(ContactsWindowTest, RefusedSaveOnExitHasItsOwnTextAndStaysOpen)
{
    addContact("张三", "男");
    auto w = openWindow();
    click(*w, "cb_1");
    typeInto(*w, 2, "xm", QStringLiteral("张三"));
    typeInto(*w, 2, "xb", QStringLiteral("男"));
    m_boxes->queueAnswer(1);
    click(*w, "cb_4");
    ASSERT_EQ(m_boxes->shown().size(), 2);
    EXPECT_EQ(m_boxes->shown()[1].title, QStringLiteral("错误"));
    EXPECT_TRUE(m_boxes->shown()[1].text.startsWith(QStringLiteral("数据保存出错,请查明是否主键重复!\n")))
        << "with the database's reason below";
    EXPECT_EQ(m_boxes->shown()[1].icon, Icon::StopSign);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->grid()->rowCount(), 2);
    EXPECT_EQ(w->grid()->store().modifiedCount(), 1);
    EXPECT_EQ(count(), 1);
}

// Typed input is never dropped without the question, whichever way the
// window goes: its 退出, its own close box, or its frame in the main window
// being closed (as the frame does for every sheet when the program ends).
TEST_P(ContactsWindowTest, EveryWayOfClosingAsksBeforeDroppingInput)
{
    enum class Way { ExitButton, CloseBox, SheetFrame };
    struct Case
    {
        Way way;
        int answer;       // 1 Yes, 2 No, 3 Cancel
        const char* name; // typed into the new row
        bool staysOpen;
        int contactsAfter; // rows in wlryb afterwards
    };
    const Case cases[] = {
        {Way::ExitButton, 3, "赵六", true, 1},  {Way::CloseBox, 3, "赵六", true, 1},
        {Way::SheetFrame, 3, "赵六", true, 1},  {Way::CloseBox, 2, "赵六", false, 1},
        {Way::SheetFrame, 2, "赵六", false, 1}, {Way::CloseBox, 1, "赵六", false, 2},
        {Way::SheetFrame, 1, "赵六", false, 2}, {Way::CloseBox, 1, "张三", true, 1},
        {Way::SheetFrame, 1, "张三", true, 1},
    };
    addContact("张三", "男");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.way) << " answer " << c.answer << " " << c.name);
        ledger().exec(QStringLiteral("DELETE FROM wlryb WHERE xm <> ?"), {QStringLiteral("张三")});
        m_boxes->clear();
        QMdiArea area;
        auto* w = new ContactsWindow(sqlca());
        QMdiSubWindow* frame = nullptr;
        if (c.way == Way::SheetFrame) {
            frame = area.addSubWindow(w);
            area.show();
        } else {
            w->setParent(&area, Qt::Window);
            w->show();
        }
        click(*w, "cb_1");
        typeInto(*w, 2, "xm", QString::fromUtf8(c.name));
        typeInto(*w, 2, "xb", QStringLiteral("女"));
        m_boxes->queueAnswer(c.answer);
        switch (c.way) {
        case Way::ExitButton:
            click(*w, "cb_4");
            break;
        case Way::CloseBox:
            w->close();
            break;
        case Way::SheetFrame:
            frame->close();
            break;
        }
        ASSERT_GE(m_boxes->shown().size(), 1);
        EXPECT_EQ(m_boxes->shown()[0].text, QStringLiteral("数据未保存！是否存盘?"));
        EXPECT_EQ(m_boxes->shown()[0].buttons, Buttons::YesNoCancel);
        EXPECT_EQ(w->isVisible(), c.staysOpen);
        if (frame) {
            EXPECT_EQ(frame->isVisible(), c.staysOpen) << "a refusing sheet keeps its frame";
        }
        EXPECT_EQ(count(), c.contactsAfter);
        if (c.staysOpen) {
            EXPECT_EQ(w->grid()->store().modifiedCount(), 1) << "the typed row is still there";
        }
    }
}

// A cell still being typed in counts as input, even when nothing else changed.
TEST_P(ContactsWindowTest, CloseAsksForACellStillBeingEdited)
{
    addContact("张三", "男");
    auto w = openWindow();
    ReportGrid* dw = w->grid();
    const QModelIndex phone = dw->cellIndex(1, QStringLiteral("dh"));
    dw->setCurrentIndex(phone);
    dw->edit(phone);
    auto* editor = qobject_cast<GbkLineEdit*>(dw->cellDelegate()->openEditor());
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("12345"));
    m_boxes->queueAnswer(3);
    EXPECT_FALSE(w->close());
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(item(*w, 1, "dh"), QStringLiteral("12345"));
}

// The server restarted while the window was open: the save reconnects
// before anything of it is written, and goes through without restarting the
// program.
TEST_P(ContactsWindowTest, ASaveAfterTheServerCameBackSucceeds)
{
    if (ledger().dbms() == u"SQLite")
        GTEST_SKIP() << "an embedded ledger has no server connection to lose";
    addContact("张三", "男", "111");
    auto w = openWindow();
    typeInto(*w, 1, "dh", QStringLiteral("555"));
    ASSERT_TRUE(ledger().cutServerConnection(sqlca()));
    click(*w, "cb_3");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    EXPECT_EQ(m_boxes->shown()[0].text, QStringLiteral("数据保存成功!"));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT dh FROM wlryb")).toString(), QStringLiteral("555"));
}

TEST_P(ContactsWindowTest, PrintPreviewsTheGridWithPendingEdits)
{
    addContact("张三", "男");
    auto w = openWindow();
    int pages = 0;
    setPreviewRunner([&](PrintPreviewDialog& dialog) { pages = dialog.pageCount(); });
    click(*w, "cb_5");
    setPreviewRunner({});
    EXPECT_EQ(pages, 1);
}

QV_LEDGER_TEST_SUITE(ContactsWindowTest);
QV_ODBC_TEST_SUITE(ContactsWindowTest);
