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

// A stored yyyy-MM-dd date, read without the general date parser (counting reads every entry).
QDate storedDate(const QString &text)
{
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return QDate::fromString(text, Qt::ISODate);
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p)
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return QDate();
            parts[p] = parts[p] * 10 + (c - u'0');
        }
    return QDate(parts[0], parts[1], parts[2]);
}


} // namespace

bool IrregularIssue::combined() const
{
    return kind == KindCombined;
}

QStringList IrregularIssueKinds()
{
    static const QStringList kinds = {KindSuspended, KindBreak, KindCombined};
    return kinds;
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
            QStringLiteral("create index if not exists tkhkb_title on tkhkb (mllx, bkdh, nd, qr)")};
}

bool EnsureIrregularIssueTable()
{
    // A server's tables are bkdata's to make, and the desks' role may create none: there the
    // statements run only when the table is missing.
    if (dm && dm->ADOConnection.isServer() && CountRows(QStringLiteral("select * from tkhkb where 1=0")) == 0)
        return true;
    return ExecSqlBatch(IrregularIssueTableStatements());
}

QString IrregularIssuesStatement(const TitleRef &title, int year, int startMonth, int endMonth)
{
    QString months;
    if (startMonth > 1 || endMonth < 12) {
        const QDate first(year, qBound(1, startMonth, 12), 1);
        const QDate lastMonth(year, qBound(1, endMonth, 12), 1);
        months = QStringLiteral(" and qr<=") + SqlQuoted(RegisterDateText(lastMonth.addDays(lastMonth.daysInMonth() - 1)))
            + QStringLiteral(" and zr>=") + SqlQuoted(RegisterDateText(first));
    }
    return QStringLiteral("select lb,qr,zr,sm from tkhkb where ") + titleCondition(title, year) + months
        + QStringLiteral(" order by qr");
}

QString InsertIrregularIssueStatement(const TitleRef &title, int year, const IrregularIssue &entry)
{
    return QStringLiteral("insert into tkhkb (mllx,bkdh,nd,lb,qr,zr,sm) values (")
        + QString::number(title.catalogueType) + QLatin1Char(',') + SqlQuoted(title.code) + QLatin1Char(',')
        + QString::number(year) + QLatin1Char(',') + SqlQuoted(entry.kind) + QLatin1Char(',')
        + SqlQuoted(RegisterDateText(entry.first)) + QLatin1Char(',') + SqlQuoted(RegisterDateText(entry.last))
        + QLatin1Char(',') + SqlQuoted(entry.remark) + QLatin1Char(')');
}

QString DeleteIrregularIssueStatement(const TitleRef &title, int year, const QDate &first)
{
    return QStringLiteral("delete from tkhkb where ") + titleCondition(title, year) + QStringLiteral(" and qr=")
        + SqlQuoted(RegisterDateText(first));
}

QString RegisteredCodesStatement(int catalogueType, int year)
{
    return QStringLiteral("select distinct bkdh from tkhkb where mllx=") + QString::number(catalogueType)
        + QStringLiteral(" and nd=") + QString::number(year);
}

int LoadIrregularIssues(const TitleRef &title, int year, QList<IrregularIssue> *entries, int startMonth,
                        int endMonth)
{
    entries->clear();
    QList<QStringList> rows;
    if (ReadRows(IrregularIssuesStatement(title, year, startMonth, endMonth), &rows) < 0)
        return -1;
    const QStringList &kinds = IrregularIssueKinds();
    entries->reserve(rows.size());
    for (const QStringList &row : rows) {
        IrregularIssue entry;
        entry.kind = row.value(0);
        entry.first = storedDate(row.value(1));
        entry.last = storedDate(row.value(2));
        entry.remark = row.value(3);
        if (kinds.contains(entry.kind) && entry.first.isValid() && entry.last.isValid())
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
