#pragma once
// The footer rows of a data grid, drawn below its rows and scrolled sideways with its columns.

#include <QWidget>

class TDataGrid;

class TGridFooter : public QWidget {
    Q_OBJECT
public:
    explicit TGridFooter(TDataGrid *grid);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TDataGrid *m_grid;
};
