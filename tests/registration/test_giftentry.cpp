#include "giftformtest.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace qv;

// Entering a gift from the keyboard or the mouse, as operators do for hours.
class GiftEntryDb : public GiftFormTest
{
protected:
    static QLineEdit* innerEdit(QWidget* field) { return field->findChild<QLineEdit*>(); }
};

TEST_P(GiftEntryDb, AnAmountIsWhatWasTypedHoweverTheFieldWasEntered)
{
    enum class Entry { MouseAtLeftEdge, MouseAtRightEdge, Tab, TabThenEditInside };
    const struct
    {
        const char* name;
        Money before;
        Entry entry;
        const char* keys;
        QString shownAfter;
        qint64 storedCents;
    } cases[] = {
        {"click left of 0.00, type", Money(), Entry::MouseAtLeftEdge, "1250", QStringLiteral("1,250.00"), 125000},
        {"click right of 0.00, type", Money(), Entry::MouseAtRightEdge, "1250", QStringLiteral("1,250.00"), 125000},
        {"tab into 0.00, type", Money(), Entry::Tab, "300", QStringLiteral("300.00"), 30000},
        {"digit typed inside 1,250.00", Money::fromCents(125000), Entry::TabThenEditInside, "5",
         QStringLiteral("12,505.00"), 1250500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_now = m_now.addSecs(1);
        GiftForm& form = open(GiftKind::Received);
        typeName(form, QStringLiteral("张三"));
        AmountEdit* em = amount(form);
        em->setAmount(c.before);
        QLineEdit* inner = innerEdit(em);
        switch (c.entry) {
        case Entry::MouseAtLeftEdge:
            QTest::mouseClick(inner, Qt::LeftButton, {}, QPoint(2, inner->height() / 2));
            break;
        case Entry::MouseAtRightEdge:
            QTest::mouseClick(inner, Qt::LeftButton, {}, QPoint(inner->width() - 2, inner->height() / 2));
            break;
        case Entry::Tab:
        case Entry::TabThenEditInside:
            list(form, "ddlb_1")->setFocus(Qt::OtherFocusReason);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            break;
        }
        ASSERT_TRUE(em->hasFocus());
        if (c.entry == Entry::TabThenEditInside) {
            // While the field is being edited the amount has no separators.
            EXPECT_EQ(em->text(), QStringLiteral("1250.00"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        }
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(c.keys));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_FALSE(em->hasFocus());
        EXPECT_EQ(em->text(), c.shownAfter);
        press(form, "cb_1");
        EXPECT_EQ(m_boxes->texts().last(), QStringLiteral("数据保存成功!"));
        EXPECT_EQ(storedAmount(edit(form, "sle_1")->text()), Money::fromCents(c.storedCents));
    }
}

QV_LEDGER_TEST_SUITE(GiftEntryDb);
