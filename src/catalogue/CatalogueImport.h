#pragma once
// The statements of a catalogue import, built without any window. Row 1 of the sheet names the
// columns of the target table; every further row becomes, in one transaction, the delete of the
// entry with the same code (when the sheet has a BKDH column) and the insert of the row.
//
// Column names are matched ignoring letter case but written as the sheet spells them; a header that
// names a column twice stops the import before any row. QNJ, DJ, YJ, JJ, BNJ and MLLX are numeric and
// go in unquoted (finite numbers only; the five prices not negative); every other column is text,
// quoted through SqlText(). A code (BKDH) is trimmed of blanks and must be two whole numbers joined
// by "-" that the catalogue's sort can convert. An empty cell writes null. Nothing from the sheet
// reaches a statement unless it is a plain column name or a properly quoted text or a number.

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
// A word of SQL itself (select, order, mod ...), which no column of the catalogue is named.
bool IsReservedColumnName(const QString &header);
// The 0-based position of the first header that is not a plain column name or is a reserved word, or
// -1.
int FirstBadHeader(const QStringList &headers);
// The 0-based positions of the first header that names the column of an earlier one (letter case
// ignored) and of that earlier one, or {-1, -1}.
struct DuplicateHeader {
    int first = -1;
    int second = -1;
};
DuplicateHeader FirstDuplicateHeader(const QStringList &headers);

// A catalogue code the catalogue's sort converts: two whole numbers joined by "-" (CatalogueSortKey)
// whose sort key (first number times 10000 plus the second) is a long integer, at most 2147483647.
// Blanks around it are not part of it (the caller trims).
bool IsCatalogueCode(const QString &code);

// "post" for catalogue type 0, "nopost" for every other type.
QString ImportTargetTable(int catalogueType);
// "insert into <table> (<headers joined by ",">)", with ",mllx" added for nopost when no header names it.
QString ImportInsertHead(const QString &table, const QStringList &headers);

// The text a cell goes into a numeric column as: a finite number in plain decimal notation (also a
// text that reads as one, such as a csv field), else empty (the cell is not a number).
QString NumericCellSql(const sheet::CellValue &cell);

// Why a cell stops the import at its row.
// NoValue: a number cell without a value (a formula whose result was never stored reads so);
// NulCharacter: a text holding the character 0, which no statement can carry.
// WrongType: the row names another catalogue type than the one chosen, or none.
enum class ImportCellFault { None, NotANumber, NegativePrice, BadCode, WrongType, NoValue, NulCharacter };

// The statements of one data row, or the cell that stops the import there.
struct ImportRowStatements {
    QStringList statements; // the delete by code (when there is a code column) and the insert
    int badColumn = -1;     // 0-based column of the cell that stops the row; -1 when the row is sound
    ImportCellFault fault = ImportCellFault::None;
};
// `cells` holds the row's cells of columns 1 to headers.size(). A code is unique only within its
// catalogue type: into nopost the delete matches `catalogueType` (the type the clerk chose) too, a
// row whose MLLX is empty or another type is refused (WrongType), and a sheet without an MLLX column
// writes `catalogueType` (ImportInsertHead names the column then).
ImportRowStatements BuildImportRow(const QString &table, const QString &insertHead, const QStringList &headers,
                                   const QVector<sheet::CellValue> &cells, int catalogueType = 0);

// The messages that stop an import at a row (rows and columns 1-based).
QString BadHeaderMessage(int column, const QString &header);
QString DuplicateHeaderMessage(int firstColumn, const QString &firstHeader, int secondColumn,
                               const QString &secondHeader);
QString NotANumberMessage(int row, int column, const QString &header, const QString &cellText);
QString NegativePriceMessage(int row, int column, const QString &header, const QString &cellText);
QString BadCodeMessage(int row, int column, const QString &header, const QString &cellText);
QString WrongTypeMessage(int row, int column, const QString &header, const QString &cellText);
// A cell's content as the messages quote it: numbers that are none (NaN, infinities) by their names.
QString CellTextForMessage(const sheet::CellValue &cell);
// The message for a row's fault (not None).
QString CellFaultMessage(ImportCellFault fault, int row, int column, const QString &header, const QString &cellText);

// The closing message of an import that stopped on a failure: where, and how many rows went in.
QString ImportStoppedMessage(int row, int importedRows);
