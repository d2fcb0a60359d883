#pragma once
// A fresh database file in a temporary folder, with the data module set up on it and connected:
// GP.DatabasePath, GP.ConnectionText, a live `dm`. Destroying it deletes the data module and the file.
//
//   TestDatabase tdb;                 // empty tables, catalogue types present
//   TestDatabase demo(/*demo=*/true); // with the demo catalogue and units

#include <QString>
#include <QTemporaryDir>

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
