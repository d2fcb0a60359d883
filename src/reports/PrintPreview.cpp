#include "reports/PrintPreview.h"

#include "data/Udm.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "reports/OrderPrint.h"

#include <QPrintPreviewDialog>
#include <QPrinter>

void ShowPrintPreview(QWidget *owner, const PrintDocument &document, const QString &documentName)
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPrinter(printer, documentName);
    QPrintPreviewDialog preview(&printer, owner);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("打印预览 - ") + documentName);
    preview.resize(900, 720);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter *target) {
                         platform::RunAction([&] { PaintReport(*target, document); });
                     });
    platform::ExecModal(&preview);
}

void PreviewUnitOrders(QWidget *owner, const UnitOrdersContext &context)
{
    PrintDocument document;
    if (!BuildUnitOrdersDocument(context, document)) {
        platform::ShowDbError(owner, GP.LastError);
        return;
    }
    if (document.rows.isEmpty()) {
        platform::ShowHint(owner, QStringLiteral("该单位在当前目录中没有订阅记录..."));
        return;
    }
    ShowPrintPreview(owner, document, QStringLiteral("《") + context.unitName + QStringLiteral("》订单"));
}
