#include "calendar/DateTable.h"

#include "data/Udm.h"

QString CalendarDateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

int CalendarWeekday(const QDate &date)
{
    return date.dayOfWeek(); // Qt numbers Monday 1 to Sunday 7, as the table does
}

int IsoWeekNumber(const QDate &date)
{
    const int year = date.year();
    const int firstWeekday = QDate(year, 1, 1).dayOfWeek();

    // Shift the day of the year so that day 1 is the Monday of week 1.
    int n = date.dayOfYear();
    if (firstWeekday >= 5) // 1 January on Friday to Sunday belongs to the previous year's last week
        n -= 8 - firstWeekday;
    else
        n += firstWeekday - 1;
    if (n <= 0)
        return IsoWeekNumber(QDate(year - 1, 12, 31));

    int week = (n + 6) / 7;
    if (week > 52) {
        // 31 December falls on the weekday of 1 January, one later in a leap year; when that is
        // Monday to Wednesday the last days already belong to week 1 of the next year.
        int lastWeekday = firstWeekday;
        if (QDate::isLeapYear(year))
            lastWeekday = lastWeekday % 7 + 1;
        if (lastWeekday <= 3)
            week = 1;
    }
    return week;
}

QStringList DateTableStatements(int year)
{
    QStringList statements;
    statements.reserve(368);
    statements << QStringLiteral("Delete  FROM rqdzb");
    const QDate last(year, 12, 31);
    for (QDate day(year, 1, 1); day <= last; day = day.addDays(1)) {
        statements << QStringLiteral("Insert into rqdzb (cbrq,week,weeknum) Values('")
                          + SqlText(CalendarDateText(day)) + QStringLiteral("',")
                          + QString::number(CalendarWeekday(day)) + QLatin1Char(',')
                          + QString::number(IsoWeekNumber(day)) + QLatin1Char(')');
    }
    return statements;
}

bool BuildDateTable(int year)
{
    return ExecSqlBatch(DateTableStatements(year));
}
