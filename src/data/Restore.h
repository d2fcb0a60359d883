#pragma once
// Bringing a safety copy (Backup.h) back as the database, and the copy at the first login of a day.
//
// A copy is restored only when it opens with the program's password, passes the engine's quick
// integrity check and holds every table of the program with the columns the program uses; otherwise
// nothing changes. Before the copy's pages replace the database, a copy of the state being replaced is
// written (reason BeforeRestore); when that cannot be written nothing is restored, and when the restore
// then fails that copy is removed again. Older copies are pruned only after a restore succeeded, and
// never the copy restored. The pages are copied with the engine's online backup in one write
// transaction, so the database is either wholly the copy or unchanged, also while other programs have
// it open. A copy still in write-ahead mode (a -wal file beside it) is read with that file: what is
// restored is the whole state the copy holds. Only the file engine has copies to restore.

#include "data/Backup.h"
#include "data/ProgramSchema.h"

#include <QDate>
#include <QString>

namespace db {
class Connection;
}

// Empty when `backupPath` can be restored with `password`, else the reason for the clerk.
QString CheckBackup(const QString &backupPath, const QString &password);

struct RestoreResult {
    bool restored = false;
    QString safetyCopy; // the copy of the replaced state, when one was written
    QString error;      // why nothing was restored
};

// Restores `backupPath` into the database open on `connection` and reopens the connection.
RestoreResult RestoreBackup(db::Connection &connection, const QString &backupPath);

// Makes a database file at `databasePath`, where there is none, from the copy `backupPath` (checked as
// CheckBackup does). Empty on success, else the reason; on failure no file is left at `databasePath`.
QString RestoreToNewFile(const QString &backupPath, const QString &databasePath, const QString &password);

// Writes a DailyLogin copy of the database open on `connection` unless one of `today` is there already.
// Returns the written copy's result; NotApplicable (nothing written) when the day has one already.
BackupResult WriteDailyBackup(db::Connection &connection, const QDate &today);
