#pragma once

#include "sheettable.h"

#include "platform/core/money.h"

#include <QDate>
#include <QString>

#include <optional>

namespace qv {

// How the cells of a gift list are read: what people write in a
// spreadsheet, and what this program's exports write.

// An amount: a number cell by its decimal digits rounded to the cent
// (88.8 → 8880 cents, never through a double); a text "1,000", "￥200",
// "¥200", "200元", "-200.00", or in capitals ("伍佰元整"). Nothing when the
// cell holds no amount.
std::optional<Money> importAmount(const SheetCell& cell);

// A decimal text ("88.8", "-1,000.005", "1.5E+3") rounded half away from
// zero to whole cents, in integer arithmetic.
std::optional<Money> decimalToMoney(QStringView text);

// A day: a date cell; a text "2024-05-01", "2024/5/2", "2024.5.2",
// "2024年5月3日", "20240506"; a number cell of eight digits as yyyymmdd,
// any other whole number as an Excel day number of the workbook's system.
// Nothing when the cell holds no day.
std::optional<QDate> importDate(const SheetCell& cell, bool system1904 = false);

// 收情 or 送情 from what a kind column says: 收, 收情, 收礼, 送, 送情,
// 送礼, 随礼; nothing for anything else.
std::optional<QString> importKind(const QString& text);

} // namespace qv
