#include "catalogue/SearchData.h"

#include "catalogue/TitleReadings.h"
#include "data/Udm.h"

namespace {

const int kTitle = 1;
const int kSerial = 2;

QString marked(const QStringList &entries)
{
    return entries.isEmpty() ? QStringLiteral("null")
                             : QLatin1String("'|") + SqlText(entries.join(QLatin1Char('|'))) + QLatin1String("|'");
}


// The distinct non-null values of `columns` over both catalogue tables that have no row of kind `lb`.
QString missingStatement(const QStringList &columns, int lb)
{
    QStringList selects;
    for (const QString &table : {QStringLiteral("post"), QStringLiteral("nopost")})
        for (const QString &column : columns)
            selects << QStringLiteral("select %1 as t from %2").arg(column, table);
    return QStringLiteral("select t from (") + selects.join(QStringLiteral(" union ")) + QStringLiteral(
               ") as a where t is not null and t not in (select yw from bkjs where lb=%1)").arg(lb);
}

QString pruneStatement(const QStringList &columns, int lb)
{
    QString statement = QStringLiteral("delete from bkjs where lb=%1").arg(lb);
    for (const QString &table : {QStringLiteral("post"), QStringLiteral("nopost")})
        for (const QString &column : columns)
            statement += QStringLiteral(" and yw not in (select %1 from %2 where %1 is not null)").arg(column, table);
    return statement;
}

QStringList firstColumn(const QList<QStringList> &rows)
{
    QStringList values;
    values.reserve(rows.size());
    for (const QStringList &row : rows)
        values << row.value(0);
    return values;
}

} // namespace

QStringList SearchDataTableStatements()
{
    // Plain types and "if not exists", which both engines read the same way. On a server the plain text
    // columns take the code-point comparison of the catalogue columns they are compared with.
    return {QStringLiteral("create table if not exists bkjs (lb integer not null, yw text not null, py text, szm text)"),
            QStringLiteral("create index if not exists bkjs_yw on bkjs (lb, yw)")};
}

bool EnsureSearchDataTable()
{
    // A server's tables are bkdata's to make, and the desks' role may create none: there the
    // statements run only when the table is missing.
    if (dm && dm->ADOConnection.isServer() && CountRows(QStringLiteral("select * from bkjs where 1=0")) == 0)
        return true;
    return ExecSqlBatch(SearchDataTableStatements());
}

QStringList SearchDataInserts(const QStringList &titles, const QStringList &serials, int chunk)
{
    QStringList rows;
    // Every text gets its row, also one that reads as nothing, so it is not looked at again.
    for (const QString &title : titles) {
        const TitleReadings readings = ReadTitle(title);
        rows << QStringLiteral("(%1,%2,%3,%4)").arg(kTitle).arg(SqlQuoted(title), marked(readings.spellings),
                                                                marked(readings.initials));
    }
    for (const QString &serial : serials)
        rows << QStringLiteral("(%1,%2,%3,null)").arg(kSerial).arg(SqlQuoted(serial), marked(SerialNumberForms(serial)));
    QStringList statements;
    for (qsizetype first = 0; first < rows.size(); first += chunk)
        statements << QStringLiteral("insert into bkjs (lb,yw,py,szm) values ") + rows.mid(first, chunk).join(QLatin1Char(','));
    return statements;
}

bool RefreshSearchData(bool prune, int *added)
{
    const QStringList titleColumns = {QStringLiteral("bkmc")};
    const QStringList serialColumns = {QStringLiteral("cn"), QStringLiteral("issn")};
    QList<QStringList> titles;
    QList<QStringList> serials;
    if (ReadRows(missingStatement(titleColumns, kTitle), &titles) < 0
        || ReadRows(missingStatement(serialColumns, kSerial), &serials) < 0)
        return false;
    QStringList statements;
    if (prune)
        statements << pruneStatement(titleColumns, kTitle) << pruneStatement(serialColumns, kSerial);
    statements << SearchDataInserts(firstColumn(titles), firstColumn(serials));
    if (added)
        *added = int(titles.size() + serials.size());
    return statements.isEmpty() || ExecSqlBatch(statements);
}

QString TitleReadingCondition(const QString &key)
{
    // A key of letters only holds no wildcard; like is the engines' own, quicker than instr.
    const QString k = SqlText(key);
    return QStringLiteral("bkmc in (select yw from bkjs where lb=%1 and (py like '%%2%' or szm like '%%2%'))")
        .arg(kTitle)
        .arg(k);
}

QString SerialNumberCondition(const QString &key)
{
    const QString inForms = QStringLiteral(" in (select yw from bkjs where lb=%1 and instr(py,'|%2|')<>0)")
                                .arg(kSerial)
                                .arg(SqlText(key));
    return QStringLiteral("(cn") + inForms + QStringLiteral(" or issn") + inForms + QLatin1Char(')');
}

int LoadTitleReadings(QHash<QString, QStringList> *readings)
{
    readings->clear();
    QList<QStringList> rows;
    if (ReadRows(QStringLiteral("select yw,py,szm from bkjs where lb=%1").arg(kTitle), &rows) < 0)
        return -1;
    for (const QStringList &row : rows) {
        QStringList &forms = (*readings)[row.value(0)];
        for (const QString &column : {row.value(1), row.value(2)})
            for (const QString &form : column.split(QLatin1Char('|'), Qt::SkipEmptyParts))
                if (!forms.contains(form))
                    forms << form;
    }
    return int(readings->size());
}
