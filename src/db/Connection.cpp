#include "db/Connection.h"

#include "db/JetDialect.h"
#include "db/Sqlite.h"

#include <QFileInfo>

namespace db {

ConnectionTextParts parseConnectionText(const QString &text)
{
    ConnectionTextParts parts;
    const QStringList pairs = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &pair : pairs) {
        const int eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = pair.left(eq).trimmed();
        const QString value = pair.mid(eq + 1).trimmed();
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            parts.dataSource = value;
        else if (key.compare(QLatin1String("Jet OLEDB:Database Password"), Qt::CaseInsensitive) == 0)
            parts.password = value;
    }
    return parts;
}

void prepareSingle(sqlite3 *handle, const QString &engineSql, Statement &statement)
{
    const QByteArray utf8 = engineSql.toUtf8();
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(handle, utf8.constData(), int(utf8.size()), statement.out(), &tail) != SQLITE_OK)
        throw DbError(engineMessage(handle));
    if (!statement.get())
        throw DbError(QStringLiteral("the statement text is empty"));
    for (const char *p = tail; p && *p; ++p) {
        if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';')
            throw DbError(QStringLiteral("the statement text holds more than one statement"));
    }
}

Connection::~Connection()
{
    close();
}

void Connection::open()
{
    close();
    const ConnectionTextParts parts = parseConnectionText(m_connectionString);
    if (parts.dataSource.isEmpty())
        throw DbError(QStringLiteral("no Data Source in the connection text"));
    if (!QFileInfo(parts.dataSource).isFile())
        throw DbError(QStringLiteral("database file not found: %1").arg(parts.dataSource));

    sqlite3 *handle = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(parts.dataSource).constData(), &handle,
                                   SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        // Never key a handle whose open failed: report and drop it.
        const QString message = handle ? engineMessage(handle) : QStringLiteral("out of memory");
        sqlite3_close(handle);
        throw DbError(message);
    }
    const QByteArray key = parts.password.toUtf8();
    if (sqlite3_key(handle, key.constData(), int(key.size())) != SQLITE_OK) {
        const QString message = engineMessage(handle);
        sqlite3_close(handle);
        throw DbError(message);
    }
    // A wrong password shows only at the first statement: read the schema now.
    const char *setup = "select count(*) from sqlite_master;"
                        "pragma journal_mode=WAL;"
                        "pragma synchronous=FULL;";
    if (sqlite3_exec(handle, setup, nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString message = engineMessage(handle);
        sqlite3_close(handle);
        throw DbError(message);
    }
    sqlite3_busy_timeout(handle, 5000);
    m_bulkWriting = false;
    registerJetFunctions(handle);
    m_handle = handle;
}

void Connection::close()
{
    if (!m_handle)
        return;
    sqlite3_close_v2(m_handle);
    m_handle = nullptr;
}

sqlite3 *Connection::requireHandle() const
{
    if (!m_handle)
        throw DbError(QStringLiteral("the connection is closed"));
    return m_handle;
}

bool Connection::inTransaction() const
{
    return m_handle && sqlite3_get_autocommit(m_handle) == 0;
}

static void runEngineSql(sqlite3 *handle, const char *sql)
{
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        throw DbError(engineMessage(handle));
}

void Connection::beginTrans()
{
    runEngineSql(requireHandle(), "begin immediate");
}

void Connection::commitTrans()
{
    runEngineSql(requireHandle(), "commit");
}

void Connection::rollbackTrans()
{
    sqlite3 *handle = requireHandle();
    if (sqlite3_get_autocommit(handle) == 0)
        runEngineSql(handle, "rollback");
}

void Connection::setBulkWriting(bool on)
{
    sqlite3 *handle = requireHandle();
    runEngineSql(handle, on ? "pragma synchronous=NORMAL" : "pragma synchronous=FULL");
    // Flush what the bulk wrote. A passive checkpoint waits for nobody: when another program holds
    // the database, the clerk has waited for it once already (the failed write) and not again here.
    if (!on && m_bulkWriting)
        runEngineSql(handle, "pragma wal_checkpoint(PASSIVE)");
    m_bulkWriting = on;
}

void Connection::execute(const QString &jetSql)
{
    sqlite3 *handle = requireHandle();
    Statement statement;
    prepareSingle(handle, rewriteJetSql(jetSql), statement);
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throw DbError(engineMessage(handle));
}

} // namespace db
