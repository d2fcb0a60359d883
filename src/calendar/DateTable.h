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
