#pragma once

#include "data/giftstore.h"
#include "platform/core/money.h"

#include <QString>

#include <optional>

namespace qv {

class Transaction;

// What a person has received from and given to the household so far.
struct GiftHistory
{
    int receivedCount = 0;
    Money received;
    int givenCount = 0;
    Money given; // positive
    std::optional<StoredGift> latest;

    bool isEmpty() const { return receivedCount == 0 && givenCount == 0; }
};

// The person's exchanges, read with one query over the (xm, sq) index and
// summed in cents, so the totals are exact on every database. Nothing when
// the query fails.
std::optional<GiftHistory> readGiftHistory(Transaction& transaction, const QString& name);

// The line the registration form shows under its fields.
QString describeGiftHistory(const GiftHistory& history);

// yyyymmdd as the forms show a date: 2003年05月01日; other texts unchanged.
QString displayDate(const QString& yyyymmdd);

} // namespace qv
