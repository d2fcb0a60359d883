#pragma once
// The data grid: shows the rows of the query object of its data source, one column per TColumn, and
// follows the query's current row both ways (the query moves the highlighted row; clicking or keying
// to a row moves the query). Read-only, whole focused row highlighted, row indicator, titles wrapping
// onto several lines, vertical scroll bar always shown, optional footer rows with running sums, and a
// per-cell paint hook that may change a cell's colours before it is drawn.

#include "widgets/GridColumn.h"
#include "widgets/SumList.h"
#include "widgets/TDataSource.h"

#include <QBrush>
#include <QPointer>
#include <QTableView>

#include <functional>

namespace db {
class Query;
}
class TDataGrid;
class TDataGridModel;
class TGridFooter;
class TGridTitle;
class TRowIndicator;

// What the paint hook gets for one cell; it may change the brush, pen colour and font, or paint the
// cell itself and clear defaultDrawing.
struct TDrawCellArgs {
    TDataGrid *grid = nullptr;
    QPainter *painter = nullptr;
    QRect rect;
    int row = -1;    // 0-based record number in the data set
    int column = -1; // index into the grid's Columns()
    bool selected = false; // the cell is in the highlighted (current) row
    QBrush background;
    QColor textColor;
    QFont font;
    bool defaultDrawing = true;
};

class TDataGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDataGrid(QWidget *parent = nullptr);
    ~TDataGrid() override;

    // Binding.
    void setDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_source.data(); }
    db::Query *dataSet() const; // the source's query, or nullptr

    // Columns.
    void setColumns(const QVector<TColumn> &columns);
    int addColumn(const TColumn &column);
    const QVector<TColumn> &Columns() const;
    const TColumn &gridColumn(int column) const { return Columns().at(column); }
    void setColumnVisible(int column, bool visible);
    QString cellText(int row, int column) const; // as shown

    // Footers and running sums.
    void setFooterRowCount(int rows);
    int FooterRowCount() const { return m_footerRows; }
    const TSumList &SumList() const { return m_sums; }
    void setSumListActive(bool active);
    QString footerText(int column, int footerRow = 0) const;

    // Options.
    void setRowIndicator(bool shown);
    bool rowIndicator() const;
    int defaultRowHeight() const;

    // The per-cell paint hook.
    std::function<void(TDrawCellArgs &)> OnDrawColumnCell;

    TDataGridModel *gridModel() const { return m_model; }
    TGridFooter *footer() const { return m_footer; }
    TRowIndicator *indicator() const { return m_indicator; }

protected:
    void updateGeometries() override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void bindQuery();
    void followQuery(int row);
    void viewMovedTo(const QModelIndex &current);
    void rowsReloaded();
    void recomputeSums();
    void applyColumnGeometry();
    void updateTitleHeight();
    void fitVerticalRange();
    int footerHeight() const;

    QPointer<TDataSource> m_source;
    TDataGridModel *m_model;
    TGridTitle *m_title;
    TRowIndicator *m_indicator;
    TGridFooter *m_footer;
    TSumList m_sums;
    int m_footerRows = 0;
    bool m_syncing = false;
    bool m_inGeometry = false;
    bool m_applyingColumns = false;
};
