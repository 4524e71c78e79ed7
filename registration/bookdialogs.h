#pragma once

#include "data/bookstore.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace qv {

class AmountEdit;
class DateEdit;
class Transaction;

// Every dialog of the book window runs through here: modally in the
// program, and in the tests through a runner that plays keys into it.
using BookDialogRunner = std::function<int(QDialog& dialog)>;
// Empty restores exec().
void setBookDialogRunner(BookDialogRunner runner);
int runBookDialog(QDialog& dialog);

// "新建礼簿": name (the focus starts there; Enter accepts), date, 喜事 or
// 丧事, and the reason from syb, which follows the kind until the operator
// picks one.
class NewBookDialog : public QDialog
{
    Q_OBJECT
public:
    NewBookDialog(Transaction& transaction, QWidget* parent = nullptr);
    Book book() const;

    void accept() override;

private:
    void followKind();

    QLineEdit* m_name = nullptr;   // sle_1
    DateEdit* m_date = nullptr;    // em_1
    QComboBox* m_kind = nullptr;   // ddlb_1
    QComboBox* m_reason = nullptr; // ddlb_2
    bool m_reasonChosen = false;
};

// "切换礼簿": the books, newest first; Enter or a double-click opens one.
class BookListDialog : public QDialog
{
    Q_OBJECT
public:
    BookListDialog(const QList<Book>& books, qint64 current, QWidget* parent = nullptr);
    std::optional<Book> chosen() const;

private:
    QList<Book> m_books;
    QListWidget* m_list = nullptr; // dw_1
};

// "修改" of one line, or the book's new name ("改名"): the fields shown
// are the ones given.
class BookLineDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BookLineDialog(const BookLine& line, QWidget* parent = nullptr);
    // Nothing when the amount typed is no amount (the dialog said why).
    std::optional<BookEntry> entry() const;

    void accept() override;

private:
    QLineEdit* m_name = nullptr;     // sle_1
    AmountEdit* m_amount = nullptr;  // em_1
    QLineEdit* m_goods = nullptr;    // sle_2
    QLineEdit* m_category = nullptr; // sle_3
    QLineEdit* m_remark = nullptr;   // sle_4
};

// A name typed in a dialog of its own ("改名"); nothing when cancelled.
std::optional<QString> askBookName(const QString& current, QWidget* parent = nullptr);

// A book as a list shows it: "名称　2024年10月01日　喜事（已封簿）".
QString describeBook(const Book& book);

} // namespace qv
