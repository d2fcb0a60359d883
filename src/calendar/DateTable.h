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

// Every desk counts in a calendar of its own connection: a temporary table rqdzb, which the engines
// resolve before the shared table, so the counting statements name rqdzb as they always did and no
// other desk's processing year reaches them. These are its statements on the file engine or on a
// server: the table made when missing, then DateTableStatements.
QStringList ConnectionCalendarStatements(int year, bool server);

// Rebuilds the shared rqdzb for `year` (初始年度), and the connection's own calendar with it, inside
// one transaction. On false nothing changed and GP.LastError holds the reason.
bool BuildDateTable(int year);

// Builds (or rebuilds) only the connection's own calendar for `year`; the shared table is left as it
// is. On false nothing changed and GP.LastError holds the reason.
bool BuildConnectionCalendar(int year);

// Whether the calendar the connection counts in holds exactly the days of `year`: one row for each of
// them and no other row. A failing query (no table, no connection) counts as no. A connection that has
// no calendar of its own yet (newly opened, or opened again after it was cut off) first gets one of
// `year`. A yes is remembered for the opening of the connection and the year, so asking again costs
// nothing; a rebuild updates what is remembered.
bool CalendarHoldsYear(int year);

// Forgets the remembered yes, for whoever replaces the table's rows other than by BuildDateTable
// (a restored database, a test that writes rows directly).
void ForgetCalendarCheck();

// The failure text of counting in a calendar that does not hold exactly the processing year.
QString CalendarYearFailure(int year);
