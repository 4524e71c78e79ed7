// How retrieved rows are held: texts, nulls, amounts and kinds must come
// back exactly as the database gave them, and edits, sorts and saves must
// meet the rows they were meant for.

#include "support/testledger.h"

#include "platform/reports/datastore.h"

using namespace qv;
using qv::test::LedgerTest;

namespace {

ColumnDef column(const char* name, ColumnType type = ColumnType::Text)
{
    ColumnDef c;
    c.name = QString::fromLatin1(name);
    c.caption = c.name;
    c.type = type;
    c.editable = c.updatable = true;
    return c;
}

ReportDef contactsDef(const QString& orderBy = QStringLiteral("xm"))
{
    ReportDef def;
    def.name = QStringLiteral("dw_storage_contacts");
    def.select = QStringLiteral("SELECT xm, xb, py, fw FROM wlryb ORDER BY ") + orderBy;
    def.columns = {column("xm"), column("xb"), column("py"), column("fw")};
    def.updateTable = QStringLiteral("wlryb");
    def.keyColumns = {QStringLiteral("xm")};
    return def;
}

// Names in the order they stand after sort().
QStringList names(const DataStore& ds)
{
    QStringList out;
    for (long r = 1; r <= ds.rowCount(); ++r)
        out << ds.getItemString(r, QStringLiteral("xm"));
    return out;
}

class DataStoreStorage : public LedgerTest
{
protected:
    void addContact(const QString& xm, const QVariant& py, const QVariant& fw,
                    const QString& xb = QStringLiteral("男"))
    {
        ledger().exec(QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)"),
                      {xm, xb, py, fw});
    }
};

} // namespace

TEST_P(DataStoreStorage, NullAndEmptyTextsStayApartThroughRetrieveCopyAndSave)
{
    addContact(QStringLiteral("甲"), QString(""), QVariant());
    DataStore ds(contactsDef());
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), 1);
    const QVariant empty = ds.getItem(1, QStringLiteral("py"));
    const QVariant null = ds.getItem(1, QStringLiteral("fw"));
    EXPECT_FALSE(empty.isNull());
    EXPECT_EQ(empty.typeId(), QMetaType::QString);
    EXPECT_EQ(empty.toString(), QString());
    EXPECT_TRUE(null.isNull());
    // The string forms too: a caller binding them must write what was read.
    EXPECT_TRUE(ds.getItemString(1, QStringLiteral("fw")).isNull());
    EXPECT_FALSE(ds.getItemString(1, QStringLiteral("py")).isNull());

    // A copy saved as a new row writes the empty text as empty and the null
    // as null.
    ASSERT_EQ(ds.rowsCopy(1, 1, RowBuffer::Primary, ds, 0), 1);
    ds.setItem(2, QStringLiteral("xm"), QStringLiteral("乙"));
    ASSERT_EQ(saveChanges(ds, sqlca()), 1) << sqlca().SQLErrText.toStdString();
    EXPECT_EQ(
        ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb WHERE py = '' AND fw IS NULL")).toInt(),
        2);
}

TEST_P(DataStoreStorage, TextsOfEveryWidthComeBackAndSortInGbkOrder)
{
    // Rows from the database and rows typed in afterwards sort together.
    struct Case
    {
        const char* name;
        QVariant fw; // the sort column
        bool typed;  // set after the retrieve instead of stored
    };
    const QList<Case> cases = {
        {"unencodable", QStringLiteral("笑😀"), false},  // four UTF-8 bytes, no GBK form: after all others
        {"chinese", QStringLiteral("张"), false},       // GBK D5C5
        {"pinyin", QStringLiteral("é"), true},          // two UTF-8 bytes, GBK A8A6
        {"first_chinese", QStringLiteral("阿"), false}, // GBK B0A2
        {"lower", QStringLiteral("a"), true},
        {"upper", QStringLiteral("A"), false},
        {"digit", QStringLiteral("1"), false},
        {"empty", QString(""), true},
        {"null", QVariant(), false},
    };
    const QStringList expected = {"null",   "empty",         "digit",   "upper",      "lower",
                                  "pinyin", "first_chinese", "chinese", "unencodable"};
    for (const Case& c : cases)
        addContact(QString::fromLatin1(c.name), QVariant(), c.typed ? QVariant() : c.fw);
    DataStore ds(contactsDef());
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), cases.size());
    for (const Case& c : cases) {
        const long r = ds.findText(QStringLiteral("xm"), QString::fromLatin1(c.name), 1, ds.rowCount());
        ASSERT_GT(r, 0) << c.name;
        if (c.typed)
            ds.setItem(r, QStringLiteral("fw"), c.fw);
        EXPECT_EQ(ds.getItem(r, QStringLiteral("fw")).isNull(), c.fw.isNull()) << c.name;
        EXPECT_EQ(ds.getItemString(r, QStringLiteral("fw")), c.fw.toString()) << c.name;
    }
    ds.setSort({{QStringLiteral("fw"), true}});
    ds.sort();
    EXPECT_EQ(names(ds), expected);
    ds.setSort({{QStringLiteral("fw"), false}});
    ds.sort();
    QStringList reversed = expected;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(names(ds), reversed);
}

