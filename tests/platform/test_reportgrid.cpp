#include "support/pdftext.h"
#include "support/testledger.h"

#include "platform/core/filedialog.h"
#include "platform/core/messagebox.h"
#include "platform/output/printing.h"
#include "platform/output/printpreview.h"
#include "platform/output/reportgrid.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace qv;
using qv::test::LedgerTest;
using qv::test::pdfText;

namespace {

ColumnDef text(const char* name, const char* caption, int width, int units)
{
    ColumnDef c;
    c.name = QString::fromLatin1(name);
    c.caption = QString::fromUtf8(caption);
    c.gbkWidth = width;
    c.widthUnits = units;
    c.editable = c.updatable = true;
    return c;
}

ReportDef peopleDef()
{
    ReportDef def;
    def.name = QStringLiteral("dw_test_people");
    def.title = QStringLiteral("人员名单");
    def.select = QStringLiteral("SELECT xm, xb, fw, dh FROM wlryb");
    ColumnDef xb = text("xb", "性别", 2, 146);
    xb.codeTable = {{QStringLiteral("男"), QStringLiteral("男")},
                    {QStringLiteral("女"), QStringLiteral("女")}};
    ColumnDef fw = text("fw", "分类", 16, 206);
    fw.dropDown = QStringLiteral("dddw_test_fl");
    def.columns = {text("xm", "姓名", 16, 215), xb, fw, text("dh", "电话", 30, 434)};
    def.updateTable = QStringLiteral("wlryb");
    def.keyColumns = {QStringLiteral("xm")};
    def.rowColor = [](const DataStore&, long row) { return row % 2 ? QColor(Qt::green) : QColor(Qt::white); };
    return def;
}

ReportDef categoriesDef()
{
    ReportDef def;
    def.name = QStringLiteral("dddw_test_fl");
    def.select = QStringLiteral("SELECT fwz FROM fwfz");
    def.columns = {text("fwz", "分类", 16, 206)};
    return def;
}

ReportDef giftsDef()
{
    ReportDef def;
    def.name = QStringLiteral("dw_test_gifts");
    def.title = QStringLiteral("收情明细");
    ColumnDef xm = text("xm", "姓名", 16, 215);
    ColumnDef je;
    je.name = QStringLiteral("je");
    je.caption = QStringLiteral("金额");
    je.type = ColumnType::Money;
    je.widthUnits = 300;
    je.format = QStringLiteral("#,##0.00");
    def.columns = {xm, je};
    def.totals = {{QStringLiteral("je"), QStringLiteral("合计")}};
    return def;
}

// Key presses carrying text, as an input method delivers Chinese.
void typeText(QWidget* w, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

QWidget* editCell(ReportGrid& dw, long row, const char* column)
{
    const QModelIndex index = dw.cellIndex(row, QString::fromLatin1(column));
    dw.setCurrentIndex(index);
    dw.edit(index);
    return dw.cellDelegate()->openEditor();
}

class ReportGridTest : public LedgerTest
{
protected:
    void addPeople()
    {
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, fw) VALUES (?, ?, ?)"),
                      {QStringLiteral("张三"), QStringLiteral("男"), QStringLiteral("朋友")});
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, fw) VALUES (?, ?, ?)"),
                      {QStringLiteral("李四"), QStringLiteral("女"), QStringLiteral("同事")});
        sqlca().commit();
    }
};

} // namespace

