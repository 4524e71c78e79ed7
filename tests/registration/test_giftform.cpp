#include "giftformtest.h"

#include "registration/amountedit.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace qv;

namespace {
const QString kSaved = QStringLiteral("数据保存成功!");
const QString kSaveFailed = QStringLiteral("数据保存出错!");
} // namespace

class GiftFormDb : public GiftFormTest
{
};

TEST_P(GiftFormDb, ReceivedAndGivenGiftsAreStoredWithTheirSignAndKind)
{
    GiftForm& received = open(GiftKind::Received);
    EXPECT_EQ(received.objectName(), QStringLiteral("w_lwdj"));
    EXPECT_EQ(received.windowTitle(), QStringLiteral("收情登记"));
    EXPECT_EQ(edit(received, "sle_1")->text(), QStringLiteral("030501090807"));
    EXPECT_EQ(list(received, "ddlb_1")->currentText(), QStringLiteral("升职"));
    EXPECT_EQ(list(received, "ddlb_2")->currentText(), QStringLiteral("本人"));
    EXPECT_EQ(amount(received)->text(), QStringLiteral("0.00"));
    EXPECT_EQ(date(received, "em_1")->text(), QStringLiteral("2003年05月01日"));
    EXPECT_FALSE(button(received, "cb_2")->isEnabled());

    typeName(received, QStringLiteral("张三"));
    edit(received, "sle_3")->setText(QStringLiteral("同事"));
    typeAmount(received, QStringLiteral("300"));
    EXPECT_EQ(amount(received)->text(), QStringLiteral("300.00"));
    press(received, "cb_1");

    ASSERT_EQ(shownTexts(), QStringList{kSaved});
    EXPECT_EQ(m_boxes->shown().front().title, QStringLiteral("提示"));
    EXPECT_EQ(m_boxes->shown().front().icon, Icon::Information);
    EXPECT_FALSE(button(received, "cb_1")->isEnabled());
    EXPECT_TRUE(button(received, "cb_2")->isEnabled());

    EXPECT_EQ(storedAmount(QStringLiteral("030501090807")), Money::fromCents(30000));
    EXPECT_EQ(ledger().scalar(
                  QStringLiteral("SELECT xm || '|' || fw || '|' || lx || '|' || sy || '|' || dx || '|' || "
                                 "wp || '|' || sj || '|' || sq FROM rqwlb")),
              QStringLiteral("张三|同事|收情|升职|本人||20030501|20030501"));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM rqwlb WHERE bm IS NULL AND dh IS NULL AND "
                                             "yd IS NULL AND hj IS NULL AND dz IS NULL")),
              1);

    m_now = m_now.addSecs(1);
    GiftForm& given = open(GiftKind::Given);
    EXPECT_EQ(given.windowTitle(), QStringLiteral("送情登记"));
    typeName(given, QStringLiteral("张三"));
    typeAmount(given, QStringLiteral("1250.5"));
    EXPECT_EQ(amount(given)->text(), QStringLiteral("1,250.50"));
    typeAmount(given, QStringLiteral("300"));
    press(given, "cb_1");
    EXPECT_EQ(storedAmount(QStringLiteral("030501090808")), Money::fromCents(-30000));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT lx FROM rqwlb WHERE xtbh = ?"),
                              {QStringLiteral("030501090808")}),
              QStringLiteral("送情"));
    // The sum over both kinds is the balance.
    EXPECT_EQ(Money::fromVariant(ledger().scalar(QStringLiteral("SELECT sum(je) FROM rqwlb"))), Money());
}

