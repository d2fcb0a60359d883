#pragma once
// A fresh database file in a temporary folder, with the data module set up on it and connected:
// GP.DatabasePath, GP.ConnectionText, a live `dm`. Destroying it deletes the data module and the file.
//
//   TestDatabase tdb;                 // empty tables, catalogue types present
//   TestDatabase demo(/*demo=*/true); // with the demo catalogue and units

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

private:
    QTemporaryDir m_dir;
    QString m_path;
    bool m_ok = false;
};
