#include "lookups.h"

#include "platform/database/transaction.h"

#include <QComboBox>

namespace qv {

namespace {

int fillFromLookup(QComboBox& ddlb, Transaction& transaction, const QString& table, const QString& column)
{
    QVariantList counted;
    long count = 0;
    if (transaction.selectInto(QStringLiteral("SELECT count(*) FROM ") + table, {}, counted) == 0)
        count = counted.value(0).toLongLong();

    QString last;
    auto cursor = transaction.open(QStringLiteral("SELECT ") + column + QStringLiteral(" FROM ") + table);
    if (cursor) {
        // The count, not the cursor, decides how many items are appended: a
        // fetch past the end leaves the previous value in place.
        for (long i = 0; i < count; ++i) {
            if (cursor->next())
                last = cursor->value(0).toString();
            ddlb.addItem(last);
        }
        cursor->finish();
    }
    if (ddlb.isEditable())
        ddlb.setEditText(last);
    else
        ddlb.setCurrentIndex(ddlb.findText(last));
    return 1;
}

} // namespace

int uf_get_sy(QComboBox& ddlb, Transaction& transaction)
{
    return fillFromLookup(ddlb, transaction, QStringLiteral("syb"), QStringLiteral("sy"));
}

int uf_get_dx(QComboBox& ddlb, Transaction& transaction)
{
    return fillFromLookup(ddlb, transaction, QStringLiteral("dxb"), QStringLiteral("dx"));
}

int uf_get_sy(QComboBox& ddlb)
{
    return uf_get_sy(ddlb, sqlca());
}

int uf_get_dx(QComboBox& ddlb)
{
    return uf_get_dx(ddlb, sqlca());
}

} // namespace qv
