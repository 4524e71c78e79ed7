#include "importfiles.h"
#include "support/testledger.h"

#include "data/giftstore.h"
#include "imports/giftimport.h"
#include "platform/reports/datastore.h"
#include "platform/reports/reportexport.h"
#include "queries/giftreports.h"

#include <QTemporaryDir>

using namespace qv;
using namespace qv::test;

namespace {

using Verdict = ImportRow::Verdict;

Gift aGift(const QString& name, const QString& kind, qint64 cents, const QString& day)
{
    Gift g;
    g.name = name;
    g.kind = kind;
    g.amount = Money::fromCents(kind == QStringLiteral("送情") ? -cents : cents);
    g.occasionDate = g.giftDate = day;
    return g;
}

} // namespace

class GiftImportDb : public LedgerTest
{
protected:
    std::optional<ImportPreview> previewOf(const QString& file, QString& error, ImportOptions options = {})
    {
        const auto sheet = readSheet(file, 0, error);
        if (!sheet)
            return std::nullopt;
        GiftImport import(sqlca());
        auto preview = import.preview(*sheet, guessMapping(*sheet), options, error);
        if (preview)
            preview->fileName = file;
        return preview;
    }
    // xm, lx, je in cents, sq, sj, fw, sy, dx, wp of every record, by number.
    QStringList records()
    {
        QStringList rows;
        sqlca().selectRows(
            QStringLiteral("SELECT xtbh, xm, lx, CAST(ROUND(je * 100) AS BIGINT), sq, sj, fw, sy, "
                           "dx, wp FROM rqwlb ORDER BY xtbh"),
            {}, [&rows](QVector<QVariant>&& v) {
                QStringList cells;
                for (const QVariant& c : v)
                    cells << c.toString().trimmed();
                rows << cells.join(u'|');
            });
        return rows;
    }
    long count(const QString& sql) { return ledger().scalar(sql).toLongLong(); }
    QTemporaryDir m_dir;
};

