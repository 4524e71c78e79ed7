#pragma once

#include "data/pinyin.h"
#include "platform/output/editablewindow.h"
#include "platform/reports/reportdef.h"

class QLabel;
class QPushButton;

namespace qv {

class ReportGrid;
class Transaction;

// "dw_wlrywh": every contact of wlryb, all nine columns editable and
// written back by the name.
ReportDef contactsDefinition();

// w_wlrywh, "往来人员设置": the contacts in one editable grid, saved at once.
// The pinyin code of a row follows its name on every change of the row.
class ContactsWindow : public EditableWindow
{
    Q_OBJECT
public:
    explicit ContactsWindow(Transaction& transaction, QWidget* parent = nullptr);

    ReportGrid* grid() const { return m_dw1; }
    const PinyinTable& pinyinTable() const { return m_word; }

protected:
    bool hasUnsavedChanges() override;
    bool saveBeforeClose() override;

private:
    void openWindow();
    void recomputePinyin(long row);
    void addRow();
    void deleteRow();
    void save();
    void print();
    // Writes every pending change; on a refusal shows `failureText` and
    // keeps the changes. True when saved.
    bool writeChanges(const QString& failureText);

    Transaction& m_tr;
    PinyinTable m_word; // lds_word
    ReportGrid* m_dw1;
    QLabel* m_st1;
    QPushButton* m_cb1;
    QPushButton* m_cb2;
    QPushButton* m_cb3;
    QPushButton* m_cb5;
    QPushButton* m_cb4;
};

} // namespace qv
