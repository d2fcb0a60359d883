#include "data/Restore.h"

#include "data/CopyFiles.h"
#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

// The single text a one-row statement yields, or an empty text when it fails.
QString singleText(sqlite3 *handle, const char *sql, bool *ok)
{
    sqlite3_stmt *statement = nullptr;
    *ok = sqlite3_prepare_v2(handle, sql, -1, &statement, nullptr) == SQLITE_OK;
    QString text;
    if (*ok) {
        const int rc = sqlite3_step(statement);
        *ok = rc == SQLITE_ROW || rc == SQLITE_DONE;
        if (rc == SQLITE_ROW)
            text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    }
    sqlite3_finalize(statement);
    return text;
}

QString fileText(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString CheckBackup(const QString &backupPath, const QString &password)
{
    const QFileInfo info(backupPath);
    if (!info.isFile())
        return QStringLiteral("备份文件不存在: ") + fileText(backupPath);
    CopyHandle copy;
    if (!OpenKeyedCopy(backupPath, password.toUtf8(), SQLITE_OPEN_READONLY, copy).isEmpty())
        return QStringLiteral("备份文件无法打开: ") + fileText(backupPath);
    bool ok = false;
    singleText(copy.handle, "select count(*) from sqlite_master", &ok);
    if (!ok)
        return QStringLiteral("备份文件不能用本系统的密码打开(文件已损坏或不是本系统的数据库): ") + fileText(backupPath);
    const QString check = singleText(copy.handle, "pragma quick_check", &ok);
    if (!ok || check != QLatin1String("ok"))
        return QStringLiteral("备份文件已损坏: ") + fileText(backupPath);
    SchemaGaps gaps;
    if (!FindSchemaGaps(copy.handle, &gaps))
        return QStringLiteral("备份文件已损坏: ") + fileText(backupPath);
    if (!gaps.missingTables.isEmpty())
        return QStringLiteral("备份文件缺少数据表 %1: ").arg(gaps.missingTables.first()) + fileText(backupPath);
    if (!gaps.none())
        return QStringLiteral("备份文件的") + gaps.columnsText() + QStringLiteral(": ") + fileText(backupPath);
    return QString();
}

RestoreResult RestoreBackup(db::Connection &connection, const QString &backupPath)
{
    RestoreResult result;
    if (!connection.connected() || !connection.handle()) {
        result.error = QStringLiteral("数据恢复只适用于本机的数据库文件");
        return result;
    }
    const db::ConnectionTextParts parts = db::parseConnectionText(connection.connectionString());
    if (QFileInfo(backupPath).canonicalFilePath() == QFileInfo(parts.dataSource).canonicalFilePath()) {
        result.error = QStringLiteral("不能用数据库文件本身恢复");
        return result;
    }
    result.error = CheckBackup(backupPath, parts.password);
    if (!result.error.isEmpty())
        return result;

    // Nothing is pruned before the restore has succeeded: a restore that fails leaves the copies as
    // they were, and the copy being restored is never among those pruned.
    const BackupResult safety = WriteBackup(connection, BackupReason::BeforeRestore, BackupPruning::Later);
    if (!safety.written()) {
        result.error = safety.failed() ? BackupFailureMessage(QStringLiteral("数据恢复"), safety)
                                       : QStringLiteral("数据恢复只适用于本机的数据库文件");
        return result;
    }
    result.safetyCopy = safety.path;

    CopyHandle copy;
    QString error = OpenKeyedCopy(backupPath, parts.password.toUtf8(), SQLITE_OPEN_READONLY, copy);
    if (error.isEmpty())
        error = CopyAllPages(connection.handle(), copy.handle);
    if (!error.isEmpty()) {
        DiscardBackup(safety.path); // the database is unchanged: its copy would only crowd out others
        result.safetyCopy.clear();
        result.error = QStringLiteral("数据恢复失败,数据未改变->") + error;
        return result;
    }
    PruneBackups(parts.dataSource, {backupPath});
    // A fresh connection reads the restored database from its first page on.
    connection.close();
    try {
        connection.open();
    } catch (const std::exception &e) {
        result.error = QStringLiteral("数据已恢复,但重新连接数据库失败->") + QString::fromUtf8(e.what());
        result.restored = true;
        return result;
    }
    result.restored = true;
    return result;
}

QString RestoreToNewFile(const QString &backupPath, const QString &databasePath, const QString &password)
{
    QString error = CheckBackup(backupPath, password);
    if (!error.isEmpty())
        return error;
    const QByteArray key = password.toUtf8();
    // Written under another name and renamed when complete, so a half-written file never shows as the
    // database.
    const QString part = databasePath + QStringLiteral(".part");
    const auto removePart = [&part] {
        QFile::remove(part);
        QFile::remove(part + QStringLiteral("-journal"));
    };
    removePart();
    {
        CopyHandle copy;
        error = OpenKeyedCopy(backupPath, key, SQLITE_OPEN_READONLY, copy);
        if (error.isEmpty())
            error = WriteCopyFile(copy.handle, part, key);
    }
    if (error.isEmpty() && !QFile::rename(part, databasePath))
        error = QStringLiteral("无法写入数据库文件 ") + fileText(databasePath);
    if (!error.isEmpty())
        removePart();
    return error;
}

BackupResult WriteDailyBackup(db::Connection &connection, const QDate &today)
{
    const db::ConnectionTextParts parts = db::parseConnectionText(connection.connectionString());
    for (const BackupEntry &entry : ListBackups(parts.dataSource))
        if (entry.reason == BackupReason::DailyLogin && entry.time.date() == today)
            return {BackupResult::Status::NotApplicable, QString(), QString()};
    return WriteBackup(connection, BackupReason::DailyLogin);
}