// A list as people keep it: a title row, their own words over the columns,
// every form of amount and day, a bad row of each kind, duplicates of the
// ledger and of the list itself, an empty row and a totals line.
TEST_P(GiftImportDb, EachRowIsJudgedAndOnlyAGoodListIsWrittenWhole)
{
    GiftStore store(sqlca());
    ASSERT_TRUE(
        store.save(aGift(QStringLiteral("老周"), QStringLiteral("收情"), 50000, QStringLiteral("20240501")))
            .saved());
    ledger().exec(
        QStringLiteral("INSERT INTO wlryb (xm, xb, py, fw) VALUES (?, ?, ?, ?)"),
        {QStringLiteral("张三"), QStringLiteral("女"), QStringLiteral("zs"), QStringLiteral("同学")});
    ASSERT_TRUE(sqlca().commit());

    const QString file = m_dir.filePath(QStringLiteral("婚礼.xlsx"));
    const auto date = [](int m, int d) { return QVariant::fromValue(DateCell{QDate(2024, m, d), {}, 14}); };
    ASSERT_TRUE(writeXlsx(
        file,
        {{QStringLiteral("礼单"),
          {{QStringLiteral("2024年婚礼礼单")},
           {QStringLiteral("来宾"), QStringLiteral("礼金"), QStringLiteral("收礼日期"),
            QStringLiteral("收/送"), QStringLiteral("事由"), QStringLiteral("关系"), QStringLiteral("备注")},
           {QStringLiteral(" 张三 "), 88.8, date(5, 1), QStringLiteral("收"), QStringLiteral("婚礼")},
           {QStringLiteral("李四"), QStringLiteral("伍佰元整"), QStringLiteral("2024年5月2日"),
            QStringLiteral("送情"), QStringLiteral("婚礼"), QStringLiteral("同事"), QStringLiteral("茶叶")},
           {QStringLiteral("王五"), QStringLiteral("abc"), date(5, 3)},
           {},
           {QStringLiteral("欧阳长长长长长长名字"), 100, date(5, 3)},
           {QStringLiteral("老周"), QStringLiteral("￥500"), QStringLiteral("20240501"),
            QStringLiteral("收情")},
           {QStringLiteral("李四"), 500, date(5, 2), QStringLiteral("送")},
           {QStringLiteral("赵六"), 200, QStringLiteral("5月3日")},
           {QStringLiteral("钱七"), 300, date(5, 4), QStringLiteral("借")},
           {QString(), 1088.8, QString(), QString(), QString(), QString(), QStringLiteral("合计")}}}}));

    QString error;
    auto preview = previewOf(file, error);
    ASSERT_TRUE(preview) << error.toStdString();
    const struct
    {
        int sheetRow;
        Verdict verdict;
        QString reason;
    } expected[] = {
        {3, Verdict::Ok, {}},
        {4, Verdict::Ok, {}},
        {5, Verdict::Refused, QStringLiteral("第5行「礼金」：abc 不是金额")},
        {7, Verdict::Refused, QStringLiteral("第7行：“来宾”太长")},
        {8, Verdict::Duplicate, QStringLiteral("第8行：老周 收情 500.00 20240501 与账本中已有的记录相同")},
        {9, Verdict::Duplicate, QStringLiteral("第9行：与第4行相同（李四 送情 500.00 20240502）")},
        {10, Verdict::Refused, QStringLiteral("第10行「收礼日期」：5月3日 不是日期")},
        {11, Verdict::Refused, QStringLiteral("第11行「收/送」：借 不是收情或送情")},
    };
    ASSERT_EQ(preview->rows.size(), std::size(expected));
    EXPECT_EQ(preview->rowsRead, 8);
    for (size_t i = 0; i < std::size(expected); ++i) {
        const ImportRow& row = preview->rows[int(i)];
        EXPECT_EQ(row.sheetRow, expected[i].sheetRow);
        EXPECT_EQ(int(row.verdict), int(expected[i].verdict)) << row.reason.toStdString();
        EXPECT_TRUE(row.reason.startsWith(expected[i].reason)) << row.reason.toStdString();
    }
    EXPECT_EQ(preview->summary().first(),
              QStringLiteral("读入 8 行，可导入 2 行，拒收 4 行，可能重复 2 行。"));

    // Refused rows block the import until they are left out; nothing is written.
    GiftImport import(sqlca());
    const ImportResult blocked = import.run(*preview, QStringLiteral("7063"));
    EXPECT_FALSE(blocked.ok);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM rqwlb")), 1);
    for (ImportRow& row : preview->rows)
        if (row.verdict == Verdict::Refused)
            row.included = false;
    const ImportResult result = import.run(*preview, QStringLiteral("7063"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.written, 2);
    EXPECT_EQ(result.contactsAdded, 1);

    QStringList stored = records();
    for (QString& r : stored)
        r = r.section(u'|', 1); // the numbers are chosen by the clock
    EXPECT_EQ(stored, QStringList({QStringLiteral("老周|收情|50000|20240501|20240501||||"),
                                   QStringLiteral("张三|收情|8880|20240501|20240501|同学|婚礼||"),
                                   QStringLiteral("李四|送情|-50000|20240502|20240502|同事|婚礼||茶叶")}));
    // The new name became a contact as the contacts window makes one.
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT xb || py || fw FROM wlryb WHERE xm = ?"),
                              {QStringLiteral("李四")}),
              QStringLiteral("男ls同事"));
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT wjm || ':' || czr || ':' || ts FROM drjl")),
              QStringLiteral("婚礼.xlsx:7063:2"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM drmx m JOIN rqwlb r ON r.xtbh = m.xtbh")), 2);
}

// A list without a name or an amount column is refused, saying which.
TEST_P(GiftImportDb, AListWithoutNamesOrAmountsIsRefusedSayingWhich)
{
    const QString file = m_dir.filePath(QStringLiteral("list.csv"));
    ASSERT_TRUE(writeGbkCsv(file, {{QStringLiteral("姓名"), QStringLiteral("日期")},
                                   {QStringLiteral("张三"), QStringLiteral("20240501")}}));
    QString error;
    EXPECT_FALSE(previewOf(file, error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("表中没有找到「金额」列"))) << error.toStdString();
}

