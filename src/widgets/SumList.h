#pragma once
// The running sums of a data grid's sum footers. Item k is the sum of the k-th summed footer, counting
// the footers of all columns in column order (a column's footer list in list order), kept in fixed point
// with four decimals: each value is taken to four decimals, then added.

#include "widgets/GridColumn.h"

#include <QVector>

namespace db {
class Query;
}

class TSumList {
public:
    bool Active = true; // inactive: no sums are kept and sum footers show nothing

    int count() const { return int(m_items.size()); }
    qint64 item(int k) const { return k >= 0 && k < m_items.size() ? m_items.at(k) : 0; } // value × 10000
    double value(int k) const { return double(item(k)) / 10000.0; }

    // The item of the sum footer in `footerRow` of `column`, or -1 when that footer is not a sum.
    int itemOf(int column, int footerRow) const;

    // Recomputes every item over all rows of `query` (none when it is missing or closed).
    void recompute(const QVector<TColumn> &columns, const db::Query *query);

    // A value in fixed point with four decimals, rounded to nearest (halves to even).
    static qint64 toFixed(double value);

private:
    QVector<qint64> m_items;
    QVector<QVector<int>> m_index; // [column][footer row] -> item or -1
};