TEST_P(GiftFormDb, DatesAcrossTheYearEndAreStoredAsEightDigits)
{
    GiftForm& form = open(GiftKind::Received);
    date(form, "em_1")->setDate(QDate(2003, 12, 31));
    date(form, "em_3")->setDate(QDate(2004, 1, 1));
    EXPECT_EQ(date(form, "em_1")->text(), QStringLiteral("2003年12月31日"));
    EXPECT_EQ(date(form, "em_3")->text(), QStringLiteral("2004年01月01日"));
    typeName(form, QStringLiteral("李四"));
    typeAmount(form, QStringLiteral("5"));
    press(form, "cb_1");
    ASSERT_EQ(shownTexts(), QStringList{kSaved});
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT sj || sq FROM rqwlb")),
              QStringLiteral("2003123120040101"));
    // Below the spin range and still stored: the range bounds the buttons only.
    EXPECT_EQ(storedAmount(edit(form, "sle_1")->text()), Money::fromCents(500));
}

TEST_P(GiftFormDb, TheNameIsCheckedBeforeTheAmount)
{
    for (GiftKind kind : {GiftKind::Received, GiftKind::Given}) {
        m_boxes->clear();
        GiftForm& form = open(kind);
        press(form, "cb_1");
        typeName(form, QStringLiteral("zs"));
        press(form, "cb_1");
        ASSERT_EQ(m_boxes->shown().size(), 2);
        EXPECT_EQ(m_boxes->shown()[0].text, QStringLiteral("姓名不能为空！"));
        EXPECT_EQ(m_boxes->shown()[0].icon, Icon::StopSign);
        EXPECT_EQ(m_boxes->shown()[1].text, giftFormConfig(kind).zeroMessage);
        EXPECT_EQ(m_boxes->shown()[1].title, QStringLiteral("提示"));
        EXPECT_EQ(m_boxes->shown()[1].icon, Icon::StopSign);
        EXPECT_TRUE(button(form, "cb_1")->isEnabled());
        EXPECT_FALSE(button(form, "cb_2")->isEnabled());
    }
    EXPECT_EQ(giftFormConfig(GiftKind::Given).zeroMessage, QStringLiteral("送情金额不能为零！"));
    EXPECT_EQ(rowCount(), 0);

    // A pinyin code never picked is stored as typed.
    GiftForm& form = *m_forms.front();
    typeAmount(form, QStringLiteral("10"));
    press(form, "cb_1");
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xm FROM rqwlb")), QStringLiteral("zs"));
}

TEST_P(GiftFormDb, NextRecordStartsAFreshRecord)
{
    GiftForm& form = open(GiftKind::Received);
    typeName(form, QStringLiteral("王五"));
    edit(form, "sle_3")->setText(QStringLiteral("朋友"));
    edit(form, "sle_6")->setText(QStringLiteral("花篮"));
    list(form, "ddlb_1")->setEditText(QStringLiteral("结婚"));
    list(form, "ddlb_2")->setEditText(QStringLiteral("儿子"));
    date(form, "em_1")->setDate(QDate(2001, 2, 3));
    typeAmount(form, QStringLiteral("88"));
    press(form, "cb_1");
    ASSERT_EQ(shownTexts(), QStringList{kSaved});
    const int items = list(form, "ddlb_1")->count();

    m_now = QDateTime(QDate(2003, 5, 2), QTime(23, 59, 58));
    press(form, "cb_2");
    EXPECT_EQ(edit(form, "sle_1")->text(), QStringLiteral("030502235958"));
    EXPECT_TRUE(edit(form, "sle_2")->text().isEmpty());
    EXPECT_TRUE(edit(form, "sle_3")->text().isEmpty());
    EXPECT_TRUE(edit(form, "sle_6")->text().isEmpty());
    EXPECT_EQ(list(form, "ddlb_1")->currentText(), QStringLiteral("升职"));
    EXPECT_EQ(list(form, "ddlb_2")->currentText(), QStringLiteral("本人"));
    EXPECT_EQ(list(form, "ddlb_1")->count(), items);
    EXPECT_EQ(amount(form)->text(), QStringLiteral("0.00"));
    EXPECT_EQ(date(form, "em_1")->date(), QDate(2003, 5, 2));
    EXPECT_EQ(date(form, "em_3")->date(), QDate(2003, 5, 2));
    EXPECT_TRUE(button(form, "cb_1")->isEnabled());
    EXPECT_FALSE(button(form, "cb_2")->isEnabled());
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT sy || dx || wp FROM rqwlb")),
              QStringLiteral("结婚儿子花篮"));
}

