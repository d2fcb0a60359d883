#pragma once
// The office's order summary (订阅汇总): for one catalogue type, every title that any unit ordered,
// one line per title and month range, with the number of units, the copies and the amount, in the
// catalogue's order. It is what the office passes on to the distribution side. No widgets.

#include <QString>
#include <QStringList>
#include <QVector>

namespace db {
class Query;
}

struct SummaryFilter {
    int catalogueType = 0;
    QString period; // 刊期 of the title; empty: every period
    QString kind;   // 报纸 or 杂志 (报刊类别); empty: every kind
};

struct SummaryLine {
    QString bkdh;
    QString bkmc; // empty when the title is no longer in the catalogue
    QString kq;
    QString bkzl;
    int qdy = 0;
    int zdy = 0;
    int units = 0;  // different units ordering the title for these months
    qint64 copies = 0;
    double amount = 0;
};

struct SummaryTotals {
    int lines = 0;
    int titles = 0; // different codes
    int units = 0;  // different units with a line in the summary
    qint64 copies = 0;
    double amount = 0;
};

// The term of a month range as the subscription dialog names it ("全年", "二季度"), or "3-5月" for a
// range of its own.
QString TermText(int startMonth, int endMonth);

// The grouping statement: one row per code and month range of the type's order lines, joined to one
// catalogue row per code (so a code entered twice in the catalogue does not double the sums).
QString OrderSummarySql(const SummaryFilter &filter);
// The statement counting the units that have a line in the summary.
QString SummaryUnitsSql(const SummaryFilter &filter);

// Runs the summary through the data module; false on a database failure (GP.LastError says why).
// Lines come in the catalogue's order (first number of the code × 10000 + second), codes the
// catalogue cannot sort last, then by start and end month.
bool LoadOrderSummary(const SummaryFilter &filter, QVector<SummaryLine> &lines, SummaryTotals &totals);

// The fields of the summary grid, and the lines as rows of a query object for the grid and the export.
QStringList SummaryFields();
void FillSummaryQuery(const QVector<SummaryLine> &lines, db::Query &query);
