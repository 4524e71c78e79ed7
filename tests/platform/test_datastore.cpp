#include "support/testledger.h"

#include "platform/reports/datastore.h"

using namespace qv;
using qv::test::LedgerTest;

namespace {

ReportDef contactsDef()
{
    ReportDef def;
    def.name = QStringLiteral("dw_test_contacts");
    def.select = QStringLiteral("SELECT xm, xb, py, fw FROM wlryb");
    auto text = [](const char* name, const char* caption, int width) {
        ColumnDef c;
        c.name = QString::fromLatin1(name);
        c.caption = QString::fromUtf8(caption);
        c.gbkWidth = width;
        c.editable = c.updatable = true;
        return c;
    };
    def.columns = {text("xm", "姓名", 16), text("xb", "性别", 2), text("py", "拼音码", 16),
                   text("fw", "分类", 16)};
    def.updateTable = QStringLiteral("wlryb");
    def.keyColumns = {QStringLiteral("xm")};
    return def;
}

ReportDef giftsDef()
{
    ReportDef def;
    def.name = QStringLiteral("dw_test_gifts");
    def.select = QStringLiteral(
        "SELECT xtbh, xm, je FROM rqwlb WHERE lx = :as_lb AND sq BETWEEN :as_begin AND :as_end");
    def.arguments = {QStringLiteral("as_lb"), QStringLiteral("as_begin"), QStringLiteral("as_end")};
    ColumnDef xtbh{QStringLiteral("xtbh"), QStringLiteral("系统编号")};
    ColumnDef xm{QStringLiteral("xm"), QStringLiteral("姓名")};
    ColumnDef je{QStringLiteral("je"), QStringLiteral("金额"), ColumnType::Money};
    je.format = QStringLiteral("#,##0.00");
    def.columns = {xtbh, xm, je};
    return def;
}

} // namespace

TEST(DataStoreBuffers, StatusFollowsInsertsEditsAndDeletes)
{
    DataStore ds(contactsDef());
    const long r = ds.insertRow(0);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(ds.rowStatus(1), RowStatus::New);
    EXPECT_EQ(ds.modifiedCount(), 0);
    ds.setItem(1, QStringLiteral("xm"), QStringLiteral("张三"));
    EXPECT_EQ(ds.rowStatus(1), RowStatus::NewModified);
    EXPECT_EQ(ds.modifiedCount(), 1);
    ds.deleteRow(1);
    EXPECT_EQ(ds.rowCount(), 0);
    EXPECT_EQ(ds.deletedCount(), 0) << "a row never saved leaves nothing to delete";
    EXPECT_EQ(ds.insertRow(0), 1);
    EXPECT_EQ(ds.insertRow(1), 1) << "insert before row 1";
    EXPECT_EQ(ds.rowCount(), 2);
}

TEST(DataStoreBuffers, FindSortAndRowsCopy)
{
    DataStore ds(contactsDef());
    for (const char* name : {"王五", "张三", "李四", "阿大"}) {
        const long r = ds.insertRow(0);
        ds.setItem(r, QStringLiteral("xm"), QString::fromUtf8(name));
    }
    EXPECT_EQ(ds.findText(QStringLiteral("xm"), QStringLiteral("李四"), 1, ds.rowCount()), 3);
    EXPECT_EQ(ds.findText(QStringLiteral("xm"), QStringLiteral("李四"), 4, ds.rowCount()), 0);
    EXPECT_EQ(ds.findText(QStringLiteral("xm"), QStringLiteral("赵六"), 1, ds.rowCount()), 0);

    ds.setSort({{QStringLiteral("xm"), true}});
    ds.sort();
    // GBK order of common characters is pinyin order: a, l, w, z.
    EXPECT_EQ(ds.getItemString(1, QStringLiteral("xm")), QStringLiteral("阿大"));
    EXPECT_EQ(ds.getItemString(2, QStringLiteral("xm")), QStringLiteral("李四"));
    EXPECT_EQ(ds.getItemString(4, QStringLiteral("xm")), QStringLiteral("张三"));

    DataStore copy(contactsDef());
    EXPECT_EQ(ds.rowsCopy(2, 3, RowBuffer::Primary, copy, 0), 1);
    EXPECT_EQ(copy.rowCount(), 2);
    EXPECT_EQ(copy.getItemString(2, QStringLiteral("xm")), QStringLiteral("王五"));
    EXPECT_EQ(copy.rowStatus(1), RowStatus::NewModified);
}

class DataStoreDb : public LedgerTest
{
};

