#pragma once
// A connection to the program's database, opened from an ADO-style connection text. Two engines:
//  - the encrypted file: "...;Jet OLEDB:Database Password=...;Data Source=<file>" (never created here);
//  - a PostgreSQL server: "Provider=PostgreSQL;Host=...;Port=...;Database=...;User ID=...;
//    SSL Mode=prefer[;SSL Root Certificate=...][;Password=...]" (without a password libpq reads the
//    user's password file).
// A value that holds a ';', a quote or blanks at either end is written between double quotes (a double
// quote inside written twice), so that a file or folder name is read back whole, whatever it holds,
// and never adds a key of its own.
// Windows and helpers never know which engine runs.

#include "db/DbError.h"

#include <QString>

#include <functional>
#include <memory>
#include <utility>

struct sqlite3;

namespace db {

class Engine;

// What became of a commit during which the link to the server broke.
enum class CommitOutcome {
    None,       // no such commit, or already reported
    Written,    // the server has it
    NotWritten, // the server rolled it back
};

struct ConnectionTextParts {
    QString provider;   // "PostgreSQL" selects the server; anything else the file
    QString dataSource; // the database file
    QString password;   // the key of the encrypted file, or the server password
    QString host, port, database, user;
    QString sslMode;    // libpq's sslmode; prefer when not given
    QString sslRootCert; // the file of the certificate authorities that vouch for the server
    bool isServer() const;
};

// Parses the key=value; pairs of a connection text (keys compared ignoring case).
ConnectionTextParts parseConnectionText(const QString &text);
// `value` as it is written after "key=" in a connection text: quoted when it has to be.
QString connectionTextValue(const QString &value);

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void setConnectionString(const QString &text)
    {
        if (text != m_connectionString)
            m_unresolvedCommit.clear();
        m_connectionString = text;
    }
    QString connectionString() const { return m_connectionString; }

    // Opens the database named by the connection text; throws DbError with the engine's message.
    // Opening an open connection closes it first. A commit whose outcome was left unknown is looked
    // up first thing (see takeCommitOutcome).
    void open();
    // How often open() succeeded (a count that grows when the connection was made anew).
    int opens() const { return m_opens; }
    // Whether the connection was made anew (opened again after its first open) since the last call.
    bool takeReopened() { return std::exchange(m_reopened, false); }
    void close();
    // Open, and not cut off from its server: after a server went away this turns false, so the
    // next helper call opens the connection again.
    bool connected() const;
    bool isServer() const { return m_server; }
    // A number that no other opening of any connection of the process had: what lives only as long
    // as one opening (the connection's temporary tables) belongs to it.
    quint64 session() const { return m_session; }

    void beginTrans();
    // When the link breaks during the commit, the connection is made anew at once and the server
    // asked whether the commit was written: if it was, this returns as for any commit; if not, it
    // throws DbError with EngineFault::ConnectionLost (nothing written). When the server cannot be
    // asked yet, it throws with EngineFault::CommitUnknown and the next open() asks.
    void commitTrans();
    // The outcome of a commit left unknown, once open() found it out; reported once.
    CommitOutcome takeCommitOutcome();
    bool commitUnresolved() const { return !m_unresolvedCommit.isEmpty(); }
    void rollbackTrans();
    bool inTransaction() const;

    // Bulk writing (a catalogue import): commits are no longer flushed to disk one by one. The data
    // stays consistent, but the last commits before a power failure may be lost. Switching it off
    // flushes everything written so far. Data entry runs with it off.
    void setBulkWriting(bool on);
    bool bulkWriting() const { return m_bulkWriting; }

    // Runs one statement in the Jet dialect whose rows are not read; returns the number of rows an
    // INSERT, UPDATE or DELETE changed (0 for other statements).
    qint64 execute(const QString &jetSql);

    // For the query objects of this layer; raises DbError when the connection is closed.
    Engine &engine() const;
    // The file engine's handle (nullptr when closed or on a server).
    sqlite3 *handle() const;

    // Told the engine text of every statement run on this connection from now on (tests use it).
    void setStatementObserver(std::function<void(const QString &)> observer);

private:
    void resolveCommit();

    QString m_connectionString;
    QString m_unresolvedCommit; // the id of a commit whose outcome is not known yet
    CommitOutcome m_outcome = CommitOutcome::None;
    int m_opens = 0;
    bool m_reopened = false;
    std::unique_ptr<Engine> m_engine;
    std::function<void(const QString &)> m_observer;
    bool m_bulkWriting = false;
    bool m_server = false;
    quint64 m_session = 0;
};

} // namespace db