TEST_P(ReportGridTest, ShowsTheDefinitionAndTracksTheCurrentRow)
{
    addPeople();
    ReportGrid dw(peopleDef());
    dw.setDropDownDefinition(categoriesDef());
    EXPECT_EQ(dw.getRow(), 0) << "no row before a retrieve";
    dw.setTransObject(&sqlca());
    EXPECT_EQ(dw.retrieve(), 2);
    EXPECT_EQ(dw.getRow(), 1) << "a retrieve makes the first row current";

    auto* model = dw.model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("姓名"));
    EXPECT_EQ(model->index(0, 2).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::green));
    EXPECT_EQ(model->index(1, 2).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::white));
    EXPECT_GT(dw.horizontalHeader()->sectionSize(3), dw.horizontalHeader()->sectionSize(1))
        << "widths follow the layout units";

    EXPECT_TRUE(dw.setRow(2));
    EXPECT_EQ(dw.getRow(), 2);
    EXPECT_FALSE(dw.setRow(3));
    EXPECT_FALSE(dw.setRow(0));
    EXPECT_EQ(dw.getRow(), 2);

    const QStringList categories = dw.dropDownValues(QStringLiteral("fw"));
    EXPECT_TRUE(categories.contains(QStringLiteral("亲戚")));
    EXPECT_TRUE(categories.contains(QStringLiteral("同学")));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM fwfz")).toInt(), categories.size());
}

TEST_P(ReportGridTest, EditsReachTheStoreAndAnnounceThemselves)
{
    addPeople();
    ReportGrid dw(peopleDef());
    dw.setDropDownDefinition(categoriesDef());
    dw.setTransObject(&sqlca());
    dw.retrieve();
    dw.show();
    QSignalSpy changed(&dw, &ReportGrid::itemChanged);

    dw.store().setItem(1, QStringLiteral("dh"), QStringLiteral("1"));
    EXPECT_EQ(changed.count(), 0) << "only the operator's edits are announced";

    QWidget* editor = editCell(dw, 2, "dh");
    ASSERT_TRUE(qobject_cast<GbkLineEdit*>(editor));
    typeText(editor, QStringLiteral("5551234"));
    EXPECT_EQ(dw.store().getItemString(2, QStringLiteral("dh")), QString())
        << "not before the edit is accepted";
    EXPECT_EQ(dw.acceptText(), 1);
    EXPECT_EQ(dw.cellDelegate()->openEditor(), nullptr);
    EXPECT_EQ(dw.store().getItemString(2, QStringLiteral("dh")), QStringLiteral("5551234"));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toLongLong(), 2);
    EXPECT_EQ(changed[0][1].toString(), QStringLiteral("dh"));
    EXPECT_EQ(changed[0][2].toString(), QStringLiteral("5551234"));

    // Leaving a cell unchanged is no change.
    editor = editCell(dw, 2, "dh");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(dw.cellDelegate()->openEditor(), nullptr);
    EXPECT_EQ(changed.count(), 1);

    // Code table: the choice lists the display values and commits at once.
    auto* sex = qobject_cast<QComboBox*>(editCell(dw, 1, "xb"));
    ASSERT_TRUE(sex);
    ASSERT_EQ(sex->count(), 2);
    EXPECT_EQ(sex->currentText(), QStringLiteral("男"));
    sex->setCurrentIndex(1);
    emit sex->activated(1);
    EXPECT_EQ(dw.store().getItemString(1, QStringLiteral("xb")), QStringLiteral("女"));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[1][1].toString(), QStringLiteral("xb"));

    // Drop-down over another definition: the categories of the ledger.
    auto* category = qobject_cast<QComboBox*>(editCell(dw, 2, "fw"));
    ASSERT_TRUE(category);
    EXPECT_EQ(category->currentText(), QStringLiteral("同事"));
    const int relatives = category->findText(QStringLiteral("亲戚"));
    ASSERT_GE(relatives, 0);
    category->setCurrentIndex(relatives);
    emit category->activated(relatives);
    EXPECT_EQ(dw.store().getItemString(2, QStringLiteral("fw")), QStringLiteral("亲戚"));
    EXPECT_EQ(dw.store().modifiedCount(), 2);
}

