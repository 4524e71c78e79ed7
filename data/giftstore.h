#pragma once

#include "platform/core/money.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

namespace qv {

class Transaction;

// One gift record as rqwlb holds it.
struct Gift
{
    QString name;         // xm
    QString category;     // fw
    QString kind;         // lx: 收情 or 送情
    QString reason;       // sy
    QString object;       // dx
    Money amount;         // je as stored: a given gift is negative
    QString goods;        // wp
    QString occasionDate; // sj, yyyymmdd
    QString giftDate;     // sq, yyyymmdd

    bool operator==(const Gift&) const = default;
};

// A stored record as the windows mention it.
struct StoredGift
{
    QString xtbh;
    QString lx;
    Money amount; // as entered: positive for either kind
    QString sq;   // yyyymmdd
    QString sy;
};

struct GiftSaveResult
{
    enum class Status { Saved, Refused, Failed };
    Status status = Status::Failed;
    QString number; // the record number stored
    QString error;  // why not, in Chinese: a check's message, or the database's reason
    bool saved() const { return status == Status::Saved; }
};

// Writes gift records, for every window and tool that makes them.
//
// A record number is twelve digits yymmddhhmmss: the moment of saving, when
// no stored number is at or after it; otherwise the second after the largest
// such number. It is chosen in one look over the key's index, inside the
// transaction that inserts it, while the other writers wait their turn, so
// numbers never clash among desks and a save never walks the clock. While
// desks save faster than one record a second, the numbers run ahead of the
// clock, one second per record: after a burst a number is an order of saving
// that looks like a moment, no longer the moment itself, until the clock has
// caught up. Numbers of another century and texts that are not twelve digits
// are left out of the look.
class GiftStore
{
public:
    // Widths of rqwlb's texts in GBK bytes, for every writer of a gift.
    static constexpr int kNameWidth = 16;
    static constexpr int kCategoryWidth = 16;
    static constexpr int kReasonWidth = 10;
    static constexpr int kObjectWidth = 10;
    static constexpr int kGoodsWidth = 16;

    using Clock = std::function<QDateTime()>;

    explicit GiftStore(Transaction& transaction, Clock clock = {});

    // What the ledger refuses to store: an empty name, a zero amount, a
    // text that GBK cannot encode or that is wider than its column. The
    // message names the field.
    static std::optional<QString> check(const Gift& gift);

    // A stored record of the same person, kind, amount and gift date, the
    // newest first; nothing when there is none or the look fails.
    std::optional<StoredGift> findSame(const Gift& gift);

    // Saves one gift and commits it. A clash of numbers, a ledger busy with
    // another desk and a connection lost before the commit are tried again
    // for a while. A commit whose answer is lost is settled by looking for
    // the record: it is never inserted a second time.
    GiftSaveResult save(const Gift& gift);

    // Inserts one gift in the caller's transaction (begun here when none is
    // open), for saving many in one: the caller commits or rolls back. A
    // refused gift leaves the caller's earlier rows in place. On PostgreSQL
    // the other desks' saves wait until the caller's transaction ends.
    // A `preferredNumber` (a record brought back from an export) is kept
    // when it is twelve digits and free; otherwise a number is chosen.
    GiftSaveResult insert(const Gift& gift, const QString& preferredNumber = {});

    // The record number of a moment.
    static QString numberAt(const QDateTime& moment);

    // How long a save goes on trying; long enough for a server restart.
    void setPatience(std::chrono::milliseconds patience) { m_patience = patience; }

private:
    bool takeTurn();
    std::optional<QString> chooseNumber();
    bool insertRow(const QString& number, const Gift& gift);
    bool isTaken(const QString& number);
    // 1 the record is stored, 0 it is not, -1 the look failed.
    int lookFor(const QString& number, const Gift& gift);
    GiftSaveResult settle(const QString& number, const Gift& gift, const QString& why,
                          std::chrono::steady_clock::time_point until);

    Transaction& m_transaction;
    Clock m_clock;
    std::chrono::milliseconds m_patience{10000};
    // A save whose commit could not be settled: the same gift saved again
    // looks for it first.
    std::optional<std::pair<QString, Gift>> m_unsettled;
    // The last number this store inserted, in which transaction: while that
    // transaction holds the turn, no other number can have come in above
    // it, so a bulk insert takes the next one without a look.
    std::optional<std::pair<quint64, QString>> m_lastInserted;
};

} // namespace qv
