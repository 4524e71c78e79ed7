#pragma once

#include "support/testledger.h"

#include "platform/core/messagebox.h"
#include "platform/core/money.h"
#include "registration/giftform.h"

#include <QDateTime>

#include <memory>

#include "registration/amountedit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

// A registration form on the test ledger, with a clock the test sets, and
// the message boxes it shows.
class GiftFormTest : public qv::test::LedgerTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    qv::GiftForm& open(qv::GiftKind kind);

    // A control of the form by its name; a missing one fails the test.
    template <class T> static T* child(qv::GiftForm& form, const char* name)
    {
        auto* w = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* edit(qv::GiftForm& form, const char* name) { return child<QLineEdit>(form, name); }
    QComboBox* list(qv::GiftForm& form, const char* name) { return child<QComboBox>(form, name); }
    QDateEdit* date(qv::GiftForm& form, const char* name) { return child<QDateEdit>(form, name); }
    QPushButton* button(qv::GiftForm& form, const char* name) { return child<QPushButton>(form, name); }
    qv::AmountEdit* amount(qv::GiftForm& form) { return child<qv::AmountEdit>(form, "em_2"); }
    QTableView* picker(qv::GiftForm& form) { return child<QTableView>(form, "dw_1"); }

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