TEST(ReportGridEditor, RefusesTextBeyondTheColumnsGbkWidth)
{
    auto& boxes = installScriptedMessageBoxes();
    ReportGrid dw(peopleDef());
    dw.store().insertRow(0);
    dw.show();
    auto* editor = qobject_cast<GbkLineEdit*>(editCell(dw, 1, "xm"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->gbkWidth(), 16);

    typeText(editor, QStringLiteral("一二三四五六七八九"));
    EXPECT_EQ(editor->text(), QStringLiteral("一二三四五六七八")) << "eight characters are sixteen bytes";
    editor->clear();
    typeText(editor, QStringLiteral("abcdefghijklmnopq"));
    EXPECT_EQ(editor->text(), QStringLiteral("abcdefghijklmnop"));
    editor->clear();
    typeText(editor, QStringLiteral("张😀三"));
    EXPECT_EQ(editor->text(), QStringLiteral("张三")) << "a character GBK cannot store is refused";
    EXPECT_TRUE(boxes.shown().isEmpty()) << "keystrokes are refused without a box";

    QGuiApplication::clipboard()->setText(QStringLiteral("欧阳东方明珠塔"));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), QStringLiteral("张三")) << "eight characters would not fit after 张三";
    ASSERT_EQ(boxes.shown().size(), 1);
    EXPECT_TRUE(boxes.shown()[0].text.contains(QStringLiteral("姓名")))
        << boxes.shown()[0].text.toStdString();

    QGuiApplication::clipboard()->setText(QStringLiteral("😀"));
    editor->selectAll();
    EXPECT_FALSE(editor->pasteChecked());
    EXPECT_EQ(boxes.shown().size(), 2);
    EXPECT_TRUE(boxes.shown()[1].text.contains(QStringLiteral("姓名")));

    QGuiApplication::clipboard()->setText(QStringLiteral("丰"));
    editor->setCursorPosition(int(editor->text().size()));
    EXPECT_TRUE(editor->pasteChecked());
    EXPECT_EQ(editor->text(), QStringLiteral("张三丰"));
    EXPECT_EQ(dw.acceptText(), 1);
    EXPECT_EQ(dw.store().getItemString(1, QStringLiteral("xm")), QStringLiteral("张三丰"));
}

