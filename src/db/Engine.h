#pragma once
// What a database engine offers the connection and the query objects. Two engines stand behind one
// Connection: the encrypted file (SqliteEngine) and a PostgreSQL server (ServerEngine). Statements
// reach an engine already rewritten from the Jet dialect; errors are DbError with the engine's text.

#include "db/DbError.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

struct sqlite3;

namespace db {

struct ConnectionTextParts;

// All rows of a SELECT, read at once.
struct ResultSet {
    QStringList fields;
    QVector<bool> numeric; // declared numeric, or holding numbers
    QVector<QVector<QVariant>> rows;
    // Filled when the result of a single-table "select *" can be edited: the columns that find a row
    // again and, per row, their values.
    QStringList keyColumns;
    QVector<QVector<QVariant>> keys;
};

class Engine {
public:
    virtual ~Engine() = default;

    virtual bool alive() const = 0; // false once the engine has lost its database
    virtual bool inTransaction() const = 0;
    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0; // only when a transaction is open
    virtual void setBulkWriting(bool on) = 0;

    // One statement whose rows are not read; returns the number of rows an INSERT, UPDATE or DELETE
    // changed (0 for other statements).
    virtual qint64 execute(const QString &engineSql) = 0;
    // One SELECT; `editableTable` (may be empty) names the table whose rows the caller may edit.
    virtual ResultSet select(const QString &engineSql, const QString &editableTable) = 0;
    // Writes changed fields of one row found by its key; throws when no row has that key any more.
    virtual void updateRow(const QString &table, const QStringList &fields, const QVector<QVariant> &values,
                           const QStringList &keyColumns, const QVector<QVariant> &keyValues) = 0;

    // After a commit that failed with EngineFault::CommitUnknown: the id by which the server tells
    // later whether it was written (empty on the file, whose commits are never in doubt).
    virtual QString unresolvedCommit() const { return QString(); }
    // The server's word on transaction `id`: "committed", "aborted", "in progress", or empty.
    virtual QString commitStatus(const QString &id) { Q_UNUSED(id); return QString(); }

    // The file engine's handle, for tools that need it; nullptr on a server.
    virtual sqlite3 *sqliteHandle() const { return nullptr; }

    // Told every statement text an engine runs (tests record what a window wrote).
    std::function<void(const QString &)> observer;

protected:
    void observe(const QString &sql) const
    {
        if (observer)
            observer(sql);
    }
};

std::unique_ptr<Engine> openFileEngine(const ConnectionTextParts &parts);
std::unique_ptr<Engine> openServerEngine(const ConnectionTextParts &parts);

// The message of a row that another connection removed before it was written back.
inline QString rowGoneMessage()
{
    return QStringLiteral("the row to be saved is no longer in the table");
}

} // namespace db