TEST_P(GiftFormDb, ASavedRecordIsReadOnlyUntilNext)
{
    GiftForm& form = open(GiftKind::Received);
    typeName(form, QStringLiteral("张三"));
    typeAmount(form, QStringLiteral("300"));
    press(form, "cb_1");
    ASSERT_EQ(shownTexts(), QStringList{kSaved});
    EXPECT_TRUE(button(form, "cb_2")->hasFocus());

    const char* fields[] = {"sle_2", "sle_3", "sle_6", "em_2", "em_1", "em_3", "ddlb_1", "ddlb_2"};
    auto typeEverywhere = [&] {
        QStringList texts;
        for (const char* name : fields) {
            auto* field = child<QWidget>(form, name);
            field->setFocus(Qt::TabFocusReason);
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("19"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
            if (auto* e = qobject_cast<QLineEdit*>(field))
                texts << e->text();
            else if (auto* s = qobject_cast<QAbstractSpinBox*>(field))
                texts << s->text();
            else
                texts << qobject_cast<QComboBox*>(field)->currentText();
        }
        return texts;
    };
    const QStringList saved = {QStringLiteral("张三"),
                               QString(),
                               QString(),
                               QStringLiteral("300.00"),
                               QStringLiteral("2003年05月01日"),
                               QStringLiteral("2003年05月01日"),
                               QStringLiteral("升职"),
                               QStringLiteral("本人")};
    EXPECT_EQ(typeEverywhere(), saved);

    press(form, "cb_2");
    EXPECT_TRUE(edit(form, "sle_2")->hasFocus());
    const QStringList fresh = typeEverywhere();
    for (int i = 0; i < fresh.size(); ++i)
        EXPECT_NE(fresh[i], saved[i]) << fields[i];
}

TEST_P(GiftFormDb, ATakenRecordNumberGivesWayToTheNextFreeOne)
{
    GiftForm& received = open(GiftKind::Received);
    GiftForm& given = open(GiftKind::Given);
    EXPECT_EQ(edit(received, "sle_1")->text(), edit(given, "sle_1")->text());

    // Two forms saved in the same second: the second takes the next second.
    typeName(received, QStringLiteral("张三"));
    typeAmount(received, QStringLiteral("100"));
    press(received, "cb_1");
    typeName(given, QStringLiteral("李四"));
    typeAmount(given, QStringLiteral("200"));
    press(given, "cb_1");
    ASSERT_EQ(shownTexts(), (QStringList{kSaved, kSaved}));
    EXPECT_EQ(edit(received, "sle_1")->text(), QStringLiteral("030501090807"));
    EXPECT_EQ(edit(given, "sle_1")->text(), QStringLiteral("030501090808"));
    EXPECT_EQ(storedAmount(QStringLiteral("030501090807")), Money::fromCents(10000));
    EXPECT_EQ(storedAmount(QStringLiteral("030501090808")), Money::fromCents(-20000));
    EXPECT_FALSE(sqlca().inTransaction());

    // A form left open while its number and the next were stored elsewhere.
    m_now = QDateTime(QDate(2003, 5, 1), QTime(10, 0, 0));
    GiftForm& open = this->open(GiftKind::Received);
    ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je) VALUES (?, ?, ?, ?)"),
                  {QStringLiteral("030501100000"), QStringLiteral("王五"), QStringLiteral("收情"), 1});
    ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je) VALUES (?, ?, ?, ?)"),
                  {QStringLiteral("030501100001"), QStringLiteral("王五"), QStringLiteral("收情"), 1});
    typeName(open, QStringLiteral("赵六"));
    typeAmount(open, QStringLiteral("300"));
    press(open, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), kSaved);
    EXPECT_EQ(edit(open, "sle_1")->text(), QStringLiteral("030501100002"));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xm FROM rqwlb WHERE xtbh = ?"),
                              {QStringLiteral("030501100002")}),
              QStringLiteral("赵六"));
    EXPECT_EQ(rowCount(), 5);
}

