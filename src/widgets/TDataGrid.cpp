#include "widgets/TDataGrid.h"

#include "db/Query.h"
#include "widgets/DisplayFormat.h"
#include "widgets/GridFooter.h"
#include "widgets/GridHeaders.h"
#include "widgets/TDataGridModel.h"
#include "widgets/TDataSource.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Draws each cell the default way after letting the grid's paint hook adjust it.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(TDataGrid *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.state &= ~QStyle::State_HasFocus;
        const bool selected = opt.state & QStyle::State_Selected;

        TDrawCellArgs args;
        args.grid = m_grid;
        args.painter = painter;
        args.rect = opt.rect;
        args.row = index.row();
        args.column = index.column();
        args.selected = selected;
        args.background = selected ? opt.palette.brush(QPalette::Highlight) : opt.palette.brush(QPalette::Base);
        args.textColor = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        args.font = opt.font;
        if (m_grid->OnDrawColumnCell)
            m_grid->OnDrawColumnCell(args);
        if (!args.defaultDrawing)
            return;

        painter->fillRect(opt.rect, args.background);
        opt.backgroundBrush = Qt::NoBrush;
        opt.state &= ~QStyle::State_Selected; // the row colour is already painted
        opt.palette.setColor(QPalette::Text, args.textColor);
        opt.font = args.font;
        opt.fontMetrics = QFontMetrics(args.font);
        m_grid->style()->drawControl(QStyle::CE_ItemViewItem, &opt, painter, m_grid);
    }

private:
    TDataGrid *m_grid;
};

} // namespace

TDataGrid::TDataGrid(QWidget *parent)
    : QTableView(parent),
      m_model(new TDataGridModel(this)),
      m_title(new TGridTitle(this)),
      m_indicator(new TRowIndicator(this)),
      m_footer(new TGridFooter(this))
{
    setHorizontalHeader(m_title);
    setVerticalHeader(m_indicator);
    setModel(m_model);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    m_footer->hide();
    m_indicator->setDefaultSectionSize(defaultRowHeight());

    connect(m_model, &TDataGridModel::rowsReloaded, this, &TDataGrid::rowsReloaded);
    connect(m_model, &TDataGridModel::rowValuesChanged, this, &TDataGrid::recomputeSums);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { viewMovedTo(current); });
    connect(m_title, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (!m_applyingColumns && width > 0 && !m_title->isSectionHidden(column))
            m_model->setColumnWidth(column, width);
        updateTitleHeight();
        m_footer->update();
    });
}

TDataGrid::~TDataGrid() = default;

void TDataGrid::setDataSource(TDataSource *source)
{
    if (m_source == source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source)
        connect(m_source, &TDataSource::dataSetReplaced, this, &TDataGrid::bindQuery);
    bindQuery();
}

db::Query *TDataGrid::dataSet() const
{
    return m_source ? m_source->DataSet() : nullptr;
}

void TDataGrid::bindQuery()
{
    db::Query *query = dataSet();
    if (m_model->query() && m_model->query() != query)
        disconnect(m_model->query(), nullptr, this, nullptr);
    if (query && m_model->query() != query)
        connect(query, &db::Query::currentRowChanged, this, &TDataGrid::followQuery);
    m_model->setQuery(query);
}

const QVector<TColumn> &TDataGrid::Columns() const
{
    return m_model->columns();
}

void TDataGrid::setColumns(const QVector<TColumn> &columns)
{
    m_model->setColumns(columns);
    applyColumnGeometry();
}

int TDataGrid::addColumn(const TColumn &column)
{
    QVector<TColumn> columns = Columns();
    columns << column;
    setColumns(columns);
    return int(columns.size()) - 1;
}

void TDataGrid::setColumnVisible(int column, bool visible)
{
    if (column < 0 || column >= Columns().size())
        return;
    QVector<TColumn> columns = Columns();
    columns[column].Visible = visible;
    setColumns(columns);
}

void TDataGrid::applyColumnGeometry()
{
    const QVector<TColumn> &columns = Columns();
    m_applyingColumns = true;
    for (int i = 0; i < columns.size(); ++i) {
        setColumnHidden(i, !columns.at(i).Visible);
        if (columns.at(i).Visible)
            m_title->resizeSection(i, columns.at(i).Width);
    }
    m_applyingColumns = false;
    updateTitleHeight();
    recomputeSums();
}

