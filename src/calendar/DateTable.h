#pragma once
// The calendar of the processing year, table rqdzb: every day of one year with its weekday and its
// ISO 8601 week number. Issue counting selects publication days from it.

#include <QDate>
#include <QString>
#include <QStringList>

// A day as written into statements, both in the calendar rows and in cdate('...'): yyyy-MM-dd.
QString CalendarDateText(const QDate &date);

// Day of the week as the calendar stores it: 1 = Monday ... 7 = Sunday.
int CalendarWeekday(const QDate &date);

// ISO 8601 week number: weeks run Monday to Sunday and week 1 holds the year's first Thursday, so
// 1 to 3 January may carry week 52 or 53 and 29 to 31 December week 1. Only the number is given.
int IsoWeekNumber(const QDate &date);

// The statements of a rebuild: the delete first, then one insert per day of `year`, ascending.
QStringList DateTableStatements(int year);

// Rebuilds rqdzb for `year` inside one transaction. On false nothing changed and GP.LastError holds
// the reason.
bool BuildDateTable(int year);

// Whether rqdzb holds exactly the days of `year`: one row for each of them and no other row. A
// failing query (no table, no connection) counts as no. A yes is remembered for the connection and
// the year, so asking again costs nothing; a rebuild by BuildDateTable updates what is remembered.
bool CalendarHoldsYear(int year);

// Forgets the remembered yes, for whoever replaces the table's rows other than by BuildDateTable
// (a restored database, a test that writes rows directly).
void ForgetCalendarCheck();

// The failure text of counting in a calendar that does not hold exactly the processing year.
QString CalendarYearFailure(int year);
