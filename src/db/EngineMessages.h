#pragma once
// The engine's messages for the faults a desk meets, put in the clerk's words: a Chinese sentence
// first, then the engine's own text in full-width brackets, e.g.
//   "数据库正被其他程序使用(已锁定),请稍后再试（database is locked）".
// Texts of faults not listed here stay the engine's own. Whatever prefix a caller puts in front
// ("提交失败->", "连接数据库失败->") stays in front.

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace db {

enum class EngineFault {
    None,           // not one of the faults below: the engine's text stands alone
    Locked,         // another program holds the database
    ReadOnlyFile,   // the file may be read, not written
    ReadOnlyFolder, // the folder of the file cannot take the engine's journal files
    CannotOpen,     // the file cannot be opened at all
    Damaged,        // the file's pages are inconsistent
    PlainDatabase,  // a database file of the engine, but not encrypted: not this program's
    NotOurDatabase, // no database of this program, or one encrypted with another password
    DiskFull,       // no room left on the disk
    // the server's faults
    ServerUnreachable, // no link to the server could be made
    ConnectionLost,    // the link broke; a transaction that was open was not written
    CommitUnknown,     // the link broke while a commit was under way: written or not is not known yet
    TimedOut,          // a wait for another desk's lock, or a statement, took too long
    PermissionDenied,  // the server's role may not do this
    ReadOnlyServer,    // the server (or the session) takes no writes
    Conflict,          // another desk changed the same rows at the same time, again and again
};

// The sentence for a fault (empty for None).
QString engineFaultSentence(EngineFault fault);

// The sentence followed by the engine's text; the engine's text alone for None.
QString explainedEngineText(EngineFault fault, const QString &engineText);

// The fault of the file engine's last error on `handle`. A file that is not a database is looked at
// (its first bytes) to tell a plain, unencrypted database from anything else; a file that cannot be
// opened is told apart by whether its folder takes new files.
EngineFault fileEngineFault(sqlite3 *handle);

// The same for a file that is not open (yet): `code` is the engine's result code.
EngineFault fileEngineFault(int code, const QString &databasePath);

// The fault of a server's error from its SQLSTATE code (empty when it has none) and whether the link
// to the server is still up.
EngineFault serverEngineFault(const QByteArray &sqlState, bool linkUp);

// Whether a transaction that failed with `sqlState` may simply run again from its start: the server
// ended it only because another desk's transaction touched the same rows.
bool isSerializationFailure(const QByteArray &sqlState);

// Whether the file begins as an unencrypted database of the engine does.
bool isPlainDatabaseFile(const QString &path);

} // namespace db
