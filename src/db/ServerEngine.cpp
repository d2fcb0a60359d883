// The PostgreSQL engine through libpq. The Jet functions are SQL functions that the server's schema
// holds (see ServerFunctions); the processing year that cdate needs travels as a session setting.
// Rows of an editable result are found again by the table's primary key.

#include "db/Connection.h"
#include "db/Engine.h"
#include "db/JetDialect.h"
#include "db/PasswordNeeded.h"
#include "db/ServerTarget.h"

#include <libpq-fe.h>

#include <QHash>
#include <QUrl>

#include <cstdlib>

namespace db {

namespace {

// Bounded waits on the server.
const QString kLockTimeout = QStringLiteral("5s");
const QString kStatementTimeout = QStringLiteral("30s");
const QString kIdleTransactionTimeout = QStringLiteral("60s");

// Type numbers of the server's built-in types that this layer reads as numbers.
enum : Oid { BoolOid = 16, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26, Float4Oid = 700,
             Float8Oid = 701, NumericOid = 1700 };

bool numericType(Oid type)
{
    switch (type) {
    case BoolOid: case Int8Oid: case Int2Oid: case Int4Oid: case OidOid: case Float4Oid: case Float8Oid:
    case NumericOid:
        return true;
    default:
        return false;
    }
}

QVariant cellValue(const PGresult *res, int row, int col, Oid type)
{
    if (PQgetisnull(res, row, col))
        return QVariant();
    const char *text = PQgetvalue(res, row, col);
    const int length = PQgetlength(res, row, col);
    switch (type) {
    case Int8Oid: case Int2Oid: case Int4Oid: case OidOid:
        return QVariant(qint64(std::strtoll(text, nullptr, 10)));
    case BoolOid:
        return QVariant(qint64(text[0] == 't' ? 1 : 0));
    case Float4Oid: case Float8Oid:
        return QVariant(QByteArray::fromRawData(text, length).toDouble());
    case NumericOid: {
        // A sum of whole numbers stays whole, as on the file engine.
        const QByteArray digits = QByteArray::fromRawData(text, length);
        bool whole = false;
        const qint64 n = digits.toLongLong(&whole);
        return whole ? QVariant(n) : QVariant(digits.toDouble());
    }
    default:
        return QVariant(QString::fromUtf8(text, length));
    }
}

QString quotedName(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// A parameter's text for the server (which reads it as the column's type).
QByteArray parameterText(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float)
        return QByteArray::number(value.toDouble(), 'g', 17);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? "1" : "0";
    return value.toString().toUtf8();
}

class Result {
public:
    explicit Result(PGresult *res) : m_res(res) {}
    ~Result() { PQclear(m_res); }
    Result(const Result &) = delete;
    Result &operator=(const Result &) = delete;
    PGresult *get() const { return m_res; }

private:
    PGresult *m_res;
};

class ServerEngine : public Engine {
public:
    explicit ServerEngine(PGconn *conn) : m_conn(conn) {}
    ~ServerEngine() override { PQfinish(m_conn); }

    bool alive() const override { return !m_lost && PQstatus(m_conn) == CONNECTION_OK; }

    bool inTransaction() const override
    {
        const PGTransactionStatusType status = PQtransactionStatus(m_conn);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
    }

    // A transaction is serialisable: the server runs the transactions of all desks as if one came
    // after the other, and ends one that a concurrent transaction would make come out otherwise
    // (serialisation failure: the caller runs it again). Writes of different rows do not wait for
    // each other.
    void begin() override
    {
        syncYear();
        Result r(check(PQexec(m_conn, "begin isolation level serializable")));
    }

