#pragma once
// Shared pieces of the catalogue tests: workbooks written through our own spreadsheet layer, an import
// driven through the window the way a user drives it, and database rows read back as text.

#include "sheet/CellValue.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

class TbkmlFrm;

using CellRow = QVector<sheet::CellValue>;

struct TestSheet {
    QString name;
    QList<CellRow> rows; // row 1 first; empty cells are left out of the file
};

// Cell values, short.
sheet::CellValue T(const QString &text);
sheet::CellValue N(double number);
sheet::CellValue E();

// A row of texts, each a text cell (an empty text leaves the cell empty).
CellRow Texts(const QStringList &texts);

// Writes the sheets into `path` (.xls, .xlsx; the format follows the extension).
void WriteWorkbook(const QString &path, const QList<TestSheet> &sheets);

// 选择文件 with `path` answered in the file dialog.
void ChooseFile(TbkmlFrm &window, const QString &path);
// 选择文件, the catalogue type, the sheet (-1 leaves the sheet box as the file left it), 开始导入.
void ImportFile(TbkmlFrm &window, const QString &path, int type, int sheet = -1);

// The messages shown since the last clear of the test hooks, as "caption:text".
QStringList Shown();

// The rows a SELECT yields, each as its fields joined by "|", NULL shown as "<null>".
QStringList Rows(const QString &sql);
