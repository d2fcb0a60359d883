#include "data/Backup.h"

#include "data/CopyFiles.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "db/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

struct ReasonName {
    BackupReason reason;
    const char *tag;
    const char *text;
};

const ReasonName kReasons[] = {
    {BackupReason::SystemReset, "reset", "系统初始"},
    {BackupReason::ClearOrders, "clear", "清空全部记录"},
    {BackupReason::CatalogueImport, "import", "目录导入"},
    {BackupReason::BeforeRestore, "restore", "数据恢复前"},
    {BackupReason::DailyLogin, "daily", "每日首次登录"},
};

const ReasonName &nameOf(BackupReason reason)
{
    for (const ReasonName &name : kReasons)
        if (name.reason == reason)
            return name;
    return kReasons[0];
}

const QRegularExpression &backupNamePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^bkdata-(\\d{8})-(\\d{6})-(\\d{3})-([a-z]+)\\.mdb$"));
    return pattern;
}

BackupResult failed(const QString &error)
{
    return {BackupResult::Status::Failed, QString(), error};
}

// The copy opens with the password and reads its schema.
QString verifyCopy(const QString &path, const QByteArray &key)
{
    CopyHandle copy;
    QString error = OpenKeyedCopy(path, key, SQLITE_OPEN_READONLY, copy);
    if (!error.isEmpty())
        return error;
    if (sqlite3_exec(copy.handle, "select count(*) from sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        return db::engineMessage(copy.handle);
    return QString();
}

void removeCopy(const QString &path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// What an interrupted copy leaves: the half-written copy and its journal. A copy being written right now
// by another program on the same database is younger than this and stays.
constexpr qint64 kLeftoverAgeSeconds = 600;

void removeLeftovers(const QString &folder)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-kLeftoverAgeSeconds);
    const QStringList patterns{QStringLiteral("bkdata-*.mdb.part"), QStringLiteral("bkdata-*.mdb.part-journal"),
                               QStringLiteral("bkdata-*.mdb.part-wal"), QStringLiteral("bkdata-*.mdb.part-shm")};
    for (const QFileInfo &file : QDir(folder).entryInfoList(patterns, QDir::Files | QDir::Hidden))
        if (file.lastModified() < before)
            QFile::remove(file.absoluteFilePath());
}

} // namespace

QString BackupReasonTag(BackupReason reason)
{
    return QString::fromLatin1(nameOf(reason).tag);
}

QString BackupReasonText(BackupReason reason)
{
    return QString::fromUtf8(nameOf(reason).text);
}

std::optional<BackupReason> BackupReasonFromTag(const QString &tag)
{
    for (const ReasonName &name : kReasons)
        if (tag == QLatin1String(name.tag))
            return name.reason;
    return std::nullopt;
}

QString BackupFolder(const QString &databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral("backup"));
}

QString BackupFileName(const QDateTime &time, BackupReason reason)
{
    return QStringLiteral("bkdata-") + time.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QLatin1Char('-')
           + BackupReasonTag(reason) + QStringLiteral(".mdb");
}

BackupResult WriteBackup(db::Connection &connection, BackupReason reason, BackupPruning pruning)
{
    if (!connection.connected())
        return failed(QStringLiteral("the connection is closed"));
    sqlite3 *source = connection.handle();
    if (!source)
        return {BackupResult::Status::NotApplicable, QString(), QString()};

    const db::ConnectionTextParts parts = db::parseConnectionText(connection.connectionString());
    const QString folder = BackupFolder(parts.dataSource);
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("无法建立备份目录 ") + QDir::toNativeSeparators(folder));

    // A name not yet taken: two copies within one millisecond get successive ones.
    QDateTime time = QDateTime::currentDateTime();
    QString path = QDir(folder).filePath(BackupFileName(time, reason));
    while (QFileInfo::exists(path)) {
        time = time.addMSecs(1);
        path = QDir(folder).filePath(BackupFileName(time, reason));
    }
    // Written under another name and renamed when complete, so a half-written copy never shows as one.
    const QString part = path + QStringLiteral(".part");
    removeCopy(part);
    const QByteArray key = parts.password.toUtf8();
    QString error = WriteCopyFile(source, part, key);
    if (error.isEmpty())
        error = verifyCopy(part, key);
    if (error.isEmpty() && !QFile::rename(part, path))
        error = QStringLiteral("无法写入备份文件 ") + QDir::toNativeSeparators(path);
    if (!error.isEmpty()) {
        removeCopy(part);
        return failed(error);
    }
    if (pruning == BackupPruning::Now)
        PruneBackups(parts.dataSource);
    return {BackupResult::Status::Written, path, QString()};
}