TEST_P(DataStoreStorage, MoneyExtremesAreExactAndOrdered)
{
    const Money top = *Money::parse(u"99,999,999,999.99");
    const QList<QVariant> amounts = {
        QVariant::fromValue(-top),    QVariant::fromValue(Money::fromCents(-1)), QVariant(),
        QVariant::fromValue(Money()), QVariant::fromValue(Money::fromCents(1)),  QVariant::fromValue(top)};
    for (int i = 0; i < amounts.size(); ++i)
        ledger().exec(QStringLiteral("INSERT INTO rqwlb (xtbh, xm, je) VALUES (?, ?, ?)"),
                      {QStringLiteral("x%1").arg(i), QStringLiteral("张三"), amounts[i]});
    ReportDef def;
    def.select = QStringLiteral("SELECT xtbh, je FROM rqwlb ORDER BY xtbh DESC");
    ColumnDef je = column("je", ColumnType::Money);
    je.format = QStringLiteral("#,##0.00");
    def.columns = {column("xtbh"), je};
    DataStore ds(def);
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), amounts.size());

    for (long r = 1; r <= ds.rowCount(); ++r) {
        const int i = ds.getItemString(r, 1).mid(1).toInt();
        EXPECT_EQ(ds.getItem(r, 2).isNull(), amounts[i].isNull()) << i;
        EXPECT_EQ(ds.getItemMoney(r, QStringLiteral("je")), amounts[i].value<Money>()) << i;
    }
    EXPECT_EQ(ds.getItemString(1, QStringLiteral("je")), QStringLiteral("99,999,999,999.99"));
    EXPECT_EQ(ds.getItemString(6, QStringLiteral("je")), QStringLiteral("-99,999,999,999.99"));
    EXPECT_EQ(ds.sum(QStringLiteral("je")), Money());
    ds.setItem(4, QStringLiteral("je"), QVariant::fromValue(Money::fromCents(5))); // x2, was null
    EXPECT_EQ(ds.sum(QStringLiteral("je")), Money::fromCents(5));

    ds.setSort({{QStringLiteral("je"), true}});
    ds.sort();
    QStringList order;
    for (long r = 1; r <= ds.rowCount(); ++r)
        order << ds.getItemString(r, 1);
    EXPECT_EQ(order, QStringList({"x0", "x1", "x3", "x4", "x2", "x5"}));
}

TEST_P(DataStoreStorage, SortKeepsTheOrderOfEqualKeysAndSortsByEveryKey)
{
    // Enough rows that an unstable sort would show; retrieved by name, so
    // rows of equal keys must keep their name order.
    // In GBK 朋 (C5F3) < 亲 (C7D7) < 同 (CDAC), and 男 (C4D0) < 女 (C5AE).
    const QStringList categories = {QStringLiteral("朋友"), QStringLiteral("亲戚"), QStringLiteral("同事")};
    const QStringList sexes = {QStringLiteral("男"), QStringLiteral("女")};
    constexpr int kContacts = 60;
    auto category = [&](int i) { return int((i * 7 + i / 5) % 3); };
    auto sex = [](int i) { return i % 4 == 1 ? 1 : 0; };
    for (int i = 0; i < kContacts; ++i)
        addContact(QStringLiteral("人%1").arg(i, 2, 10, QLatin1Char('0')), QVariant(),
                   categories[category(i)], sexes[sex(i)]);
    // Names grouped by the keys' ranks, each group in name order.
    auto grouped = [&](const std::function<int(int)>& rank, int groups) {
        QStringList out;
        for (int g = 0; g < groups; ++g)
            for (int i = 0; i < kContacts; ++i)
                if (rank(i) == g)
                    out << QStringLiteral("人%1").arg(i, 2, 10, QLatin1Char('0'));
        return out;
    };
    struct Case
    {
        QList<SortKey> keys;
        QStringList expected;
    };
    const QList<Case> cases = {
        {{{QStringLiteral("fw"), true}}, grouped(category, 3)},
        {{{QStringLiteral("fw"), false}}, grouped([&](int i) { return 2 - category(i); }, 3)},
        {{{QStringLiteral("xb"), true}, {QStringLiteral("fw"), false}},
         grouped([&](int i) { return sex(i) * 3 + 2 - category(i); }, 6)},
    };
    for (const Case& c : cases) {
        DataStore ds(contactsDef());
        ds.setTransObject(&sqlca());
        ASSERT_EQ(ds.retrieve(), kContacts);
        ds.setSort(c.keys);
        ds.sort();
        EXPECT_EQ(names(ds), c.expected);
    }
}

