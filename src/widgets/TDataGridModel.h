#pragma once
// The table model of one data grid over the query object of its data source: one row per record, one
// column per grid column (hidden columns included, the view hides them). The row count is taken when
// the query tells that its rows changed, so the model never sees rows come and go unannounced.

#include "widgets/GridColumn.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

#include "db/Query.h"

class TDataGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDataGridModel(QObject *parent = nullptr);

    void setQuery(db::Query *query); // nullptr: nothing to show
    db::Query *query() const { return m_query.data(); }

    void setColumns(const QVector<TColumn> &columns);
    const QVector<TColumn> &columns() const { return m_columns; }
    void setColumnWidth(int column, int width); // keeps the column's Width in step with the view

    // The text and alignment of a cell as the grid shows them.
    QString cellText(int row, int column) const;
    Qt::Alignment cellAlignment(int column) const;
    int fieldOf(int column) const { return column >= 0 && column < m_fields.size() ? m_fields.at(column) : -1; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    void rowsReloaded();      // after every reset: new rows, or none
    void rowValuesChanged();  // a row's values changed in place

private:
    void reload();
    void mapFields();

    QPointer<db::Query> m_query;
    QVector<TColumn> m_columns;
    QVector<int> m_fields; // field index of each column in the query, -1 when absent
    int m_rows = 0;
};
