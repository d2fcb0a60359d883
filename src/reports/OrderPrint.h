#pragma once
// What the printed lists hold: a unit's order lines of one catalogue type (打印订单), and the office's
// order summary (订阅汇总). Both become a PrintDocument; the print preview and the PDF writer take it
// from there. No widgets.

#include "reports/OrderSummary.h"
#include "reports/ReportPrint.h"

// The unit and catalogue type whose orders are printed; the main window fills it from its unit box and
// its current tab.
struct UnitOrdersContext {
    int catalogueType = 0;
    QString typeCaption; // the tab's caption, e.g. 邮发报刊目录
    qint32 unitId = 0;
    QString unitName;
    QString contact;     // 联系人
    QString phone;       // 电话
    int workYear = 0;
    QDate printed;       // date of printing
};

// The unit's order lines of the type as the order grid lists them: code, title and yearly price from
// the catalogue, months, copies and amount, oldest first.
QString UnitOrdersSql(qint32 unitId, int catalogueType);

// The printed order list; false on a database failure (GP.LastError says why). A unit without lines
// gives a document without rows.
bool BuildUnitOrdersDocument(const UnitOrdersContext &context, PrintDocument &document);

// The printed summary of the lines loaded for `filter`.
struct SummaryPrintContext {
    SummaryFilter filter;
    QString typeCaption;
    int workYear = 0;
    QDate printed;
};
PrintDocument SummaryDocument(const SummaryPrintContext &context, const QVector<SummaryLine> &lines,
                              const SummaryTotals &totals);
