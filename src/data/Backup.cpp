#include "data/Backup.h"

#include "data/CopyFiles.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "db/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

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

// Copies every page of the source's main database into a new file at `path`, encrypted with `key`.
QString copyPages(sqlite3 *source, const QString &path, const QByteArray &key)
{
    CopyHandle copy;
    QString error = OpenKeyedCopy(path, key, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, copy);
    if (!error.isEmpty())
        return error;
    // Another program writing holds the source for a moment: it is waited for, as a statement would.
    error = CopyAllPages(copy.handle, source);
    if (!error.isEmpty())
        return error;
    // The copy takes the source's journal mode; a copy is one self-contained file.
    if (sqlite3_exec(copy.handle, "pragma journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return db::engineMessage(copy.handle);
    return QString();
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

void keepNewest(const QString &databasePath)
{
    const QList<BackupEntry> entries = ListBackups(databasePath);
    for (qsizetype i = kKeptBackups; i < entries.size(); ++i)
        QFile::remove(entries.at(i).path);
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

BackupResult WriteBackup(db::Connection &connection, BackupReason reason)
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
    QString error = copyPages(source, part, key);
    if (error.isEmpty())
        error = verifyCopy(part, key);
    if (error.isEmpty() && !QFile::rename(part, path))
        error = QStringLiteral("无法写入备份文件 ") + QDir::toNativeSeparators(path);
    if (!error.isEmpty()) {
        removeCopy(part);
        return failed(error);
    }
    keepNewest(parts.dataSource);
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
