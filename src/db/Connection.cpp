#include "db/Connection.h"

#include "db/Engine.h"
#include "db/JetDialect.h"

#include <QThread>

#include <utility>

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
    m_reopened = ++m_opens > 1;
    if (!m_unresolvedCommit.isEmpty())
        resolveCommit();
}

void Connection::resolveCommit()
{
    // A commit still "in progress" belongs to a session the server has not noticed as gone yet.
    for (int attempt = 0; attempt < 30; ++attempt) {
        const QString status = m_engine->commitStatus(m_unresolvedCommit);
        if (status == QLatin1String("in progress")) {
            QThread::msleep(100);
            continue;
        }
        m_outcome = status == QLatin1String("committed") ? CommitOutcome::Written : CommitOutcome::NotWritten;
        m_unresolvedCommit.clear();
        return;
    }
}

CommitOutcome Connection::takeCommitOutcome()
{
    return std::exchange(m_outcome, CommitOutcome::None);
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
        throw DbError(explainedEngineText(EngineFault::ConnectionLost, QStringLiteral("the connection is closed")),
                      EngineFault::ConnectionLost);
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
    try {
        engine().commit();
    } catch (const DbError &error) {
        if (error.fault() != EngineFault::CommitUnknown)
            throw;
        m_unresolvedCommit = m_engine->unresolvedCommit();
        try {
            open(); // a backend ended or a quick restart: the server answers at once
        } catch (const DbError &) {
            throw error;
        }
        switch (takeCommitOutcome()) {
        case CommitOutcome::Written:
            return;
        case CommitOutcome::NotWritten:
            throw DbError(explainedEngineText(EngineFault::ConnectionLost,
                                              QStringLiteral("the server rolled the transaction back")),
                          EngineFault::ConnectionLost);
        case CommitOutcome::None:
            throw error;
        }
    }
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

void Connection::execute(const QString &jetSql)
{
    engine().execute(rewriteJetSql(jetSql));
}

} // namespace db