// Designed widths were made for a smaller face: at today's CJK fonts a name
// of eight characters or a caption would be cut.
TEST(ReportGridLayout, TextColumnsShowTheirCaptionAndShortTextsWhole)
{
    ReportDef def = peopleDef();
    ColumnDef narrow = text("bm", "工作单位部门", 30, 60); // long text, caption wider than designed
    def.columns << narrow;
    for (int size : {9, 14}) {
        SCOPED_TRACE(size);
        ReportGrid dw(def);
        QFont f = dw.font();
        f.setPointSize(size);
        dw.setFont(f);
        const long row = dw.store().insertRow(0);
        const QString eight = QStringLiteral("欧阳东方明珠塔楼");
        dw.store().setItem(row, QStringLiteral("xm"), eight);
        dw.show();
        // The cell's text margins and the grid line come off the column.
        EXPECT_GE(dw.visualRect(dw.cellIndex(row, QStringLiteral("xm"))).width() - 6,
                  dw.fontMetrics().horizontalAdvance(eight))
            << "eight characters whole";
        for (const ColumnDef& c : def.columns) {
            const int vc = dw.viewColumn(c.name);
            EXPECT_GT(dw.columnWidth(vc), dw.horizontalHeader()->fontMetrics().horizontalAdvance(c.caption))
                << c.caption.toStdString();
        }
        // Made current while the grid was still small, a cell scrolls the
        // grid sideways; once it has room, the grid shows its start again.
        dw.resize(60, 100);
        dw.setCurrentIndex(dw.cellIndex(row, QStringLiteral("fw")));
        EXPECT_GT(dw.horizontalScrollBar()->value(), 0);
        // Wide enough for the current cell, not for every column.
        dw.resize(dw.horizontalHeader()->length() - dw.columnWidth(dw.viewColumn(QStringLiteral("bm"))) / 2,
                  300);
        ASSERT_GT(dw.horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(dw.horizontalScrollBar()->value(), 0);
        EXPECT_LT(dw.columnWidth(dw.viewColumn(QStringLiteral("dh"))),
                  dw.fontMetrics().horizontalAdvance(QString(15, QChar(0x6C49))))
            << "long texts keep their designed width and scroll in the editor";
    }
}

// A typed cell the grid cannot take is named with the reason, whether a
// save asked for it or the operator just left the cell; it never vanishes
// or stops a save without a word.
TEST(ReportGridEditor, ARefusedCellSaysWhyNamingTheColumn)
{
    struct Case
    {
        ColumnType type;
        const char* typed;
        bool refused;
    };
    const Case cases[] = {
        {ColumnType::Money, "abc", true},       {ColumnType::Money, "1,250.50", false},
        {ColumnType::Money, "", false},         {ColumnType::Integer, "12x", true},
        {ColumnType::Integer, "42", false},     {ColumnType::Date, "20240230", true},
        {ColumnType::Date, "2024131", true},    {ColumnType::Date, "20240131", false},
        {ColumnType::Text, "一二三四五", true}, {ColumnType::Text, "一二三四", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ColumnDef column = text("v", "数值", 8, 300);
        column.type = c.type;
        EXPECT_EQ(cellRefusal(column, QString::fromUtf8(c.typed)).has_value(), c.refused);
    }
    // An amount past the column says so, not that it is no amount.
    ColumnDef amount = text("je", "金额", 0, 300);
    amount.type = ColumnType::Money;
    EXPECT_TRUE(
        cellRefusal(amount, QStringLiteral("1000000000000")).value_or(QString()).startsWith(u"金额太大"));
    EXPECT_TRUE(cellRefusal(amount, QStringLiteral("12a")).value_or(QString()).startsWith(u"不是金额"));

    auto& boxes = installScriptedMessageBoxes();
    ReportDef gifts = giftsDef();
    gifts.columns[1].editable = true;
    ReportGrid dw(gifts);
    dw.store().insertRow(0);
    dw.store().insertRow(0);
    dw.show();
    auto* editor = qobject_cast<QLineEdit*>(editCell(dw, 1, "je"));
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("三百"));
    EXPECT_EQ(dw.acceptText(), -1);
    ASSERT_EQ(boxes.shown().size(), 1) << "said before the save gives up";
    EXPECT_TRUE(boxes.shown()[0].text.startsWith(QStringLiteral("“金额”一栏不能填“三百”\n")))
        << boxes.shown()[0].text.toStdString();
    EXPECT_TRUE(dw.store().getItem(1, QStringLiteral("je")).isNull());

    // Leaving the cell for another row.
    editor = qobject_cast<QLineEdit*>(editCell(dw, 1, "je"));
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("12.3.4"));
    dw.setCurrentIndex(dw.cellIndex(2, QStringLiteral("je")));
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.shown().size(), 2);
    EXPECT_TRUE(boxes.shown()[1].text.contains(QStringLiteral("金额")));
}

TEST(ReportGridModel, PassesTheItemModelTesterThroughEdits)
{
    ReportGrid dw(peopleDef());
    QAbstractItemModelTester tester(dw.model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int i = 0; i < 5; ++i) {
        const long r = dw.store().insertRow(i % 2 ? 1 : 0);
        dw.store().setItem(r, QStringLiteral("xm"), QStringLiteral("人%1").arg(i));
    }
    dw.store().setItem(2, QStringLiteral("xb"), QStringLiteral("女"));
    EXPECT_EQ(dw.model()->index(1, 1).data().toString(), QStringLiteral("女"));
    EXPECT_TRUE(dw.model()->setData(dw.model()->index(0, 3), QStringLiteral("123")));
    dw.store().deleteRow(3);
    dw.store().deleteRow(dw.store().rowCount());
    dw.store().setSort({{QStringLiteral("xm"), true}});
    dw.store().sort();
    dw.store().reset();
    EXPECT_EQ(dw.model()->rowCount(), 0);
    EXPECT_EQ(dw.getRow(), 0);
}

