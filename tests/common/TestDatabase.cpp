#include "TestDatabase.h"

#include "CreateDatabase.h"
#include "ServerSchema.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"
#include "db/Engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QtTest>

namespace {

QString serverSocketFolder()
{
    return qEnvironmentVariable("TAVRIN_TEST_PGHOST");
}

// The process's database on the test cluster: made at first use, dropped when the process ends.
struct ProcessDatabase {
    bool made = false;
    ~ProcessDatabase()
    {
        if (!made)
            return;
        try {
            db::Connection admin;
            admin.setConnectionString(TestDatabase::serverAdminConnectionText(QStringLiteral("postgres")));
            admin.open();
            admin.engine().execute(QStringLiteral("drop database if exists %1 with (force)")
                                       .arg(TestDatabase::serverDatabaseName()));
        } catch (const db::DbError &) {
        }
    }
};
ProcessDatabase processDatabase;

} // namespace

bool TestDatabase::onServer()
{
    return qEnvironmentVariable("TAVRIN_TEST_ENGINE") == QLatin1String("server");
}

const char *TestDatabase::engineName()
{
    return onServer() ? "server engine" : "file engine";
}

QString TestDatabase::serverDatabaseName()
{
    return QStringLiteral("tavrin_test_%1").arg(QCoreApplication::applicationPid());
}

QString TestDatabase::serverAdminConnectionText(const QString &database)
{
    ServerSettings settings;
    settings.host = serverSocketFolder();
    settings.database = database;
    settings.user = QStringLiteral("postgres");
    settings.sslMode = QStringLiteral("disable");
    return ServerConnectionText(settings);
}

int RowsInFile(const QString &path, const QString &table, const QString &password)
{
    db::Connection connection;
    QString text = ConnectionTextFor(path);
    text.replace(QStringLiteral("Password=qelmaz"), QStringLiteral("Password=") + password);
    connection.setConnectionString(text);
    try {
        connection.open();
        db::Query query;
        query.setConnection(&connection);
        query.setSql(QStringLiteral("select count(*) from ") + table);
        query.open();
        return int(query.fieldIntAt(0));
    } catch (const db::DbError &) {
        return -1;
    }
}

TestDatabase::TestDatabase(bool demo, int workYear)
{
    const bool made = onServer() ? makeOnServer(demo) : makeFile(demo);
    if (!made)
        return;
    delete dm;
    dm = new Tdm;
    GP = TGP();
    GP.DatabasePath = m_path;
    GP.ConnectionText = ConnectionTextFor(m_path);
    GP.WorkYear = workYear;
    try {
        dm->ADOConnection.setConnectionString(GP.ConnectionText);
        dm->ADOConnection.open();
        m_ok = true;
    } catch (const db::DbError &e) {
        qWarning("TestDatabase (%s): %s", engineName(), qPrintable(e.message()));
    }
}

bool TestDatabase::makeFile(bool demo)
{
    m_path = QDir(m_dir.path()).filePath(QStringLiteral("bkdata.mdb"));
    bkdata::CreateOptions options;
    options.demo = demo;
    QString error;
    if (!bkdata::createDatabase(m_path, options, &error)) {
        qWarning("TestDatabase (%s): %s", engineName(), qPrintable(error));
        return false;
    }
    return true;
}

bool TestDatabase::makeOnServer(bool demo)
{
    if (serverSocketFolder().isEmpty()) {
        qWarning("TestDatabase (server engine): no test cluster; TAVRIN_TEST_PGHOST names its socket folder "
                 "(scripts/test starts one)");
        return false;
    }
    // The previous test's connection goes before its tables do.
    delete dm;
    dm = nullptr;
    try {
        if (!processDatabase.made) {
            db::Connection admin;
            admin.setConnectionString(serverAdminConnectionText(QStringLiteral("postgres")));
            admin.open();
            admin.engine().execute(QStringLiteral("drop database if exists %1 with (force)").arg(serverDatabaseName()));
            admin.engine().execute(QStringLiteral("create database %1").arg(serverDatabaseName()));
            processDatabase.made = true;
        }
        db::Connection server;
        server.setConnectionString(serverAdminConnectionText(serverDatabaseName()));
        server.open();
        server.engine().execute(QStringLiteral("drop schema if exists public cascade"));
        server.engine().execute(QStringLiteral("create schema public"));
        bkdata::CreateOptions options;
        options.demo = demo;
        QString error;
        if (!bkdata::createServerSchema(server, options, &error)) {
            qWarning("TestDatabase (server engine): %s", qPrintable(error));
            return false;
        }
    } catch (const db::DbError &e) {
        qWarning("TestDatabase (server engine): %s", qPrintable(e.message()));
        return false;
    }
    m_path = QDir(m_dir.path()).filePath(ServerSettingsFileName());
    QSettings settings(m_path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("server"));
    settings.setValue(QStringLiteral("host"), serverSocketFolder());
    settings.setValue(QStringLiteral("database"), serverDatabaseName());
    settings.setValue(QStringLiteral("user"), QStringLiteral("postgres"));
    settings.setValue(QStringLiteral("sslmode"), QStringLiteral("disable"));
    settings.endGroup();
    settings.sync();
    return true;
}

TestDatabase::~TestDatabase()
{
    delete dm;
    dm = nullptr;
}

void TestDatabase::refuse(const QString &name, const QString &table, const QString &event, const QString &message)
{
    db::Connection &c = dm->ADOConnection;
    if (!c.connected())
        c.open();
    if (onServer()) {
        c.execute(QStringLiteral("create function %1() returns trigger language plpgsql as "
                                 "$$ begin raise exception '%2'; end $$")
                      .arg(name, message));
        c.execute(QStringLiteral("create trigger %1 before %2 on %3 for each row execute function %1()")
                      .arg(name, event, table));
    } else {
        c.execute(QStringLiteral("create trigger %1 before %2 on %3 begin select raise(abort,'%4'); end")
                      .arg(name, event, table, message));
    }
}

void TestDatabase::allow(const QString &name, const QString &table)
{
    db::Connection &c = dm->ADOConnection;
    if (onServer()) {
        c.execute(QStringLiteral("drop trigger %1 on %2").arg(name, table));
        c.execute(QStringLiteral("drop function %1()").arg(name));
    } else {
        c.execute(QStringLiteral("drop trigger %1").arg(name));
    }
}
