#include "TestDatabase.h"

#include "CreateDatabase.h"
#include "data/Udm.h"

#include <QDir>
#include <QtTest>

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
    m_path = QDir(m_dir.path()).filePath(QStringLiteral("bkdata.mdb"));
    bkdata::CreateOptions options;
    options.demo = demo;
    QString error;
    if (!bkdata::createDatabase(m_path, options, &error)) {
        qWarning("TestDatabase: %s", qPrintable(error));
        return;
    }
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
        qWarning("TestDatabase: %s", qPrintable(e.message()));
    }
}

TestDatabase::~TestDatabase()
{
    delete dm;
    dm = nullptr;
}