TEST(ReportGridReport, ReadOnlyGridShowsItsTotals)
{
    ReportGrid dw(giftsDef());
    dw.setReadOnly(true);
    dw.setTotalsVisible(true);
    for (const char* amount : {"1200.50", "34", "-0.50"}) {
        const long r = dw.store().insertRow(0);
        dw.store().setItem(r, QStringLiteral("je"), QString::fromLatin1(amount));
    }
    const auto totals = dw.totalsTexts();
    ASSERT_EQ(totals.size(), 1);
    EXPECT_EQ(totals[0].first, 1);
    EXPECT_EQ(totals[0].second, QStringLiteral("合计 1,234.00"));
    EXPECT_EQ(dw.editTriggers(), QAbstractItemView::NoEditTriggers);
    dw.show();
    EXPECT_FALSE(dw.grab().isNull());
}

namespace {

} // namespace

TEST(Printing, WritesAPaginatedPdfWithTitleCaptionsRowsAndTotals)
{
    DataStore store(giftsDef());
    for (int i = 1; i <= 150; ++i) {
        const long r = store.insertRow(0);
        store.setItem(r, QStringLiteral("xm"), QStringLiteral("客人%1").arg(i));
        store.setItem(r, QStringLiteral("je"), QStringLiteral("10"));
    }
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("gifts.pdf"));
    QString error;
    const int pages = printStoreToPdf(store, file, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_GT(pages, 1) << "150 rows do not fit one page";
    EXPECT_TRUE(QFileInfo(file).size() > 0);

    const QString text = pdfText(file);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text.contains(QStringLiteral("收情明细")));
    EXPECT_EQ(text.count(QStringLiteral("金额")), pages) << "headers repeat on every page";
    EXPECT_TRUE(text.contains(QStringLiteral("客人150")));
    EXPECT_TRUE(text.contains(QStringLiteral("合计1,500.00")));
    // 页 comes back as a radical-supplement code point without a normal form.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("第1.共%1.").arg(pages))));
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("第%1.共%1.").arg(pages))));
}

TEST(Printing, AnEmptyReportIsOnePageAndAnUnwritableFileIsAnError)
{
    DataStore store(giftsDef());
    QTemporaryDir dir;
    EXPECT_EQ(printStoreToPdf(store, dir.filePath(QStringLiteral("empty.pdf"))), 1);
    QString error;
    EXPECT_EQ(printStoreToPdf(store, dir.filePath(QStringLiteral("no/such/dir/x.pdf")), &error), -1);
    EXPECT_TRUE(error.contains(QStringLiteral("x.pdf")));
}

