#pragma once
// A fresh database with the data module set up on it and connected: GP.DatabasePath,
// GP.ConnectionText, a live `dm`. Destroying it deletes the data module and the database.
//
//   TestDatabase tdb;                 // empty tables, catalogue types present
//   TestDatabase demo(/*demo=*/true); // with the demo catalogue and units
//
// The engine follows TAVRIN_TEST_ENGINE: unset or "file" makes an encrypted file in a temporary
// folder; "server" makes the schema in a database of the PostgreSQL cluster whose socket folder
// TAVRIN_TEST_PGHOST names (scripts/test starts one), one database per test process, and path()
// is then a settings file (tavrin.ini) that describes it.

#include <QString>
#include <QTemporaryDir>

// The number of rows of `table` in the database file at `path`, opened with `password` (-1 when it does
// not open or read). A connection of its own: the data module is left alone.
int RowsInFile(const QString &path, const QString &table, const QString &password = QStringLiteral("qelmaz"));

class TestDatabase {
public:
    explicit TestDatabase(bool demo = false, int workYear = 2010);
    ~TestDatabase();
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    bool ok() const { return m_ok; }

    // Whether this run's tests use the server engine, and the engine's name for messages.
    static bool onServer();
    static const char *engineName();
    // The connection text of a fresh, empty database of the test cluster (server runs only).
    static QString serverAdminConnectionText(const QString &database);
    // The test process's database on the cluster.
    static QString serverDatabaseName();

    // Makes every `event` (insert, update or delete) on `table` fail with `message`, on either engine,
    // through the data module's connection; `allow` takes that back.
    static void refuse(const QString &name, const QString &table, const QString &event, const QString &message);
    static void allow(const QString &name, const QString &table);

private:
    bool makeFile(bool demo);
    bool makeOnServer(bool demo);

    QTemporaryDir m_dir;
    QString m_path;
    bool m_ok = false;
};
