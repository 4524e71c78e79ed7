#include "support/pdftext.h"
#include "support/testledger.h"

#include "platform/core/capitals.h"
#include "platform/core/messagebox.h"
#include "registration/amountedit.h"
#include "registration/bookdialogs.h"
#include "registration/bookprint.h"
#include "registration/bookwindow.h"

#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>

using namespace qv;
using qv::test::LedgerTest;

namespace {

// Letters from the keyboard, Chinese from the input method, into whatever
// has the keyboard.
void type(const QString& text)
{
    for (QChar c : text) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_TRUE(target);
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(target, char(c.unicode()));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(target, &commit);
        }
    }
}

void press(Qt::Key key)
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_TRUE(target);
    QTest::keyClick(target, key);
}

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

} // namespace

class BookWindowTest : public LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_boxes = &installScriptedMessageBoxes();
    }
    void TearDown() override
    {
        m_window.reset();
        setBookDialogRunner({});
        LedgerTest::TearDown();
    }
    BookWindow& open()
    {
        m_window = std::make_unique<BookWindow>(sqlca());
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        // The first book's dialog, when it opens, and the activation after it.
        QApplication::processEvents();
        QApplication::setActiveWindow(m_window.get());
        return *m_window;
    }
    template <class T> T* child(const char* name)
    {
        auto* w = m_window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    QString text(const char* label) { return child<QLabel>(label)->text(); }
    long count(const QString& sql, const QVariantList& values = {})
    {
        return ledger().scalar(sql, values).toLongLong();
    }
    Book makeBook(const QString& kind, const QList<BookEntry>& entries)
    {
        BookStore store(sqlca());
        Book book{0,    QStringLiteral("王府喜宴"), QStringLiteral("20241001"),
                  kind, QStringLiteral("结婚"),     false};
        EXPECT_TRUE(store.create(book).ok) << store.error().toStdString();
        for (const BookEntry& e : entries)
            EXPECT_TRUE(store.add(book, e).ok) << store.error().toStdString();
        return book;
    }

    ScriptedMessageBoxes* m_boxes = nullptr;
    std::unique_ptr<BookWindow> m_window;
};

// The first book is asked for when the sheet opens; then guests go in by
// the keyboard alone, each line committed on Enter with the keyboard back
// in the empty name field, and a guest already in the book is named before
// the line is stored and asked about on Enter.
TEST_P(BookWindowTest, GuestsAreEnteredByKeyboardAndStoredAtOnce)
{
    setBookDialogRunner([](QDialog& dialog) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        EXPECT_EQ(focusName(), QStringLiteral("sle_1")) << "the focus starts in the name";
        type(QStringLiteral("张府婚礼"));
        press(Qt::Key_Return);
        // As when a modal dialog ends: the window under it has the keyboard.
        QApplication::setActiveWindow(dialog.parentWidget()->window());
        return dialog.result();
    });
    BookWindow& w = open();
    ASSERT_TRUE(w.book().has_value()) << m_boxes->texts().join(u'|').toStdString();
    EXPECT_EQ(w.book()->name, QStringLiteral("张府婚礼"));
    EXPECT_EQ(w.book()->kind, QStringLiteral("喜事"));
    EXPECT_EQ(w.book()->reason, QStringLiteral("结婚"));
    EXPECT_EQ(w.book()->date, QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    EXPECT_EQ(focusName(), QStringLiteral("sle_2"));

    const struct
    {
        const char* name;
        const char* amount;
        const char* optional; // typed after a Tab past the amount
        int answer;           // to the repeated-guest question; 0: none asked
        const char* noteBefore;
        long linesAfter;
    } lines[] = {
        {"张三", "200", "", 0, "", 1},
        {"李四", "500", "茶具", 0, "", 2},
        {"张三", "100", "", 2, "已在礼簿中：张三 200.00 元", 2}, // 否: not stored
        {"张三", "100", "", 1, "已在礼簿中：张三 200.00 元", 3}, // 是: a second line
    };
    for (const auto& l : lines) {
        SCOPED_TRACE(std::string(l.name) + " " + l.amount);
        m_boxes->clear();
        if (l.answer)
            m_boxes->queueAnswer(l.answer);
        type(QString::fromUtf8(l.name));
        press(Qt::Key_Tab);
        EXPECT_EQ(focusName(), QStringLiteral("em_2"));
        EXPECT_EQ(text("st_2"), QString::fromUtf8(l.noteBefore));
        type(QString::fromUtf8(l.amount));
        if (*l.optional) {
            press(Qt::Key_Tab);
            EXPECT_EQ(focusName(), QStringLiteral("sle_6"));
            type(QString::fromUtf8(l.optional));
        }
        press(Qt::Key_Return);
        if (l.answer) {
            ASSERT_EQ(m_boxes->shown().size(), 1);
            EXPECT_EQ(m_boxes->shown()[0].text,
                      QStringLiteral("张三已在本礼簿中（200.00 元），还要再记一笔吗?"));
            EXPECT_EQ(m_boxes->shown()[0].defaultButton, 2);
        } else {
            EXPECT_TRUE(m_boxes->shown().isEmpty()) << m_boxes->texts().join(u'|').toStdString();
        }
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM lbmx m JOIN rqwlb r ON r.xtbh = m.xtbh "
                                       "WHERE m.lbid = ? AND r.lx = '收情'"),
                        {w.book()->id}),
                  l.linesAfter);
        EXPECT_EQ(focusName(), QStringLiteral("sle_2"));
        EXPECT_TRUE(child<QLineEdit>("sle_2")->text().isEmpty());
        EXPECT_EQ(child<AmountEdit>("em_2")->amount(), Money()) << "nothing passes to the next guest";
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb WHERE wp = '茶具' AND xm = '李四'")), 1);
    EXPECT_EQ(text("st_4"), QStringLiteral("人数：3"));
    EXPECT_EQ(text("st_5"), QStringLiteral("合计：800.00 元"));
    EXPECT_EQ(text("st_6"), QStringLiteral("合计（大写）：捌佰元整"));

    // A half-typed line is asked about before the sheet goes; 取消 keeps it.
    child<QLineEdit>("sle_2")->setFocus();
    type(QStringLiteral("王五"));
    m_boxes->clear();
    m_boxes->queueAnswer(3);
    EXPECT_FALSE(w.close());
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("数据未保存！是否存盘?")});
    EXPECT_EQ(child<QLineEdit>("sle_2")->text(), QStringLiteral("王五"));
}