// The line drops while the commit's answer is on its way: whether the
// record is stored only the ledger knows, and it is asked, never given the
// gift a second time.
TEST_P(GiftFormDb, ACommitWhoseAnswerIsLostIsSettledByLookingNotBySavingAgain)
{
    for (bool done : {true, false}) {
        SCOPED_TRACE(done ? "committed" : "not committed");
        ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
        m_boxes->clear();
        GiftForm& form = open(GiftKind::Received);
        typeName(form, QStringLiteral("张三"));
        typeAmount(form, QStringLiteral("300"));
        sqlca().loseNextCommitAnswer(done);
        press(form, "cb_1");
        ASSERT_EQ(m_boxes->shown().size(), 1);
        if (done) {
            EXPECT_EQ(shownTexts(), QStringList{kSaved});
            EXPECT_EQ(rowCount(), 1);
            EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xtbh FROM rqwlb")).toString(),
                      edit(form, "sle_1")->text());
            EXPECT_TRUE(button(form, "cb_2")->isEnabled());
            continue;
        }
        EXPECT_TRUE(
            shownTexts().front().startsWith(kSaveFailed + QStringLiteral("\n与数据库服务器的连接已断开")))
            << shownTexts().front().toStdString();
        EXPECT_EQ(rowCount(), 0);
        EXPECT_TRUE(button(form, "cb_1")->isEnabled());
        EXPECT_EQ(edit(form, "sle_2")->text(), QStringLiteral("张三"));
        press(form, "cb_1");
        EXPECT_EQ(m_boxes->texts().last(), kSaved);
        EXPECT_EQ(rowCount(), 1);
    }
}

TEST_P(GiftFormDb, FaultyAmountsAreRefusedNeverChanged)
{
    GiftForm& form = open(GiftKind::Given);
    typeName(form, QStringLiteral("张三"));

    // Letters never reach the field; what is left is an empty amount, shown
    // as the zero it means.
    typeAmount(form, QStringLiteral("abc"));
    EXPECT_EQ(amount(form)->text(), QStringLiteral("0.00"));
    press(form, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), QStringLiteral("送情金额不能为零！"));

    // A pasted text that is no amount is shown as it is and refused by name.
    amount(form)->setAmountText(QStringLiteral("abc"));
    press(form, "cb_1");
    EXPECT_TRUE(m_boxes->texts().last().contains(QStringLiteral("送情金额")));

    typeAmount(form, QStringLiteral("1,2,3"));
    EXPECT_EQ(amount(form)->text(), QStringLiteral("1,2,3"));
    press(form, "cb_1");
    EXPECT_TRUE(m_boxes->texts().last().contains(QStringLiteral("送情金额“1,2,3”")));

    // A minus sign in a given gift would store money received.
    typeAmount(form, QStringLiteral("-5"));
    EXPECT_EQ(amount(form)->text(), QStringLiteral("-5"));
    press(form, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), QStringLiteral("送情金额不能为负数！"));
    for (const ShownMessage& m : m_boxes->shown())
        EXPECT_EQ(m.icon, Icon::StopSign) << m.text.toStdString();
    EXPECT_EQ(rowCount(), 0);

    // Far above the spin range, exact to the cent.
    typeAmount(form, QStringLiteral("99999999999"));
    EXPECT_EQ(amount(form)->text(), QStringLiteral("99,999,999,999.00"));
    press(form, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), kSaved);
    EXPECT_EQ(storedAmount(edit(form, "sle_1")->text()), Money::fromCents(-9999999999900LL));

    // The spin buttons step by 50 and stop at the ends of their range.
    AmountEdit* em = amount(form);
    em->setAmount(Money());
    em->stepBy(1);
    EXPECT_EQ(em->text(), QStringLiteral("50.00"));
    em->stepBy(-1);
    EXPECT_EQ(em->text(), QStringLiteral("10.00"));
    em->setAmount(Money::fromCents(9999999000LL));
    em->stepBy(1);
    EXPECT_EQ(em->text(), QStringLiteral("100,000,000.00"));
}

