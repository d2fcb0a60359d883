#pragma once
// The tables of the program's database and the columns the program reads and writes in them, as every
// version of the database has had them, and the look at a database file that finds what it lacks.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct sqlite3;

// The tables every database of the program holds, whatever version made it. The register of irregular
// issues (tkhkb) is not among them: a copy from before it existed is restored, and the table is added
// at the next login (or by 数据恢复 at once).
QStringList ProgramTables();
// The columns of one of ProgramTables() that the program uses (names in small letters).
QStringList ProgramColumns(const QString &table);

// What a database lacks of the program's tables and columns.
struct SchemaGaps {
    QStringList missingTables;
    QList<QPair<QString, QStringList>> missingColumns; // table, its missing columns, in the order above
    bool none() const { return missingTables.isEmpty() && missingColumns.isEmpty(); }
    // "数据表 post 缺少列 bkzl, mllx" for each table that lacks columns, joined by "; ".
    QString columnsText() const;
};

// Reads the schema of the open database `handle`; false when it cannot be read (the engine's error is
// then on the handle).
bool FindSchemaGaps(sqlite3 *handle, SchemaGaps *gaps);
