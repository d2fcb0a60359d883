#include "widgets/GridFooter.h"

#include "widgets/TDataGrid.h"
#include "widgets/TDataGridModel.h"

#include <QPainter>

TGridFooter::TGridFooter(TDataGrid *grid) : QWidget(grid), m_grid(grid)
{
    setAutoFillBackground(false);
}

void TGridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    const int rows = m_grid->FooterRowCount();
    if (rows <= 0)
        return;
    const int rowHeight = height() / rows;
    const int xOffset = m_grid->viewport()->x() - x();
    const QColor line = pal.color(QPalette::Mid);
    p.setFont(m_grid->font());
    for (int column = 0; column < m_grid->Columns().size(); ++column) {
        if (m_grid->isColumnHidden(column))
            continue;
        const int left = xOffset + m_grid->columnViewportPosition(column);
        const int width = m_grid->columnWidth(column);
        if (left + width < 0 || left > this->width())
            continue;
        const TColumn &c = m_grid->gridColumn(column);
        for (int row = 0; row < rows; ++row) {
            const QRect cell(left, row * rowHeight, width, rowHeight);
            p.setPen(line);
            p.drawRect(cell.adjusted(0, 0, -1, -1));
            const TColumnFooter *f = c.footerAt(row);
            Qt::Alignment align = m_grid->gridModel()->cellAlignment(column);
            if (f && f->Alignment)
                align = (*f->Alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
            p.setPen(pal.color(QPalette::ButtonText));
            p.drawText(cell.adjusted(3, 0, -3, 0), int(align), m_grid->footerText(column, row));
        }
    }
    p.setPen(line);
    p.drawLine(0, 0, width(), 0);
}
