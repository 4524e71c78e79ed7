#include "statisticsreports.h"

#include "platform/datastore.h"

namespace qv {

namespace {

const QString kColumns = QStringLiteral("SELECT year, mon, sou, song, je FROM ");

ColumnDef column(const char* name, const char* caption, ColumnType type, int gbkWidth, int widthUnits)
{
    ColumnDef c;
    c.name = QString::fromLatin1(name);
    c.caption = QString::fromUtf8(caption);
    c.type = type;
    c.gbkWidth = gbkWidth;
    c.widthUnits = widthUnits;
    c.updatable = true;
    if (type == ColumnType::Money) {
        c.format = QStringLiteral("0.00");
        c.alignment = Qt::AlignRight | Qt::AlignVCenter;
    }
    return c;
}

// The five columns of tjb and tjb_save under the given captions.
QList<ColumnDef> statisticsColumns(const char* year, const char* mon, const char* sou, const char* song,
                                   const char* je)
{
    return {column("year", year, ColumnType::Text, 4, 300), column("mon", mon, ColumnType::Text, 2, 260),
            column("sou", sou, ColumnType::Money, 0, 600), column("song", song, ColumnType::Money, 0, 600),
            column("je", je, ColumnType::Money, 0, 600)};
}

QColor alternateGreen(const DataStore&, long row)
{
    return row % 2 == 0 ? QColor(255, 255, 255) : QColor(180, 255, 200);
}

} // namespace

ReportDef annualStatisticsDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dw_tjb");
    def.title = QStringLiteral("年度统计");
    def.select = kColumns + QStringLiteral("tjb");
    def.columns = statisticsColumns("年", "月", "收情", "送情", "余额");
    def.rowColor = alternateGreen;
    def.totals = {{QStringLiteral("je"), QStringLiteral("进出平衡金额：")}};
    return def;
}

ReportDef archiveDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dw_tjb_save");
    def.select = kColumns + QStringLiteral("tjb_save");
    def.columns = statisticsColumns("Year", "Mon", "Sou", "Song", "Je");
    def.updateTable = QStringLiteral("tjb_save");
    def.keyColumns = {QStringLiteral("year"), QStringLiteral("mon")};
    return def;
}

ReportDef archiveMaintenanceDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dw_lsk_wh");
    def.title = QStringLiteral("统计库维护");
    def.select = kColumns + QStringLiteral("tjb_save WHERE year = :s_year");
    def.arguments = {QStringLiteral("s_year")};
    def.columns = statisticsColumns("年份", "月份", "收情", "送情", "平衡合计");
    def.updateTable = QStringLiteral("tjb_save");
    def.keyColumns = {QStringLiteral("year"), QStringLiteral("mon")};
    def.rowColor = alternateGreen;
    return def;
}

} // namespace qv
