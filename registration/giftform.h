#pragma once

#include "data/giftstore.h"
#include "platform/core/money.h"
#include "platform/output/editablewindow.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class AmountEdit;
class ContactPicker;
class DateEdit;
struct PickedContact;
class Transaction;

enum class GiftKind { Received, Given };

// What tells the received-gift form from the given-gift form; everything
// else is the same window.
struct GiftFormConfig
{
    GiftKind kind = GiftKind::Received;
    QString objectName;    // w_lwdj / w_fwng
    QString title;         // window title
    QString reasonLabel;   // caption of ddlb_1
    QString amountLabel;   // caption of em_2
    QString giftDateLabel; // caption of em_3
    QString kindText;      // stored in rqwlb.lx
    int sign = 1;          // the entered amount is stored times this
    QString zeroMessage;   // shown for an amount of 0
    int pickerHeightUnits = 460;
    QString downArrowEvent; // name of the name field's Down-arrow handler
};

const GiftFormConfig& giftFormConfig(GiftKind kind);

// The registration form: one gift record per save, stored and committed by
// the gift store. The number shown is the moment the form opened or "下一个"
// was pressed, until a save shows the number the record was stored under. A
// gift typed and not yet stored is asked about before the form closes,
// whichever way it closes.
class GiftForm : public EditableWindow
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    GiftForm(const GiftFormConfig& config, Transaction& transaction, QWidget* parent = nullptr,
             Clock clock = {});
    ~GiftForm() override;

    const GiftFormConfig& config() const { return m_config; }
    // The picker's last search pattern (gs_pym).
    QString pattern() const;

    // "存档": 1 when the record was stored, 0 when a check refused it, -1 when
    // the database refused it.
    int save();
    // "下一个": a fresh record with a new number.
    void nextRecord();

protected:
    void showEvent(QShowEvent* event) override;
    bool hasUnsavedChanges() override;
    bool saveBeforeClose() override;

private:
    void buildControls();
    void placeControls();
    void setTabOrderAsDesigned();
    void focusAfterName();
    void resetInput();
    // What the fields hold, to tell a typed gift from the blank form.
    QStringList typedFields() const;
    void setSaved(bool saved);
    QString newRecordNumber() const;
    static QString recordNumber(const QDateTime& moment);
    void onPicked(const PickedContact& contact);
    // The person's exchanges under the fields; `force` reads them again for
    // the same name, after a save.
    void showHistory(bool force = false);
    bool confirmNotADuplicate(const Gift& gift);
    bool refuse(const QString& text);

    GiftFormConfig m_config;
    Transaction& m_transaction;
    Clock m_clock;
    GiftStore m_store;
    bool m_focusedOnce = false;
    bool m_saved = false;
    QStringList m_blank; // typedFields() of the form as "下一个" left it
    QList<QWidget*> m_tabOrder;

    QGroupBox* m_group = nullptr;
    QLineEdit* m_number = nullptr;      // sle_1
    QLineEdit* m_name = nullptr;        // sle_2
    QLineEdit* m_category = nullptr;    // sle_3
    QLineEdit* m_goods = nullptr;       // sle_6
    QComboBox* m_reason = nullptr;      // ddlb_1
    QComboBox* m_object = nullptr;      // ddlb_2
    AmountEdit* m_amount = nullptr;     // em_2
    DateEdit* m_occasionDate = nullptr; // em_1
    DateEdit* m_giftDate = nullptr;     // em_3
    QPushButton* m_save = nullptr;      // cb_1
    QPushButton* m_next = nullptr;      // cb_2
    QPushButton* m_exit = nullptr;      // cb_3
    ContactPicker* m_picker = nullptr;  // dw_1
    QLabel* m_history = nullptr;        // st_10
    QString m_historyName;              // whose exchanges m_history shows
};

// The form of either kind on the given connection, for the main frame.
QWidget* createGiftForm(GiftKind kind, Transaction& transaction, QWidget* parent = nullptr);

} // namespace qv
