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
    }
    return QString();
}

QString explainedEngineText(EngineFault fault, const QString &engineText)
{
    if (fault == EngineFault::None)
        return engineText;
    return engineFaultSentence(fault) + QStringLiteral("（") + engineText + QStringLiteral("）");
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
