#include "calendar/DateTable.h"

#include "data/Udm.h"
#include "db/DbError.h"

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

// Each desk counts in a calendar of its own: a temporary table rqdzb of its connection, which both
// engines find before the shared table of that name, so the counting statements stay as they are
// and no other desk's year ever reaches them. The shared table is rebuilt on request only.
QString ownCalendarCreation(bool server)
{
    return server ? QStringLiteral("create temp table if not exists rqdzb (like rqdzb including all)")
                  : QStringLiteral("create temp table if not exists rqdzb (cbrq text, week integer, weeknum integer)");
}

// The statements that rebuild the shared table while the connection has a calendar of its own: the
// file names it in the main database; a server finds it first once its temporary tables are searched
// last, until the transaction ends.
QStringList sharedCalendarStatements(int year, bool server)
{
    QStringList statements = DateTableStatements(year);
    if (server) {
        statements.prepend(QStringLiteral("select set_config('search_path', current_setting('search_path') || ', pg_temp', true)"));
        return statements;
    }
    for (QString &statement : statements)
        statement.replace(QStringLiteral(" rqdzb"), QStringLiteral(" main.rqdzb"));
    return statements;
}

quint64 currentSession()
{
    return dm && dm->ADOConnection.connected() ? dm->ADOConnection.session() : 0;
}

// The current opening of the connection, opened first when it is closed or was cut off (0 when it
// cannot be opened).
quint64 openSession()
{
    if (currentSession() == 0) {
        const QString lastError = GP.LastError;
        CountRows(QStringLiteral("select id from bkmllx where 1=0"));
        GP.LastError = lastError;
    }
    return currentSession();
}

// The opening of the connection and the year of the desk's own calendar, and of the last check that
// found it right.
struct CalendarOfSession {
    quint64 session = 0;
    int year = 0;
};
CalendarOfSession own;
CalendarOfSession verified;

bool verifiedFor(int year)
{
    const quint64 session = currentSession();
    return session != 0 && verified.session == session && verified.year == year;
}

void rememberVerified(int year)
{
    verified = {currentSession(), year};
}

bool runWithoutDatabaseLock(const QStringList &statements)
{
    db::Connection &connection = dm->ADOConnection;
    try {
        connection.execute(QStringLiteral("savepoint own_calendar"));
        try {
            for (const QString &statement : statements)
                connection.execute(statement);
        } catch (const db::DbError &) {
            connection.execute(QStringLiteral("rollback to own_calendar"));
            connection.execute(QStringLiteral("release own_calendar"));
            throw;
        }
        connection.execute(QStringLiteral("release own_calendar"));
        return true;
    } catch (const db::DbError &e) {
        GP.LastError = QStringLiteral("提交失败->") + e.message();
        return false;
    }
}

bool buildCalendar(int year, bool shared)
{
    ForgetCalendarCheck();
    if (openSession() == 0) { // the engine is known once the connection is open
        CountRows(QStringLiteral("select id from bkmllx where 1=0")); // says why in GP.LastError
        return false;
    }
    const bool server = dm->ADOConnection.isServer();
    QStringList statements = ConnectionCalendarStatements(year, server);
    if (shared)
        statements << sharedCalendarStatements(year, server);
    if (!shared && !server) {
        // Only the connection's temporary table is written: a savepoint, not a transaction that takes
        // the database's write lock, so another program's lock on the file never makes it wait.
        if (!runWithoutDatabaseLock(statements))
            return false;
    } else if (!ExecSqlBatch(statements)) {
        return false;
    }
    own = {currentSession(), year};
    rememberVerified(year);
    return true;
}

} // namespace

QStringList ConnectionCalendarStatements(int year, bool server)
{
    return QStringList{ownCalendarCreation(server)} + DateTableStatements(year);
}

bool BuildDateTable(int year)
{
    return buildCalendar(year, true);
}

bool BuildConnectionCalendar(int year)
{
    return buildCalendar(year, false);
}

bool CalendarHoldsYear(int year)
{
    if (verifiedFor(year))
        return true;
    // A connection without a calendar of its own (opened anew after its server went away, or after a
    // restore) reads the shared table, which any desk may rebuild: it gets its own first.
    const quint64 session = openSession();
    if (session != 0 && own.session != session)
        return BuildConnectionCalendar(year);
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