TEST_P(DataStoreStorage, EditsBeforeAndAfterASortReachTheRowsTheyWereMeantFor)
{
    for (const char* name : {"王五", "张三", "李四", "阿大"})
        addContact(QString::fromUtf8(name), QVariant(), QVariant());
    DataStore ds(contactsDef(QStringLiteral("xm DESC")));
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), 4);
    const long zhang = ds.findText(QStringLiteral("xm"), QStringLiteral("张三"), 1, 4);
    ds.setItem(zhang, QStringLiteral("xm"), QStringLiteral("白三")); // a key change, now sorting second

    ds.setSort({{QStringLiteral("xm"), true}});
    ds.sort();
    EXPECT_EQ(names(ds), QStringList({"阿大", "白三", "李四", "王五"}));
    EXPECT_EQ(ds.rowStatus(2), RowStatus::DataModified);
    EXPECT_TRUE(ds.itemModified(2, 1));
    EXPECT_EQ(ds.rowStatus(1), RowStatus::NotModified);

    ds.setItem(3, QStringLiteral("fw"), QStringLiteral("同学"));
    ds.deleteRow(4);
    EXPECT_EQ(ds.getItem(1, 1, RowBuffer::Delete).toString(), QStringLiteral("王五"));
    ASSERT_EQ(saveChanges(ds, sqlca()), 1) << sqlca().SQLErrText.toStdString();

    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT count(*) FROM wlryb WHERE xm IN ('白三', '李四', '阿大')"))
                  .toInt(),
              3);
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT fw FROM wlryb WHERE xm = ?"), {QStringLiteral("李四")})
                  .toString(),
              QStringLiteral("同学"));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 3);
    EXPECT_EQ(ds.modifiedCount(), 0);
}

TEST_P(DataStoreStorage, ARetrieveReplacesEditedInsertedAndDeletedRows)
{
    addContact(QStringLiteral("张三"), QStringLiteral("zs"), QStringLiteral("朋友"));
    addContact(QStringLiteral("李四"), QStringLiteral("ls"), QVariant());
    DataStore ds(contactsDef());
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), 2);
    ds.setItem(1, QStringLiteral("fw"), QStringLiteral("同事"));
    ds.deleteRow(2);
    ds.setItem(ds.insertRow(0), QStringLiteral("xm"), QStringLiteral("王五"));
    ASSERT_EQ(ds.modifiedCount(), 2);

    ASSERT_EQ(ds.retrieve(), 2);
    EXPECT_EQ(ds.modifiedCount(), 0);
    EXPECT_EQ(ds.deletedCount(), 0);
    for (long r = 1; r <= 2; ++r)
        EXPECT_EQ(ds.rowStatus(r), RowStatus::NotModified);
    const long zhang = ds.findText(QStringLiteral("xm"), QStringLiteral("张三"), 1, 2);
    ASSERT_GT(zhang, 0);
    EXPECT_EQ(ds.getItemString(zhang, QStringLiteral("fw")), QStringLiteral("朋友"));
    EXPECT_TRUE(ds.getItem(3 - zhang, QStringLiteral("fw")).isNull());
    EXPECT_EQ(ds.getItemString(3 - zhang, QStringLiteral("xm")), QStringLiteral("李四"));
    ASSERT_EQ(saveChanges(ds, sqlca()), 1);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM wlryb")).toInt(), 2)
        << "nothing was pending";
}

