#pragma once
// The file engine's pieces that safety copies and restores share: a handle of a copy that closes
// itself, opening a copy with the program's password, and copying all pages of one database over
// another with the engine's online backup.

#include "db/Sqlite.h"

#include <QByteArray>
#include <QString>

// A handle of a copy, closed whatever happens.
struct CopyHandle {
    CopyHandle() = default;
    CopyHandle(const CopyHandle &) = delete;
    CopyHandle &operator=(const CopyHandle &) = delete;
    ~CopyHandle() { sqlite3_close_v2(handle); }
    sqlite3 *handle = nullptr;
};

// Opens the file at `path` with `flags` (SQLITE_OPEN_*) and the key; empty on success, else the
// engine's message.
QString OpenKeyedCopy(const QString &path, const QByteArray &key, int flags, CopyHandle &copy);

// Copies every page of `source`'s main database over `target`'s in one step (one write transaction on
// the target: on failure the target is unchanged). A program holding either database for a moment is
// waited for, as a statement would. Empty on success, else the engine's message.
QString CopyAllPages(sqlite3 *target, sqlite3 *source);

// Copies every page of `source`'s main database into a new file at `path`, encrypted with `key`: one
// self-contained file (no -wal beside it). Empty on success, else the engine's message.
QString WriteCopyFile(sqlite3 *source, const QString &path, const QByteArray &key);
