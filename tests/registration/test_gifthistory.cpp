#include "giftformtest.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace qv;

// What the forms tell about a person's earlier gifts: the line under the
// fields and the question before the same gift is entered twice.
class GiftHistoryDb : public GiftFormTest
{
protected:
    void store(const char* xtbh, const QString& xm, const QString& lx, const char* je, const char* sq,
               const QString& sy = QStringLiteral("婚礼"))
    {
        ledger().exec(
            QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq, sy) VALUES (?, ?, ?, ?, ?, ?)"),
            {QString::fromLatin1(xtbh), xm, lx, QString::fromLatin1(je), QString::fromLatin1(sq), sy});
    }
    QString historyLine(GiftForm& form) { return child<QLabel>(form, "st_10")->text(); }
};

TEST_P(GiftHistoryDb, TheSameGiftTwiceIsAskedAbout)
{
    const QString zs = QStringLiteral("张三");
    store("030430120000", zs, QStringLiteral("收情"), "300.00", "20030501");
    store("030430120001", zs, QStringLiteral("送情"), "-500.00", "20030501");
    const struct
    {
        const char* name;
        GiftKind kind;
        QString xm;
        const char* amount;
        QDate giftDate;
        int answer;       // 0: no question expected
        const char* xtbh; // the record the question names
        bool stored;
    } cases[] = {
        {"same received, 否", GiftKind::Received, zs, "300", QDate(2003, 5, 1), 2, "030430120000", false},
        {"same received, 是", GiftKind::Received, zs, "300.00", QDate(2003, 5, 1), 1, "030430120000", true},
        {"same given, 否", GiftKind::Given, zs, "500", QDate(2003, 5, 1), 2, "030430120001", false},
        {"another amount", GiftKind::Received, zs, "300.01", QDate(2003, 5, 1), 0, "", true},
        {"another gift date", GiftKind::Received, zs, "300", QDate(2003, 5, 2), 0, "", true},
        {"the other kind", GiftKind::Given, zs, "300", QDate(2003, 5, 1), 0, "", true},
        {"another name", GiftKind::Received, QStringLiteral("张三丰"), "300", QDate(2003, 5, 1), 0, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_now = m_now.addSecs(1);
        m_boxes->clear();
        const long before = rowCount();
        GiftForm& form = open(c.kind);
        typeName(form, c.xm);
        typeAmount(form, QString::fromLatin1(c.amount));
        date(form, "em_3")->setDate(c.giftDate);
        if (c.answer)
            m_boxes->queueAnswer(c.answer);
        press(form, "cb_1");

        ASSERT_FALSE(m_boxes->shown().isEmpty());
        const ShownMessage& first = m_boxes->shown().front();
        if (c.answer) {
            EXPECT_EQ(first.title, QStringLiteral("提示"));
            EXPECT_TRUE(first.text.contains(QStringLiteral("可能重复"))) << first.text.toStdString();
            EXPECT_TRUE(first.text.contains(QString::fromLatin1(c.xtbh))) << first.text.toStdString();
            EXPECT_TRUE(first.text.contains(QStringLiteral("2003年05月01日"))) << first.text.toStdString();
            EXPECT_EQ(first.icon, Icon::Question);
            EXPECT_EQ(first.buttons, Buttons::YesNo);
            EXPECT_EQ(first.defaultButton, 2);
        } else {
            EXPECT_FALSE(first.text.contains(QStringLiteral("可能重复"))) << first.text.toStdString();
        }
        EXPECT_EQ(rowCount(), before + (c.stored ? 1 : 0));
        EXPECT_EQ(m_boxes->texts().last() == QStringLiteral("数据保存成功!"), c.stored);
        // 否 leaves the form as it was, ready to be corrected.
        if (!c.stored) {
            EXPECT_EQ(m_boxes->shown().size(), 1);
            EXPECT_TRUE(button(form, "cb_1")->isEnabled());
            EXPECT_EQ(edit(form, "sle_2")->text(), c.xm);
            EXPECT_FALSE(edit(form, "sle_2")->isReadOnly());
        }
    }
}

TEST_P(GiftHistoryDb, TheNameShowsThePersonsExchanges)
{
    const QString zs = QStringLiteral("张三");
    ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)"),
                  {zs, QStringLiteral("男"), QStringLiteral("zs"), QStringLiteral("同事")});
    // Amounts whose sum in binary floating point is not exact.
    store("020101100000", zs, QStringLiteral("收情"), "0.10", "20020101");
    store("020301100000", zs, QStringLiteral("收情"), "0.20", "20020301");
    store("030401090000", zs, QStringLiteral("收情"), "1000.35", "20030401");
    store("030401100000", zs, QStringLiteral("送情"), "-150.05", "20030401", QStringLiteral("升职"));
    store("021201100000", zs, QStringLiteral("送情"), "-0.15", "20021201");
    store("021201100001", QStringLiteral("李四"), QStringLiteral("收情"), "99.00", "20040101");
    const QString zsLine = QStringLiteral("往来：收情 3 次 共 1,000.65 元，送情 2 次 共 150.20 元；"
                                          "最近一次 2003年04月01日 送情 150.05 元（升职）");

    for (GiftKind kind : {GiftKind::Received, GiftKind::Given}) {
        SCOPED_TRACE(int(kind));
        m_now = m_now.addSecs(1);
        GiftForm& form = open(kind);
        EXPECT_TRUE(historyLine(form).isEmpty());

        // Pinyin letters that list people are no name yet; the pick is.
        typeName(form, QStringLiteral("zs"));
        ASSERT_TRUE(picker(form)->isVisible());
        EXPECT_TRUE(historyLine(form).isEmpty());
        QTest::keyClick(edit(form, "sle_2"), Qt::Key_Down);
        QTest::keyClick(picker(form), Qt::Key_Return);
        EXPECT_EQ(historyLine(form), zsLine);

        // A name typed in full and committed.
        typeName(form, QStringLiteral("王五"));
        EXPECT_EQ(historyLine(form), QStringLiteral("与此人尚无往来记录"));
        typeName(form, QStringLiteral(" 张三 "));
        EXPECT_EQ(historyLine(form), zsLine);
    }

    // The line follows a save, and the next record starts without it.
    GiftForm& form = *m_forms.front();
    typeName(form, QStringLiteral("王五"));
    typeAmount(form, QStringLiteral("300"));
    press(form, "cb_1");
    ASSERT_EQ(m_boxes->texts().last(), QStringLiteral("数据保存成功!"));
    EXPECT_EQ(historyLine(form), QStringLiteral("往来：收情 1 次 共 300.00 元，送情 0 次 共 0.00 元；"
                                                "最近一次 2003年05月01日 收情 300.00 元（升职）"));
    press(form, "cb_2");
    EXPECT_TRUE(historyLine(form).isEmpty());
    typeName(form, QStringLiteral("王五"));
    EXPECT_FALSE(historyLine(form).isEmpty());
}

QV_LEDGER_TEST_SUITE(GiftHistoryDb);
