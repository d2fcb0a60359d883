#include "db/Connection.h"

#include "db/Engine.h"
#include "db/JetDialect.h"

namespace db {

bool ConnectionTextParts::isServer() const
{
    return provider.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0;
}

ConnectionTextParts parseConnectionText(const QString &text)
{
    ConnectionTextParts parts;
    const QStringList pairs = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    const struct {
        const char *key;
        QString ConnectionTextParts::*field;
    } keys[] = {
        {"Provider", &ConnectionTextParts::provider},
        {"Data Source", &ConnectionTextParts::dataSource},
        {"Jet OLEDB:Database Password", &ConnectionTextParts::password},
        {"Password", &ConnectionTextParts::password},
        {"Host", &ConnectionTextParts::host},
        {"Port", &ConnectionTextParts::port},
        {"Database", &ConnectionTextParts::database},
        {"User ID", &ConnectionTextParts::user},
        {"SSL Mode", &ConnectionTextParts::sslMode},
    };
    for (const QString &pair : pairs) {
        const int eq = int(pair.indexOf(QLatin1Char('=')));
        if (eq < 0)
            continue;
        const QString key = pair.left(eq).trimmed();
        const QString value = pair.mid(eq + 1).trimmed();
        for (const auto &known : keys)
            if (key.compare(QLatin1String(known.key), Qt::CaseInsensitive) == 0)
                parts.*known.field = value;
    }
    return parts;
}

Connection::Connection() = default;

Connection::~Connection()
{
    close();
}

void Connection::open()
{
    close();
    const ConnectionTextParts parts = parseConnectionText(m_connectionString);
    m_engine = parts.isServer() ? openServerEngine(parts) : openFileEngine(parts);
    m_engine->observer = m_observer;
    m_server = parts.isServer();
    m_bulkWriting = false;
    static quint64 openings = 0;
    m_session = ++openings;
}

void Connection::close()
{
    m_engine.reset();
}

bool Connection::connected() const
{
    return m_engine && m_engine->alive();
}

Engine &Connection::engine() const
{
    if (!m_engine)
        throw DbError(QStringLiteral("the connection is closed"));
    return *m_engine;
}

sqlite3 *Connection::handle() const
{
    return m_engine ? m_engine->sqliteHandle() : nullptr;
}

void Connection::setStatementObserver(std::function<void(const QString &)> observer)
{
    m_observer = std::move(observer);
    if (m_engine)
        m_engine->observer = m_observer;
}

bool Connection::inTransaction() const
{
    return m_engine && m_engine->inTransaction();
}

void Connection::beginTrans()
{
    engine().begin();
}

void Connection::commitTrans()
{
    engine().commit();
}

void Connection::rollbackTrans()
{
    engine().rollback();
}

void Connection::setBulkWriting(bool on)
{
    engine().setBulkWriting(on);
    m_bulkWriting = on;
}

qint64 Connection::execute(const QString &jetSql)
{
    return engine().execute(rewriteJetSql(jetSql));
}

} // namespace db