    // The transaction's id is read before the commit is sent: when the link breaks during the commit,
    // the server can be asked later whether it was written.
    void commit() override
    {
        const bool failed = PQtransactionStatus(m_conn) == PQTRANS_INERROR;
        QByteArray xid;
        if (!failed) {
            Result id(run("select pg_current_xact_id_if_assigned()::text"));
            if (PQntuples(id.get()) == 1 && !PQgetisnull(id.get(), 0, 0))
                xid = PQgetvalue(id.get(), 0, 0);
        }
        PGresult *res = PQexec(m_conn, "commit");
        const char *state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
        const bool failedCommit = !res || PQresultStatus(res) != PGRES_COMMAND_OK;
        const bool linkLost = PQstatus(m_conn) != CONNECTION_OK
                              || (failedCommit && (!state || !*state))
                              || serverEngineFault(QByteArray(state ? state : ""), true) == EngineFault::ConnectionLost;
        m_lost = m_lost || linkLost;
        if (!xid.isEmpty() && linkLost) {
            const QString text = failure(res);
            PQclear(res);
            m_unresolvedCommit = QString::fromLatin1(xid);
            throw DbError(explainedEngineText(EngineFault::CommitUnknown, text), EngineFault::CommitUnknown);
        }
        Result r(check(res));
        // The server ends a transaction that met an error with a rollback, even when asked to commit.
        if (failed || qstrcmp(PQcmdStatus(r.get()), "ROLLBACK") == 0)
            throw DbError(QStringLiteral("the transaction was rolled back after an error"));
    }

    QString unresolvedCommit() const override { return m_unresolvedCommit; }

    QString commitStatus(const QString &xid) override
    {
        const QByteArray id = xid.toLatin1();
        const char *params[] = {id.constData()};
        Result r(check(PQexecParams(m_conn, "select pg_xact_status($1::xid8)", 1, nullptr, params, nullptr, nullptr, 0)));
        return PQgetisnull(r.get(), 0, 0) ? QString() : QString::fromLatin1(PQgetvalue(r.get(), 0, 0));
    }

    void rollback() override
    {
        if (inTransaction() && alive())
            Result r(run("rollback"));
    }

    // Bulk writing does not wait for each commit to reach the disk. Switching it off commits one more
    // transaction that writes to the server's log (a message of its own: a transaction that writes
    // nothing is not waited for) and waits until it is on disk: the log is written in order, so every
    // commit before it is on disk then too.
    void setBulkWriting(bool on) override
    {
        if (on) {
            Result r(run("set synchronous_commit to off"));
            return;
        }
        Result r(run("set synchronous_commit to on"));
        Result flushed(run("select pg_logical_emit_message(true, 'tavrin', 'bulk writing ends')"));
    }

    qint64 execute(const QString &engineSql) override
    {
        refuseSecondStatement(engineSql);
        observe(engineSql);
        Result r(run(engineSql.toUtf8()));
        return QByteArray(PQcmdTuples(r.get())).toLongLong(); // empty for other statements: 0
    }

    ResultSet select(const QString &engineSql, const QString &editableTable) override
    {
        refuseSecondStatement(engineSql);
        observe(engineSql);
        Result r(run(engineSql.toUtf8()));
        const PGresult *res = r.get();
        ResultSet result;
        const int columns = PQnfields(res);
        QVector<Oid> types;
        for (int c = 0; c < columns; ++c) {
            result.fields << QString::fromUtf8(PQfname(res, c));
            types << PQftype(res, c);
            result.numeric << numericType(types.last());
        }
        const int rows = PQntuples(res);
        result.rows.reserve(rows);
        for (int row = 0; row < rows; ++row) {
            QVector<QVariant> values;
            values.reserve(columns);
            for (int c = 0; c < columns; ++c)
                values << cellValue(res, row, c, types.at(c));
            result.rows << values;
        }
        if (!editableTable.isEmpty())
            fillKeys(editableTable, result);
        return result;
    }

