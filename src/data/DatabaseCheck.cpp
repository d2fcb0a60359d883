#include "data/DatabaseCheck.h"

#include "data/Backup.h"
#include "data/ProgramSchema.h"
#include "db/Connection.h"
#include "db/EngineMessages.h"
#include "db/Sqlite.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

DatabaseFileCheck refused(const QString &failure)
{
    return {false, failure};
}

// A read-only handle on the file, closed whatever happens.
struct ReadHandle {
    sqlite3 *handle = nullptr;
    ~ReadHandle() { sqlite3_close_v2(handle); }
};

QString pointToBackups(const QString &databasePath)
{
    return QStringLiteral(",备份文件在 ") + QDir::toNativeSeparators(BackupFolder(databasePath));
}

// The failure of the last step on `handle`, a damaged file's pointing to the backups.
DatabaseFileCheck engineFailure(sqlite3 *handle, const QString &databasePath)
{
    const db::EngineFault fault = db::fileEngineFault(handle);
    QString text = db::explainedEngineText(fault, QString::fromUtf8(sqlite3_errmsg(handle)));
    if (fault == db::EngineFault::Damaged)
        text += pointToBackups(databasePath);
    return refused(text);
}

// The quick check reads every page once; on a very large file (or a very busy machine) the clerk
// does not wait for it longer than this: a check that has found nothing by then lets the file pass.
constexpr qint64 kQuickCheckBudgetMs = 1000;

int overBudget(void *clock)
{
    return static_cast<QElapsedTimer *>(clock)->hasExpired(kQuickCheckBudgetMs) ? 1 : 0;
}

// The first line of the engine's quick integrity check: "ok" for a sound file, and for a file
// whose check ran out of its time.
QString quickCheck(sqlite3 *handle, bool *ok)
{
    db::Statement statement;
    *ok = sqlite3_prepare_v2(handle, "pragma quick_check(1)", -1, statement.out(), nullptr) == SQLITE_OK;
    if (!*ok)
        return QString();
    QElapsedTimer clock;
    clock.start();
    sqlite3_progress_handler(handle, 10000, overBudget, &clock);
    const int rc = sqlite3_step(statement.get());
    sqlite3_progress_handler(handle, 0, nullptr, nullptr);
    if (rc == SQLITE_INTERRUPT)
        return QStringLiteral("ok");
    *ok = rc == SQLITE_ROW;
    if (!*ok)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), 0)));
}

} // namespace

DatabaseFileCheck CheckDatabaseFile(const QString &connectionText)
{
    const db::ConnectionTextParts parts = db::parseConnectionText(connectionText);
    const QString path = parts.dataSource;
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        return {};
    if (file.size() == 0)
        return refused(QStringLiteral("数据库文件是空的,不是本系统的数据库"));
    if (db::isPlainDatabaseFile(path))
        return refused(db::engineFaultSentence(db::EngineFault::PlainDatabase));

    ReadHandle read;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &read.handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        if (!read.handle)
            return refused(QStringLiteral("out of memory"));
        return engineFailure(read.handle, path);
    }
    const QByteArray key = parts.password.toUtf8();
    if (sqlite3_key(read.handle, key.constData(), int(key.size())) != SQLITE_OK)
        return engineFailure(read.handle, path);

    SchemaGaps gaps;
    if (!FindSchemaGaps(read.handle, &gaps))
        return engineFailure(read.handle, path);
    if (!gaps.missingTables.isEmpty())
        return refused(QStringLiteral("该文件不是本系统的数据库(缺少数据表 ")
                       + gaps.missingTables.join(QStringLiteral(", ")) + QStringLiteral(")"));
    if (!gaps.none())
        return refused(QStringLiteral("该文件不是本系统的数据库(") + gaps.columnsText() + QStringLiteral(")"));

    bool ok = false;

    const QString verdict = quickCheck(read.handle, &ok);
    if (!ok)
        return engineFailure(read.handle, path);
    if (verdict != QLatin1String("ok"))
        return refused(db::explainedEngineText(db::EngineFault::Damaged, verdict) + pointToBackups(path));
    return {};
}
