#include "widgets/TDataGridModel.h"

#include "db/Query.h"
#include "widgets/DisplayFormat.h"

TDataGridModel::TDataGridModel(QObject *parent) : QAbstractTableModel(parent) {}

void TDataGridModel::setQuery(db::Query *query)
{
    if (m_query == query)
        return;
    if (m_query)
        disconnect(m_query, nullptr, this, nullptr);
    m_query = query;
    if (m_query) {
        connect(m_query, &db::Query::dataSetChanged, this, &TDataGridModel::reload);
        connect(m_query, &db::Query::rowDataChanged, this, [this](int row) {
            if (row >= 0 && row < m_rows && !m_columns.isEmpty())
                emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
            emit rowValuesChanged();
        });
        connect(m_query, &QObject::destroyed, this, &TDataGridModel::reload);
    }
    reload();
}

void TDataGridModel::reload()
{
    beginResetModel();
    const db::Query *q = m_query.data();
    m_rows = q && q->active() ? q->recordCount() : 0;
    mapFields();
    endResetModel();
    emit rowsReloaded();
}

void TDataGridModel::mapFields()
{
    m_fields.clear();
    const db::Query *q = m_query.data();
    for (const TColumn &column : std::as_const(m_columns))
        m_fields << (q && q->active() ? q->fieldIndex(column.FieldName) : -1);
}

void TDataGridModel::setColumns(const QVector<TColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    mapFields();
    endResetModel();
    emit rowsReloaded();
}

void TDataGridModel::setColumnWidth(int column, int width)
{
    if (column >= 0 && column < m_columns.size())
        m_columns[column].Width = width;
}

QString TDataGridModel::cellText(int row, int column) const
{
    const db::Query *q = m_query.data();
    const int field = fieldOf(column);
    if (!q || !q->active() || field < 0 || row < 0 || row >= m_rows || row >= q->recordCount())
        return QString();
    return FormatValue(m_columns.at(column).DisplayFormat, q->value(row, field), q->fieldIsNumeric(field));
}

Qt::Alignment TDataGridModel::cellAlignment(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return Qt::AlignLeft | Qt::AlignVCenter;
    const TColumn &c = m_columns.at(column);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (c.Alignment) {
        horizontal = *c.Alignment & Qt::AlignHorizontal_Mask;
    } else {
        const db::Query *q = m_query.data();
        if (q && q->fieldIsNumeric(fieldOf(column)))
            horizontal = Qt::AlignRight;
    }
    return horizontal | Qt::AlignVCenter;
}

int TDataGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TDataGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TDataGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(int(cellAlignment(index.column())));
    default:
        return QVariant();
    }
}

QVariant TDataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QVariant();
    const TColumn &c = m_columns.at(section);
    switch (role) {
    case Qt::DisplayRole:
        return QString(c.Title.Caption).replace(QLatin1Char('|'), QLatin1Char('\n'));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(int((c.Title.Alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter));
    default:
        return QVariant();
    }
}

Qt::ItemFlags TDataGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
