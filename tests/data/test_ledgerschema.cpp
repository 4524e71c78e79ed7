#include "support/testledger.h"

#include "data/ledgerschema.h"
#include "platform/core/gbktext.h"

#include <QSet>

using namespace qv;
using qv::test::LedgerTest;

class LedgerSchemaDb : public LedgerTest
{
};

TEST_P(LedgerSchemaDb, AFreshLedgerHasTheTablesAndTheSeedRows)
{
    EXPECT_EQ(LedgerSchema::existingTables(sqlca()).size(), LedgerSchema::tableNames().size());
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT password FROM czr WHERE code = '7063'")).toString(),
              QStringLiteral("7063"));
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT count(*) FROM syb WHERE sy = ?"), {QStringLiteral("升职")})
                  .toInt(),
              1);
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT count(*) FROM dxb WHERE dx = ?"), {QStringLiteral("本人")})
                  .toInt(),
              1);
    for (const char* category : {"亲戚", "朋友", "同事", "同学", "邻居"})
        EXPECT_EQ(ledger()
                      .scalar(QStringLiteral("SELECT count(*) FROM fwfz WHERE fwz = ?"),
                              {QString::fromUtf8(category)})
                      .toInt(),
                  1);
    EXPECT_EQ(ledger().scalar(QStringLiteral("SELECT count(*) FROM tjb")).toInt(), 0);
}

TEST_P(LedgerSchemaDb, YearBoundsOfYyyymmddTextsSelectExactlyThatYear)
{
    for (const char* day : {"20031231", "20040101", "20041231", "20050101"})
        ledger().exec(
            QStringLiteral("INSERT INTO rqwlb (xtbh, xm, lx, je, sq) VALUES (?, 'a', '收情', 1, ?)"),
            {QString::fromLatin1(day), QString::fromLatin1(day)});
    EXPECT_EQ(ledger()
                  .scalar(QStringLiteral("SELECT count(*) FROM rqwlb WHERE sq BETWEEN ? AND ?"),
                          {QStringLiteral("20040101"), QStringLiteral("20041231")})
                  .toInt(),
              2);
    EXPECT_EQ(
        ledger()
            .scalar(QStringLiteral("SELECT min(sq) FROM rqwlb WHERE sq > ?"), {QStringLiteral("20031231")})
            .toString(),
        QStringLiteral("20040101"));
}

QV_LEDGER_TEST_SUITE(LedgerSchemaDb);

TEST(PinyinTable, CoversTheCommonCharactersWithSurnameReadingsFirst)
{
    LedgerSchema::Seed seed;
    QString error;
    ASSERT_TRUE(LedgerSchema::readSeed(QStringLiteral("pym"), seed, error)) << error.toStdString();
    ASSERT_EQ(seed.columns, (QStringList{QStringLiteral("xh"), QStringLiteral("hz"), QStringLiteral("py")}));
    QHash<QString, QString> first;
    QSet<QString> keys;
    for (const QStringList& row : seed.rows) {
        EXPECT_FALSE(keys.contains(row[0])) << "duplicate xh";
        keys.insert(row[0]);
        EXPECT_LE(row[0].size(), 5);
        EXPECT_EQ(gbk::len(row[1]), 2) << row[1].toStdString();
        EXPECT_LE(row[2].size(), 10);
        if (!first.contains(row[1]))
            first.insert(row[1], row[2]);
    }
    EXPECT_GT(first.size(), 20000) << "every Chinese character of GBK";
    const QList<std::pair<const char*, const char*>> expected = {
        {"张", "zhang"}, {"三", "san"}, {"王", "wang"}, {"单", "shan"}, {"曾", "zeng"}, {"解", "xie"},
        {"仇", "qiu"},   {"区", "ou"},  {"查", "zha"},  {"朴", "piao"}, {"覃", "qin"}};
    for (const auto& [hz, py] : expected)
        EXPECT_EQ(first.value(QString::fromUtf8(hz)), QString::fromLatin1(py)) << hz;
}