    void updateRow(const QString &table, const QStringList &fields, const QVector<QVariant> &values,
                   const QStringList &keyColumns, const QVector<QVariant> &keyValues) override
    {
        QStringList sets, where;
        int n = 0;
        for (const QString &field : fields)
            sets << quotedName(field) + QStringLiteral("=$") + QString::number(++n);
        for (const QString &key : keyColumns)
            where << quotedName(key) + QStringLiteral("=$") + QString::number(++n);
        const QString sql = QStringLiteral("update %1 set %2 where %3")
                                .arg(quotedName(table), sets.join(QLatin1Char(',')), where.join(QStringLiteral(" and ")));
        observe(sql);
        QVector<QByteArray> texts;
        QVector<const char *> pointers;
        for (const QVector<QVariant> *list : {&values, &keyValues})
            for (const QVariant &value : *list)
                texts << (value.isNull() ? QByteArray() : parameterText(value));
        for (int i = 0; i < texts.size(); ++i)
            pointers << (texts.at(i).isNull() ? nullptr : texts.at(i).constData());
        syncYear();
        Result r(check(PQexecParams(m_conn, sql.toUtf8().constData(), int(pointers.size()), nullptr,
                                    pointers.constData(), nullptr, nullptr, 0)));
        if (qstrcmp(PQcmdTuples(r.get()), "0") == 0)
            throw DbError(rowGoneMessage());
    }

private:
    static void refuseSecondStatement(const QString &engineSql)
    {
        if (holdsSecondStatement(engineSql))
            throw DbError(QString::fromLatin1(kSecondStatementMessage));
    }

    // The message of a failed call: the server's own first line, or what libpq says of the link.
    QString failure(const PGresult *res) const
    {
        const char *primary = res ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        if (primary && PQstatus(m_conn) == CONNECTION_OK)
            return QString::fromUtf8(primary);
        const QString text = QString::fromUtf8(PQerrorMessage(m_conn)).simplified();
        return text.isEmpty() && primary ? QString::fromUtf8(primary) : text;
    }

    PGresult *check(PGresult *res) const
    {
        const ExecStatusType status = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return res;
        QString message = failure(res);
        if (message.isEmpty())
            message = QStringLiteral("the server gave no answer");
        const char *state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
        // Every error of the server carries its code; one without came from the client library
        // itself: the link broke.
        const bool linkUp = PQstatus(m_conn) == CONNECTION_OK && state && *state;
        const EngineFault fault = serverEngineFault(QByteArray(state ? state : ""), linkUp);
        if (fault == EngineFault::ConnectionLost)
            m_lost = true; // the next helper call makes the connection anew
        PQclear(res);
        throw DbError(explainedEngineText(fault, message), fault);
    }

    // One statement through the extended protocol, which also refuses a second statement.
    PGresult *run(const QByteArray &sql)
    {
        syncYear();
        return check(PQexecParams(m_conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0));
    }

    // cdate reads month-day dates in the processing year, kept in the session setting tavrin.work_year.
    void syncYear()
    {
        const int year = cdateDefaultYear();
        if (year == m_sentYear)
            return;
        const QByteArray sql = "select set_config('tavrin.work_year', '" + QByteArray::number(year) + "', false)";
        Result r(check(PQexecParams(m_conn, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0)));
        m_sentYear = year;
    }

    QStringList primaryKey(const QString &table)
    {
        auto found = m_primaryKeys.constFind(table.toLower());
        if (found != m_primaryKeys.constEnd())
            return *found;
        const QByteArray name = table.toUtf8();
        const char *params[] = {name.constData()};
        Result r(check(PQexecParams(
            m_conn,
            "select a.attname from pg_index i join pg_attribute a on a.attrelid = i.indrelid "
            "and a.attnum = any(i.indkey) where i.indrelid = to_regclass($1) and i.indisprimary order by a.attnum",
            1, nullptr, params, nullptr, nullptr, 0)));
        QStringList columns;
        for (int row = 0; row < PQntuples(r.get()); ++row)
            columns << QString::fromUtf8(PQgetvalue(r.get(), row, 0));
        m_primaryKeys.insert(table.toLower(), columns);
        return columns;
    }

