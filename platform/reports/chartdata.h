#pragma once

#include "platform/core/money.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace qv {

class DataStore;

enum class ChartType { Pie, Column };

// A chart as plain data: categories along one axis, one or more series of
// amounts, one amount per category in each. Made from a retrieved store by
// chartFromStore(); drawn by ChartWidget, printed by printChart(), exported
// by tableFromChart(). Nothing here knows SQL or widgets.
struct ChartData
{
    struct Series
    {
        QString name;
        QList<Money> values; // one per category
    };

    ChartType type = ChartType::Pie;
    QString title;
    QString categoryAxis; // axis captions of a column chart
    QString valueAxis;
    QStringList categories;
    QList<Series> series;

    bool isEmpty() const;
    Money total(int series = 0) const;
    // A category's part of its series' total, 0 to 1; 0 when the total is 0.
    double share(int category, int series = 0) const;
    // The share as a pie labels it: "37.50%".
    QString shareText(int category, int series = 0) const;
};

// How a chart is read from the rows of a store, like the graph of a report
// definition: rows are grouped by the category column (and, for several
// series, by the series column), and the value column is summed per group.
struct ChartDef
{
    ChartType type = ChartType::Pie;
    QString title;
    QString categoryColumn;
    QString seriesColumn; // empty = one series
    QString valueColumn;
    // "Abs(sum(je for graph))": given gifts are stored negative, their slices
    // and columns are drawn by their size.
    bool absoluteValues = false;
    // The category of rows whose category column is empty or null.
    QString emptyCategory;
    QString categoryAxis;
    QString valueAxis;
};

// Categories and series in the order they first appear among the rows.
ChartData chartFromStore(const DataStore& store, const ChartDef& def);

} // namespace qv
