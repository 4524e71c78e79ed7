#include "giftstore.h"

#include "platform/core/gbktext.h"
#include "platform/database/transaction.h"

#include <QThread>

namespace qv {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Any number the writers of record numbers agree on.
constexpr qint64 kNumberTurn = 0x71766e756d; // "qvnum"

const QString kLargestNumber = QStringLiteral("999999999999");

GiftSaveResult refused(const QString& why)
{
    return {GiftSaveResult::Status::Refused, {}, why};
}

GiftSaveResult failed(const QString& why)
{
    return {GiftSaveResult::Status::Failed, {}, why};
}

GiftSaveResult saved(const QString& number)
{
    return {GiftSaveResult::Status::Saved, number, {}};
}

bool isTwelveDigits(const QString& text)
{
    if (text.size() != 12)
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// The smallest number after `top`: the next second while `top` reads as a
// moment, else the next twelve-digit number; nothing after the last one.
std::optional<QString> numberAfter(const QString& top)
{
    if (!isTwelveDigits(top))
        return std::nullopt;
    auto part = [&top](int at) { return top.mid(at, 2).toInt(); };
    // Two-digit years are of this century, so that 29 February of 2000 is
    // a day; UTC, so that no clock change skips or repeats a second.
    const QDate day(2000 + part(0), part(2), part(4));
    const QTime time(part(6), part(8), part(10));
    if (day.isValid() && time.isValid()) {
        const QString next = GiftStore::numberAt(QDateTime(day, time, Qt::UTC).addSecs(1));
        if (next > top)
            return next;
    }
    const qint64 value = top.toLongLong();
    if (top == kLargestNumber)
        return std::nullopt;
    return QStringLiteral("%1").arg(value + 1, 12, 10, QLatin1Char('0'));
}

void pause(int attempt)
{
    // Short at first, for a lock about to be let go; longer for a server
    // that is starting again.
    QThread::msleep(std::min(10 * attempt, 100));
}

} // namespace

GiftStore::GiftStore(Transaction& transaction, Clock clock)
    : m_transaction(transaction),
      m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTime(); }))
{
}

QString GiftStore::numberAt(const QDateTime& moment)
{
    return moment.toString(QStringLiteral("yyMMddHHmmss"));
}

std::optional<QString> GiftStore::check(const Gift& gift)
{
    if (gift.name.isEmpty())
        return QStringLiteral("姓名不能为空！");
    if (gift.amount.isZero())
        return gift.kind + QStringLiteral("金额不能为零！");
    const struct
    {
        const QString& text;
        int width;
        QString caption;
    } fields[] = {
        {gift.name, kNameWidth, QStringLiteral("姓名")},
        {gift.category, kCategoryWidth, QStringLiteral("关系分类")},
        {gift.reason, kReasonWidth, gift.kind + QStringLiteral("事由")},
        {gift.object, kObjectWidth, QStringLiteral("发生对象")},
        {gift.goods, kGoodsWidth, QStringLiteral("等价物品")},
    };
    for (const auto& field : fields) {
        if (auto problem = gbk::checkField(field.text, field.width, field.caption))
            return problem;
    }
    return std::nullopt;
}

std::optional<StoredGift> GiftStore::findSame(const Gift& gift)
{
    // xm and sq lead the index; the amount is compared in cents so that a
    // decimal column and a bound text meet exactly on every database.
    const QString sql = QStringLiteral("SELECT xtbh, sq FROM rqwlb WHERE xm = ? AND sq = ? AND lx = ? "
                                       "AND CAST(ROUND(je * 100) AS BIGINT) = ? ORDER BY xtbh DESC");
    QVariantList row;
    if (m_transaction.selectInto(sql, {gift.name, gift.giftDate, gift.kind, gift.amount.cents()}, row) != 0)
        return std::nullopt;
    StoredGift same;
    same.xtbh = row.value(0).toString().trimmed();
    same.sq = row.value(1).toString().trimmed();
    same.lx = gift.kind;
    same.amount = gift.amount < Money() ? -gift.amount : gift.amount;
    same.sy = gift.reason;
    return same;
}

bool GiftStore::takeTurn()
{
    const QString sql = m_transaction.dialect().takeTurns();
    QVariantList row;
    return sql.isEmpty() || m_transaction.selectInto(sql, {kNumberTurn}, row) == 0;
}

std::optional<QString> GiftStore::chooseNumber()
{
    const QDateTime now = m_clock();
    const QString moment = numberAt(now);
    // Numbers from a year on are no burst of ours: a clock set wrong, or the
    // last century's records, whose two-digit years sort above this one's.
    if (m_lastInserted && m_transaction.inTransaction() &&
        m_lastInserted->first == m_transaction.transactionSerial() && m_lastInserted->second >= moment)
        if (auto next = numberAfter(m_lastInserted->second))
            return next;
    QString ceiling = numberAt(now.addYears(1));
    if (ceiling <= moment)
        ceiling = kLargestNumber;
    // The maximum walks the key's index from the ceiling down; a text that
    // is no number lowers the ceiling for one more look.
    for (int odd = 0; odd < 100; ++odd) {
        QVariantList row;
        if (m_transaction.selectInto(
                QStringLiteral("SELECT MAX(xtbh) FROM rqwlb WHERE xtbh >= ? AND xtbh < ?"), {moment, ceiling},
                row) != 0)
            return std::nullopt;
        const QString top = row.value(0).toString();
        if (row.value(0).isNull() || top < moment)
            return moment;
        if (auto next = numberAfter(top))
            return next;
        ceiling = top;
    }
    return moment; // the insert will say what is wrong
}