TEST_P(GiftFormDb, TextsTooWideOrNotGbkAreRefusedByField)
{
    GiftForm& form = open(GiftKind::Received);
    typeAmount(form, QStringLiteral("100"));

    typeName(form, QStringLiteral("一二三四五六七八九"));
    press(form, "cb_1");
    EXPECT_TRUE(m_boxes->texts().last().contains(QStringLiteral("“姓名”")))
        << m_boxes->texts().last().toStdString();

    typeName(form, QStringLiteral("一二三四五六七八"));
    list(form, "ddlb_1")->setEditText(QStringLiteral("一二三四五六"));
    press(form, "cb_1");
    EXPECT_TRUE(m_boxes->texts().last().contains(QStringLiteral("“收情事由”")));

    list(form, "ddlb_1")->setEditText(QStringLiteral("升职"));
    list(form, "ddlb_2")->setEditText(QStringLiteral("abcdefghijk"));
    press(form, "cb_1");
    EXPECT_TRUE(m_boxes->texts().last().contains(QStringLiteral("“发生对象”")));

    list(form, "ddlb_2")->setEditText(QStringLiteral("本人"));
    edit(form, "sle_3")->setText(QStringLiteral("同事한")); // Hangul has no GBK form
    press(form, "cb_1");
    EXPECT_TRUE(m_boxes->texts().last().contains(QStringLiteral("“关系分类”")));

    edit(form, "sle_3")->setText(QStringLiteral("同事"));
    edit(form, "sle_6")->setText(QStringLiteral("蛋糕🎂"));
    press(form, "cb_1");
    EXPECT_TRUE(m_boxes->texts().last().contains(QStringLiteral("“等价物品”")));
    EXPECT_EQ(m_boxes->shown().last().icon, Icon::StopSign);
    EXPECT_EQ(rowCount(), 0);

    // Eight Chinese characters fill the name column exactly.
    edit(form, "sle_6")->setText(QStringLiteral("蛋糕"));
    press(form, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), kSaved);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xm FROM rqwlb")), QStringLiteral("一二三四五六七八"));
}

TEST_P(GiftFormDb, NamesAreStoredTrimmedAndBlanksAreNoName)
{
    const struct
    {
        QString typed;
        QString stored; // empty: refused as no name
    } cases[] = {
        {QStringLiteral(" 张三 "), QStringLiteral("张三")},
        {QStringLiteral("\t李四\u3000"), QStringLiteral("李四")},
        {QStringLiteral("王 五"), QStringLiteral("王 五")},
        {QStringLiteral("   "), QString()},
        {QStringLiteral("\u3000"), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        m_now = m_now.addSecs(1);
        GiftForm& form = open(GiftKind::Received);
        edit(form, "sle_2")->setText(c.typed);
        typeAmount(form, QStringLiteral("10"));
        press(form, "cb_1");
        if (c.stored.isEmpty()) {
            EXPECT_EQ(m_boxes->texts().last(), QStringLiteral("姓名不能为空！"));
            continue;
        }
        EXPECT_EQ(m_boxes->texts().last(), kSaved);
        EXPECT_EQ(edit(form, "sle_2")->text(), c.stored);
        EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM rqwlb WHERE xm = ?"), {c.stored}), 1);
    }
    EXPECT_EQ(rowCount(), 3);
}

TEST_P(GiftFormDb, AmountsBeyondTheColumnSaySoWithTheLimit)
{
    GiftForm& form = open(GiftKind::Received);
    typeName(form, QStringLiteral("张三"));
    for (const char* typed : {"1000000000000", "1,000,000,000,000.00", "99999999999999999999"}) {
        typeAmount(form, QString::fromLatin1(typed));
        press(form, "cb_1");
        const QString shown = m_boxes->texts().last();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("金额太大"))) << typed << " " << shown.toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("999,999,999,999.99"))) << typed;
    }
    EXPECT_EQ(rowCount(), 0);
    typeAmount(form, QStringLiteral("999999999999.99"));
    press(form, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), kSaved);
    EXPECT_EQ(storedAmount(edit(form, "sle_1")->text()), Money::fromCents(Money::maxCents));
}

