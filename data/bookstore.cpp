#include "bookstore.h"

#include "platform/core/gbktext.h"
#include "platform/core/messagebox.h"
#include "platform/database/transaction.h"

#include <QThread>

namespace qv {

const QString BookStore::kWedding = QStringLiteral("喜事");
const QString BookStore::kFuneral = QStringLiteral("丧事");

namespace {

using SteadyClock = std::chrono::steady_clock;

// Widths of lbb and lbmx in GBK bytes.
constexpr int kBookNameWidth = 40;
constexpr int kReasonWidth = 10;
constexpr int kRemarkWidth = 40;

const QString kReceived = QStringLiteral("收情");
// The occasion object of a book's lines: the household's own event.
const QString kObject = QStringLiteral("本人");

BookResult okResult(const QString& number = {})
{
    return {true, false, {}, number};
}

BookResult refusedResult(const QString& why)
{
    return {false, true, why, {}};
}

void pause(int attempt)
{
    QThread::msleep(std::min(10 * attempt, 100));
}

BookLine lineOf(const QVector<QVariant>& row)
{
    BookLine line;
    line.xtbh = row.value(0).toString().trimmed();
    line.name = row.value(1).toString().trimmed();
    line.amount = Money::fromCents(row.value(2).toLongLong());
    line.goods = row.value(3).toString().trimmed();
    line.category = row.value(4).toString().trimmed();
    line.remark = row.value(5).toString().trimmed();
    line.order = row.value(6).toLongLong();
    return line;
}

const QString kLineSelect =
    QStringLiteral("SELECT m.xtbh, r.xm, CAST(ROUND(r.je * 100) AS BIGINT), r.wp, r.fw, m.bz, m.px "
                   "FROM lbmx m JOIN rqwlb r ON r.xtbh = m.xtbh WHERE m.lbid = ?");

} // namespace

BookStore::BookStore(Transaction& transaction, GiftStore::Clock clock)
    : m_transaction(transaction), m_gifts(transaction, std::move(clock))
{
}

void BookStore::setPatience(std::chrono::milliseconds patience)
{
    m_patience = patience;
    m_gifts.setPatience(patience);
}

std::optional<QString> BookStore::check(const Book& book)
{
    if (book.name.trimmed().isEmpty())
        return QStringLiteral("礼簿名称不能为空！");
    if (book.kind != kWedding && book.kind != kFuneral)
        return QStringLiteral("礼簿类型只能是喜事或丧事！");
    if (book.date.size() != 8 || !QDate::fromString(book.date, QStringLiteral("yyyyMMdd")).isValid())
        return QStringLiteral("礼簿日期不对！");
    if (auto problem = gbk::checkField(book.name, kBookNameWidth, QStringLiteral("礼簿名称")))
        return problem;
    return gbk::checkField(book.reason, kReasonWidth, QStringLiteral("事由"));
}

BookResult BookStore::fail(const QString& fixed)
{
    const QString reason = m_transaction.SQLErrText;
    m_transaction.rollback();
    m_error = withReason(fixed, reason);
    return {false, false, m_error, {}};
}

BookResult BookStore::commit(const QString& fixed)
{
    if (!m_transaction.commit())
        return fail(fixed);
    m_error.clear();
    return okResult();
}

std::optional<QString> BookStore::refusal(const Book& book)
{
    if (book.closed)
        return QStringLiteral("礼簿“%1”已封簿，不能再登记或修改。").arg(book.name);
    return std::nullopt;
}

std::optional<QList<Book>> BookStore::books()
{
    QList<Book> found;
    const int rc = m_transaction.selectRows(
        QStringLiteral("SELECT lbid, mc, rq, lx, sy, zt FROM lbb ORDER BY rq DESC, lbid DESC"), {},
        [&found](QVector<QVariant>&& row) {
            Book b;
            b.id = row.value(0).toLongLong();
            b.name = row.value(1).toString().trimmed();
            b.date = row.value(2).toString().trimmed();
            b.kind = row.value(3).toString().trimmed();
            b.reason = row.value(4).toString().trimmed();
            b.closed = row.value(5).toLongLong() != 0;
            found << b;
        });
    if (rc != 0) {
        m_error = withReason(QStringLiteral("读不出礼簿。"), m_transaction.SQLErrText);
        return std::nullopt;
    }
    return found;
}

std::optional<Book> BookStore::book(qint64 id)
{
    const auto all = books();
    if (!all)
        return std::nullopt;
    for (const Book& b : *all)
        if (b.id == id)
            return b;
    return std::nullopt;
}

BookResult BookStore::create(Book& book)
{
    book.name = book.name.trimmed();
    if (auto problem = check(book))
        return refusedResult(*problem);
    const QString fixed = QStringLiteral("新建礼簿失败。");
    // The write lock taken by begin() keeps the next number ours on SQLite;
    // on a server a clash of two desks is refused by the key and said.
    if (!m_transaction.begin() ||
        m_transaction.execute(QStringLiteral("INSERT INTO lbb (lbid, mc, rq, lx, sy, zt) "
                                             "SELECT COALESCE(MAX(lbid), 0) + 1, ?, ?, ?, ?, 0 FROM lbb"),
                              {book.name, book.date, book.kind, book.reason}) != 0)
        return fail(fixed);
    QVariantList row;
    if (m_transaction.selectInto(QStringLiteral("SELECT MAX(lbid) FROM lbb"), {}, row) != 0)
        return fail(fixed);
    book.id = row.value(0).toLongLong();
    book.closed = false;
    return commit(fixed);
}

BookResult BookStore::rename(qint64 id, const QString& name)
{
    Book probe;
    probe.name = name.trimmed();
    probe.kind = kWedding;
    probe.date = QStringLiteral("20000101");
    if (auto problem = check(probe))
        return refusedResult(*problem);
    if (m_transaction.execute(QStringLiteral("UPDATE lbb SET mc = ? WHERE lbid = ?"), {probe.name, id}) != 0)
        return fail(QStringLiteral("礼簿改名失败。"));
    return commit(QStringLiteral("礼簿改名失败。"));
}

BookResult BookStore::setClosed(qint64 id, bool closed)
{
    const QString fixed = closed ? QStringLiteral("封簿失败。") : QStringLiteral("启用礼簿失败。");
    if (m_transaction.execute(QStringLiteral("UPDATE lbb SET zt = ? WHERE lbid = ?"), {closed ? 1 : 0, id}) !=
        0)
        return fail(fixed);
    return commit(fixed);
}

BookResult BookStore::remove(qint64 id, bool withRecords)
{
    const QString fixed = QStringLiteral("删除礼簿失败，账本没有改动。");
    if (withRecords &&
        m_transaction.execute(
            QStringLiteral("DELETE FROM rqwlb WHERE xtbh IN (SELECT xtbh FROM lbmx WHERE lbid = ?)"), {id}) !=
            0)
        return fail(fixed);
    if (m_transaction.execute(QStringLiteral("DELETE FROM lbmx WHERE lbid = ?"), {id}) != 0 ||
        m_transaction.execute(QStringLiteral("DELETE FROM lbb WHERE lbid = ?"), {id}) != 0)
        return fail(fixed);
    return commit(fixed);
}

std::optional<QList<BookLine>> BookStore::lines(qint64 id)
{
    QList<BookLine> found;
    const int rc = m_transaction.selectRows(kLineSelect + QStringLiteral(" ORDER BY m.px, m.xtbh"), {id},
                                            [&found](QVector<QVariant>&& row) { found << lineOf(row); });
    if (rc != 0) {
        m_error = withReason(QStringLiteral("读不出礼簿的记录。"), m_transaction.SQLErrText);
        return std::nullopt;
    }
    return found;
}

QList<BookLine> BookStore::linesOf(qint64 id, const QString& name)
{
    QList<BookLine> found;
    m_transaction.selectRows(kLineSelect + QStringLiteral(" AND r.xm = ? ORDER BY m.px, m.xtbh"), {id, name},
                             [&found](QVector<QVariant>&& row) { found << lineOf(row); });
    return found;
}

Gift BookStore::giftOf(const Book& book, const BookEntry& entry)
{
    Gift gift;
    gift.name = entry.name;
    gift.category = entry.category;
    gift.kind = kReceived;
    gift.reason = book.reason;
    gift.object = kObject;
    gift.amount = entry.amount;
    gift.goods = entry.goods;
    gift.occasionDate = book.date;
    gift.giftDate = book.date;
    return gift;
}

std::optional<QString> BookStore::checkEntry(const Book& book, const BookEntry& entry)
{
    if (book.closed)
        return QStringLiteral("礼簿“%1”已封簿，不能再登记或修改。").arg(book.name);
    if (entry.name.isEmpty())
        return QStringLiteral("姓名不能为空！");
    if (entry.amount <= Money())
        return QStringLiteral("金额必须大于零！");
    // The fields by the captions of the book's own window; the gift's own
    // check stays the last word.
    const struct
    {
        const QString& text;
        int width;
        const char* caption;
    } fields[] = {{entry.name, GiftStore::kNameWidth, "姓名"},
                  {entry.goods, GiftStore::kGoodsWidth, "礼品"},
                  {entry.category, GiftStore::kCategoryWidth, "关系"},
                  {entry.remark, kRemarkWidth, "备注"}};
    for (const auto& f : fields)
        if (auto problem = gbk::checkField(f.text, f.width, QString::fromUtf8(f.caption)))
            return problem;
    return GiftStore::check(giftOf(book, entry));
}

BookResult BookStore::add(const Book& book, const BookEntry& entry)
{
    if (auto problem = checkEntry(book, entry))
        return refusedResult(*problem);
    const Gift gift = giftOf(book, entry);

    const QString fixed = QStringLiteral("数据保存出错!");
    const auto until = SteadyClock::now() + m_patience;
    for (int attempt = 1;; ++attempt) {
        const GiftSaveResult inserted = m_gifts.insert(gift);
        if (inserted.status == GiftSaveResult::Status::Refused) {
            m_transaction.rollback();
            return refusedResult(inserted.error);
        }
        const bool linked =
            inserted.saved() &&
            m_transaction.execute(
                QStringLiteral("INSERT INTO lbmx (lbid, xtbh, px, bz) "
                               "SELECT ?, ?, COALESCE(MAX(px), 0) + 1, ? FROM lbmx WHERE lbid = ?"),
                {book.id, inserted.number, entry.remark, book.id}) == 0;
        if (linked && m_transaction.commit()) {
            m_error.clear();
            return okResult(inserted.number);
        }
        const QString why = inserted.saved() ? m_transaction.SQLErrText : inserted.error;
        const bool busy = m_transaction.lastFailureWasBusy();
        const bool lost = m_transaction.connectionLost();
        m_transaction.rollback();
        if (linked) {
            // The server may have committed before its answer was lost. The
            // link row is written only with its record: finding it means the
            // whole line is in, and storing it again would count the guest
            // twice.
            for (int look = 1;; ++look) {
                QVariantList row;
                const int found = m_transaction.selectInto(
                    QStringLiteral("SELECT px FROM lbmx WHERE lbid = ? AND xtbh = ?"),
                    {book.id, inserted.number}, row);
                if (found == 0) {
                    m_error.clear();
                    return okResult(inserted.number);
                }
                if (found == 100)
                    break;
                if (SteadyClock::now() >= until) {
                    m_error = withReason(QStringLiteral("提交时与数据库的连接断开，无法确认系统编号 %1 "
                                                        "是否已经存入：请在连接恢复后查看礼簿再登记。")
                                             .arg(inserted.number),
                                         m_transaction.SQLErrText);
                    return {false, false, m_error, inserted.number};
                }
                pause(look);
            }
        }
        if (!(busy || lost) || SteadyClock::now() >= until) {
            m_error = withReason(fixed, why);
            return {false, false, m_error, {}};
        }
        pause(attempt);
    }
}

BookResult BookStore::correct(const Book& book, const QString& xtbh, const BookEntry& entry)
{
    if (auto problem = checkEntry(book, entry))
        return refusedResult(*problem);
    const Gift gift = giftOf(book, entry);
    const QString fixed = QStringLiteral("修改失败，记录没有改动。");
    if (m_transaction.execute(
            QStringLiteral("UPDATE rqwlb SET xm = ?, je = ?, wp = ?, fw = ? WHERE xtbh = ? "
                           "AND xtbh IN (SELECT xtbh FROM lbmx WHERE lbid = ?)"),
            {gift.name, gift.amount.toSqlValue(), gift.goods, gift.category, xtbh, book.id}) != 0)
        return fail(fixed);
    if (m_transaction.SQLNRows != 1) {
        m_transaction.rollback();
        return refusedResult(QStringLiteral("这一笔已不在账本中（可能已在别处删除）。"));
    }
    if (m_transaction.execute(QStringLiteral("UPDATE lbmx SET bz = ? WHERE lbid = ? AND xtbh = ?"),
                              {entry.remark, book.id, xtbh}) != 0)
        return fail(fixed);
    return commit(fixed);
}

BookResult BookStore::removeLine(const Book& book, const QString& xtbh)
{
    if (auto why = refusal(book))
        return refusedResult(*why);
    const QString fixed = QStringLiteral("删除失败，记录没有改动。");
    if (m_transaction.execute(QStringLiteral("DELETE FROM lbmx WHERE lbid = ? AND xtbh = ?"),
                              {book.id, xtbh}) != 0 ||
        m_transaction.execute(QStringLiteral("DELETE FROM rqwlb WHERE xtbh = ?"), {xtbh}) != 0)
        return fail(fixed);
    return commit(fixed);
}

BookResult BookStore::move(const Book& book, const QString& xtbh, BookMove where)
{
    if (auto why = refusal(book))
        return refusedResult(*why);
    const QString fixed = QStringLiteral("调整顺序失败。");
    if (!m_transaction.begin())
        return fail(fixed);
    QVariantList mine;
    if (m_transaction.selectInto(QStringLiteral("SELECT px FROM lbmx WHERE lbid = ? AND xtbh = ?"),
                                 {book.id, xtbh}, mine) != 0)
        return fail(fixed);
    const qint64 px = mine.value(0).toLongLong();
    if (where == BookMove::Top) {
        if (m_transaction.execute(
                QStringLiteral("UPDATE lbmx SET px = (SELECT MIN(px) FROM lbmx WHERE lbid = ?) - 1 "
                               "WHERE lbid = ? AND xtbh = ? AND px > (SELECT MIN(px) FROM lbmx "
                               "WHERE lbid = ?)"),
                {book.id, book.id, xtbh, book.id}) != 0)
            return fail(fixed);
        return commit(fixed);
    }
    // The neighbour trades places: the orders stay distinct without
    // renumbering the book.
    const QString neighbour =
        where == BookMove::Up
            ? QStringLiteral(
                  "SELECT xtbh, px FROM lbmx WHERE lbid = ? AND px < ? ORDER BY px DESC, xtbh DESC")
            : QStringLiteral("SELECT xtbh, px FROM lbmx WHERE lbid = ? AND px > ? ORDER BY px, xtbh");
    QVariantList other;
    const int rc = m_transaction.selectInto(neighbour, {book.id, px}, other);
    if (rc == 100) {
        m_transaction.rollback();
        return okResult();
    }
    if (rc != 0 ||
        m_transaction.execute(QStringLiteral("UPDATE lbmx SET px = ? WHERE lbid = ? AND xtbh = ?"),
                              {other.value(1), book.id, xtbh}) != 0 ||
        m_transaction.execute(QStringLiteral("UPDATE lbmx SET px = ? WHERE lbid = ? AND xtbh = ?"),
                              {px, book.id, other.value(0).toString()}) != 0)
        return fail(fixed);
    return commit(fixed);
}

} // namespace qv
