#include "widgets/SumList.h"

#include "db/Query.h"

#include <cmath>

qint64 TSumList::toFixed(double value)
{
    return qint64(std::nearbyint(value * 10000.0));
}

int TSumList::itemOf(int column, int footerRow) const
{
    if (column < 0 || column >= m_index.size())
        return -1;
    const QVector<int> &footerItems = m_index.at(column);
    return footerRow >= 0 && footerRow < footerItems.size() ? footerItems.at(footerRow) : -1;
}

void TSumList::recompute(const QVector<TColumn> &columns, const db::Query *query)
{
    m_index.clear();
    m_items.clear();
    QVector<int> fields; // field of each item
    for (const TColumn &column : columns) {
        QVector<int> footerItems;
        for (int row = 0; row < column.footerSlots(); ++row) {
            const TColumnFooter *footer = column.footerAt(row);
            if (Active && footer && footer->ValueType == TFooterValueType::ftSum) {
                footerItems << int(m_items.size());
                m_items << 0;
                fields << (query && query->active() ? query->fieldIndex(column.FieldName) : -1);
            } else {
                footerItems << -1;
            }
        }
        m_index << footerItems;
    }
    if (!query || !query->active())
        return;
    const int rows = query->recordCount();
    for (int k = 0; k < m_items.size(); ++k) {
        const int field = fields.at(k);
        if (field < 0)
            continue;
        qint64 sum = 0;
        for (int row = 0; row < rows; ++row) {
            const QVariant v = query->value(row, field);
            if (!v.isValid() || v.isNull())
                continue;
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (ok)
                sum += toFixed(d);
        }
        m_items[k] = sum;
    }
}
