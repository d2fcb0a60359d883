#pragma once
// The Jet dialect as the program writes it, mapped onto the engine: a token-level rewrite (quoted texts
// are left untouched) and the scalar functions the statements call.

#include <QString>

struct sqlite3;

namespace db {

// Turns a double-quoted text literal into a single-quoted one (doubling apostrophes inside) and the
// mod operator into %. Nothing inside a quoted literal is changed.
QString rewriteJetSql(const QString &jetSql);

// Registers clng, mid, instr (2 and 4 arguments), len, lcase, cdate, month and day on a connection.
void registerJetFunctions(sqlite3 *handle);

// Reads a date text in the forms cdate accepts (yyyy-M-d, yyyy/M/d, yyyy.M.d, yyyy年M月d日, and the
// month-day forms M-d, M/d, M月d日 in the given year); returns the canonical yyyy-MM-dd or an empty text.
QString canonicalDate(const QString &text, int defaultYear);

// The year that month-day forms read by cdate are taken in (the processing year); 0 = this year.
void setCdateDefaultYear(int year);
int cdateDefaultYear();

// Whether a statement text holds something after a semicolon that ends its first statement
// (quoted texts, quoted names and comments are skipped). Both engines refuse such a text.
bool holdsSecondStatement(const QString &engineSql);
extern const char *const kSecondStatementMessage;

} // namespace db
