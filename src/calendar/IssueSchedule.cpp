#include "calendar/IssueSchedule.h"

#include "calendar/IssueCount.h"
#include "calendar/Vocabulary.h"
#include "data/Udm.h"

#include <algorithm>

QList<ScheduledDay> ApplyRegister(const QList<QDate> &publicationDays, const QList<IrregularIssue> &entries)
{
    // Entries by first date, keeping their indexes; one pass over days and entries together.
    QList<int> order(entries.size());
    for (int i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return entries.at(a).first < entries.at(b).first; });

    QList<ScheduledDay> days;
    days.reserve(publicationDays.size());
    qsizetype next = 0; // first entry (in order) that may still cover a day
    for (const QDate &date : publicationDays) {
        ScheduledDay day;
        day.date = date;
        while (next < order.size() && entries.at(order.at(next)).last < date)
            ++next;
        for (qsizetype k = next; k < order.size() && entries.at(order.at(k)).first <= date; ++k) {
            const int index = order.at(k);
            const IrregularIssue &entry = entries.at(index);
            if (entry.last < date)
                continue;
            day.entry = index;
            if (!entry.combined())
                day.mark = ScheduledDay::Mark::Omitted;
            else if (date == entry.first)
                day.mark = ScheduledDay::Mark::CombinedFirst;
            else
                day.mark = ScheduledDay::Mark::CombinedLater;
            break;
        }
        days.append(day);
    }
    return days;
}

QList<QDate> ExcludedDays(const QList<IrregularIssue> &entries)
{
    QList<QDate> excluded;
    for (const IrregularIssue &entry : entries) {
        const QDate from = entry.combined() ? entry.first.addDays(1) : entry.first;
        for (QDate day = from; day.isValid() && day <= entry.last; day = day.addDays(1))
            excluded.append(day);
    }
    std::sort(excluded.begin(), excluded.end());
    excluded.erase(std::unique(excluded.begin(), excluded.end()), excluded.end());
    return excluded;
}

namespace {

// 'yyyy-MM-dd' with its quotes, formatted by hand: a register can exclude hundreds of days.
void appendQuotedDate(QString &out, const QDate &date)
{
    char text[] = "'0000-00-00'";
    int year = date.year();
    for (int i = 4; i >= 1; --i, year /= 10)
        text[i] = char('0' + year % 10);
    text[6] = char('0' + date.month() / 10);
    text[7] = char('0' + date.month() % 10);
    text[9] = char('0' + date.day() / 10);
    text[10] = char('0' + date.day() % 10);
    out += QLatin1String(text, 12);
}

} // namespace

QString RegisterCountStatement(const QString &statement, const QList<IrregularIssue> &entries, int startMonth,
                               int endMonth)
{
    QList<QDate> excluded = ExcludedDays(entries);
    // The statement counts only the ordered months: days outside them need not be named.
    excluded.removeIf([&](const QDate &day) { return day.month() < startMonth || day.month() > endMonth; });
    if (excluded.isEmpty())
        return statement;
    QString sql;
    sql.reserve(statement.size() + 60 + excluded.size() * 13);
    sql += QStringLiteral("select cbrq from (") + statement + QStringLiteral(") as p where cbrq not in (");
    for (qsizetype i = 0; i < excluded.size(); ++i) {
        if (i > 0)
            sql += QLatin1Char(',');
        appendQuotedDate(sql, excluded.at(i));
    }
    sql += QLatin1Char(')');
    return sql;
}

QList<ScheduledDay> DaysInMonths(const QList<ScheduledDay> &days, int startMonth, int endMonth,
                                 bool monthRestricted)
{
    if (!monthRestricted)
        return days;
    QList<ScheduledDay> inMonths;
    for (const ScheduledDay &day : days)
        if (day.date.month() >= startMonth && day.date.month() <= endMonth)
            inMonths.append(day);
    return inMonths;
}

int IssuesIn(const QList<ScheduledDay> &days)
{
    return int(std::count_if(days.begin(), days.end(), [](const ScheduledDay &day) { return day.isIssue(); }));
}

