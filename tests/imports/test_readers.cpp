#include "importfiles.h"

#include "imports/importvalues.h"
#include "imports/sheettable.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace qv;
using namespace qv::test;

namespace {

using Kind = SheetCell::Kind;

struct Expected
{
    int row, column;
    Kind kind;
    QString text; // a text's characters or a number's digits
    QDate date = {};
};

void expectCells(const SheetTable& table, const QList<Expected>& cells, const QString& what)
{
    for (const Expected& e : cells) {
        const SheetCell& cell = table.cell(e.row, e.column);
        const std::string where =
            QStringLiteral("%1 row %2 column %3").arg(what).arg(e.row).arg(e.column).toStdString();
        EXPECT_EQ(int(cell.kind), int(e.kind)) << where;
        if (e.kind == Kind::Date)
            EXPECT_EQ(cell.date, e.date) << where;
        else
            EXPECT_EQ(cell.text.toStdString(), e.text.toStdString()) << where;
    }
}

} // namespace

// Every form a cell takes in a workbook comes back as the cell meant it:
// texts shared or inline, numbers by their digits, dates by their format
// (built-in and custom, the Chinese 年月日 one included), formulas by the
// value they showed, the sheet chosen by its place.
TEST(SheetReaders, WorkbookCellsComeBackAsTheyWereMeant)
{
    QTemporaryDir dir;
    const QList<WriteRow> gifts = {
        {QStringLiteral("2024年张府婚礼礼单")},
        {QStringLiteral("姓名"), QStringLiteral("金额"), QStringLiteral("日期"), QStringLiteral("备注")},
        {QStringLiteral("张三"), 88.8, QVariant::fromValue(DateCell{QDate(2024, 5, 1), {}, 14}),
         QStringLiteral("红包")},
        {QStringLiteral("李四"), QVariant::fromValue(FormulaCell{QStringLiteral("=100+100"), 200}),
         QVariant::fromValue(DateCell{QDate(2024, 5, 2), QStringLiteral("yyyy\"年\"m\"月\"d\"日\"")}),
         1000000.0},
        {QStringLiteral("王五"), 0.1,
         QVariant::fromValue(DateCell{QDate(1900, 2, 28), QStringLiteral("[$-804]d/m/yyyy")}),
         QStringLiteral("00:30")},
    };
    const QList<Expected> expected = {
        {0, 0, Kind::Text, QStringLiteral("2024年张府婚礼礼单")},
        {1, 3, Kind::Text, QStringLiteral("备注")},
        {2, 1, Kind::Number, QStringLiteral("88.8")},
        {2, 2, Kind::Date, {}, QDate(2024, 5, 1)},
        {3, 1, Kind::Number, QStringLiteral("200")},
        {3, 2, Kind::Date, {}, QDate(2024, 5, 2)},
        {3, 3, Kind::Number, QStringLiteral("1000000")},
        {4, 1, Kind::Number, QStringLiteral("0.1")},
        {4, 2, Kind::Date, {}, QDate(1900, 2, 28)},
        {4, 3, Kind::Text, QStringLiteral("00:30")},
    };
    for (const bool inlineStrings : {false, true}) {
        const QString file = dir.filePath(QStringLiteral("list%1.xlsx").arg(inlineStrings));
        ASSERT_TRUE(writeXlsx(
            file, {{QStringLiteral("封面"), {{QStringLiteral("目录")}}}, {QStringLiteral("礼单"), gifts}},
            inlineStrings));
        QString error;
        EXPECT_EQ(sheetNames(file, error), QStringList({QStringLiteral("封面"), QStringLiteral("礼单")}));
        const auto table = readSheet(file, 1, error);
        ASSERT_TRUE(table) << error.toStdString();
        EXPECT_EQ(table->name, QStringLiteral("礼单"));
        expectCells(*table, expected, inlineStrings ? QStringLiteral("inline") : QStringLiteral("shared"));
        const auto first = readSheet(file, 0, error);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->cell(0, 0).text, QStringLiteral("目录"));
    }
}

// A workbook of the 1904 system counts its days from 1904, and the phonetic
// guides a Chinese Excel keeps beside a name are no part of it.
TEST(SheetReaders, The1904SystemAndPhoneticGuides)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("mac.xlsx"));
    ASSERT_TRUE(writeXlsx(
        file, {{QStringLiteral("Sheet1"),
                {{QStringLiteral("姓名"), QVariant::fromValue(DateCell{QDate(2024, 5, 1), {}, 14})}}}}));
    QString error;
    const QByteArray workbook =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<workbookPr date1904=\"1\"/><sheets><sheet name=\"Sheet1\" sheetId=\"1\" "
        "r:id=\"rId1\"/></sheets></workbook>";
    const QByteArray strings =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
            "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"1\" "
            "uniqueCount=\"1\"><si><t>张三</t><rPh sb=\"0\" eb=\"2\"><t>zhangsan</t></rPh></si></sst>")
            .toUtf8();
    ASSERT_TRUE(patchZip(file, {{QStringLiteral("xl/workbook.xml"), workbook},
                                {QStringLiteral("xl/sharedStrings.xml"), strings}}));
    const auto table = readSheet(file, 0, error);
    ASSERT_TRUE(table) << error.toStdString();
    EXPECT_EQ(table->cell(0, 0).text, QStringLiteral("张三"));
    // The serial libxlsxwriter wrote for 2024-05-01 counted from 1900,
    // 1462 days more than from 1904.
    EXPECT_EQ(table->cell(0, 1).date, QDate(2024, 5, 1).addDays(1462));
}

