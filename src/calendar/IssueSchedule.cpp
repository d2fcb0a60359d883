#include "calendar/IssueSchedule.h"

#include "calendar/IssueCount.h"
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
    QList<bool> combinedSeen(entries.size(), false);
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
            else if (combinedSeen.at(index))
                day.mark = ScheduledDay::Mark::CombinedLater;
            else {
                day.mark = ScheduledDay::Mark::CombinedFirst;
                combinedSeen[index] = true;
            }
            break;
        }
        days.append(day);
    }
    return days;
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

int CountIssues(const TitleRef &title, const QString &kq, const QString &cbrq, int startMonth, int endMonth)
{
    QList<IrregularIssue> entries;
    const int registered = LoadIrregularIssues(title, GP.WorkYear, &entries);
    if (registered < 0)
        return -1;
    if (registered == 0)
        return CountIssues(kq, cbrq, startMonth, endMonth);
    QList<ScheduledDay> inMonths;
    return scheduleIssues(entries, kq, cbrq, startMonth, endMonth, &inMonths);
}
