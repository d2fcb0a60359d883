#pragma once
// Counting a title's issues in a month range: the period and the publication-date description
// (刊期, 出版日期) become a SELECT over the calendar table rqdzb, and the database counts its rows.

#include <QString>

// What a title's period and description turn into.
struct IssueCountQuery {
    enum class Kind {
        NotCounted, // 不定 or a period outside the list: the count is 0 without a query
        Statement,  // text is the SELECT whose rows are the issues
        Failure     // text is the failure message ("出版日期错...")
    };
    Kind kind = Kind::NotCounted;
    QString text;
    // False for the single-date rule, whose statement counts its date whatever months are ordered.
    bool monthRestricted = true;
};

// Puts the counting statement together; explicit dates are built in `workYear`.
IssueCountQuery IssueCountStatement(const QString &kq, const QString &cbrq, int startMonth, int endMonth,
                                    int workYear);

// Whether the calendar holds exactly the processing year, the one every count must be made in;
// false with CalendarYearFailure in GP.LastError otherwise.
bool CalendarOfWorkYear();

// The number of issues between the start and the end month of the processing year (GP.WorkYear),
// counted in the calendar; -1 on failure with the reason in GP.LastError, also when the calendar does
// not hold exactly the processing year (CalendarYearFailure).
int CountIssues(const QString &kq, const QString &cbrq, int startMonth, int endMonth);
