#include "giftreports.h"

#include "platform/reports/report.h"
#include "platform/widgets/songfont.h"

namespace qv {

namespace {
const QColor kGreen(180, 255, 200);
const QColor kPink(255, 200, 255);
const QColor kBothPink(250, 200, 255);
const QColor kWhite(255, 255, 255);
} // namespace

QString giftKindText(GiftSide side)
{
    switch (side) {
    case GiftSide::Received:
        return QStringLiteral("收情");
    case GiftSide::Given:
        return QStringLiteral("送情");
    case GiftSide::Both:
        break;
    }
    return {};
}

ReportDef giftListDefinition(GiftSide side, bool byPerson, const QString& title)
{
    static const char* const names[3][2] = {
        {"dw_sqcx_all", "dw_sqcx_d"}, {"dw_soqcx_all", "dw_soqcx_d"}, {"dw_rqcx_all", "dw_rqcx_d"}};
    ReportDef def;
    def.name = QString::fromLatin1(names[int(side)][byPerson ? 1 : 0]);
    def.title = title;

    QStringList where;
    if (side != GiftSide::Both) {
        where << QStringLiteral("lx = :g_lb");
        def.arguments << QStringLiteral("g_lb");
    }
    if (byPerson) {
        where << QStringLiteral("xm = :s_xm");
        def.arguments << QStringLiteral("s_xm");
    }
    where << QStringLiteral("sq BETWEEN :s_d1 AND :s_d2");
    def.arguments << QStringLiteral("s_d1") << QStringLiteral("s_d2");
    def.select = QStringLiteral("SELECT xtbh, xm, lx, dx, sy, wp, je, sj, sq FROM rqwlb WHERE ") +
                 where.join(QStringLiteral(" AND "));

    const bool given = side == GiftSide::Given;
    ColumnDef amount =
        moneyColumn(QStringLiteral("je"), given ? QStringLiteral("送情金额") : QStringLiteral("收情金额"),
                    329, QString());
    def.columns = {textColumn(QStringLiteral("xtbh"), QStringLiteral("系统编号"), 389),
                   textColumn(QStringLiteral("xm"), QStringLiteral("姓名"), 466),
                   textColumn(QStringLiteral("lx"), QStringLiteral("类别"), 137),
                   textColumn(QStringLiteral("dx"), QStringLiteral("对象"), 302),
                   textColumn(QStringLiteral("sy"), QStringLiteral("事由"), 302),
                   textColumn(QStringLiteral("wp"), QStringLiteral("等价物品"), 466),
                   amount,
                   dateColumn(QStringLiteral("sj"), QStringLiteral("发生时间"), 302),
                   dateColumn(QStringLiteral("sq"),
                              given ? QStringLiteral("送情时间") : QStringLiteral("收情时间"), 302)};

    TotalDef caption{QStringLiteral("wp"), QStringLiteral("共计："), TotalKind::Text};
    TotalDef sum{QStringLiteral("je")}; // compute_1: sum(je for all)
    sum.format = QStringLiteral("0.00");
    TotalDef unit{QStringLiteral("sj"), QStringLiteral("元"), TotalKind::Text};
    unit.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    def.totals = {caption, sum, unit};

    switch (side) {
    case GiftSide::Received:
        def.rowColor = rowcolors::alternating(kGreen, kWhite);
        break;
    case GiftSide::Given:
        def.rowColor = rowcolors::alternating(kPink, kWhite);
        break;
    case GiftSide::Both:
        def.rowColor = rowcolors::bySign(QStringLiteral("je"), kGreen, kBothPink, kWhite);
        break;
    }
    return def;
}

ReportDef giftShareDefinition(GiftSide side, GiftShare share)
{
    const bool given = side == GiftSide::Given;
    const bool byCategory = share == GiftShare::ByCategory;
    ReportDef def;
    def.name = QStringLiteral("%1%2")
                   .arg(given ? QStringLiteral("dw_soqfx") : QStringLiteral("dw_sqfx"))
                   .arg(byCategory ? 1 : 2);
    const QString group = byCategory ? QStringLiteral("fw") : QStringLiteral("sy");
    def.select =
        QStringLiteral("SELECT %1, je FROM rqwlb WHERE lx = :s_lx AND sq BETWEEN :s_d1 AND :s_d2").arg(group);
    def.arguments = {QStringLiteral("s_lx"), QStringLiteral("s_d1"), QStringLiteral("s_d2")};
    def.columns = {textColumn(group, byCategory ? QStringLiteral("关系分类") : QStringLiteral("事由"), 400),
                   moneyColumn(QStringLiteral("je"), QStringLiteral("金额"), 329)};
    return def;
}

ChartDef giftShareChart(GiftSide side, GiftShare share)
{
    const bool given = side == GiftSide::Given;
    const bool byCategory = share == GiftShare::ByCategory;
    ChartDef chart;
    chart.type = ChartType::Pie;
    const QString kind = given ? QStringLiteral("送情") : QStringLiteral("收情");
    chart.title = QStringLiteral("%1·%2在%1总额中的比例")
                      .arg(kind, byCategory ? QStringLiteral("类别") : QStringLiteral("事由"));
    chart.categoryColumn = byCategory ? QStringLiteral("fw") : QStringLiteral("sy");
    chart.categoryAxis = byCategory ? QStringLiteral("类别") : QStringLiteral("事由");
    chart.valueColumn = QStringLiteral("je");
    chart.absoluteValues = given;
    chart.emptyCategory = byCategory ? QStringLiteral("（未分类）") : QStringLiteral("（无事由）");
    return chart;
}

QFont windowFont()
{
    return songFont(QFont(), 10);
}

} // namespace qv
