#pragma once
// The export of a list window's grid (目录检查, 订阅汇总) into a file the clerk chooses: a spreadsheet
// (.xls, .xlsx) of one sheet with the grid's footer row, or a tab-separated text file (.txt), written by
// the grid export component with its progress window and 停止 button.

#include "platform/Dialogs.h"

#include <QString>

class QWidget;
class TDataGrid;

// The save dialog of such an export: title "请选择输出文件名", the three file types, `proposedName`.
platform::FileDialogRequest GridFileRequest(const QString &proposedName);

// The file actually written for a chosen name: .xls, .xlsx and .txt (any letter case) as chosen, any
// other name gets ".xls" added.
QString GridExportFileName(const QString &chosen);

// Writes the grid's rows into the file (see GridExportFileName); the sheet is named `sheetName`.
// True when written and not stopped. The component's errors (GridExportError, sheet::SheetError) pass
// to the caller.
bool ExportGridToFile(TDataGrid *grid, const QString &fileName, const QString &sheetName);

// The 导出... button of a list window: asks for the file (proposing `proposedName`), exports with the
// window disabled meanwhile, and says "文件导出成功！..." or "文件导出错误！..."; an error of the
// component is shown by the general error display. Nothing happens when the dialog is cancelled.
void ExportGridAsked(QWidget *window, TDataGrid *grid, const QString &proposedName, const QString &sheetName);
