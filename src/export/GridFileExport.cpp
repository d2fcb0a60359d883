#include "export/GridFileExport.h"

#include "export/UGridExport.h"

#include <QWidget>

platform::FileDialogRequest GridFileRequest(const QString &proposedName)
{
    platform::FileDialogRequest request;
    request.title = QStringLiteral("请选择输出文件名");
    request.defaultExt = QStringLiteral("xls");
    request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx|文本文件(*.Txt)|*.txt");
    request.fileName = proposedName;
    request.overwritePrompt = true;
    return request;
}

QString GridExportFileName(const QString &chosen)
{
    const QString lower = chosen.toLower();
    for (const char *ext : {".xls", ".xlsx", ".txt"})
        if (lower.endsWith(QLatin1String(ext)))
            return chosen;
    return chosen + QStringLiteral(".xls");
}

bool ExportGridToFile(TDataGrid *grid, const QString &fileName, const QString &sheetName)
{
    const QString target = GridExportFileName(fileName);
    TGridExport exporter;
    if (target.toLower().endsWith(QStringLiteral(".txt"))) {
        exporter.TxtFileName = target;
        return exporter.ExportToText(grid, false);
    }
    exporter.Outtype = QStringLiteral("XLS");
    exporter.XlsFileName = target;
    exporter.SheetCount = 1;
    exporter.Yes = false;
    exporter.SheetName = sheetName;
    return exporter.ExportToXls(grid, false);
}

void ExportGridAsked(QWidget *window, TDataGrid *grid, const QString &proposedName, const QString &sheetName)
{
    const QString fileName = platform::SaveFileName(window, GridFileRequest(proposedName));
    if (fileName.isEmpty())
        return;
    window->setEnabled(false);
    try {
        const bool written = ExportGridToFile(grid, fileName, sheetName);
        window->setEnabled(true);
        if (written)
            platform::ShowInfo(window, QStringLiteral("文件导出成功！..."));
        else
            platform::MessageBox(window, QStringLiteral("文件导出错误！..."), QStringLiteral("信息"), platform::Icon::Warning);
    } catch (const std::exception &e) {
        window->setEnabled(true);
        platform::ShowException(QString::fromUtf8(e.what()));
    }
}
