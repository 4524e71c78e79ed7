#include "annualstatistics.h"

#include "platform/transaction.h"

#include <cmath>

namespace qv {

QString exactSumSql(const QString& column)
{
    return QStringLiteral("SUM(CAST(ROUND(%1 * 100) AS BIGINT))").arg(column);
}

std::optional<Money> moneyFromExactSum(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    // Whole cents, as an integer or (PostgreSQL's sum of bigints) as numeric text.
    bool ok = false;
    const qlonglong cents = value.toString().trimmed().toLongLong(&ok);
    if (ok)
        return Money::fromCents(cents);
    const double d = value.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return std::nullopt;
    return Money::fromCents(std::llround(d));
}

MonthBounds monthBounds(const QString& year, int month)
{
    const QString mon = QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    return {mon, year + mon + QStringLiteral("01"), year + mon + QStringLiteral("31")};
}

namespace {

std::optional<Money> sumOfKind(Transaction& tr, const QString& kind, const MonthBounds& bounds)
{
    static const QString sql = QStringLiteral("SELECT ") + exactSumSql(QStringLiteral("je")) +
                               QStringLiteral(" FROM rqwlb WHERE lx = ? AND sq BETWEEN ? AND ?");
    QVariantList into;
    if (tr.selectInto(sql, {kind, bounds.first, bounds.last}, into) == -1)
        return std::nullopt;
    // No gift of that kind in the month: the sum is null and counts as 0.
    return moneyFromExactSum(into.value(0)).value_or(Money());
}

} // namespace

std::optional<MonthTotals> readMonthTotals(Transaction& transaction, const QString& year, int month)
{
    const MonthBounds bounds = monthBounds(year, month);
    MonthTotals totals;
    if (auto received = sumOfKind(transaction, QStringLiteral("收情"), bounds))
        totals.received = *received;
    else
        return std::nullopt;
    if (auto given = sumOfKind(transaction, QStringLiteral("送情"), bounds))
        totals.given = *given;
    else
        return std::nullopt;
    return totals;
}

MonthOutcome storeMonth(Transaction& transaction, const QString& year, int month)
{
    MonthOutcome outcome;
    outcome.month = month;
    auto refuse = [&] {
        outcome.reason = transaction.SQLErrText;
        transaction.rollback();
        return outcome;
    };
    const auto totals = readMonthTotals(transaction, year, month);
    if (!totals)
        return refuse();
    if (transaction.execute(
            QStringLiteral("INSERT INTO tjb (year, mon, sou, song, je) VALUES (?, ?, ?, ?, ?)"),
            {year, monthBounds(year, month).mon, totals->received.toSqlValue(), totals->given.toSqlValue(),
             totals->balance().toSqlValue()}) != 0)
        return refuse();
    if (!transaction.commit())
        return refuse();
    outcome.stored = true;
    return outcome;
}

void computeYear(Transaction& transaction, const QString& year,
                 const std::function<void(const MonthOutcome&)>& afterMonth)
{
    // Not committed on its own: it goes with January's row, or back with it.
    transaction.execute(QStringLiteral("DELETE FROM tjb"));
    for (int month = 1; month <= 12; ++month) {
        const MonthOutcome outcome = storeMonth(transaction, year, month);
        if (afterMonth)
            afterMonth(outcome);
    }
}

} // namespace qv