TEST_P(DataStoreStorage, EachColumnTypeGivesTheValueKindItAlwaysGave)
{
    struct Case
    {
        const char* sql; // one SELECT column
        ColumnType type;
        QVariant expected; // invalid = null
    };
    const QList<Case> cases = {
        {"'abc'", ColumnType::Text, QStringLiteral("abc")},
        {"12", ColumnType::Text, QStringLiteral("12")},
        {"1.5", ColumnType::Text, QStringLiteral("1.5")},
        {"'20240105'", ColumnType::Date, QStringLiteral("20240105")},
        {"'2024'", ColumnType::Date, QStringLiteral("2024")},
        {"12", ColumnType::Money, QVariant::fromValue(Money::fromCents(1200))},
        {"-0.07", ColumnType::Money, QVariant::fromValue(Money::fromCents(-7))},
        {"'1,250.50'", ColumnType::Money, QVariant::fromValue(Money::fromCents(125050))},
        {"'abc'", ColumnType::Money, QVariant()},
        {"92233720368547759", ColumnType::Money, QVariant()}, // no amount, rather than a wrapped one
        {"NULL", ColumnType::Money, QVariant()},
        {"42", ColumnType::Integer, QVariant(qlonglong(42))},
        {"'17'", ColumnType::Integer, QVariant(qlonglong(17))},
        {"'x'", ColumnType::Integer, QVariant()},
        {"NULL", ColumnType::Integer, QVariant()},
    };
    ReportDef def;
    QStringList select;
    for (int i = 0; i < cases.size(); ++i) {
        select << QStringLiteral("%1 AS c%2").arg(QString::fromLatin1(cases[i].sql)).arg(i);
        def.columns << column(QStringLiteral("c%1").arg(i).toLatin1().constData(), cases[i].type);
    }
    def.select = QStringLiteral("SELECT ") + select.join(u',');
    DataStore ds(def);
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), 1) << ds.errorText().toStdString();
    ASSERT_EQ(ds.rowsCopy(1, 1, RowBuffer::Primary, ds, 0), 1); // the same values, held as an edited row
    for (long r = 1; r <= 2; ++r)
        for (int i = 0; i < cases.size(); ++i) {
            const QVariant v = ds.getItem(r, i + 1);
            EXPECT_EQ(v.isNull(), cases[i].expected.isNull()) << r << ' ' << cases[i].sql;
            if (!cases[i].expected.isNull()) {
                EXPECT_EQ(v.userType(), cases[i].expected.userType()) << r << ' ' << cases[i].sql;
                EXPECT_EQ(v, cases[i].expected) << r << ' ' << cases[i].sql;
            }
        }
}

TEST_P(DataStoreStorage, AColumnThatStopsLookingForRepeatsKeepsEveryText)
{
    // Past 65,536 distinct texts a column stops keeping each text once;
    // texts on both sides of that point, and the repeating column beside it,
    // must read back exactly.
    constexpr int kRows = 70'000;
    ReportDef def;
    def.select =
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                       "SELECT 'r' || i, 'k' || (i % 7), CASE WHEN i % 5 = 0 THEN NULL ELSE 'v' END "
                       "FROM n ORDER BY i")
            .arg(kRows);
    def.columns = {column("unique"), column("repeat"), column("sparse")};
    DataStore ds(def);
    ds.setTransObject(&sqlca());
    ASSERT_EQ(ds.retrieve(), kRows) << ds.errorText().toStdString();
    for (const int i : {1, 2, 1000, 65'535, 65'536, 65'537, 65'538, 69'999, 70'000}) {
        EXPECT_EQ(ds.getItemString(i, 1), QStringLiteral("r%1").arg(i));
        EXPECT_EQ(ds.getItemString(i, 2), QStringLiteral("k%1").arg(i % 7));
        EXPECT_EQ(ds.getItem(i, 3).isNull(), i % 5 == 0) << i;
    }
    EXPECT_EQ(ds.findText(QStringLiteral("unique"), QStringLiteral("r69000"), 1, kRows), 69'000);
    ds.setSort({{QStringLiteral("unique"), false}});
    ds.sort();
    EXPECT_EQ(ds.getItemString(1, 1), QStringLiteral("r9999"));
    EXPECT_EQ(ds.getItemString(kRows, 1), QStringLiteral("r1"));
}

QV_LEDGER_TEST_SUITE(DataStoreStorage);

TEST(DataStoreCopy, CopyingRowsAboveThemselvesCopiesTheRowsAsked)
{
    DataStore ds(contactsDef());
    for (const char* name : {"甲", "乙", "丙"})
        ds.setItem(ds.insertRow(0), QStringLiteral("xm"), QString::fromUtf8(name));
    ASSERT_EQ(ds.rowsCopy(2, 3, RowBuffer::Primary, ds, 1), 1);
    EXPECT_EQ(names(ds), QStringList({"乙", "丙", "甲", "乙", "丙"}));
}
