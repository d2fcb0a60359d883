#include "data/ProgramSchema.h"

#include "db/Sqlite.h"

namespace {

// The columns of each table, as the database is made (bkdata) since its first version.
const struct {
    const char *table;
    const char *columns;
} kTables[] = {
    {"bkmllx", "id mc"},
    {"post", "bkdh bkmc kq cbrq qnj dj yj jj bnj cn issn bkfl bz bkjb fbkj bkzl mllx"},
    {"nopost", "bkdh bkmc kq cbrq qnj dj yj jj bnj cn issn bkfl bz bkjb fbkj bkzl mllx"},
    {"dwinfo", "id dwmc lxr phone"},
    {"torder", "id dwid mllx bkdh kq qdy zdy fs ke joindate"},
    {"rqdzb", "cbrq week weeknum"},
};

// The single-column rows of `sql`, in small letters.
bool names(sqlite3 *handle, const QByteArray &sql, int column, QStringList *out)
{
    db::Statement statement;
    if (sqlite3_prepare_v2(handle, sql.constData(), -1, statement.out(), nullptr) != SQLITE_OK)
        return false;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        *out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), column)))
                    .toLower();
    return rc == SQLITE_DONE;
}

} // namespace

QStringList ProgramTables()
{
    QStringList tables;
    for (const auto &table : kTables)
        tables << QLatin1String(table.table);
    return tables;
}

QStringList ProgramColumns(const QString &table)
{
    for (const auto &known : kTables)
        if (table == QLatin1String(known.table))
            return QString::fromLatin1(known.columns).split(QLatin1Char(' '));
    return {};
}

QString SchemaGaps::columnsText() const
{
    QStringList texts;
    for (const auto &[table, columns] : missingColumns)
        texts << QStringLiteral("数据表 %1 缺少列 %2").arg(table, columns.join(QStringLiteral(", ")));
    return texts.join(QStringLiteral("; "));
}

bool FindSchemaGaps(sqlite3 *handle, SchemaGaps *gaps)
{
    *gaps = SchemaGaps();
    QStringList tables;
    if (!names(handle, "select name from sqlite_master where type='table'", 0, &tables))
        return false;
    for (const QString &table : ProgramTables()) {
        if (!tables.contains(table)) {
            gaps->missingTables << table;
            continue;
        }
        QStringList columns;
        // table_info: cid, name, type, notnull, default, pk
        if (!names(handle, "pragma table_info(" + table.toLatin1() + ")", 1, &columns))
            return false;
        QStringList missing;
        for (const QString &column : ProgramColumns(table))
            if (!columns.contains(column))
                missing << column;
        if (!missing.isEmpty())
            gaps->missingColumns.append({table, missing});
    }
    return true;
}
