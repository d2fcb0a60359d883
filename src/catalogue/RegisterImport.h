#pragma once
// Reading a sheet of register entries (columns 报刊代号, 类别, 起日, 止日, 说明, found by their titles in
// row 1, in any order) and entering its rows for one catalogue type and processing year. No window:
// the register window drives it row by row with its progress bar and stop button.

#include "calendar/RegisterEntry.h"
#include "sheet/Spreadsheet.h"

#include <QString>
#include <QStringList>

// 1-based column numbers of the titles; 0 for a column the sheet lacks (止日 and 说明 may be missing:
// a missing last date is the first date, a missing remark empty).
struct RegisterSheetColumns {
    int code = 0;
    int kind = 0;
    int first = 0;
    int last = 0;
    int remark = 0;
};
// Finds the columns by the titles of row 1 (blanks around a title ignored). Returns the message
// naming the required titles that are missing, or an empty text.
QString FindRegisterColumns(const QStringList &titles, RegisterSheetColumns *columns);

// One data row as read.
struct RegisterSheetRow {
    bool blank = false; // every cell of the columns is empty: the row is passed over
    QString code;
    IrregularIssue entry;
    QString problem; // a cell that cannot be read, named; empty when the row was read
};
// Reads row `row`; dates are read in `year` (also dates stored as numbers or date cells).
RegisterSheetRow ReadRegisterRow(const sheet::Worksheet &sheet, int row, const RegisterSheetColumns &columns,
                                 int year);

// Enters a row that was read for the catalogue type: a code outside that catalogue is refused,
// everything else as RegisterIrregularIssue decides.
RegisterOutcome ImportRegisterRow(int catalogueType, int year, const RegisterSheetRow &row);

// The message that stops an import at a row (1-based sheet row).
QString RegisterRowMessage(int row, const QString &problem);
// The notice at the end of an import that read every row.
QString RegisterImportSummary(int written, int alreadyThere);
// The notice at the end of an import that stopped at a row (1-based sheet row) and what it entered before.
QString RegisterImportStopped(int row, int written, int alreadyThere);