    void fillKeys(const QString &table, ResultSet &result)
    {
        const QStringList key = primaryKey(table);
        QVector<int> at;
        for (const QString &column : key) {
            const int index = int(result.fields.indexOf(column));
            if (index < 0)
                return; // without its key in the result a row cannot be found again
            at << index;
        }
        if (at.isEmpty())
            return;
        result.keyColumns = key;
        result.keys.reserve(result.rows.size());
        for (const QVector<QVariant> &row : std::as_const(result.rows)) {
            QVector<QVariant> values;
            for (int index : std::as_const(at))
                values << row.at(index);
            result.keys << values;
        }
    }

    PGconn *m_conn;
    QString m_unresolvedCommit;
    mutable bool m_lost = false;
    int m_sentYear = -1;
    QHash<QString, QStringList> m_primaryKeys;
};

} // namespace

std::unique_ptr<Engine> openServerEngine(const ConnectionTextParts &parts)
{
    checkServerTarget(parts);
    QVector<QByteArray> keys, values;
    auto add = [&](const char *key, const QString &value) {
        if (!value.isEmpty()) {
            keys << key;
            values << value.toUtf8();
        }
    };
    add("host", parts.host);
    add("port", parts.port);
    add("dbname", parts.database);
    add("user", parts.user);
    // The password travels percent-encoded, so that it may hold the text's separators.
    add("password", QUrl::fromPercentEncoding(parts.password.toUtf8()));
    add("sslmode", parts.sslMode.isEmpty() ? QStringLiteral("prefer") : parts.sslMode);
    add("sslrootcert", parts.sslRootCert);
    add("connect_timeout", QStringLiteral("10"));
    add("application_name", QStringLiteral("Tavrin"));
    add("client_encoding", QStringLiteral("UTF8"));
    // Grouped results without an ORDER BY come in the order of their groups and keep it through a
    // join, as in the file: the windows list them as they come. The session sets itself what the
    // program relies on, whatever a role's or database's own settings say: writes allowed, every
    // commit on disk before it is reported, and bounded waits (a lock another desk holds, a
    // statement, a desk that stopped inside a transaction) that end in a message.
    add("options", QStringLiteral("-c enable_hashagg=off -c enable_hashjoin=off -c default_transaction_read_only=off "
                                  "-c synchronous_commit=on "
                                  "-c lock_timeout=%1 -c statement_timeout=%2 "
                                  "-c idle_in_transaction_session_timeout=%3")
                              .arg(kLockTimeout, kStatementTimeout, kIdleTransactionTimeout));
    QVector<const char *> keyPointers, valuePointers;
    for (int i = 0; i < keys.size(); ++i) {
        keyPointers << keys.at(i).constData();
        valuePointers << values.at(i).constData();
    }
    keyPointers << nullptr;
    valuePointers << nullptr;
    PGconn *conn = PQconnectdbParams(keyPointers.constData(), valuePointers.constData(), 0);
    if (!conn)
        throw DbError(QStringLiteral("out of memory"));
    if (PQstatus(conn) != CONNECTION_OK) {
        const QString message = QString::fromUtf8(PQerrorMessage(conn)).simplified();
        // No password at hand, or the one given was refused: the clerk is asked (again).
        const bool needsPassword = PQconnectionNeedsPassword(conn) && parts.password.isEmpty();
        const bool passwordRefused = !parts.password.isEmpty() && PQconnectionUsedPassword(conn)
                                     && (message.contains(QLatin1String("password")) || message.contains(QStringLiteral("密码")));
        PQfinish(conn);
        if (needsPassword || passwordRefused)
            throw PasswordNeeded(message);
        throw DbError(explainedEngineText(EngineFault::ServerUnreachable, message), EngineFault::ServerUnreachable);
    }
    // The server's notices (NOTICE, WARNING) are no messages for the clerk.
    PQsetNoticeProcessor(conn, [](void *, const char *) {}, nullptr);
    return std::make_unique<ServerEngine>(conn);
}

} // namespace db
