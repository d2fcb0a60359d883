#include "TestDatabase.h"

#include "CreateDatabase.h"
#include "data/Udm.h"

#include <QDir>
#include <QtTest>

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
