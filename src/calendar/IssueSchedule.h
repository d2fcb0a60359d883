#pragma once
// A title's issues with the register applied: the publication days that its period and description
// pick out of the calendar, less the omitted days (停刊, 休刊), with each combined issue (合刊) counted
// once, on its first date (which the register accepts only on a publication day): its later days are
// no issues. A title without register entries is counted by the plain calendar statement, exactly as
// CountIssues does.

#include "calendar/IrregularIssues.h"

#include <QDate>
#include <QList>
#include <QString>

// One publication day and how the register treats it.
struct ScheduledDay {
    enum class Mark {
        Regular,       // an issue
        Omitted,       // no issue: inside a 停刊 or 休刊 entry
        CombinedFirst, // the issue of a 合刊 entry: its first date
        CombinedLater  // a later day of a 合刊 entry, merged into its issue
    };
    QDate date;
    Mark mark = Mark::Regular;
    int entry = -1; // the register entry concerned (index into the entries given), -1 for none

    bool isIssue() const { return mark == Mark::Regular || mark == Mark::CombinedFirst; }
};

// Marks each publication day (ascending) by the entries (which do not overlap; were they to, the
// first by first date wins).
QList<ScheduledDay> ApplyRegister(const QList<QDate> &publicationDays, const QList<IrregularIssue> &entries);

// The calendar days the entries take out of a count, ascending: every day of an omitted range and
// every day of a combined issue but its first.
QList<QDate> ExcludedDays(const QList<IrregularIssue> &entries);
// The counting statements of a title with entries, two forms that count alike: the calendar
// statement less the excluded days of the months it counts, named in it (for the rules with many
// publication days), or less the days that the engine finds inside the title's entries (for the
// others, whose few days are looked up one by one).
QString RegisterCountStatement(const QString &statement, const QList<IrregularIssue> &entries, int startMonth = 1,
                               int endMonth = 12);
QString RegisterJoinStatement(const QString &statement, const TitleRef &title, int year);
// Whether a period's rule picks many days (every day, weekday lists, fortnightly): counted by the
// first form.
bool DenseCountingRule(const QString &kq);

// The days of a schedule in the months startMonth..endMonth; all of them when not month-restricted
// (the single-date rule counts its date whatever months are ordered).
QList<ScheduledDay> DaysInMonths(const QList<ScheduledDay> &days, int startMonth, int endMonth,
                                 bool monthRestricted = true);
// The issues among them.
int IssuesIn(const QList<ScheduledDay> &days);

// The publication days of a title in the calendar as last built, ascending, before the register.
// Returns their number (0 for a period that is not counted), or -1 with GP.LastError set.
// monthRestricted tells whether the title's counting rule restricts to the ordered months.
int PublicationDays(const QString &kq, const QString &cbrq, QList<QDate> *days, bool *monthRestricted = nullptr);

// What the subscription dialog shows of a title's months: the count, the register entries of the
// processing year and the publication days of the months with their marks.
struct IssuePreview {
    int count = -1; // -1: counting failed, GP.LastError says why
    QList<IrregularIssue> entries;
    QList<ScheduledDay> days;
    bool registered() const { return !entries.isEmpty(); }
};
IssuePreview PreviewIssues(const TitleRef &title, const QString &kq, const QString &cbrq, int startMonth,
                           int endMonth);

// The number of issues of the title between the start and the end month of the processing year
// (GP.WorkYear) with the register applied; -1 on failure with GP.LastError set. Two statements: the
// title's entries in those months (read, or counted), then the count. Without entries there the
// count is CountIssues(kq, cbrq, startMonth, endMonth), by the same statement.
int CountIssues(const TitleRef &title, const QString &kq, const QString &cbrq, int startMonth, int endMonth);
