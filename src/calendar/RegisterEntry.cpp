#include "calendar/RegisterEntry.h"

#include "calendar/IrregularIssueCheck.h"
#include "calendar/IssueSchedule.h"
#include "data/Udm.h"

QString CatalogueTitleStatement(const TitleRef &title)
{
    const QString code = QStringLiteral("bkdh='") + SqlText(title.code) + QLatin1Char('\'');
    if (title.catalogueType == 0)
        return QStringLiteral("select bkmc,kq,cbrq from post where ") + code;
    return QStringLiteral("select bkmc,kq,cbrq from nopost where mllx=") + QString::number(title.catalogueType)
        + QStringLiteral(" and ") + code;
}

int FindCatalogueTitle(const TitleRef &title, CatalogueTitle *found)
{
    QList<QStringList> rows;
    if (ReadRows(CatalogueTitleStatement(title), &rows) < 0)
        return -1;
    if (rows.isEmpty())
        return 0;
    found->name = rows.first().value(0);
    found->kq = rows.first().value(1);
    found->cbrq = rows.first().value(2);
    return 1;
}

RegisterOutcome RegisterIrregularIssue(const TitleRef &title, const CatalogueTitle &catalogue, int year,
                                       const IrregularIssue &entry)
{
    using Kind = RegisterOutcome::Kind;
    QList<IrregularIssue> existing;
    if (LoadIrregularIssues(title, year, &existing) < 0)
        return {Kind::Failed, GP.LastError};
    if (SameIrregularIssue(entry, existing) >= 0)
        return {Kind::AlreadyRegistered, {}};

    // The publication days matter only to a combined issue, which must cover one of them.
    QList<QDate> publication;
    if (entry.combined() && PublicationDays(catalogue.kq, catalogue.cbrq, &publication) < 0)
        return {Kind::Refused, QStringLiteral("该报刊的出版日期无法计算(%1)").arg(GP.LastError)};
    const QString problem = IrregularIssueProblem(entry, year, existing, publication);
    if (!problem.isEmpty())
        return {Kind::Refused, problem};
    if (!ExecSql(InsertIrregularIssueStatement(title, year, entry)))
        return {Kind::Failed, GP.LastError};
    return {Kind::Written, {}};
}
