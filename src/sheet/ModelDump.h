#pragma once
// A plain-text listing of a workbook, one fact per line, for comparing what a reader
// made of a file with what the file should hold:
//
//   sheets 2 active 1
//   default font=宋体/11 format=General
//   sheet 1 邮发报刊
//   width 1/1 12
//   1/1/1:text:"代号" font=宋体/9 format=@
//   1/2/3:number:12.5
//
// Cells are listed sheet by sheet in row-major order; the style is given only when it
// differs from the default, or for every cell with everyStyle. Texts are quoted with
// \" \\ \n \r \t escaped.

#include "WorkbookModel.h"

#include <QString>

namespace sheet {

QString dumpWorkbook(const WorkbookModel &model, bool everyStyle = false);

} // namespace sheet
