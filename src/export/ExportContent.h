#pragma once
// What the grid export writes, computed from a grid's columns and a query without any widget: the
// title row, the sheet column widths, one row per record and the footer row with its sums. TGridExport
// is the adapter that takes the columns, the query and the running sums from a data grid, shows its
// notice and progress, and puts this content into a sheet or a text file. Other writers (an order
// summary, a printed list) can use the same content.

#include "widgets/GridColumn.h"
#include "widgets/SumList.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace db {
class Query;
}

// The columns that are written: the visible ones, in order.
QVector<TColumn> ExportedColumns(const QVector<TColumn> &columns);

// The title row: each exported column's title caption.
QStringList ExportTitles(const QVector<TColumn> &columns);

// The width of each exported column on a sheet, in characters: the grid width in pixels / 6.
QVector<int> ExportSheetWidths(const QVector<TColumn> &columns);

// One record: the text of each exported column's field in the query's current row.
QStringList ExportRow(const QVector<TColumn> &columns, const db::Query &query);

// One cell of the footer row on a sheet.
struct ExportFooterCell {
    enum class Kind {
        Untouched, // nothing written, the cell keeps its default font
        Blank,     // the cell font is set, no value (a sum footer without a sum)
        Text,      // `text`, in the cell font
        Whole      // `whole`, a number rounded up, in the cell font
    };
    Kind kind = Kind::Untouched;
    QString text;
    qint64 whole = 0;
};

// The footer row under the records: a column's single static footer gives its text; a footer list
// gives its first item's text, or its sum (the running sum of that very footer in `sums`) written
// as general decimal text when the column has a display format, else rounded up to a whole number.
QVector<ExportFooterCell> ExportFooter(const QVector<TColumn> &columns, const TSumList &sums);

// Everything at once, over all records of `query` from the first (for writers that need no progress
// or stop): titles, widths, rows and the footer with the sums of all records. The query's current
// row is left on the last record.
struct ExportContent {
    QStringList titles;
    QVector<int> widths;
    QVector<QStringList> rows;
    QVector<ExportFooterCell> footer;
};
ExportContent ComputeExportContent(const QVector<TColumn> &columns, db::Query &query);
