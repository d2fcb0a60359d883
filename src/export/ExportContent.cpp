#include "export/ExportContent.h"

#include "export/AnsiText.h"

#include "db/Query.h"

#include <cmath>

QVector<TColumn> ExportedColumns(const QVector<TColumn> &columns)
{
    QVector<TColumn> shown;
    for (const TColumn &column : columns) {
        if (column.Visible)
            shown << column;
    }
    return shown;
}

QStringList ExportTitles(const QVector<TColumn> &columns)
{
    QStringList titles;
    for (const TColumn &column : ExportedColumns(columns))
        titles << column.Title.Caption;
    return titles;
}

QVector<int> ExportSheetWidths(const QVector<TColumn> &columns)
{
    QVector<int> widths;
    for (const TColumn &column : ExportedColumns(columns))
        widths << column.Width / 6;
    return widths;
}

QStringList ExportRow(const QVector<TColumn> &columns, const db::Query &query)
{
    QStringList row;
    for (const TColumn &column : columns) {
        if (column.Visible)
            row << query.fieldText(column.FieldName);
    }
    return row;
}

QVector<ExportFooterCell> ExportFooter(const QVector<TColumn> &columns, const TSumList &sums)
{
    QVector<ExportFooterCell> footer;
    for (int i = 0; i < columns.size(); ++i) {
        const TColumn &column = columns.at(i);
        if (!column.Visible)
            continue;
        ExportFooterCell cell;
        if (column.Footer.ValueType == TFooterValueType::ftStaticText) {
            cell.kind = ExportFooterCell::Kind::Text;
            cell.text = column.Footer.Value;
        } else if (!column.Footers.isEmpty()) {
            const TColumnFooter &first = column.Footers.constFirst();
            if (first.ValueType == TFooterValueType::ftStaticText) {
                cell.kind = ExportFooterCell::Kind::Text;
                cell.text = first.Value;
            } else if (first.ValueType == TFooterValueType::ftSum) {
                cell.kind = ExportFooterCell::Kind::Blank;
                // The item of this very footer: sums of hidden columns or of other footer rows come
                // before it in the list but are not written.
                const int k = sums.itemOf(i, 0);
                if (k >= 0) {
                    const double sum = sums.value(k);
                    if (!column.DisplayFormat.isEmpty()) {
                        cell.kind = ExportFooterCell::Kind::Text;
                        cell.text = GeneralFloatText(sum);
                    } else {
                        cell.kind = ExportFooterCell::Kind::Whole;
                        cell.whole = qint64(std::ceil(sum));
                    }
                }
            }
        }
        footer << cell;
    }
    return footer;
}

ExportContent ComputeExportContent(const QVector<TColumn> &columns, db::Query &query)
{
    ExportContent content;
    content.titles = ExportTitles(columns);
    content.widths = ExportSheetWidths(columns);
    if (query.active()) {
        for (query.first(); !query.eof(); query.next())
            content.rows << ExportRow(columns, query);
    }
    TSumList sums;
    sums.recompute(columns, &query);
    content.footer = ExportFooter(columns, sums);
    return content;
}
