#include "giftformtest.h"

#include "platform/widgets/keyhabits.h"

#include <QApplication>
#include <QDialog>
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
        {"click left of 0.00, type", Money(), Entry::MouseAtLeftEdge, "1250", QStringLiteral("1,250.00"),
         125000},
        {"click right of 0.00, type", Money(), Entry::MouseAtRightEdge, "1250", QStringLiteral("1,250.00"),
         125000},
        {"tab into 0.00, type", Money(), Entry::Tab, "300", QStringLiteral("300.00"), 30000},
        {"digit typed inside 1,250.00", Money::fromCents(125000), Entry::TabThenEditInside, "5",
         QStringLiteral("12,505.00"), 1250500},
    };
    int guest = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_now = m_now.addSecs(1);
        GiftForm& form = open(GiftKind::Received);
        // A guest each, so that no case looks like another's gift entered twice.
        typeName(form, QStringLiteral("客人%1").arg(++guest));
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

TEST_P(GiftEntryDb, DateFieldsAreWalkedAndLeftFromTheKeyboard)
{
    GiftForm& form = open(GiftKind::Received);
    list(form, "ddlb_2")->setFocus(Qt::OtherFocusReason);
    const struct
    {
        QKeySequence key; // one key, or empty when `typed` is typed instead
        const char* typed;
        const char* focused;
        QDate giftDate;
    } steps[] = {
        {QKeySequence(Qt::Key_Tab), "", "em_3", QDate(2003, 5, 1)},
        // Typed straight through: year, month and day in turn.
        {QKeySequence(), "20040102", "em_3", QDate(2004, 1, 2)},
        {QKeySequence(Qt::Key_Tab), "", "em_1", QDate(2004, 1, 2)},
        {QKeySequence(Qt::SHIFT | Qt::Key_Backtab), "", "em_3", QDate(2004, 1, 2)},
        // Shift+Tab lands on the year too; the arrows walk the parts.
        {QKeySequence(Qt::Key_Up), "", "em_3", QDate(2005, 1, 2)},
        {QKeySequence(Qt::Key_Right), "", "em_3", QDate(2005, 1, 2)},
        {QKeySequence(Qt::Key_Up), "", "em_3", QDate(2005, 2, 2)},
        {QKeySequence(Qt::Key_Right), "", "em_3", QDate(2005, 2, 2)},
        {QKeySequence(), "28", "em_3", QDate(2005, 2, 28)},
        {QKeySequence(Qt::Key_Right), "", "em_3", QDate(2005, 2, 28)},
        {QKeySequence(Qt::Key_Down), "", "em_3", QDate(2005, 2, 27)},
        {QKeySequence(Qt::Key_Left), "", "em_3", QDate(2005, 2, 27)},
        {QKeySequence(Qt::Key_Left), "", "em_3", QDate(2005, 2, 27)},
        {QKeySequence(Qt::Key_Down), "", "em_3", QDate(2004, 2, 27)},
        // A Right after a part typed in full does not skip the next part.
        {QKeySequence(), "2025", "em_3", QDate(2025, 2, 27)},
        {QKeySequence(Qt::Key_Right), "", "em_3", QDate(2025, 2, 27)},
        {QKeySequence(), "03", "em_3", QDate(2025, 3, 27)},
        {QKeySequence(Qt::Key_Right), "", "em_3", QDate(2025, 3, 27)},
        {QKeySequence(), "15", "em_3", QDate(2025, 3, 15)},
        {QKeySequence(Qt::Key_Left), "", "em_3", QDate(2025, 3, 15)},
        {QKeySequence(Qt::Key_Left), "", "em_3", QDate(2025, 3, 15)},
        {QKeySequence(Qt::Key_Down), "", "em_3", QDate(2024, 3, 15)},
        {QKeySequence(Qt::SHIFT | Qt::Key_Backtab), "", "ddlb_2", QDate(2024, 3, 15)},
    };
    int n = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(n++);
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr);
        if (step.key.isEmpty())
            QTest::keyClicks(target, QString::fromLatin1(step.typed));
        else
            QTest::keyClick(target, Qt::Key(step.key[0].key()), step.key[0].keyboardModifiers());
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        // A list's inner editor stands for the list.
        if (!focused->objectName().startsWith(u"em_") && !focused->objectName().startsWith(u"ddlb_"))
            focused = focused->parentWidget();
        EXPECT_EQ(focused->objectName(), QString::fromLatin1(step.focused));
        EXPECT_EQ(date(form, "em_3")->date(), step.giftDate);
    }
    typeName(form, QStringLiteral("张三"));
    typeAmount(form, QStringLiteral("10"));
    press(form, "cb_1");
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT sq FROM rqwlb")), QStringLiteral("20240315"));
}

TEST_P(GiftEntryDb, EnterPressesTheFocusedButtonOnce)
{
    KeyHabits habits;
    qApp->installEventFilter(&habits);

    GiftForm& form = open(GiftKind::Given);
    typeName(form, QStringLiteral("张三"));
    typeAmount(form, QStringLiteral("10"));
    button(form, "cb_1")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button(form, "cb_1"), Qt::Key_Return);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("数据保存成功!")});
    EXPECT_EQ(rowCount(), 1);

    // A disabled button takes nothing.
    QTest::keyClick(button(form, "cb_1"), Qt::Key_Enter);
    EXPECT_EQ(rowCount(), 1);

    // Dialog buttons press themselves on Enter; they must not fire twice.
    QDialog dialog;
    auto* ok = new QPushButton(QStringLiteral("确定"), &dialog);
    int clicks = 0;
    QObject::connect(ok, &QPushButton::clicked, [&clicks] { ++clicks; });
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
}

TEST_P(GiftEntryDb, BothFormsStartInTheNameAndMoveOnAfterAPick)
{
    const QString sql = QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)");
    ledger().exec(
        sql, {QStringLiteral("王五"), QStringLiteral("男"), QStringLiteral("ww"), QStringLiteral("朋友")});
    for (GiftKind kind : {GiftKind::Received, GiftKind::Given}) {
        SCOPED_TRACE(int(kind));
        GiftForm& form = open(kind);
        QLineEdit* name = edit(form, "sle_2");
        EXPECT_TRUE(name->hasFocus());

        // Escape in the name field, then in the grid: the grid goes, the text stays.
        QTest::keyClicks(name, QStringLiteral("ww"));
        QTest::keyClick(name, Qt::Key_Return);
        ASSERT_TRUE(picker(form)->isVisible());
        QTest::keyClick(name, Qt::Key_Escape);
        EXPECT_FALSE(picker(form)->isVisible());
        EXPECT_EQ(name->text(), QStringLiteral("ww"));
        name->setModified(true);
        QTest::keyClick(name, Qt::Key_Down);
        ASSERT_TRUE(picker(form)->hasFocus());
        QTest::keyClick(picker(form), Qt::Key_Escape);
        EXPECT_FALSE(picker(form)->isVisible());
        EXPECT_TRUE(name->hasFocus());
        EXPECT_EQ(name->text(), QStringLiteral("ww"));

        // After a pick the keys go on into the next field of the tab order.
        name->setModified(true);
        QTest::keyClick(name, Qt::Key_Down);
        QTest::keyClick(picker(form), Qt::Key_Return);
        ASSERT_FALSE(picker(form)->isVisible());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("abc"));
        EXPECT_EQ(name->text(), QStringLiteral("王五"));
        EXPECT_EQ(edit(form, "sle_3")->text(), QStringLiteral("朋友abc"));
    }
}

QV_LEDGER_TEST_SUITE(GiftEntryDb);