TEST_P(GiftFormDb, AFailedSaveTellsTheDatabasesReasonAndKeepsTheInput)
{
    GiftForm& form = open(GiftKind::Received);
    typeName(form, QStringLiteral("张三"));
    typeAmount(form, QStringLiteral("300"));
    ledger().exec(QStringLiteral("ALTER TABLE rqwlb RENAME TO rqwlb_away"));
    press(form, "cb_1");
    ASSERT_EQ(m_boxes->shown().size(), 1);
    // The fixed text on its own line, the database's words (one line or
    // several, by driver) below it.
    const QString text = m_boxes->shown().front().text;
    EXPECT_TRUE(text.startsWith(kSaveFailed + u'\n')) << text.toStdString();
    EXPECT_TRUE(text.mid(kSaveFailed.size()).contains(QStringLiteral("rqwlb"))) << text.toStdString();
    EXPECT_EQ(m_boxes->shown().front().icon, Icon::StopSign);
    EXPECT_FALSE(sqlca().inTransaction());
    EXPECT_TRUE(button(form, "cb_1")->isEnabled());
    EXPECT_EQ(edit(form, "sle_2")->text(), QStringLiteral("张三"));

    // Nothing was left half done: with the table back the same record stores.
    ledger().exec(QStringLiteral("ALTER TABLE rqwlb_away RENAME TO rqwlb"));
    press(form, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), kSaved);
    EXPECT_EQ(rowCount(), 1);
}

TEST_P(GiftFormDb, NamesWithQuotesAndPercentAreStoredAsTyped)
{
    const QString name = QStringLiteral("O'Neil 50%");
    GiftForm& form = open(GiftKind::Received);
    typeName(form, name);
    EXPECT_FALSE(picker(form)->isVisible());
    typeAmount(form, QStringLiteral("66"));
    press(form, "cb_1");
    EXPECT_EQ(m_boxes->texts().last(), kSaved);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM rqwlb WHERE xm = ?"), {name}), 1);
}

// A gift typed and not stored is never dropped without the question; a
// blank or stored form closes at once.
TEST_P(GiftFormDb, ExitAsksBeforeATypedGiftIsDropped)
{
    const QString question = QStringLiteral("数据未保存！是否存盘?");
    struct Case
    {
        const char* what;
        const char* name;
        const char* amount;
        bool saveFirst;
        QList<int> answers;
        QStringList shown;
        bool closed;
        long rows;
    };
    const Case cases[] = {
        {"nothing typed", "", "", false, {}, {}, true, 0},
        {"typed, 否 drops it", "张三", "300", false, {2}, {question}, true, 0},
        {"typed, 取消 stays", "张三", "300", false, {3}, {question}, false, 0},
        {"typed, 是 stores it", "张三", "300", false, {1}, {question, kSaved}, true, 1},
        {"only a name, 是 is refused", "张三", "", false, {1}, {question, "收情金额不能为零！"}, false, 0},
        {"already stored", "张三", "300", true, {}, {kSaved}, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
        GiftForm& form = open(GiftKind::Received);
        if (*c.name)
            typeName(form, QString::fromUtf8(c.name));
        if (*c.amount)
            typeAmount(form, QString::fromUtf8(c.amount));
        if (c.saveFirst)
            press(form, "cb_1");
        for (int answer : c.answers)
            m_boxes->queueAnswer(answer);
        press(form, "cb_3");
        EXPECT_EQ(shownTexts(), c.shown);
        EXPECT_EQ(form.isVisible(), !c.closed);
        EXPECT_EQ(rowCount(), c.rows);
        if (!c.closed) {
            EXPECT_EQ(edit(form, "sle_2")->text(), QString::fromUtf8(c.name)) << "what was typed stays";
        }
        m_boxes->clear();
    }
}

QV_LEDGER_TEST_SUITE(GiftFormDb);
