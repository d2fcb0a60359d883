#pragma once
// The Jet functions on a PostgreSQL server: SQL functions that the server's schema holds, so that
// the program's statements run there unchanged and give what the file engine gives.

#include <QStringList>

namespace db {

// The statements that create clng, mid, instr (2 and 4 arguments), len, lcase, cdate, month and day
// (and their helpers, named tavrin_*) in the current schema.
QStringList serverFunctionStatements();

} // namespace db
