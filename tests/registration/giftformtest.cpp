#include "giftformtest.h"

#include "registration/amountedit.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace qv;

void GiftFormTest::SetUp()
{
    LedgerTest::SetUp();
    m_boxes = &installScriptedMessageBoxes();
}

void GiftFormTest::TearDown()
{
    m_forms.clear();
    LedgerTest::TearDown();
}

GiftForm& GiftFormTest::open(GiftKind kind)
{
    m_forms.push_back(
        std::make_unique<GiftForm>(giftFormConfig(kind), sqlca(), nullptr, [this] { return m_now; }));
    GiftForm& form = *m_forms.back();
    form.show();
    QApplication::setActiveWindow(&form);
    return form;
}

void GiftFormTest::typeText(QWidget* widget, const QString& text)
{
    // Letters come from the keyboard, Chinese from the input method.
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
            QTest::keyClick(widget, char(c.unicode()));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(widget, &commit);
        }
    }
}

void GiftFormTest::typeName(GiftForm& form, const QString& text)
{
    QLineEdit* name = edit(form, "sle_2");
    name->selectAll();
    QTest::keyClick(name, Qt::Key_Delete);
    typeText(name, text);
    QTest::keyClick(name, Qt::Key_Return);
}

void GiftFormTest::typeAmount(GiftForm& form, const QString& text)
{
    AmountEdit* em = amount(form);
    em->selectAll();
    QTest::keyClick(em, Qt::Key_Delete);
    QTest::keyClicks(em, text);
    QTest::keyClick(em, Qt::Key_Return);
}

void GiftFormTest::press(GiftForm& form, const char* buttonName)
{
    QTest::mouseClick(button(form, buttonName), Qt::LeftButton);
}

long GiftFormTest::rowCount()
{
    return ledger().scalar(QStringLiteral("SELECT count(*) FROM rqwlb")).toLongLong();
}

Money GiftFormTest::storedAmount(const QString& xtbh)
{
    const auto m =
        Money::fromVariant(ledger().scalar(QStringLiteral("SELECT je FROM rqwlb WHERE xtbh = ?"), {xtbh}));
    EXPECT_TRUE(m.has_value()) << xtbh.toStdString();
    return m.value_or(Money::fromCents(-1));
}
