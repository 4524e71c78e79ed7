#pragma once

#include "money.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace qv {

// An amount in capitals as a 礼簿 and a bank cheque write it, so that no
// stroke can turn one amount into another: 壹贰叁肆伍陆柒捌玖, 拾佰仟,
// 万亿, 元角分; one 零 where places are skipped inside the number
// (1,005.00 → 壹仟零伍元整; 107,000.53 → 壹拾万柒仟元零伍角叁分);
// 整 when there are no cents (1,409.50 → 壹仟肆佰零玖元伍角). 0.08 is 捌分,
// 0 is 零元整; a negative amount starts with 负.
QString amountInCapitals(Money amount);

// Reads an amount in capitals back: everything amountInCapitals writes,
// and what people write by hand besides — 圆 for 元, 正 for 整, a missing
// 整 or 零, 拾 without 壹, the everyday digits 一二三… 十百千, 两, a leading
// 人民币. Nothing when the text is not an amount in capitals or the
// amount is beyond Money::maxCents.
std::optional<Money> parseCapitals(QStringView text);

} // namespace qv