// A CSV file in UTF-8 with and without BOM and in GBK reads the same, with
// quoted fields across separators and lines.
TEST(SheetReaders, CsvInEveryEncodingPeopleSave)
{
    QTemporaryDir dir;
    const QList<QStringList> rows = {
        {QStringLiteral("姓名"), QStringLiteral("金额"), QStringLiteral("备注")},
        {QStringLiteral("张三"), QStringLiteral("\"1,000\""), QStringLiteral("\"说 \"\"好\"\"\"")},
        {QStringLiteral("欧阳娜娜"), QStringLiteral("伍佰元整"), QString()}};
    QByteArray utf8;
    for (const QStringList& r : rows)
        utf8 += r.join(u',').toUtf8() + "\r\n";
    const struct
    {
        const char* name;
        QByteArray bytes;
    } files[] = {{"utf8.csv", utf8}, {"bom.csv", "\xEF\xBB\xBF" + utf8}};
    QStringList paths;
    for (const auto& f : files) {
        QFile out(dir.filePath(QString::fromLatin1(f.name)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(f.bytes);
        paths << out.fileName();
    }
    paths << dir.filePath(QStringLiteral("gbk.csv"));
    ASSERT_TRUE(writeGbkCsv(paths.last(), rows));
    for (const QString& path : paths) {
        QString error;
        const auto table = readSheet(path, 0, error);
        ASSERT_TRUE(table) << error.toStdString();
        ASSERT_EQ(table->rows.size(), 3) << path.toStdString();
        EXPECT_EQ(table->cell(1, 1).text, QStringLiteral("1,000")) << path.toStdString();
        EXPECT_EQ(table->cell(1, 2).text, QStringLiteral("说 \"好\"")) << path.toStdString();
        EXPECT_EQ(table->cell(2, 0).text, QStringLiteral("欧阳娜娜")) << path.toStdString();
        EXPECT_TRUE(table->cell(2, 2).isEmpty()) << path.toStdString();
    }
}

// The checked-in workbook of the older format: texts, numbers and a date.
TEST(SheetReaders, OlderExcelFiles)
{
    QString error;
    const QString file = QStringLiteral(QUORVEL_TEST_DATA "/giftlist.xls");
    EXPECT_EQ(sheetNames(file, error), QStringList({QStringLiteral("礼单")}));
    const auto table = readSheet(file, 0, error);
    ASSERT_TRUE(table) << error.toStdString();
    expectCells(*table,
                {{0, 0, Kind::Text, QStringLiteral("姓名")},
                 {1, 0, Kind::Text, QStringLiteral("张三")},
                 {1, 1, Kind::Number, QStringLiteral("88.8")},
                 {1, 2, Kind::Date, {}, QDate(2024, 5, 1)},
                 {2, 1, Kind::Number, QStringLiteral("200")}},
                QStringLiteral("xls"));
}

// Each way people write an amount or a day, read to the cent and the day.
TEST(ImportValues, AmountsAndDaysAsPeopleWriteThem)
{
    const auto text = [](const char* t) { return SheetCell{Kind::Text, QString::fromUtf8(t), {}}; };
    const auto number = [](const char* t) { return SheetCell{Kind::Number, QString::fromLatin1(t), {}}; };
    const struct
    {
        SheetCell cell;
        std::optional<qint64> cents;
    } amounts[] = {
        {text("1,000"), 100000},
        {text("￥200"), 20000},
        {text("¥200"), 20000},
        {text("200元"), 20000},
        {text("88.8"), 8880},
        {number("88.8"), 8880},
        {number("88.799999999999997"), 8880},
        {number("1.5E+3"), 150000},
        {number("0.005"), 1},
        {text("伍佰元整"), 50000},
        {text("壹仟贰佰元"), 120000},
        {text("叁佰伍拾元伍角"), 35050},
        {text("-200.00"), -20000},
        {text("abc"), std::nullopt},
        {text("1,00"), std::nullopt},
        {text("12.3.4"), std::nullopt},
        {text(""), std::nullopt},
    };
    for (const auto& a : amounts) {
        const auto money = importAmount(a.cell);
        EXPECT_EQ(money ? std::optional<qint64>(money->cents()) : std::nullopt, a.cents)
            << a.cell.text.toStdString();
    }
    const struct
    {
        SheetCell cell;
        bool system1904;
        QDate day;
    } days[] = {
        {text("2024-05-01"), false, QDate(2024, 5, 1)},
        {text("2024/5/2"), false, QDate(2024, 5, 2)},
        {text("2024年5月3日"), false, QDate(2024, 5, 3)},
        {text("20240506"), false, QDate(2024, 5, 6)},
        {number("20240507"), false, QDate(2024, 5, 7)},
        {number("45413"), false, QDate(2024, 5, 1)},
        {number("61"), false, QDate(1900, 3, 1)},
        {number("59"), false, QDate(1900, 2, 28)},
        {number("60"), false, QDate()},
        {number("43951"), true, QDate(2024, 5, 1)},
        {text("2024-02-30"), false, QDate()},
        {text("五月一日"), false, QDate()},
    };
    for (const auto& d : days) {
        const auto day = importDate(d.cell, d.system1904);
        EXPECT_EQ(day.value_or(QDate()), d.day) << d.cell.text.toStdString();
    }
}
