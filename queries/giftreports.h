#pragma once

#include "platform/reports/chartdata.h"
#include "platform/reports/reportdef.h"

#include <QFont>

namespace qv {

// Which gifts a query or an analysis window reads.
enum class GiftSide { Received, Given, Both };

// The kind value of rqwlb.lx ("收情" / "送情"); empty for Both.
QString giftKindText(GiftSide side);

// The gift lists of the query windows: dw_sqcx_d, dw_soqcx_d, dw_rqcx_d
// (one person) and dw_sqcx_all, dw_soqcx_all, dw_rqcx_all (everyone). One
// layout: nine columns from the record number to the gift date, the totals
// line "共计：" / sum of je / "元", and rows coloured alternately (received
// green, given pink) or, for both kinds, by the sign of the amount.
// Retrieval arguments: g_lb (not for Both), s_xm (one person only), s_d1, s_d2.
ReportDef giftListDefinition(GiftSide side, bool byPerson, const QString& title = {});

// The analysis pies: the gifts of one kind in a period (arguments s_lx,
// s_d1, s_d2), summed by relationship category (dw_sqfx1 / dw_soqfx1) or by
// reason (dw_sqfx2 / dw_soqfx2). Given gifts are drawn by their size.
enum class GiftShare { ByCategory, ByReason };
ReportDef giftShareDefinition(GiftSide side, GiftShare share);
ChartDef giftShareChart(GiftSide side, GiftShare share);

// The windows' own text face: 宋体 at 10 points, or the system's Song face.
QFont windowFont();

} // namespace qv
