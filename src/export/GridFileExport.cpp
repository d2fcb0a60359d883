#include "export/GridFileExport.h"

#include "export/UGridExport.h"

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
