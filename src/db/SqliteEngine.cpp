// The encrypted file engine: SQLCipher, the Jet functions registered on the connection, rows found
// again by their rowid.

#include "db/Connection.h"
#include "db/Engine.h"
#include "db/JetDialect.h"
#include "db/Sqlite.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace db {

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
            throw DbError(QString::fromLatin1(kSecondStatementMessage));
    }
}

namespace {

bool declaredNumeric(const char *decltype_)
{
    if (!decltype_)
        return false;
    const QByteArray t = QByteArray(decltype_).toUpper();
    return t.contains("INT") || t.contains("REAL") || t.contains("FLOA") || t.contains("DOUB") || t.contains("NUM");
}

QVariant columnValue(sqlite3_stmt *stmt, int col)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, col));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, col)),
                                          sqlite3_column_bytes(stmt, col)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, col)),
                                   sqlite3_column_bytes(stmt, col)));
    default:
        return QVariant();
    }
}

void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

class FileEngine : public Engine {
public:
    explicit FileEngine(sqlite3 *handle) : m_handle(handle) {}
    ~FileEngine() override { sqlite3_close_v2(m_handle); }

    bool alive() const override { return true; }
    bool inTransaction() const override { return sqlite3_get_autocommit(m_handle) == 0; }
    void begin() override { run("begin immediate"); }
    void commit() override { run("commit"); }
    void rollback() override
    {
        if (inTransaction())
            run("rollback");
    }

    void setBulkWriting(bool on) override
    {
        run(on ? "pragma synchronous=NORMAL" : "pragma synchronous=FULL");
        // Flush what the bulk wrote. A passive checkpoint waits for nobody: when another program holds
        // the database, the clerk has waited for it once already (the failed write) and not again here.
        if (!on && m_bulkWriting)
            run("pragma wal_checkpoint(PASSIVE)");
        m_bulkWriting = on;
    }

    qint64 execute(const QString &engineSql) override
    {
        observe(engineSql);
        Statement statement;
        prepareSingle(m_handle, engineSql, statement);
        // The engine's count of changed rows stays from the last INSERT, UPDATE or DELETE: a statement
        // that changed nothing leaves the running total as it was.
        const int before = sqlite3_total_changes(m_handle);
        int rc;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            throw DbError(engineMessage(m_handle));
        return sqlite3_total_changes(m_handle) == before ? 0 : sqlite3_changes(m_handle);
    }

    ResultSet select(const QString &sql, const QString &editableTable) override
    {
        const bool editable = !editableTable.isEmpty();
        QString engineSql = sql;
        if (editable)
            engineSql.replace(QRegularExpression(QStringLiteral(R"(^\s*select\s+\*)"),
                                                 QRegularExpression::CaseInsensitiveOption),
                              QStringLiteral("select rowid, *"));
        observe(engineSql);
        Statement statement;
        prepareSingle(m_handle, engineSql, statement);
        sqlite3_stmt *stmt = statement.get();
        const int first = editable ? 1 : 0;
        const int columns = sqlite3_column_count(stmt);
        ResultSet result;
        for (int c = first; c < columns; ++c) {
            result.fields << QString::fromUtf8(sqlite3_column_name(stmt, c));
            result.numeric << declaredNumeric(sqlite3_column_decltype(stmt, c));
        }
        if (editable)
            result.keyColumns << QStringLiteral("rowid");
        QVector<bool> typed(result.fields.size(), false);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            QVector<QVariant> row;
            row.reserve(result.fields.size());
            for (int c = first; c < columns; ++c) {
                row << columnValue(stmt, c);
                const int f = c - first;
                if (!typed[f] && !sqlite3_column_decltype(stmt, c) && sqlite3_column_type(stmt, c) != SQLITE_NULL) {
                    typed[f] = true;
                    const int t = sqlite3_column_type(stmt, c);
                    result.numeric[f] = t == SQLITE_INTEGER || t == SQLITE_FLOAT;
                }
            }
            if (editable)
                result.keys << QVector<QVariant>{QVariant(qint64(sqlite3_column_int64(stmt, 0)))};
            result.rows << row;
        }
        if (rc != SQLITE_DONE)
            throw DbError(engineMessage(m_handle));
        return result;
    }

    void updateRow(const QString &table, const QStringList &fields, const QVector<QVariant> &values,
                   const QStringList &keyColumns, const QVector<QVariant> &keyValues) override
    {
        QStringList sets, where;
        for (const QString &field : fields)
            sets << quotedName(field) + QStringLiteral("=?");
        for (const QString &key : keyColumns)
            where << key + QStringLiteral("=?"); // rowid is no quoted name
        const QString sql = QStringLiteral("update %1 set %2 where %3")
                                .arg(quotedName(table), sets.join(QLatin1Char(',')), where.join(QStringLiteral(" and ")));
        observe(sql);
        Statement statement;
        prepareSingle(m_handle, sql, statement);
        int index = 1;
        for (const QVariant &value : values)
            bindValue(statement.get(), index++, value);
        for (const QVariant &value : keyValues)
            bindValue(statement.get(), index++, value);
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            throw DbError(engineMessage(m_handle));
        if (sqlite3_changes(m_handle) == 0)
            throw DbError(rowGoneMessage());
    }

    sqlite3 *sqliteHandle() const override { return m_handle; }

private:
    void run(const char *sql)
    {
        if (sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw DbError(engineMessage(m_handle));
    }

    sqlite3 *m_handle;
    bool m_bulkWriting = false;
};

} // namespace

std::unique_ptr<Engine> openFileEngine(const ConnectionTextParts &parts)
{
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
    // Another desk process may be writing: wait for it, also during the set-up below.
    sqlite3_busy_timeout(handle, 5000);
    // A wrong password shows only at the first statement: read the schema now.
    const char *setup = "select count(*) from sqlite_master;"
                        "pragma journal_mode=WAL;"
                        "pragma synchronous=FULL;";
    if (sqlite3_exec(handle, setup, nullptr, nullptr, nullptr) != SQLITE_OK) {
        const QString message = engineMessage(handle);
        sqlite3_close(handle);
        throw DbError(message);
    }
    registerJetFunctions(handle);
    return std::make_unique<FileEngine>(handle);
}

} // namespace db