// The program's own exports of every record come back exactly, record
// numbers included, from a workbook and from a CSV file; the totals line
// is no record.
TEST_P(GiftImportDb, TheProgramsOwnExportsReadBackExactly)
{
    Gift received = aGift(QStringLiteral("张三"), QStringLiteral("收情"), 123456, QStringLiteral("20240501"));
    received.reason = QStringLiteral("结婚");
    received.object = QStringLiteral("本人");
    received.goods = QStringLiteral("红包");
    received.occasionDate = QStringLiteral("20240430");
    Gift given = aGift(QStringLiteral("=李四"), QStringLiteral("送情"), 88880, QStringLiteral("20231231"));
    GiftStore store(sqlca());
    ASSERT_TRUE(store.save(received).saved());
    ASSERT_TRUE(store.save(given).saved());
    const QStringList before = records();

    DataStore list(giftListDefinition(GiftSide::Both, false, QStringLiteral("人情往来")));
    list.setTransObject(&sqlca());
    ASSERT_EQ(list.retrieve({QStringLiteral("20000101"), QStringLiteral("20991231")}), 2);
    for (const QString& name : {QStringLiteral("all.xlsx"), QStringLiteral("all.csv")}) {
        const QString file = m_dir.filePath(name);
        QString error;
        ASSERT_TRUE(exportTable(tableFromStore(list), file, &error)) << error.toStdString();
        ledger().exec(QStringLiteral("DELETE FROM rqwlb"));
        ASSERT_TRUE(sqlca().commit());
        auto preview = previewOf(file, error);
        ASSERT_TRUE(preview) << error.toStdString();
        EXPECT_EQ(preview->rowsRead, 2) << name.toStdString();
        GiftImport import(sqlca());
        const ImportResult result = import.run(*preview, QStringLiteral("7063"));
        ASSERT_TRUE(result.ok) << result.error.toStdString();
        EXPECT_EQ(records(), before) << name.toStdString();
    }
}

// Undo takes back the records one import wrote as it wrote them; one
// changed since or already deleted is left and named, other records are
// untouched, and an import is undone once.
TEST_P(GiftImportDb, UndoRemovesItsRecordsAndKeepsOnesChangedSince)
{
    const QString file = m_dir.filePath(QStringLiteral("list.csv"));
    ASSERT_TRUE(writeGbkCsv(file, {{QStringLiteral("系统编号"), QStringLiteral("姓名"),
                                    QStringLiteral("金额"), QStringLiteral("日期")},
                                   {QStringLiteral("240501000001"), QStringLiteral("甲"),
                                    QStringLiteral("100"), QStringLiteral("2024-05-01")},
                                   {QStringLiteral("240501000002"), QStringLiteral("乙"),
                                    QStringLiteral("200"), QStringLiteral("2024-05-01")},
                                   {QStringLiteral("240501000003"), QStringLiteral("丙"),
                                    QStringLiteral("300"), QStringLiteral("2024-05-01")},
                                   {QStringLiteral("240501000004"), QStringLiteral("丁"),
                                    QStringLiteral("400"), QStringLiteral("2024-05-01")}}));
    QString error;
    const auto preview = previewOf(file, error);
    ASSERT_TRUE(preview) << error.toStdString();
    GiftImport import(sqlca());
    const ImportResult result = import.run(*preview, QStringLiteral("7063"));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    GiftStore store(sqlca());
    ASSERT_TRUE(
        store.save(aGift(QStringLiteral("戊"), QStringLiteral("收情"), 500, QStringLiteral("20240502")))
            .saved());
    ledger().exec(QStringLiteral("UPDATE rqwlb SET je = 250 WHERE xtbh = ?"),
                  {QStringLiteral("240501000002")});
    ledger().exec(QStringLiteral("DELETE FROM rqwlb WHERE xtbh = ?"), {QStringLiteral("240501000003")});
    ASSERT_TRUE(sqlca().commit());

    const auto plan = import.planUndo(result.drid, error);
    ASSERT_TRUE(plan) << error.toStdString();
    EXPECT_EQ(plan->removable, QStringList({QStringLiteral("240501000001"), QStringLiteral("240501000004")}));
    EXPECT_EQ(plan->changed, QStringList{QStringLiteral("240501000002")});
    EXPECT_EQ(plan->gone, QStringList{QStringLiteral("240501000003")});

    const UndoResult undone = import.undo(result.drid);
    ASSERT_TRUE(undone.ok) << undone.error.toStdString();
    EXPECT_EQ(undone.removed, 2);
    EXPECT_EQ(undone.kept, QStringList({QStringLiteral("240501000002"), QStringLiteral("240501000003")}));
    QStringList names;
    for (const QString& r : records())
        names << r.section(u'|', 1, 1);
    EXPECT_EQ(names, QStringList({QStringLiteral("乙"), QStringLiteral("戊")}));
    EXPECT_NE(
        ledger().scalar(QStringLiteral("SELECT cxsj FROM drjl WHERE drid = ?"), {result.drid}).toString(),
        QString());
    EXPECT_FALSE(import.undo(result.drid).ok);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM rqwlb")), 2);
}

QV_LEDGER_TEST_SUITE(GiftImportDb);
