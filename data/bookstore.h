#pragma once

#include "data/giftstore.h"
#include "platform/core/money.h"

#include <QList>
#include <QString>

#include <optional>

namespace qv {

class Transaction;

// A 礼簿: the book kept at the table of a wedding or a funeral (lbb).
struct Book
{
    qint64 id = 0;       // lbid
    QString name;        // mc
    QString date;        // rq, yyyymmdd: the date of every line's record
    QString kind;        // lx: 喜事 or 丧事
    QString reason;      // sy: the reason of every line's record
    bool closed = false; // zt: no entry, no change

    bool isFuneral() const { return kind == QStringLiteral("丧事"); }
};

// One line of a book: a received gift in rqwlb and its place in the book.
struct BookLine
{
    QString xtbh;
    QString name;     // xm
    Money amount;     // je
    QString goods;    // wp
    QString category; // fw
    QString remark;   // lbmx.bz
    qint64 order = 0; // lbmx.px
};

// What a guest typed at the table: everything a line holds besides the
// book's own date and reason.
struct BookEntry
{
    QString name;
    Money amount;
    QString goods;
    QString category;
    QString remark;
};

struct BookResult
{
    bool ok = false;
    bool refused = false; // a check said no before anything was written
    QString error;        // why not, in Chinese
    QString number;       // the record a stored line went to
};

enum class BookMove { Top, Up, Down };

// The books and their lines. Each change is one transaction: a line is its
// gift record and its link row together, so that neither is ever stored
// without the other, and the queries, statistics and balances count a book's
// lines as the received gifts they are.
class BookStore
{
public:
    explicit BookStore(Transaction& transaction, GiftStore::Clock clock = {});

    static const QString kWedding; // 喜事
    static const QString kFuneral; // 丧事

    // Widths and choices of a book; the message names the field.
    static std::optional<QString> check(const Book& book);

    // Every book, the newest first; nothing on a failure (see error()).
    std::optional<QList<Book>> books();
    std::optional<Book> book(qint64 id);
    BookResult create(Book& book);
    BookResult rename(qint64 id, const QString& name);
    BookResult setClosed(qint64 id, bool closed);
    // Deletes the book; its records go with it, or stay as loose received
    // gifts.
    BookResult remove(qint64 id, bool withRecords);

    // The lines in the book's order.
    std::optional<QList<BookLine>> lines(qint64 id);
    // The lines of one guest, by the name as stored.
    QList<BookLine> linesOf(qint64 id, const QString& name);

    // Stores a line and commits it. A commit whose answer is lost is settled
    // by looking for the link row, which only the whole line can have left:
    // the line is never stored twice nor lost without saying so.
    BookResult add(const Book& book, const BookEntry& entry);
    // Corrects a line's record (name, amount, goods, category) and remark.
    BookResult correct(const Book& book, const QString& xtbh, const BookEntry& entry);
    // Removes a line and its record.
    BookResult removeLine(const Book& book, const QString& xtbh);
    BookResult move(const Book& book, const QString& xtbh, BookMove where);

    // What the ledger refuses of a line: a closed book, an amount not above
    // zero, a text that GBK cannot encode or that is too wide (named).
    static std::optional<QString> checkEntry(const Book& book, const BookEntry& entry);
    // The gift a line stores in rqwlb.
    static Gift giftOf(const Book& book, const BookEntry& entry);

    const QString& error() const { return m_error; }
    void setPatience(std::chrono::milliseconds patience);

private:
    BookResult fail(const QString& fixed);
    BookResult commit(const QString& fixed);
    std::optional<QString> refusal(const Book& book);

    Transaction& m_transaction;
    GiftStore m_gifts;
    std::chrono::milliseconds m_patience{10000};
    QString m_error;
};

} // namespace qv