TEST_P(DataStoreDb, UpdateWritesInsertsChangesAndDeletesByKey)
{
    ledger().exec(
        QStringLiteral("INSERT INTO wlryb (xm, xb, py) VALUES ('张三', '男', 'zs'), ('李四', '女', 'ls')"));
    DataStore ds(contactsDef());
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), 2);
    const long zs = ds.findText(QStringLiteral("xm"), QStringLiteral("张三"), 1, 2);
    const long ls = zs == 1 ? 2 : 1;
    ds.setItem(zs, QStringLiteral("fw"), QStringLiteral("朋友"));
    ds.setItem(ls, QStringLiteral("xm"), QStringLiteral("李四四")); // a key change updates by the old key
    const long r = ds.insertRow(0);
    ds.setItem(r, QStringLiteral("xm"), QStringLiteral("王五"));
    ds.setItem(r, QStringLiteral("xb"), QStringLiteral("男"));
    ASSERT_EQ(saveChanges(ds, sqlca()), 1) << sqlca().SQLErrText.toStdString();
    EXPECT_EQ(ds.modifiedCount(), 0);

    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT fw FROM wlryb WHERE xm = ?"), {QStringLiteral("张三")})
                  .toString(),
              QStringLiteral("朋友"));
    EXPECT_EQ(
        ledger()
            .scalar(QStringLiteral("SELECT count(*) FROM wlryb WHERE xm = ?"), {QStringLiteral("李四四")})
            .toInt(),
        1);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 3);

    ds.deleteRow(ds.findText(QStringLiteral("xm"), QStringLiteral("王五"), 1, ds.rowCount()));
    EXPECT_EQ(ds.deletedCount(), 1);
    ASSERT_EQ(saveChanges(ds, sqlca()), 1);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 2);
}

TEST_P(DataStoreDb, AFailingRowRollsBackEverythingAndKeepsEveryPendingChange)
{
    ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb) VALUES ('张三', '男'), ('李四', '女')"));
    DataStore ds(contactsDef());
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), 2);
    ds.deleteRow(ds.findText(QStringLiteral("xm"), QStringLiteral("李四"), 1, 2));
    ds.setItem(1, QStringLiteral("fw"), QStringLiteral("同事"));
    const long dup = ds.insertRow(0);
    ds.setItem(dup, QStringLiteral("xm"), QStringLiteral("张三")); // duplicate key
    ds.setItem(dup, QStringLiteral("xb"), QStringLiteral("男"));

    EXPECT_EQ(saveChanges(ds, sqlca()), -1);
    EXPECT_FALSE(sqlca().SQLErrText.isEmpty());
    EXPECT_EQ(ds.deletedCount(), 1);
    EXPECT_EQ(ds.modifiedCount(), 2);
    EXPECT_EQ(ds.rowStatus(dup), RowStatus::NewModified);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 2)
        << "the delete was rolled back";
    EXPECT_TRUE(ledger()
                    .scalar(QStringLiteral("SELECT fw FROM wlryb WHERE xm = ?"), {QStringLiteral("张三")})
                    .isNull());

    // Correct the offending row and the same pending changes go through.
    ds.setItem(dup, QStringLiteral("xm"), QStringLiteral("王五"));
    ASSERT_EQ(saveChanges(ds, sqlca()), 1) << sqlca().SQLErrText.toStdString();
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 2);
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT fw FROM wlryb WHERE xm = ?"), {QStringLiteral("张三")})
                  .toString(),
              QStringLiteral("同事"));
}

TEST_P(DataStoreDb, ARowAppendedButNotTypedIntoIsStillInsertedOnceTypedIntoAfterASave)
{
    // Both ways of writing: the save that commits, and update() resetting the
    // flags itself before the caller commits.
    struct Case
    {
        const char* name;
        std::function<int(DataStore&, Transaction&)> save;
    };
    const QList<Case> cases = {
        {"saveChanges", [](DataStore& ds, Transaction& tr) { return saveChanges(ds, tr); }},
        {"update", [](DataStore& ds, Transaction& tr) { return ds.update() == 1 && tr.commit() ? 1 : -1; }},
    };
    for (const Case& c : cases) {
        ledger().exec(QStringLiteral("DELETE FROM wlryb"));
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb) VALUES ('张三', '男')"));
        DataStore ds(contactsDef());
        ds.setTransObject(&sqlca());
        ASSERT_EQ(ds.retrieve(), 1);
        ds.setItem(1, QStringLiteral("fw"), QStringLiteral("朋友"));
        const long blank = ds.insertRow(0);
        ASSERT_EQ(c.save(ds, sqlca()), 1) << c.name << ' ' << sqlca().SQLErrText.toStdString();
        EXPECT_EQ(ds.rowStatus(1), RowStatus::NotModified) << c.name;
        EXPECT_EQ(ds.rowStatus(blank), RowStatus::New) << c.name << ": it was never written";
        EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 1) << c.name;

        ds.setItem(blank, QStringLiteral("xm"), QStringLiteral("李四"));
        ds.setItem(blank, QStringLiteral("xb"), QStringLiteral("女"));
        EXPECT_EQ(ds.rowStatus(blank), RowStatus::NewModified) << c.name;
        ASSERT_EQ(c.save(ds, sqlca()), 1) << c.name << ' ' << sqlca().SQLErrText.toStdString();
        EXPECT_EQ(ledger()
                      .scalar(QStringLiteral("SELECT xb FROM wlryb WHERE xm = ?"), {QStringLiteral("李四")})
                      .toString(),
                  QStringLiteral("女"))
            << c.name;

        // Stored now: a further edit is an update of that row.
        EXPECT_EQ(ds.rowStatus(blank), RowStatus::NotModified) << c.name;
        ds.setItem(blank, QStringLiteral("fw"), QStringLiteral("同事"));
        ASSERT_EQ(c.save(ds, sqlca()), 1) << c.name << ' ' << sqlca().SQLErrText.toStdString();
        EXPECT_EQ(ledger()
                      .scalar(QStringLiteral("SELECT fw FROM wlryb WHERE xm = ?"), {QStringLiteral("李四")})
                      .toString(),
                  QStringLiteral("同事"))
            << c.name;
        EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 2) << c.name;
    }
}

