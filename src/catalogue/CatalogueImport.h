#pragma once
// The statements of a catalogue import, built without any window. Row 1 of the sheet names the
// columns of the target table; every further row becomes, in one transaction, the delete of the
// entry with the same code (when the sheet has a BKDH column) and the insert of the row.
//
// Column names are matched ignoring letter case but written as the sheet spells them. QNJ, DJ, YJ,
// JJ, BNJ and MLLX are numeric and go in unquoted; every other column is text, quoted through
// SqlText(). An empty cell writes null. Nothing from the sheet reaches a statement unless it is a
// plain column name or a properly quoted text or a number.

#include "sheet/CellValue.h"

#include <QString>
#include <QStringList>
#include <QVector>

enum class ImportColumnKind { Number, Code, Text };

// What kind of column a header names.
ImportColumnKind ImportColumnKindOf(const QString &header);

// A name made only of ASCII letters, digits and underscores, not beginning with a digit: the only
// header that may go into a statement as it stands.
bool IsPlainColumnName(const QString &header);
// The 0-based position of the first header that is not a plain column name, or -1.
int FirstBadHeader(const QStringList &headers);

// "post" for catalogue type 0, "nopost" for every other type.
QString ImportTargetTable(int catalogueType);
// "insert into <table> (<headers joined by ",">)".
QString ImportInsertHead(const QString &table, const QStringList &headers);

// The text a cell goes into a numeric column as: a number in plain decimal notation (also a text
// that reads as one, such as a csv field), else empty (the cell is not a number).
QString NumericCellSql(const sheet::CellValue &cell);

// The statements of one data row, or the column whose cell is not a number.
struct ImportRowStatements {
    QStringList statements; // the delete by code (when there is a code column) and the insert
    int badColumn = -1;     // 0-based column whose cell is not a number; -1 when the row is sound
};
// `cells` holds the row's cells of columns 1 to headers.size().
ImportRowStatements BuildImportRow(const QString &table, const QString &insertHead, const QStringList &headers,
                                   const QVector<sheet::CellValue> &cells);

// The messages that stop an import at a row.
QString BadHeaderMessage(int column, const QString &header);                 // column 1-based
QString NotANumberMessage(int row, int column, const QString &header, const QString &cellText); // 1-based
