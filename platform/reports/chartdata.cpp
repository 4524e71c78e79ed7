#include "chartdata.h"

#include "datastore.h"

#include <QHash>

namespace qv {

bool ChartData::isEmpty() const
{
    return categories.isEmpty() || series.isEmpty();
}

Money ChartData::total(int s) const
{
    Money sum;
    if (s < 0 || s >= series.size())
        return sum;
    for (const Money& v : series[s].values)
        sum += v;
    return sum;
}

double ChartData::share(int category, int s) const
{
    if (s < 0 || s >= series.size() || category < 0 || category >= series[s].values.size())
        return 0;
    const qint64 all = total(s).cents();
    return all == 0 ? 0 : double(series[s].values[category].cents()) / double(all);
}

QString ChartData::shareText(int category, int s) const
{
    return QString::number(share(category, s) * 100, 'f', 2) + QLatin1Char('%');
}

ChartData chartFromStore(const DataStore& store, const ChartDef& def)
{
    ChartData chart;
    chart.type = def.type;
    chart.title = def.title;
    chart.categoryAxis = def.categoryAxis;
    chart.valueAxis = def.valueAxis;

    QHash<QString, int> categoryIndex;
    QHash<QString, int> seriesIndex;
    for (long r = 1; r <= store.rowCount(); ++r) {
        QString category = store.getItemString(r, def.categoryColumn).trimmed();
        if (category.isEmpty())
            category = def.emptyCategory;
        const QString seriesName =
            def.seriesColumn.isEmpty() ? QString() : store.getItemString(r, def.seriesColumn).trimmed();

        auto c = categoryIndex.constFind(category);
        if (c == categoryIndex.constEnd()) {
            c = categoryIndex.insert(category, int(chart.categories.size()));
            chart.categories << category;
            for (ChartData::Series& s : chart.series)
                s.values << Money();
        }
        auto s = seriesIndex.constFind(seriesName);
        if (s == seriesIndex.constEnd()) {
            s = seriesIndex.insert(seriesName, int(chart.series.size()));
            chart.series.append({seriesName, QList<Money>(chart.categories.size())});
        }
        chart.series[*s].values[*c] += store.getItemMoney(r, def.valueColumn);
    }
    // The absolute value is taken of each group's sum, not of each row.
    if (def.absoluteValues)
        for (ChartData::Series& s : chart.series)
            for (Money& v : s.values)
                if (v < Money())
                    v = -v;
    return chart;
}

} // namespace qv
