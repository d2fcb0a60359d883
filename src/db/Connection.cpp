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

namespace {

// Reads one value after its '=': a value that starts with a double or single quote runs to the matching
// quote (the quote written twice stands for itself) and may hold any character; any other value runs
// to the next ';' and loses its blanks at both ends.
QString readValue(const QString &text, qsizetype &at)
{
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    if (at < text.size() && (text.at(at) == QLatin1Char('"') || text.at(at) == QLatin1Char('\''))) {
        const QChar quote = text.at(at++);
        QString value;
        while (at < text.size()) {
            const QChar c = text.at(at++);
            if (c != quote) {
                value += c;
            } else if (at < text.size() && text.at(at) == quote) {
                value += quote;
                ++at;
            } else {
                break;
            }
        }
        // Whatever follows the closing quote up to the separator is no part of any value.
        while (at < text.size() && text.at(at) != QLatin1Char(';'))
            ++at;
        return value;
    }
    const qsizetype end = text.indexOf(QLatin1Char(';'), at);
    const QString value = text.mid(at, end < 0 ? -1 : end - at).trimmed();
    at = end < 0 ? text.size() : end;
    return value;
}

} // namespace

QString connectionTextValue(const QString &value)
{
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"'))
        && !value.contains(QLatin1Char('\'')) && value.trimmed() == value;
    if (plain)
        return value;
    return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

ConnectionTextParts parseConnectionText(const QString &text)
{
    ConnectionTextParts parts;
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
        {"SSL Root Certificate", &ConnectionTextParts::sslRootCert},
    };
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), at);
        const qsizetype separator = text.indexOf(QLatin1Char(';'), at);
        if (eq < 0)
            break;
        if (separator >= 0 && separator < eq) {
            at = separator + 1; // a piece without '=' is no pair
            continue;
        }
        const QString key = text.mid(at, eq - at).trimmed();
        at = eq + 1;
        const QString value = readValue(text, at);
        ++at; // past the ';'
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

qint64 Connection::execute(const QString &jetSql)
{
    return engine().execute(rewriteJetSql(jetSql));
}

} // namespace db
