#include "annualstatistics.h"

#include "platform/database/transaction.h"

namespace qv {

MonthBounds monthBounds(const QString& year, int month)
{
    const QString mon = QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    return {mon, year + mon + QStringLiteral("01"), year + mon + QStringLiteral("31")};
}

std::optional<MonthTotals> readMonthTotals(Transaction& transaction, const QString& year, int month)
{
    // Both sums in one statement: half the round trips, the same two sums,
    // each exact to the cent and 0 over a month without gifts of its kind.
    const QString sum = QStringLiteral("(SELECT ") + transaction.dialect().sumInCents(QStringLiteral("je")) +
                        QStringLiteral(" FROM rqwlb WHERE lx = ? AND sq BETWEEN ? AND ?)");
    const QString sql = QStringLiteral("SELECT ") + sum + QStringLiteral(", ") + sum;
    const MonthBounds b = monthBounds(year, month);
    QVector<QVariant> into;
    // selectRows reads SQLite's answer straight from the library, which on
    // a sum of a few thousand rows is a good part of the time.
    if (transaction.selectRows(
            sql, {QStringLiteral("收情"), b.first, b.last, QStringLiteral("送情"), b.first, b.last},
            [&into](QVector<QVariant>&& row) { into = std::move(row); }) != 0)
        return std::nullopt;
    MonthTotals totals;
    totals.received = Dialect::sumFromCents(into.value(0));
    totals.given = Dialect::sumFromCents(into.value(1));
    return totals;
}

namespace {
const QString kSavepoint = QStringLiteral("SAVEPOINT stats_month");
const QString kUndo = QStringLiteral("ROLLBACK TO SAVEPOINT stats_month");
const QString kRelease = QStringLiteral("RELEASE SAVEPOINT stats_month");
} // namespace

MonthOutcome storeMonth(Transaction& transaction, const QString& year, int month)
{
    MonthOutcome outcome;
    outcome.month = month;
    if (transaction.execute(kSavepoint) != 0) {
        outcome.reason = transaction.SQLErrText;
        return outcome;
    }
    if (month == 1)
        transaction.execute(QStringLiteral("DELETE FROM tjb")); // goes or stays with January
    const auto totals = readMonthTotals(transaction, year, month);
    if (!totals || transaction.execute(
                       QStringLiteral("INSERT INTO tjb (year, mon, sou, song, je) VALUES (?, ?, ?, ?, ?)"),
                       {year, monthBounds(year, month).mon, totals->received.toSqlValue(),
                        totals->given.toSqlValue(), totals->balance().toSqlValue()}) != 0) {
        outcome.reason = transaction.SQLErrText;
        // PostgreSQL refuses every statement after an error until the unit
        // is undone; both databases then carry on with the next month.
        transaction.execute(kUndo);
        transaction.execute(kRelease);
        return outcome;
    }
    transaction.execute(kRelease);
    outcome.stored = true;
    return outcome;
}

bool computeYear(Transaction& transaction, const QString& year,
                 const std::function<void(const MonthOutcome&)>& afterMonth)
{
    for (int month = 1; month <= 12; ++month) {
        const MonthOutcome outcome = storeMonth(transaction, year, month);
        if (afterMonth)
            afterMonth(outcome);
    }
    if (transaction.commit())
        return true;
    const QString reason = transaction.SQLErrText;
    transaction.rollback();
    transaction.SQLCode = -1;
    transaction.SQLErrText = reason;
    return false;
}

} // namespace qv