bool GiftStore::insertRow(const QString& number, const Gift& gift)
{
    const QVariant none(QMetaType::fromType<QString>());
    return m_transaction.execute(
               QStringLiteral(
                   "INSERT INTO rqwlb (xtbh, xm, fw, lx, sy, dx, je, wp, sj, sq, bm, dh, yd, hj, dz) "
                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               {number, gift.name, gift.category, gift.kind, gift.reason, gift.object,
                gift.amount.toSqlValue(), gift.goods, gift.occasionDate, gift.giftDate, none, none, none,
                none, none}) == 0;
}

bool GiftStore::isTaken(const QString& number)
{
    QVariantList row;
    return m_transaction.selectInto(QStringLiteral("SELECT 1 FROM rqwlb WHERE xtbh = ?"), {number}, row) == 0;
}

int GiftStore::lookFor(const QString& number, const Gift& gift)
{
    QVariantList row;
    const int code = m_transaction.selectInto(
        QStringLiteral("SELECT xm, fw, lx, sy, dx, CAST(ROUND(je * 100) AS BIGINT), wp, sj, sq "
                       "FROM rqwlb WHERE xtbh = ?"),
        {number}, row);
    if (code != 0)
        return code == 100 ? 0 : -1;
    const QString texts[] = {gift.name, gift.category, gift.kind,         gift.reason,  gift.object,
                             QString(), gift.goods,    gift.occasionDate, gift.giftDate};
    for (int i = 0; i < int(std::size(texts)); ++i) {
        if (i == 5 ? row.value(i).toLongLong() != gift.amount.cents()
                   : row.value(i).toString().trimmed() != texts[i].trimmed())
            return 0;
    }
    return 1;
}

GiftSaveResult GiftStore::settle(const QString& number, const Gift& gift, const QString& why,
                                 SteadyClock::time_point until)
{
    // The server may have committed before the line went: only the ledger
    // knows. The record under its number with its content is this save; a
    // second insert would store the gift twice.
    m_transaction.rollback();
    for (int attempt = 1;; ++attempt) {
        const int found = lookFor(number, gift);
        if (found == 1) {
            m_unsettled.reset();
            return saved(number);
        }
        if (found == 0) {
            m_unsettled.reset();
            return failed(why);
        }
        if (SteadyClock::now() >= until)
            break;
        pause(attempt);
    }
    m_unsettled = std::make_pair(number, gift);
    return failed(QStringLiteral(
                      "提交时与数据库的连接断开，无法确认系统编号 %1 是否已经存入：请在连接恢复后再存档一次，"
                      "已存入的记录不会重复存入")
                      .arg(number) +
                  u'\n' + m_transaction.SQLErrText);
}

GiftSaveResult GiftStore::save(const Gift& gift)
{
    if (auto problem = check(gift))
        return refused(*problem);
    const auto until = SteadyClock::now() + m_patience;
    if (m_unsettled && m_unsettled->second == gift) {
        const QString number = m_unsettled->first;
        GiftSaveResult settled = settle(number, gift, {}, until);
        if (settled.saved() || m_unsettled)
            return settled;
    }
    for (int attempt = 1;; ++attempt) {
        std::optional<QString> number;
        const bool inserted =
            m_transaction.begin() && takeTurn() && (number = chooseNumber()) && insertRow(*number, gift);
        if (inserted && m_transaction.commit())
            return saved(*number);
        const QString why = m_transaction.SQLErrText;
        const bool busy = m_transaction.lastFailureWasBusy();
        if (inserted) {
            // Every failed commit is settled by looking, after the rollback:
            // a lost line leaves no other way to know, and a commit refused
            // while the ledger was busy is tried again only when the look
            // shows nothing stored.
            GiftSaveResult settled = settle(*number, gift, why, until);
            if (!busy || settled.saved() || m_unsettled || SteadyClock::now() >= until)
                return settled;
        } else {
            m_transaction.rollback();
            // Another desk stored the number between the look and the insert
            // (one that does not take turns), held the ledger, or the server
            // went away before anything was committed: none of them is a
            // reason to give up yet.
            const bool lost = m_transaction.connectionLost();
            const bool again = busy || lost || (number && isTaken(*number));
            if (!again || SteadyClock::now() >= until)
                return failed(why);
            if (!busy && !lost)
                continue;
        }
        pause(attempt);
    }
}

GiftSaveResult GiftStore::insert(const Gift& gift, const QString& preferredNumber)
{
    if (auto problem = check(gift))
        return refused(*problem);
    if (!m_transaction.begin() || !takeTurn())
        return failed(m_transaction.SQLErrText);
    const auto until = SteadyClock::now() + m_patience;
    // A refused insert must not take the caller's earlier rows with it: on
    // PostgreSQL a failed statement spoils the whole transaction.
    const QString mark = QStringLiteral("SAVEPOINT gift_insert");
    bool preferred = isTwelveDigits(preferredNumber);
    for (;;) {
        if (preferred && isTaken(preferredNumber))
            preferred = false;
        const auto number = preferred ? std::optional<QString>(preferredNumber) : chooseNumber();
        if (!number || m_transaction.execute(mark) != 0)
            return failed(m_transaction.SQLErrText);
        if (insertRow(*number, gift)) {
            m_transaction.execute(QStringLiteral("RELEASE SAVEPOINT gift_insert"));
            // A number kept from a list may stand above the chosen ones:
            // the next choice looks again.
            if (preferred)
                m_lastInserted.reset();
            else
                m_lastInserted = std::make_pair(m_transaction.transactionSerial(), *number);
            return saved(*number);
        }
        const QString why = m_transaction.SQLErrText;
        preferred = false;
        m_lastInserted.reset();
        if (m_transaction.execute(QStringLiteral("ROLLBACK TO SAVEPOINT gift_insert")) != 0 ||
            !isTaken(*number) || SteadyClock::now() >= until)
            return failed(why);
    }
}

} // namespace qv
