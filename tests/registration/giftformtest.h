#pragma once

#include "support/testledger.h"

#include "platform/messagebox.h"
#include "platform/money.h"
#include "registration/giftform.h"

#include <QDateTime>

#include <memory>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTableView;
class QWidget;

namespace qv {
class AmountEdit;
}

// A registration form on the test ledger, with a clock the test sets, and
// the message boxes it shows.
class GiftFormTest : public qv::test::LedgerTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    qv::GiftForm& open(qv::GiftKind kind);

    QLineEdit* edit(qv::GiftForm& form, const char* name);
    QComboBox* list(qv::GiftForm& form, const char* name);
    QDateEdit* date(qv::GiftForm& form, const char* name);
    QPushButton* button(qv::GiftForm& form, const char* name);
    qv::AmountEdit* amount(qv::GiftForm& form);
    QTableView* picker(qv::GiftForm& form);

    static void typeText(QWidget* widget, const QString& text);
    // Types as the operator does: the whole field replaced, then Enter.
    void typeName(qv::GiftForm& form, const QString& text);
    void typeAmount(qv::GiftForm& form, const QString& text);
    void press(qv::GiftForm& form, const char* buttonName);

    long rowCount();
    qv::Money storedAmount(const QString& xtbh);
    QStringList shownTexts() const { return m_boxes->texts(); }

    QDateTime m_now{QDate(2003, 5, 1), QTime(9, 8, 7)};
    qv::ScriptedMessageBoxes* m_boxes = nullptr;
    std::vector<std::unique_ptr<qv::GiftForm>> m_forms;
};
