#include "statisticsreports.h"

#include "platform/reports/report.h"

namespace qv {

namespace {

const QString kColumns = QStringLiteral("SELECT year, mon, sou, song, je FROM ");

// The five columns of tjb and tjb_save under the given captions; all of
// them written by update() where the definition has an update table.
QList<ColumnDef> statisticsColumns(const char* year, const char* mon, const char* sou, const char* song,
                                   const char* je)
{
    QList<ColumnDef> columns = {textColumn(QStringLiteral("year"), QString::fromUtf8(year), 280, 4),
                                textColumn(QStringLiteral("mon"), QString::fromUtf8(mon), 240, 2),
                                moneyColumn(QStringLiteral("sou"), QString::fromUtf8(sou), 560),
                                moneyColumn(QStringLiteral("song"), QString::fromUtf8(song), 560),
                                moneyColumn(QStringLiteral("je"), QString::fromUtf8(je), 560)};
    for (ColumnDef& c : columns)
        c.updatable = true;
    return columns;
}

// Odd rows light green, even rows white.
RowColorFunction alternateGreen()
{
    return rowcolors::alternating(QColor(180, 255, 200), QColor(255, 255, 255));
}

} // namespace

ReportDef annualStatisticsDefinition()
{
    ReportDef def;
    def.name = QStringLiteral("dw_tjb");
    def.title = QStringLiteral("年度统计");
    def.select = kColumns + QStringLiteral("tjb");
    def.columns = statisticsColumns("年", "月", "收情", "送情", "余额");
    def.rowColor = alternateGreen();
    TotalDef label;
    label.column = QStringLiteral("song");
    label.label = QStringLiteral("进出平衡金额：");
    label.kind = TotalKind::Text;
    TotalDef balance;
    balance.column = QStringLiteral("je");
    balance.format = QStringLiteral("0.00");
    def.totals = {label, balance};
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
    def.rowColor = alternateGreen();
    return def;
}

} // namespace qv
