#include "calendar/IrregularIssues.h"

#include "data/Udm.h"

const QString KindSuspended = QStringLiteral("停刊");
const QString KindBreak = QStringLiteral("休刊");
const QString KindCombined = QStringLiteral("合刊");

namespace {

QString titleCondition(const TitleRef &title, int year)
{
    return QStringLiteral("mllx=") + QString::number(title.catalogueType) + QStringLiteral(" and bkdh='")
        + SqlText(title.code) + QStringLiteral("' and nd=") + QString::number(year);
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + SqlText(text) + QLatin1Char('\'');
}

} // namespace

bool IrregularIssue::combined() const
{
    return kind == KindCombined;
}

QStringList IrregularIssueKinds()
{
    return {KindSuspended, KindBreak, KindCombined};
}

QString RegisterDateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QStringList IrregularIssueTableStatements()
{
    // Plain types and "if not exists", which both engines read the same way.
    return {QStringLiteral("create table if not exists tkhkb (mllx integer not null, bkdh text not null, "
                           "nd integer not null, lb text not null, qr text not null, zr text not null, sm text)"),
            QStringLiteral("create index if not exists tkhkb_title on tkhkb (mllx, bkdh, nd)")};
}

bool EnsureIrregularIssueTable()
{
    return ExecSqlBatch(IrregularIssueTableStatements());
}

QString IrregularIssuesStatement(const TitleRef &title, int year)
{
    return QStringLiteral("select lb,qr,zr,sm from tkhkb where ") + titleCondition(title, year)
        + QStringLiteral(" order by qr");
}

QString InsertIrregularIssueStatement(const TitleRef &title, int year, const IrregularIssue &entry)
{
    return QStringLiteral("insert into tkhkb (mllx,bkdh,nd,lb,qr,zr,sm) values (")
        + QString::number(title.catalogueType) + QLatin1Char(',') + quoted(title.code) + QLatin1Char(',')
        + QString::number(year) + QLatin1Char(',') + quoted(entry.kind) + QLatin1Char(',')
        + quoted(RegisterDateText(entry.first)) + QLatin1Char(',') + quoted(RegisterDateText(entry.last))
        + QLatin1Char(',') + quoted(entry.remark) + QLatin1Char(')');
}

QString DeleteIrregularIssueStatement(const TitleRef &title, int year, const QDate &first)
{
    return QStringLiteral("delete from tkhkb where ") + titleCondition(title, year) + QStringLiteral(" and qr=")
        + quoted(RegisterDateText(first));
}

QString RegisteredCodesStatement(int catalogueType, int year)
{
    return QStringLiteral("select distinct bkdh from tkhkb where mllx=") + QString::number(catalogueType)
        + QStringLiteral(" and nd=") + QString::number(year);
}

int LoadIrregularIssues(const TitleRef &title, int year, QList<IrregularIssue> *entries)
{
    entries->clear();
    QList<QStringList> rows;
    if (ReadRows(IrregularIssuesStatement(title, year), &rows) < 0)
        return -1;
    for (const QStringList &row : rows) {
        IrregularIssue entry;
        entry.kind = row.value(0);
        entry.first = QDate::fromString(row.value(1), Qt::ISODate);
        entry.last = QDate::fromString(row.value(2), Qt::ISODate);
        entry.remark = row.value(3);
        if (IrregularIssueKinds().contains(entry.kind) && entry.first.isValid() && entry.last.isValid())
            entries->append(entry);
    }
    return int(entries->size());
}

int LoadRegisteredCodes(int catalogueType, int year, QSet<QString> *codes)
{
    codes->clear();
    QList<QStringList> rows;
    if (ReadRows(RegisteredCodesStatement(catalogueType, year), &rows) < 0)
        return -1;
    for (const QStringList &row : rows)
        codes->insert(row.value(0));
    return int(codes->size());
}
