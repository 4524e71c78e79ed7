#include "gifthistory.h"

#include "platform/database/transaction.h"

#include <QDate>

namespace qv {

namespace {

const QString kReceived = QStringLiteral("收情");

// Cents as the statements below compute them; SUM over decimals drifts on
// SQLite, a sum of whole cents never does.
Money centsOf(const QVariant& value)
{
    return Money::fromCents(value.isNull() ? 0 : value.toLongLong());
}

} // namespace

QString displayDate(const QString& yyyymmdd)
{
    const QDate d = QDate::fromString(yyyymmdd.trimmed(), QStringLiteral("yyyyMMdd"));
    return d.isValid() ? d.toString(QStringLiteral("yyyy年MM月dd日")) : yyyymmdd;
}

std::optional<GiftHistory> readGiftHistory(Transaction& transaction, const QString& name)
{
    // The totals per kind, and every record of the person's latest gift
    // date; both halves walk the (xm, sq) index. No LIMIT: ODBC ledgers may
    // not know it.
    const QString sql = QStringLiteral(
        "SELECT 0, lx, COUNT(*), CAST(SUM(CAST(ROUND(je * 100) AS BIGINT)) AS BIGINT), NULL, NULL, NULL "
        "FROM rqwlb WHERE xm = ? GROUP BY lx "
        "UNION ALL "
        "SELECT 1, lx, 1, CAST(ROUND(je * 100) AS BIGINT), sq, sy, xtbh FROM rqwlb "
        "WHERE xm = ? AND sq = (SELECT MAX(sq) FROM rqwlb WHERE xm = ?)");
    GiftHistory history;
    const int code = transaction.selectRows(sql, {name, name, name}, [&history](QVector<QVariant>&& row) {
        const bool received = row[1].toString().trimmed() == kReceived;
        const Money cents = centsOf(row[3]);
        if (row[0].toInt() == 0) {
            (received ? history.receivedCount : history.givenCount) += row[2].toInt();
            (received ? history.received : history.given) += received ? cents : -cents;
            return;
        }
        StoredGift gift;
        gift.xtbh = row[6].toString().trimmed();
        gift.lx = row[1].toString().trimmed();
        gift.amount = cents < Money() ? -cents : cents;
        gift.sq = row[4].toString().trimmed();
        gift.sy = row[5].toString().trimmed();
        // Several gifts on the latest day: the one recorded last.
        if (!history.latest || gift.xtbh > history.latest->xtbh)
            history.latest = gift;
    });
    if (code != 0)
        return std::nullopt;
    return history;
}

QString describeGiftHistory(const GiftHistory& history)
{
    if (history.isEmpty())
        return QStringLiteral("与此人尚无往来记录");
    QString text = QStringLiteral("往来：收情 %1 次 共 %2 元，送情 %3 次 共 %4 元")
                       .arg(history.receivedCount)
                       .arg(history.received.format(u"#,##0.00"))
                       .arg(history.givenCount)
                       .arg(history.given.format(u"#,##0.00"));
    if (const auto& last = history.latest) {
        text += QStringLiteral("；最近一次 %1 %2 %3 元")
                    .arg(displayDate(last->sq), last->lx, last->amount.format(u"#,##0.00"));
        if (!last->sy.isEmpty())
            text += QStringLiteral("（%1）").arg(last->sy);
    }
    return text;
}

} // namespace qv
