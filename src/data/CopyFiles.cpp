#include "data/CopyFiles.h"

#include <QFile>

QString OpenKeyedCopy(const QString &path, const QByteArray &key, int flags, CopyHandle &copy)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &copy.handle, flags, nullptr) != SQLITE_OK)
        return copy.handle ? db::engineMessage(copy.handle) : QStringLiteral("out of memory");
    if (sqlite3_key(copy.handle, key.constData(), int(key.size())) != SQLITE_OK)
        return db::engineMessage(copy.handle);
    return QString();
}

QString CopyAllPages(sqlite3 *target, sqlite3 *source)
{
    sqlite3_backup *backup = sqlite3_backup_init(target, "main", source, "main");
    if (!backup)
        return db::engineMessage(target);
    int rc;
    int waits = 0;
    while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (++waits > 100)
            break;
        sqlite3_sleep(50);
    }
    sqlite3_backup_finish(backup);
    return rc == SQLITE_DONE ? QString() : db::engineMessage(target);
}

QString WriteCopyFile(sqlite3 *source, const QString &path, const QByteArray &key)
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
