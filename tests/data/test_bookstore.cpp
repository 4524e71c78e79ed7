#include "support/testledger.h"

#include "data/bookstore.h"

using namespace qv;
using qv::test::LedgerTest;

namespace {

const QDateTime kNow(QDate(2024, 10, 1), QTime(11, 0, 0));

BookEntry entry(const QString& name, qint64 cents, const QString& goods = {})
{
    return {name, Money::fromCents(cents), goods, {}, {}};
}

} // namespace

class BookStoreDb : public LedgerTest
{
protected:
    void SetUp() override
    {
        LedgerTest::SetUp();
        m_store = std::make_unique<BookStore>(sqlca(), [this] { return m_now; });
        m_book.name = QStringLiteral("张三李四婚礼");
        m_book.date = QStringLiteral("20241001");
        m_book.kind = BookStore::kWedding;
        m_book.reason = QStringLiteral("结婚");
        ASSERT_TRUE(m_store->create(m_book).ok) << m_store->error().toStdString();
    }
    QStringList names()
    {
        QStringList shown;
        for (const BookLine& l : BookStore(sqlca()).lines(m_book.id).value_or(QList<BookLine>{}))
            shown << l.name;
        return shown;
    }
    long count(const QString& sql, const QVariantList& values = {})
    {
        return ledger().scalar(sql, values).toLongLong();
    }
    void add(const QStringList& guests)
    {
        for (const QString& g : guests) {
            m_now = m_now.addSecs(1);
            const BookResult r = m_store->add(m_book, entry(g, 20000));
            ASSERT_TRUE(r.ok) << r.error.toStdString();
        }
    }

    QDateTime m_now = kNow;
    std::unique_ptr<BookStore> m_store;
    Book m_book;
};

// A line is a received gift of the book's date and reason, counted by every
// query; a commit whose answer is lost neither loses the line nor stores it
// twice, whichever way the server went.
TEST_P(BookStoreDb, ALineIsOneReceivedGiftOfTheBookStoredOnceWhateverTheCommitAnswer)
{
    const struct
    {
        const char* what;
        int loseAnswer; // 0 none, 1 committed but unanswered, -1 rolled back and unanswered
    } cases[] = {{"answered", 0}, {"committed, answer lost", 1}, {"rolled back, answer lost", -1}};
    long expected = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_now = m_now.addSecs(1);
        if (c.loseAnswer != 0)
            sqlca().loseNextCommitAnswer(c.loseAnswer > 0);
        const BookResult r =
            m_store->add(m_book, entry(QStringLiteral("王五"), 20050, QStringLiteral("红包")));
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        ++expected;
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb")), expected);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM lbmx WHERE lbid = ?"), {m_book.id}), expected);
        EXPECT_EQ(
            count(QStringLiteral("SELECT count(*) FROM rqwlb WHERE xtbh = ? AND lx = '收情' AND sy = '结婚' "
                                 "AND sj = '20241001' AND sq = '20241001' AND wp = '红包' "
                                 "AND CAST(ROUND(je * 100) AS BIGINT) = 20050"),
                  {r.number}),
            1);
    }
    // A closed book takes nothing, and says so.
    ASSERT_TRUE(m_store->setClosed(m_book.id, true).ok);
    m_book = *m_store->book(m_book.id);
    const BookResult refused = m_store->add(m_book, entry(QStringLiteral("赵六"), 100));
    EXPECT_TRUE(refused.refused);
    EXPECT_TRUE(refused.error.contains(QStringLiteral("封簿"))) << refused.error.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb")), expected);
}

TEST_P(BookStoreDb, TheOrderOfTheHonouredGuestsIsKeptWithTheBook)
{
    add({QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙"), QStringLiteral("丁")});
    auto numberOf = [this](const QString& name) { return m_store->linesOf(m_book.id, name).value(0).xtbh; };
    const struct
    {
        const char* guest;
        BookMove move;
        QStringList after;
    } steps[] = {
        {"丙", BookMove::Top, {"丙", "甲", "乙", "丁"}},
        {"丙", BookMove::Top, {"丙", "甲", "乙", "丁"}}, // already on top
        {"丙", BookMove::Up, {"丙", "甲", "乙", "丁"}},  // nothing above
        {"乙", BookMove::Up, {"丙", "乙", "甲", "丁"}},
        {"丙", BookMove::Down, {"乙", "丙", "甲", "丁"}},
        {"丁", BookMove::Down, {"乙", "丙", "甲", "丁"}}, // nothing below
        {"丁", BookMove::Top, {"丁", "乙", "丙", "甲"}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.guest);
        const BookResult r = m_store->move(m_book, numberOf(QString::fromUtf8(s.guest)), s.move);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(names(), s.after);
    }
    // A line entered afterwards comes last.
    add({QStringLiteral("戊")});
    EXPECT_EQ(names().last(), QStringLiteral("戊"));
}

TEST_P(BookStoreDb, DeletingABookTakesItsRecordsOrLeavesThemAsLooseGifts)
{
    for (const bool withRecords : {true, false}) {
        SCOPED_TRACE(withRecords ? "records deleted" : "records kept");
        ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
        ledger().exec(
            QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES ('000000000001', '别人', "
                           "'收情', 100, '20240101')"));
        sqlca().commit();
        Book book = m_book;
        book.id = 0;
        ASSERT_TRUE(m_store->create(book).ok);
        for (const char* g : {"甲", "乙", "丙"}) {
            m_now = m_now.addSecs(1);
            ASSERT_TRUE(m_store->add(book, entry(QString::fromUtf8(g), 10000)).ok);
        }
        ASSERT_TRUE(m_store->add(m_book, entry(QStringLiteral("另一本"), 10000)).ok);
        const long before = count(QStringLiteral("SELECT count(*) FROM rqwlb"));

        const BookResult r = m_store->remove(book.id, withRecords);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb")), withRecords ? before - 3 : before);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM lbmx WHERE lbid = ?"), {book.id}), 0);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM lbb WHERE lbid = ?"), {book.id}), 0);
        // The other book and the loose record stand.
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb WHERE xtbh = '000000000001'")), 1);
        EXPECT_TRUE(names().contains(QStringLiteral("另一本")));
    }
}

QV_LEDGER_TEST_SUITE(BookStoreDb);
