#pragma once
// The print preview of a printed list (Qt's print preview dialog): pages as they will print, and from
// there printing to a printer or to a PDF file.

#include "reports/ReportPrint.h"

class QWidget;

// Shows the preview modally, owned by `owner`; `documentName` names the print job and a PDF file.
void ShowPrintPreview(QWidget *owner, const PrintDocument &document, const QString &documentName);

struct UnitOrdersContext;

// 打印订单: the preview of the unit's order lines of the context's type. A database failure is shown
// with its text; a unit without lines of that type is told so and nothing is previewed.
void PreviewUnitOrders(QWidget *owner, const UnitOrdersContext &context);
