#pragma once

#include "platform/core/money.h"

#include <QString>

#include <functional>
#include <optional>

namespace qv {

class Transaction;

// The bounds of a month as the ledger's yyyymmdd texts: day 01 to day 31,
// which as text covers every day of any month.
struct MonthBounds
{
    QString mon;   // "01" … "12"
    QString first; // year + mon + "01"
    QString last;  // year + mon + "31"
};
MonthBounds monthBounds(const QString& year, int month);

struct MonthTotals
{
    Money received; // sou: sum of the month's received gifts, 0 when none
    Money given;    // song: sum of its given gifts, stored negative, 0 when none
    Money balance() const { return received + given; } // je
};

// Reads the two sums of a month; nothing when either fails, with the
// database's reason in the transaction.
std::optional<MonthTotals> readMonthTotals(Transaction& transaction, const QString& year, int month);

struct MonthOutcome
{
    int month = 0;
    bool stored = false;
    QString reason; // the database's words when not stored
};

// Sums one month and inserts its row into tjb as a unit of its own: kept
// when the row went in, undone alone when the insert or either sum failed.
// A month whose sums could not be read is not stored at all: a made-up zero
// would pass into the archive as if nothing had been given that month.
// Runs inside the caller's transaction; nothing is committed here.
MonthOutcome storeMonth(Transaction& transaction, const QString& year, int month);

// Empties tjb and stores the twelve months of `year` one by one; a refused
// month does not stop the others. January's unit carries the emptying, so a
// refused January leaves tjb's rows as they were. `afterMonth` runs after
// each month. The months become durable together with one commit at the
// end: twelve commits cost twelve waits for the disk, which on a desktop
// disk is most of the time the computation takes. A refused commit rolls
// back the whole year; the result is then false with the database's reason
// in the transaction.
bool computeYear(Transaction& transaction, const QString& year,
                 const std::function<void(const MonthOutcome&)>& afterMonth);

} // namespace qv
