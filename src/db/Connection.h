#pragma once
// A connection to the encrypted database file, opened from the program's connection text of
// key=value pairs ("...;Jet OLEDB:Database Password=...;Data Source=<file>"). It never creates a
// missing file.

#include "db/DbError.h"

#include <QString>

struct sqlite3;

namespace db {

struct ConnectionTextParts {
    QString dataSource; // the database file
    QString password;   // the key of the encrypted file
};

// Parses the key=value; pairs of a connection text (keys compared ignoring case).
ConnectionTextParts parseConnectionText(const QString &text);

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setConnectionString(const QString &text) { m_connectionString = text; }
    QString connectionString() const { return m_connectionString; }

    // Opens the file named by the connection text; throws DbError with the engine's message.
    // Opening an open connection closes it first.
    void open();
    void close();
    bool connected() const { return m_handle != nullptr; }

    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    bool inTransaction() const;

    // Bulk writing (a catalogue import): commits are no longer flushed to disk one by one. The file
    // stays consistent, but the last commits before a power failure may be lost. Switching it off flushes
    // everything written so far. Data entry runs with it off.
    void setBulkWriting(bool on);
    bool bulkWriting() const { return m_bulkWriting; }

    // Runs one statement in the Jet dialect whose result is not used.
    void execute(const QString &jetSql);

    // For the query objects of this layer.
    sqlite3 *handle() const { return m_handle; }
    // Raises DbError when the connection is closed.
    sqlite3 *requireHandle() const;

private:
    QString m_connectionString;
    sqlite3 *m_handle = nullptr;
    bool m_bulkWriting = false;
};

} // namespace db