QString TDataGrid::cellText(int row, int column) const
{
    return m_model->cellText(row, column);
}

void TDataGrid::setFooterRowCount(int rows)
{
    m_footerRows = qMax(0, rows);
    m_footer->setVisible(m_footerRows > 0);
    updateGeometries();
    m_footer->update();
}

void TDataGrid::setSumListActive(bool active)
{
    m_sums.Active = active;
    recomputeSums();
}

QString TDataGrid::footerText(int column, int footerRow) const
{
    if (column < 0 || column >= Columns().size())
        return QString();
    const TColumn &c = Columns().at(column);
    const TColumnFooter *f = c.footerAt(footerRow);
    if (!f)
        return QString();
    switch (f->ValueType) {
    case TFooterValueType::ftStaticText:
        return f->Value;
    case TFooterValueType::ftSum: {
        const int k = m_sums.itemOf(column, footerRow);
        if (k < 0)
            return QString();
        const QString format = f->DisplayFormat.isEmpty() ? c.DisplayFormat : f->DisplayFormat;
        return FormatFloat(format, m_sums.value(k));
    }
    case TFooterValueType::ftNone:
        break;
    }
    return QString();
}

void TDataGrid::setRowIndicator(bool shown)
{
    m_indicator->setVisible(shown);
}

bool TDataGrid::rowIndicator() const
{
    return !m_indicator->isHidden();
}

int TDataGrid::defaultRowHeight() const
{
    return fontMetrics().height() + 5;
}

void TDataGrid::rowsReloaded()
{
    recomputeSums();
    const db::Query *query = dataSet();
    followQuery(query && query->active() ? query->recNo() - 1 : -1);
}

void TDataGrid::recomputeSums()
{
    m_sums.recompute(Columns(), m_model->query());
    m_footer->update();
}

void TDataGrid::followQuery(int row)
{
    if (m_syncing)
        return;
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        while (column < m_model->columnCount() - 1 && isColumnHidden(column))
            ++column;
        const QModelIndex index = m_model->index(row, column);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index, QAbstractItemView::EnsureVisible);
        m_indicator->setCurrentRow(row);
    } else {
        selectionModel()->clear();
        m_indicator->setCurrentRow(-1);
    }
    m_syncing = false;
}

void TDataGrid::viewMovedTo(const QModelIndex &current)
{
    if (!current.isValid()) {
        if (!m_syncing)
            m_indicator->setCurrentRow(-1);
        return;
    }
    m_indicator->setCurrentRow(current.row());
    if (m_syncing)
        return;
    db::Query *query = dataSet();
    if (!query || !query->active() || query->recNo() == current.row() + 1)
        return;
    m_syncing = true;
    query->setRecNo(current.row() + 1);
    m_syncing = false;
}

int TDataGrid::footerHeight() const
{
    return m_footerRows > 0 ? m_footerRows * defaultRowHeight() + 1 : 0;
}

void TDataGrid::updateTitleHeight()
{
    const int height = m_title->neededHeight();
    if (m_title->height() != height || m_title->minimumHeight() != height)
        m_title->setFixedHeight(height);
}

void TDataGrid::updateGeometries()
{
    if (m_inGeometry)
        return;
    m_inGeometry = true;
    QTableView::updateGeometries();
    const int footer = footerHeight();
    const QMargins margins = viewportMargins();
    if (margins.bottom() != footer)
        setViewportMargins(margins.left(), margins.top(), margins.right(), footer);
    if (footer > 0) {
        const QRect vp = viewport()->geometry();
        m_footer->setGeometry(frameWidth(), vp.bottom() + 1, vp.right() + 1 - frameWidth(), footer);
        m_footer->raise();
        if (rowIndicator())
            m_indicator->setGeometry(m_indicator->x(), vp.top(), m_indicator->width(), vp.height());
    }
    fitVerticalRange();
    m_inGeometry = false;
}

void TDataGrid::fitVerticalRange()
{
    const int rows = m_model->rowCount();
    const int rowHeight = qMax(1, m_indicator->defaultSectionSize());
    const int fit = qMax(1, viewport()->height() / rowHeight);
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, qMax(0, rows - fit));
    bar->setPageStep(fit);
}

void TDataGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (dx != 0)
        m_footer->update();
}

void TDataGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_indicator->setDefaultSectionSize(defaultRowHeight());
        m_footer->setFont(font());
        updateTitleHeight();
        updateGeometries();
    }
}
