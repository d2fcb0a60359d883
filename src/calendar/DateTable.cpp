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

namespace {

// The connection and the year for which the calendar was last found (or built) to be right.
struct CalendarCheck {
    const db::Connection *connection = nullptr;
    QString connectionText;
    int year = 0;
};
CalendarCheck verified;

bool verifiedFor(int year)
{
    return dm && verified.connection == &dm->ADOConnection && verified.connectionText == GP.ConnectionText
           && verified.year == year && dm->ADOConnection.connected();
}

void rememberVerified(int year)
{
    verified = {dm ? &dm->ADOConnection : nullptr, GP.ConnectionText, year};
}

} // namespace

bool BuildDateTable(int year)
{
    ForgetCalendarCheck();
    if (!ExecSqlBatch(DateTableStatements(year)))
        return false;
    rememberVerified(year);
    return true;
}

bool CalendarHoldsYear(int year)
{
    if (verifiedFor(year))
        return true;
    const int days = QDate(year, 1, 1).daysInYear();
    const QString first = CalendarDateText(QDate(year, 1, 1));
    const QString last = CalendarDateText(QDate(year, 12, 31));
    // Every row a day of the year, and each day of the year present: as many rows as distinct days
    // of the year, and as many as the year has.
    const QString lastError = GP.LastError;
    const int rows = CountRows(QStringLiteral("select cbrq from rqdzb"));
    const int daysOfYear = CountRows(QStringLiteral("select distinct cbrq from rqdzb where len(cbrq)=10 and cbrq between '")
                                     + first + QStringLiteral("' and '") + last + QStringLiteral("'"));
    GP.LastError = lastError; // a failed check is an answer, not an error to report
    if (rows != days || daysOfYear != days)
        return false;
    rememberVerified(year);
    return true;
}

void ForgetCalendarCheck()
{
    verified = {};
}

QString CalendarYearFailure(int year)
{
    return QStringLiteral("日历表不是处理年度%1年的日历,无法计算期数,请重新登录...").arg(year);
}