TEST_P(DataStoreDb, TooWideOrUnencodableTextIsRefusedBeforeAnythingIsWritten)
{
    DataStore ds(contactsDef());
    ds.setTransObject(&sqlca());
    const long r = ds.insertRow(0);
    ds.setItem(r, QStringLiteral("xm"), QStringLiteral("一二三四五六七八九"));
    ds.setItem(r, QStringLiteral("xb"), QStringLiteral("男"));
    EXPECT_EQ(saveChanges(ds, sqlca()), -1);
    EXPECT_TRUE(sqlca().SQLErrText.contains(QStringLiteral("姓名")));
    ds.setItem(r, QStringLiteral("xm"), QStringLiteral("一二三四五六七八"));
    ds.setItem(r, QStringLiteral("fw"), QStringLiteral("朋友😀"));
    EXPECT_EQ(saveChanges(ds, sqlca()), -1);
    EXPECT_TRUE(sqlca().SQLErrText.contains(QStringLiteral("分类")));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 0);
    ds.setItem(r, QStringLiteral("fw"), QStringLiteral("朋友"));
    EXPECT_EQ(saveChanges(ds, sqlca()), 1);
}

TEST_P(DataStoreDb, RetrieveBindsArgumentsAndMoneyTotalsAreExact)
{
    // 3,000 gifts of x.10 and x.20 amounts: any float drift would show.
    ASSERT_EQ(sqlca().execute(QStringLiteral("DELETE FROM rqwlb")), 0);
    Money expectedReceived;
    for (int i = 0; i < 3000; ++i) {
        const Money je = Money::fromCents((i % 2 ? 10 : 20) + 100 * (i % 7));
        const bool given = i % 3 == 0;
        const QString day = QStringLiteral("2024%1%2")
                                .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                .arg(1 + i % 28, 2, 10, QLatin1Char('0'));
        ASSERT_EQ(
            sqlca().execute(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES (?, ?, ?, ?, ?)"),
                            {QStringLiteral("%1").arg(i, 12, 10, QLatin1Char('0')), QStringLiteral("张三"),
                             given ? QStringLiteral("送情") : QStringLiteral("收情"),
                             QVariant::fromValue(given ? -je : je), day}),
            0)
            << sqlca().SQLErrText.toStdString();
        if (!given)
            expectedReceived += je;
    }
    ASSERT_TRUE(sqlca().commit());
    DataStore ds(giftsDef());
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve({QStringLiteral("收情"), QStringLiteral("20240101"), QStringLiteral("20241231")}),
              2000);
    EXPECT_EQ(ds.sum(QStringLiteral("je")), expectedReceived);
    EXPECT_EQ(ds.retrieve({QStringLiteral("收情"), QStringLiteral("20250101"), QStringLiteral("20251231")}),
              0);

    // 取消 after the first batch: the rows after it are never read, and the
    // connection takes the next statement.
    const QVariantList year{QStringLiteral("收情"), QStringLiteral("20240101"), QStringLiteral("20241231")};
    long heard = 0;
    EXPECT_EQ(ds.retrieve(year,
                          [&heard](long rows) {
                              heard = rows;
                              return false;
                          }),
              -1);
    EXPECT_TRUE(ds.wasCancelled());
    EXPECT_EQ(heard, DataStore::kRetrieveBatch);
    EXPECT_EQ(sqlca().SQLNRows, DataStore::kRetrieveBatch) << "rows read after 取消";
    EXPECT_EQ(ds.rowCount(), 0);
    EXPECT_EQ(ds.retrieve(year), 2000);
    EXPECT_EQ(ds.retrieve({QStringLiteral("送情'; DROP TABLE rqwlb; --"), QStringLiteral("2024"),
                           QStringLiteral("2025")}),
              0);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM rqwlb")).toInt(), 3000);
}

QV_LEDGER_TEST_SUITE(DataStoreDb);
