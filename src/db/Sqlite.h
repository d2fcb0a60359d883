#pragma once
// The engine's C interface, with the codec declarations (sqlite3_key) switched on.

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include "db/EngineMessages.h"

#include <QString>

namespace db {

// The engine's message of the last error on `handle`; for the faults a desk meets (locked, read-only,
// damaged, not this program's file, disk full) a Chinese sentence comes first (EngineMessages.h).
inline QString engineMessage(sqlite3 *handle)
{
    if (!handle)
        return QStringLiteral("database is not open");
    return explainedEngineText(fileEngineFault(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
}

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt **out() { return &m_stmt; }
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt = nullptr;
};

// Prepares exactly one statement of engine SQL; throws DbError with the engine's message, or when the
// text holds a second statement after the first.
void prepareSingle(sqlite3 *handle, const QString &engineSql, Statement &statement);

} // namespace db
