#pragma once
// Opening and saving workbook files; the format follows the file's extension.
//
//   extension    read                          write
//   .xls .et     BIFF8 (Excel 97-2003)         BIFF8
//   .xlsx        Office Open XML               Office Open XML
//   .ods         OpenDocument                  -
//   .csv         UTF-8 (BOM or not), GB18030   -
//
// Reading looks at the content too: a file named .xls that is really an .xlsx (or the
// other way round) is read as what it is.

#include "WorkbookModel.h"

#include <QString>

namespace sheet {

enum class FileKind { Unknown, Xls, Xlsx, Ods, Csv };

FileKind fileKindOf(const QString &fileName);

// Throws SheetError: missing or unreadable file, unknown type, damaged content.
WorkbookModel loadWorkbook(const QString &fileName);

// Writes the whole file beside the target, then renames it over the target, so an
// existing file is replaced only by a complete one. Throws SheetError.
void saveWorkbook(const WorkbookModel &model, const QString &fileName);

} // namespace sheet