BackupResult WriteBackup(BackupReason reason)
{
    if (!dm)
        return failed(QStringLiteral("the data module does not exist"));
    // After a lost link the connection is made anew here, as any other action does.
    if (!EnsureConnected())
        return failed(GP.LastError);
    return WriteBackup(dm->ADOConnection, reason);
}

QList<BackupEntry> BackupsToPrune(const QList<BackupEntry> &newestFirst, const QDateTime &now)
{
    const QDate today = now.date();
    const QDate firstDay = today.addDays(-(kKeptDays - 1));
    const int thisMonth = today.year() * 12 + today.month() - 1;
    QSet<QDate> daysHeld;
    QSet<int> monthsHeld;
    QList<BackupEntry> pruned;
    for (qsizetype i = 0; i < newestFirst.size(); ++i) {
        const BackupEntry &entry = newestFirst.at(i);
        const QDate day = entry.time.date();
        const int month = day.year() * 12 + day.month() - 1;
        bool keep = i < kKeptBackups;
        if (day >= firstDay && day <= today && !daysHeld.contains(day)) {
            daysHeld.insert(day);
            keep = true;
        }
        if (month > thisMonth - kKeptMonths && month <= thisMonth && !monthsHeld.contains(month)) {
            monthsHeld.insert(month);
            keep = true;
        }
        if (!keep)
            pruned.append(entry);
    }
    return pruned;
}

void PruneBackups(const QString &databasePath, const QStringList &spared)
{
    QStringList sparedFiles;
    for (const QString &path : spared)
        sparedFiles << QFileInfo(path).absoluteFilePath();
    for (const BackupEntry &entry : BackupsToPrune(ListBackups(databasePath), QDateTime::currentDateTime()))
        if (!sparedFiles.contains(QFileInfo(entry.path).absoluteFilePath()))
            QFile::remove(entry.path);
    removeLeftovers(BackupFolder(databasePath));
}

void DiscardBackup(const QString &path)
{
    if (!path.isEmpty())
        removeCopy(path);
}

QList<BackupEntry> ListBackups(const QString &databasePath)
{
    QList<BackupEntry> entries;
    const QDir folder(BackupFolder(databasePath));
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("bkdata-*.mdb")}, QDir::Files, QDir::Name);
    for (const QFileInfo &file : files) {
        const QRegularExpressionMatch match = backupNamePattern().match(file.fileName());
        if (!match.hasMatch())
            continue;
        const std::optional<BackupReason> reason = BackupReasonFromTag(match.captured(4));
        const QDateTime time = QDateTime::fromString(
            match.captured(1) + match.captured(2) + match.captured(3), QStringLiteral("yyyyMMddHHmmsszzz"));
        if (!reason || !time.isValid())
            continue;
        entries.append({time, *reason, file.size(), file.absoluteFilePath()});
    }
    std::sort(entries.begin(), entries.end(),
              [](const BackupEntry &a, const BackupEntry &b) { return a.time > b.time; });
    return entries;
}

QString BackupFailureMessage(const QString &action, const BackupResult &result)
{
    return QStringLiteral("数据库备份失败,") + action + QStringLiteral("未执行->") + result.error;
}

QString ServerBackupQuestion(const QString &action)
{
    return QStringLiteral("数据库在服务器上,程序不复制它。\n请确认服务器的备份(pg_dump)是最新的,再执行")
           + action + QStringLiteral("。\n\n服务器的备份是最新的吗?");
}
