#pragma once
// Safety copies of the database, written before every action that deletes in bulk (系统初始,
// 清空全部记录, a catalogue import) and before a restore replaces the database.
//
// Where: the folder `backup` beside the database file (BackupFolder).
// Name:  bkdata-<yyyyMMdd>-<HHmmss>-<zzz>-<reason>.mdb, local time to the millisecond, reason one of
//        the tags of BackupReason, for example bkdata-20261209-153012-045-reset.mdb (BackupFileName).
//        Files of any other name in the folder are neither listed nor removed.
// What:  a complete copy made with the engine's online backup, so the pages committed so far (also
//        those still in the write-ahead log) are in it even while other connections work. It is
//        encrypted with the password of the connection text and opens with the same connection text as
//        the database (only Data Source differs); it is a self-contained file (no -wal beside it).
// Kept:  the newest kKeptBackups copies, and besides them the newest copy of each of the last kKeptDays
//        days and of each of the last kKeptMonths months (BackupsToPrune); writing a copy removes the
//        others. A copy written before an action that then changed nothing is removed again
//        (DiscardBackup), and a restore removes no copy before it has succeeded, nor the copy restored.
//        What interrupted copies left (bkdata-*.mdb.part and its journal, older than ten minutes) goes
//        with the pruning.
//
// A copy is written only for the encrypted file engine. A connection to a server engine has no file
// to copy (its own backups are the server's business): WriteBackup then answers NotApplicable and
// writes nothing, and the caller decides how to go on (ask the clerk to confirm).
//
// Nothing here shows anything; callers show BackupFailureMessage when the status is Failed and must
// then not run their action.

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace db {
class Connection;
}

enum class BackupReason {
    SystemReset,     // "reset":   before 系统初始
    ClearOrders,     // "clear":   before 清空全部记录
    CatalogueImport, // "import":  before a catalogue import starts
    BeforeRestore,   // "restore": the state a restore is about to replace
    DailyLogin,      // "daily":   at the first login of a day
};

// The tag in the file name, and the words for the clerk (系统初始, 清空全部记录, 目录导入, 数据恢复前,
// 每日首次登录).
QString BackupReasonTag(BackupReason reason);
QString BackupReasonText(BackupReason reason);
std::optional<BackupReason> BackupReasonFromTag(const QString &tag);

constexpr int kKeptBackups = 30;
constexpr int kKeptDays = 30;
constexpr int kKeptMonths = 12;

// Whether writing a copy removes the older copies that the rule lets go at once, or leaves that to the
// caller (PruneBackups once its action succeeded, DiscardBackup when it changed nothing).
enum class BackupPruning { Now, Later };

struct BackupResult {
    enum class Status {
        Written,       // `path` is the new copy
        NotApplicable, // the engine keeps no file the program could copy; nothing was written
        Failed         // `error` says why; nothing was written and the caller must not go on
    };
    Status status = Status::Failed;
    QString path;
    QString error;
    bool written() const { return status == Status::Written; }
    bool failed() const { return status == Status::Failed; }
};

// <folder of databasePath>/backup
QString BackupFolder(const QString &databasePath);
// The file name (without folder) of a copy taken at `time` for `reason`.
QString BackupFileName(const QDateTime &time, BackupReason reason);

// Writes a copy of the database open on `connection` into the backup folder beside its file (the file
// and the password are those of the connection text), then (BackupPruning::Now) prunes the older ones.
BackupResult WriteBackup(db::Connection &connection, BackupReason reason,
                         BackupPruning pruning = BackupPruning::Now);
// The same on the data module's connection.
BackupResult WriteBackup(BackupReason reason);

// One copy in the backup folder.
struct BackupEntry {
    QDateTime time;       // from the file name, local time
    BackupReason reason;  // from the file name
    qint64 size = 0;      // bytes
    QString path;         // absolute path of the copy
};

// The copies beside `databasePath`, newest first (by the time in their names).
QList<BackupEntry> ListBackups(const QString &databasePath);

// Of `newestFirst` (as ListBackups gives them), the copies the rule lets go at `now`: all but the newest
// kKeptBackups and the newest of each of the last kKeptDays days and kKeptMonths months.
QList<BackupEntry> BackupsToPrune(const QList<BackupEntry> &newestFirst, const QDateTime &now);
// Removes the copies beside `databasePath` that the rule lets go, except those of `spared`, and what
// interrupted copies left behind.
void PruneBackups(const QString &databasePath, const QStringList &spared = {});
// Removes the copy at `path` (one written for an action that then changed nothing).
void DiscardBackup(const QString &path);

// The question asked instead of a copy when the database is on a server (default 否): the office's
// own server backup must be current before <action> runs.
QString ServerBackupQuestion(const QString &action);

// "数据库备份失败,<action>未执行->" + the reason: the message of a copy that could not be written.
QString BackupFailureMessage(const QString &action, const BackupResult &result);
