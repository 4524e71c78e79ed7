#pragma once

#include "bookprint.h"

#include "data/bookstore.h"
#include "data/giftstore.h"
#include "platform/output/editablewindow.h"

#include <QList>
#include <QString>

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qv {

class AmountEdit;
class ContactPicker;
struct PickedContact;
class Transaction;

// "礼簿登记" (w_lbdj): the book kept at the table of a wedding or a
// funeral. A guest is entered by the keyboard alone: name, Tab, amount,
// Enter, and the line is stored and committed at once as a received gift of
// the book's day and reason; the keyboard is back in the empty name field
// for the next guest. The optional fields (礼品, 关系, 备注) follow the
// amount by Tab and never stand in the way. The book's lines are listed
// below with the count and the total in figures and in capitals.
class BookWindow : public EditableWindow
{
    Q_OBJECT
public:
    explicit BookWindow(Transaction& transaction, QWidget* parent = nullptr, GiftStore::Clock clock = {});
    ~BookWindow() override;

    const std::optional<Book>& book() const { return m_book; }
    const QList<BookLine>& lines() const { return m_lines; }

    // Enter after the amount: 1 stored, 0 refused or declined (the input
    // stays), -1 the database refused it.
    int storeLine();
    // "新建礼簿", "切换礼簿", "改名", "封簿" / "启用", "删除礼簿".
    void newBook();
    void switchBook();
    void renameBook();
    void toggleClosed();
    void deleteBook();
    // The current line: "修改", "删除", "置顶", "上移", "下移".
    void correctLine();
    void removeLine();
    void moveLine(BookMove where);
    void print();

    // The book on paper, as 打印 lays it out.
    BookPrint printout() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool hasUnsavedChanges() override;
    bool saveBeforeClose() override;

private:
    void buildControls();
    void open(const std::optional<Book>& book);
    void reload(const QString& keepCurrent = {});
    void showTotals();
    void enableForBook();
    void clearEntry();
    void onPicked(const PickedContact& contact);
    void afterName();
    void showGuestNote();
    bool confirmRepeatedGuest(const QString& name);
    std::optional<BookLine> currentLine() const;
    void refuse(const QString& text);

    Transaction& m_transaction;
    BookStore m_store;
    std::optional<Book> m_book;
    QList<BookLine> m_lines;
    bool m_askedForFirstBook = false;

    QLabel* m_title = nullptr;         // st_1
    QLineEdit* m_name = nullptr;       // sle_2
    AmountEdit* m_amount = nullptr;    // em_2
    QLineEdit* m_goods = nullptr;      // sle_6
    QLineEdit* m_category = nullptr;   // sle_3
    QLineEdit* m_remark = nullptr;     // sle_7
    QLabel* m_guestNote = nullptr;     // st_2: the guest already in the book
    QLabel* m_lastStored = nullptr;    // st_3
    QTableWidget* m_list = nullptr;    // dw_2
    QLabel* m_count = nullptr;         // st_4
    QLabel* m_total = nullptr;         // st_5
    QLabel* m_capitals = nullptr;      // st_6
    QPushButton* m_new = nullptr;      // cb_1
    QPushButton* m_switch = nullptr;   // cb_2
    QPushButton* m_rename = nullptr;   // cb_3
    QPushButton* m_close = nullptr;    // cb_4
    QPushButton* m_delete = nullptr;   // cb_5
    QPushButton* m_top = nullptr;      // cb_6
    QPushButton* m_up = nullptr;       // cb_7
    QPushButton* m_down = nullptr;     // cb_8
    QPushButton* m_correct = nullptr;  // cb_9
    QPushButton* m_remove = nullptr;   // cb_10
    QPushButton* m_print = nullptr;    // cb_11
    QPushButton* m_exit = nullptr;     // cb_12
    ContactPicker* m_picker = nullptr; // dw_1
};

} // namespace qv
