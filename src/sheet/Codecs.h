#pragma once
// The file codecs behind loadWorkbook and saveWorkbook, one per format. Each throws
// SheetError with a message naming the file and the problem.

#include "WorkbookModel.h"

#include <QByteArray>
#include <QString>

namespace sheet {

// BIFF8 (Excel 97-2003) in an OLE2 compound file: .xls and .et. The writer's
// messages name the problem only; saveWorkbook adds the file.
WorkbookModel readXls(const QByteArray &file, const QString &fileName);
QByteArray writeXls(const WorkbookModel &model);

// Office Open XML: read through liborcus, written with libxlsxwriter (to a path, since
// libxlsxwriter writes files only; messages name fileName).
WorkbookModel readXlsx(const QByteArray &file, const QString &fileName);
void writeXlsx(const WorkbookModel &model, const QString &path, const QString &fileName);

// OpenDocument spreadsheet, read through liborcus.
WorkbookModel readOds(const QByteArray &file, const QString &fileName);

// Comma-separated text, read through liborcus into one sheet named sheetName. UTF-8
// with or without a byte-order mark; anything that is not valid UTF-8 is taken as GB18030.
WorkbookModel readCsv(const QByteArray &file, const QString &fileName, const QString &sheetName);

} // namespace sheet