// A report saved through the preview's "另存为PDF" under a name typed without
// an ending: the file gets ".pdf", and its text is searched and copied as the
// characters the screen shows, not as the radicals fonts share glyphs with.
TEST(Printing, SavedPdfReadsAsTheScreenShowsUnderANameEndingInPdf)
{
    DataStore store(giftsDef());
    for (const char* name : {"人日月", "马车门", "黄龙见"}) {
        const long r = store.insertRow(0);
        store.setItem(r, QStringLiteral("xm"), QString::fromUtf8(name));
        store.setItem(r, QStringLiteral("je"), QStringLiteral("10"));
    }
    QTemporaryDir dir;
    auto& dialogs = installScriptedFileDialogs();
    dialogs.queueAnswer(dir.filePath(QStringLiteral("wangxiao")));
    setPreviewRunner(
        [](PrintPreviewDialog& dialog) { dialog.findChild<QAction*>(QStringLiteral("savePdf"))->trigger(); });
    printPreview(
        store, nullptr,
        {QStringLiteral("人情往来查询（所有）"), {QStringLiteral("日期：2003年01月01日 至 2003年12月31日")}});
    setPreviewRunner({});
    FileDialogService::install(nullptr);
    const QString file = dir.filePath(QStringLiteral("wangxiao.pdf"));
    ASSERT_TRUE(QFileInfo::exists(file))
        << "saved as " << QDir(dir.path()).entryList(QDir::Files).join(u' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("wangxiao"))));

    const QString text = qv::test::pdfTextAsWritten(file);
    if (text.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    for (const char* expected : {"人情", "日期", "月", "至", "页", "人日月", "马车门", "黄龙见"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << " in " << text.toStdString();
    for (QChar c : text)
        EXPECT_FALSE(c.unicode() >= 0x2E80 && c.unicode() <= 0x2FDF)
            << "radical U+" << QString::number(c.unicode(), 16).toStdString() << " in " << text.toStdString();
}

TEST(Printing, PreviewDrawsTheStoreOnTheSharedPrinter)
{
    DataStore store(giftsDef());
    store.insertRow(0);
    store.setItem(1, QStringLiteral("je"), QStringLiteral("5"));
    int previewPages = -1;
    setPreviewRunner([&](PrintPreviewDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("打印预览"));
        EXPECT_TRUE(dialog.findChild<QAction*>(QStringLiteral("savePdf")));
        previewPages = dialog.pageCount();
    });
    printPreview(store, nullptr);
    setPreviewRunner({});
    EXPECT_EQ(previewPages, 1);
    EXPECT_EQ(&sharedPrinter(), &sharedPrinter());
}

// A preview of thousands of pages draws the pages it shows, not all of them:
// drawing them all up front kept the window frozen for half a minute.
TEST(Printing, APreviewDrawsOnlyThePagesInView)
{
    ReportDef def = giftsDef();
    long rowsDrawn = 0;
    def.rowColor = [&rowsDrawn](const DataStore&, long) {
        ++rowsDrawn;
        return QColor();
    };
    DataStore store(def);
    for (int i = 0; i < 4000; ++i)
        store.setItem(store.insertRow(0), QStringLiteral("xm"), QStringLiteral("客人%1").arg(i));
    const int pages = pageCount(store, sharedPrinter());
    ASSERT_GT(pages, 50);
    const long perPage = store.rowCount() / pages + 1;
    setPreviewRunner([&](PrintPreviewDialog& dialog) {
        EXPECT_EQ(dialog.pageCount(), pages);
        dialog.resize(600, 800);
        dialog.show();
        QApplication::processEvents();
        EXPECT_GT(rowsDrawn, 0) << "the first page is shown";
        EXPECT_LE(rowsDrawn, 3 * perPage);
        rowsDrawn = 0;
        dialog.setCurrentPage(pages);
        QApplication::processEvents();
        EXPECT_EQ(dialog.currentPage(), pages);
        EXPECT_EQ(dialog.findChild<QSpinBox*>(QStringLiteral("pageNumber"))->value(), pages);
        EXPECT_GT(rowsDrawn, 0) << "the last page is shown";
        EXPECT_LE(rowsDrawn, 3 * perPage);
    });
    printPreview(store, nullptr);
    setPreviewRunner({});
}

// A PDF stopped halfway (取消) or that cannot be finished never takes the
// chosen name: a file already there stays as it was, and no working file is
// left beside it.
TEST(Printing, AStoppedPdfLeavesTheChosenNameAsItWas)
{
    DataStore store(giftsDef());
    for (int i = 0; i < 300; ++i)
        store.setItem(store.insertRow(0), QStringLiteral("xm"), QStringLiteral("客人%1").arg(i));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("gifts.pdf"));
    {
        QFile earlier(file);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    auto document = storeDocument(store);
    int heard = 0;
    QString error;
    EXPECT_EQ(printDocumentToPdf(*document, file, &error,
                                 [&heard](int page, int pages) {
                                     ++heard;
                                     EXPECT_GT(pages, 2);
                                     return page < 2;
                                 }),
              0);
    EXPECT_EQ(heard, 2) << "no page is written after 取消";
    QFile earlier(file);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("gifts.pdf")});

    EXPECT_GT(printDocumentToPdf(*document, file, &error), 2) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("gifts.pdf")});
    EXPECT_GT(QFileInfo(file).size(), 1000) << "replaced once complete";
}

QV_LEDGER_TEST_SUITE(ReportGridTest);
