#include "support/testledger.h"

#include "data/giftstore.h"

#include <future>
#include <thread>

using namespace qv;
using qv::test::LedgerTest;

namespace {

const QDateTime kNow(QDate(2003, 5, 1), QTime(9, 8, 7));
const QString kMoment = QStringLiteral("030501090807");

Gift aGift(const QString& name = QStringLiteral("张三"))
{
    Gift g;
    g.name = name;
    g.kind = QStringLiteral("收情");
    g.reason = QStringLiteral("结婚");
    g.object = QStringLiteral("本人");
    g.amount = Money::fromCents(30000);
    g.occasionDate = g.giftDate = QStringLiteral("20030501");
    return g;
}

} // namespace

class GiftStoreDb : public LedgerTest
{
protected:
    void store(const QStringList& numbers)
    {
        // One transaction: an hour of numbers goes in at once.
        for (const QString& n : numbers) {
            ASSERT_EQ(
                sqlca().execute(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je) VALUES (?, ?, ?, ?)"),
                                {n, QStringLiteral("王五"), QStringLiteral("收情"), 1}),
                0)
                << sqlca().SQLErrText.toStdString();
        }
        ASSERT_TRUE(sqlca().commit());
    }
    long count(const QString& sql, const QVariantList& values = {})
    {
        return ledger().scalar(sql, values).toLongLong();
    }
};

TEST_P(GiftStoreDb, ANumberIsTheMomentOrTheSecondAfterTheLargestStoredOneFromIt)
{
    QStringList hour;
    for (int s = 0; s <= 3600; ++s)
        hour << GiftStore::numberAt(kNow.addSecs(s));
    const struct
    {
        const char* what;
        QStringList stored;
        QString expected;
    } cases[] = {
        {"nothing stored", {}, kMoment},
        {"only earlier numbers", {QStringLiteral("030501090806"), QStringLiteral("021231235959")}, kMoment},
        {"the moment and the next hour taken", hour, QStringLiteral("030501100808")},
        {"a moment's next second is a moment",
         {QStringLiteral("030501095959")},
         QStringLiteral("030501100000")},
        {"last century, odd texts and a clock a year ahead are no burst",
         {QStringLiteral("991231235959"), QStringLiteral("0305011"), QStringLiteral("03050109080x"),
          QStringLiteral("040601000000"), kMoment},
         QStringLiteral("030501090808")},
    };
    GiftStore gifts(sqlca(), [] { return kNow; });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
        store(c.stored);
        const GiftSaveResult result = gifts.save(aGift());
        ASSERT_TRUE(result.saved()) << result.error.toStdString();
        EXPECT_EQ(result.number, c.expected);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb WHERE xtbh = ? AND xm = ?"),
                        {c.expected, QStringLiteral("张三")}),
                  1);
        EXPECT_FALSE(sqlca().inTransaction());
    }

    // Many in the caller's transaction: successive numbers, nothing stored
    // until the caller commits.
    ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
    EXPECT_EQ(gifts.insert(aGift(QStringLiteral("甲"))).number, kMoment);
    EXPECT_EQ(gifts.insert(aGift(QStringLiteral("乙"))).number, QStringLiteral("030501090808"));
    EXPECT_TRUE(sqlca().inTransaction());
    ASSERT_TRUE(sqlca().rollback());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb")), 0);
}

// Another desk, one that does not take turns, holds the moment's number in
// a transaction it commits while this save runs: on SQLite the save waits
// for the ledger, on PostgreSQL its insert clashes; either way it is stored
// under the next number, never refused.
TEST_P(GiftStoreDb, ANumberStoredByAnotherDeskDuringTheSaveIsTriedAgain)
{
    std::promise<QString> holding;
    std::thread other([&] {
        Transaction desk;
        ledger().configure(desk);
        QString error;
        if (!desk.connect() ||
            desk.execute(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je) VALUES (?, ?, ?, ?)"),
                         {kMoment, QStringLiteral("王五"), QStringLiteral("收情"), 1}) != 0)
            error = desk.SQLErrText;
        holding.set_value(error);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        desk.commit();
        desk.disconnect();
    });
    const QString error = holding.get_future().get();
    GiftStore gifts(sqlca(), [] { return kNow; });
    const GiftSaveResult result = error.isEmpty() ? gifts.save(aGift()) : GiftSaveResult{};
    other.join();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_TRUE(result.saved()) << result.error.toStdString();
    EXPECT_EQ(result.number, QStringLiteral("030501090808"));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM rqwlb")), 2);
}

QV_LEDGER_TEST_SUITE(GiftStoreDb);