int PublicationDays(const QString &kq, const QString &cbrq, QList<QDate> *days, bool *monthRestricted)
{
    days->clear();
    // The whole year: a combined issue may begin before the ordered months.
    const IssueCountQuery query = IssueCountStatement(kq, cbrq, 1, 12, GP.WorkYear);
    if (monthRestricted)
        *monthRestricted = query.monthRestricted;
    switch (query.kind) {
    case IssueCountQuery::Kind::NotCounted:
        return 0;
    case IssueCountQuery::Kind::Failure:
        GP.LastError = query.text;
        return -1;
    case IssueCountQuery::Kind::Statement:
        break;
    }
    QList<QStringList> rows;
    if (ReadRows(query.text, &rows) < 0)
        return -1;
    days->reserve(rows.size());
    for (const QStringList &row : rows) {
        const QDate date = QDate::fromString(row.value(0), Qt::ISODate);
        if (date.isValid())
            days->append(date);
    }
    std::sort(days->begin(), days->end());
    return int(days->size());
}

namespace {

// The counted days of a title whose register entries are known.
int scheduleIssues(const QList<IrregularIssue> &entries, const QString &kq, const QString &cbrq, int startMonth,
                   int endMonth, QList<ScheduledDay> *inMonths)
{
    QList<QDate> publication;
    bool monthRestricted = true;
    if (PublicationDays(kq, cbrq, &publication, &monthRestricted) < 0)
        return -1;
    *inMonths = DaysInMonths(ApplyRegister(publication, entries), startMonth, endMonth, monthRestricted);
    return IssuesIn(*inMonths);
}

} // namespace

IssuePreview PreviewIssues(const TitleRef &title, const QString &kq, const QString &cbrq, int startMonth,
                           int endMonth)
{
    IssuePreview preview;
    if (LoadIrregularIssues(title, GP.WorkYear, &preview.entries) < 0)
        return preview;
    preview.count = scheduleIssues(preview.entries, kq, cbrq, startMonth, endMonth, &preview.days);
    return preview;
}

QString RegisterJoinStatement(const QString &statement, const TitleRef &title, int year)
{
    return QStringLiteral("select cbrq from (") + statement
        + QStringLiteral(") as p where not exists (select 1 from tkhkb r where r.mllx=")
        + QString::number(title.catalogueType) + QStringLiteral(" and r.bkdh='") + SqlText(title.code)
        + QStringLiteral("' and r.nd=") + QString::number(year)
        + QStringLiteral(" and r.qr<=p.cbrq and r.zr>=p.cbrq and (r.lb<>'") + KindCombined
        + QStringLiteral("' or r.qr<>p.cbrq))");
}

bool DenseCountingRule(const QString &kq)
{
    const int period = PeriodIndex(kq);
    return (period >= 0 && period <= 6) || period == 12 || period == 8 || period == 14;
}

int CountIssues(const TitleRef &title, const QString &kq, const QString &cbrq, int startMonth, int endMonth)
{
    const IssueCountQuery query = IssueCountStatement(kq, cbrq, startMonth, endMonth, GP.WorkYear);
    if (query.kind != IssueCountQuery::Kind::Statement) // not counted, or a description that fails
        return CountIssues(kq, cbrq, startMonth, endMonth);
    // The register's statements count in the calendar too: never in one of another year.
    if (!CalendarOfWorkYear())
        return -1;
    // Only the entries that reach into the ordered months change the count, unless the rule counts
    // whatever months are ordered.
    const int fromMonth = query.monthRestricted ? startMonth : 1;
    const int toMonth = query.monthRestricted ? endMonth : 12;
    const QString entriesSql = IrregularIssuesStatement(title, GP.WorkYear, fromMonth, toMonth);
    if (!DenseCountingRule(kq)) {
        // Few publication days: each is looked up in the register by the engine.
        const int registered = CountRows(entriesSql);
        if (registered <= 0)
            return registered < 0 ? -1 : CountIssues(kq, cbrq, startMonth, endMonth);
        return CountRows(RegisterJoinStatement(query.text, title, GP.WorkYear));
    }
    // Many publication days: the excluded days are named in the statement.
    QList<IrregularIssue> entries;
    const int registered = LoadIrregularIssues(title, GP.WorkYear, &entries, fromMonth, toMonth);
    if (registered < 0)
        return -1;
    if (registered == 0)
        return CountIssues(kq, cbrq, startMonth, endMonth);
    return CountRows(RegisterCountStatement(query.text, entries, fromMonth, toMonth));
}