// Corrections and removals change the record itself; deleting the book asks
// whether its records go too.
TEST_P(BookWindowTest, LinesAreCorrectedAndRemovedAndTheBookDeletedEitherWay)
{
    const struct
    {
        const char* what;
        int answer; // 是 删除记录, 否 保留记录, 取消
        long recordsAfter;
        bool bookAfter;
    } cases[] = {
        {"取消", 3, 2, true}, {"否 keeps the records", 2, 2, false}, {"是 deletes them", 1, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
        ledger().exec(QStringLiteral("DELETE FROM lbmx"));
        ledger().exec(QStringLiteral("DELETE FROM lbb"));
        sqlca().commit();
        makeBook(BookStore::kWedding, {{QStringLiteral("甲"), Money::fromCents(20000), {}, {}, {}},
                                       {QStringLiteral("乙"), Money::fromCents(30000), {}, {}, {}},
                                       {QStringLiteral("丙"), Money::fromCents(10000), {}, {}, {}}});
        BookWindow& w = open();
        auto* list = child<QTableWidget>("dw_2");
        ASSERT_EQ(list->rowCount(), 3);

        // 修改 the first line's amount in its dialog.
        list->selectRow(0);
        setBookDialogRunner([](QDialog& dialog) {
            dialog.show();
            QApplication::setActiveWindow(&dialog);
            EXPECT_EQ(focusName(), QStringLiteral("em_1"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            type(QStringLiteral("250"));
            press(Qt::Key_Return);
            QApplication::setActiveWindow(dialog.parentWidget()->window());
            return dialog.result();
        });
        w.correctLine();
        EXPECT_EQ(count(QStringLiteral("SELECT CAST(ROUND(je * 100) AS BIGINT) FROM rqwlb WHERE xm = '甲'")),
                  25000);
        // 删除 the second, after its question.
        list->selectRow(1);
        m_boxes->clear();
        m_boxes->queueAnswer(1);
        w.removeLine();
        EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("确实删除乙 300.00 元吗?")});
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb WHERE xm = '乙'")), 0);
        EXPECT_EQ(text("st_5"), QStringLiteral("合计：350.00 元"));

        m_boxes->clear();
        m_boxes->queueAnswer(c.answer);
        w.deleteBook();
        ASSERT_EQ(m_boxes->shown().size(), 1);
        EXPECT_EQ(m_boxes->shown()[0].buttons, Buttons::YesNoCancel);
        EXPECT_EQ(m_boxes->shown()[0].defaultButton, 3);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb")), c.recordsAfter);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM lbb")), c.bookAfter ? 1 : 0);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM lbmx")), c.bookAfter ? 2 : 0);
        m_window.reset();
    }
}

// The printed book gives its text back: its name on the cover and the
// grand total in capitals on the last page, for either kind of book.
TEST_P(BookWindowTest, ThePrintedBookHoldsItsNameAndTheTotalInCapitals)
{
    for (const QString& kind : {BookStore::kWedding, BookStore::kFuneral}) {
        SCOPED_TRACE(kind.toStdString());
        QList<BookEntry> guests;
        for (int i = 0; i < 30; ++i)
            guests << BookEntry{
                QStringLiteral("宾客%1").arg(i), Money::fromCents(10000 + i * 100), {}, {}, {}};
        const Book book = makeBook(kind, guests);
        BookStore store(sqlca());
        BookPrint print(book, store.lines(book.id).value());
        const QString file = QDir(ledger().workDir()).filePath(QStringLiteral("book.pdf"));
        QString error;
        const int pages = printBookToPdf(print, file, &error);
        ASSERT_GT(pages, 2) << error.toStdString();
        EXPECT_EQ(pages, 1 + (30 + print.guestsPerPage() - 1) / print.guestsPerPage());
        const QString pdf = test::pdfText(file);
        if (pdf.isEmpty())
            GTEST_SKIP() << "pdftotext is not installed";
        // 30 guests of 100.00 + 0..29 → 3,000.00 + 435.00
        EXPECT_TRUE(pdf.contains(QStringLiteral("王府喜宴"))) << pdf.toStdString();
        // The grand total closes the last page.
        EXPECT_TRUE(pdf.endsWith(amountInCapitals(Money::fromCents(343500)))) << pdf.right(200).toStdString();
        EXPECT_TRUE(pdf.contains(kind == BookStore::kWedding ? QStringLiteral("囍") : QStringLiteral("奠")));
        // Searchable as printed: 人 is not left as a radical.
        EXPECT_TRUE(test::pdfTextAsWritten(file).contains(QStringLiteral("共30人")));
    }
}

QV_LEDGER_TEST_SUITE(BookWindowTest);
