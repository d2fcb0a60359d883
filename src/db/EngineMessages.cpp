#include "db/EngineMessages.h"

#include "db/Sqlite.h"

#include <QFile>
#include <QFileInfo>

namespace db {

QString engineFaultSentence(EngineFault fault)
{
    switch (fault) {
    case EngineFault::None: return QString();
    case EngineFault::Locked: return QStringLiteral("数据库正被其他程序使用(已锁定),请稍后再试");
    case EngineFault::ReadOnlyFile: return QStringLiteral("数据库文件是只读的,无法写入,请检查文件属性");
    case EngineFault::ReadOnlyFolder:
        return QStringLiteral("数据库所在的文件夹是只读的,无法建立数据库的日志文件,请检查文件夹权限");
    case EngineFault::CannotOpen: return QStringLiteral("无法打开数据库文件");
    case EngineFault::Damaged: return QStringLiteral("数据库文件已损坏,请从备份中恢复");
    case EngineFault::PlainDatabase:
        return QStringLiteral("该文件是未加密的SQLite数据库,不是本系统的数据库");
    case EngineFault::NotOurDatabase: return QStringLiteral("数据库密码不符,或该文件不是本系统的数据库");
    case EngineFault::DiskFull: return QStringLiteral("磁盘已满,无法写入数据库,请腾出磁盘空间");
    case EngineFault::ServerUnreachable:
        return QStringLiteral("无法连接数据库服务器,请检查网络和服务器是否运行,或与系统员联系");
    case EngineFault::ConnectionLost: return QStringLiteral("与数据库服务器的连接已中断,本次操作未完成,请再试一次");
    case EngineFault::CommitUnknown:
        return QStringLiteral("提交时与数据库服务器的连接中断,尚不能确定是否已写入;重新连接后将先查明结果");
    case EngineFault::TimedOut:
        return QStringLiteral("等待数据库服务器超时(数据可能正被其他柜台占用),本次操作已取消,未写入任何数据,请稍后再试");
    case EngineFault::PermissionDenied: return QStringLiteral("数据库服务器拒绝了本操作(没有权限),请与系统员联系");
    case EngineFault::ReadOnlyServer: return QStringLiteral("数据库服务器只允许读取,无法写入,请与系统员联系");
    case EngineFault::Conflict:
        return QStringLiteral("其他柜台正在修改相同的数据,本次操作未写入任何数据,请再试一次");
    }
    return QString();
}

QString explainedEngineText(EngineFault fault, const QString &engineText)
{
    if (fault == EngineFault::None)
        return engineText;
    return engineFaultSentence(fault) + QStringLiteral("（") + engineText + QStringLiteral("）");
}

EngineFault serverEngineFault(const QByteArray &sqlState, bool linkUp)
{
    if (!linkUp)
        return EngineFault::ConnectionLost;
    // 57P01-57P03: the server shuts down or restarts; 08: the link itself
    if (sqlState.startsWith("57P") || sqlState.startsWith("08"))
        return EngineFault::ConnectionLost;
    if (sqlState == "55P03" || sqlState == "57014" || sqlState == "25P03")
        return EngineFault::TimedOut; // lock timeout, statement timeout, idle transaction ended
    if (sqlState == "42501" || sqlState == "28000" || sqlState == "28P01")
        return EngineFault::PermissionDenied;
    if (sqlState == "25006")
        return EngineFault::ReadOnlyServer;
    if (isSerializationFailure(sqlState))
        return EngineFault::Conflict;
    if (sqlState == "53100")
        return EngineFault::DiskFull;
    return EngineFault::None;
}

bool isSerializationFailure(const QByteArray &sqlState)
{
    return sqlState == "40001" || sqlState == "40P01";
}

bool isPlainDatabaseFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

EngineFault fileEngineFault(int code, const QString &databasePath)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return EngineFault::Locked;
    case SQLITE_READONLY:
        return EngineFault::ReadOnlyFile;
    case SQLITE_CANTOPEN: {
        const QFileInfo file(databasePath);
        if (!databasePath.isEmpty() && file.isFile() && !QFileInfo(file.absolutePath()).isWritable())
            return EngineFault::ReadOnlyFolder;
        return EngineFault::CannotOpen;
    }
    case SQLITE_CORRUPT:
        return EngineFault::Damaged;
    case SQLITE_NOTADB:
        return isPlainDatabaseFile(databasePath) ? EngineFault::PlainDatabase : EngineFault::NotOurDatabase;
    case SQLITE_FULL:
        return EngineFault::DiskFull;
    default:
        return EngineFault::None;
    }
}

EngineFault fileEngineFault(sqlite3 *handle)
{
    if (!handle)
        return EngineFault::None;
    const char *file = sqlite3_db_filename(handle, "main");
    return fileEngineFault(sqlite3_extended_errcode(handle), file ? QFile::decodeName(file) : QString());
}

} // namespace db
