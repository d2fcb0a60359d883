#include "CalendarTestSupport.h"
#include "TestDatabase.h"
#include "calendar/DateTable.h"
#include "calendar/IssueCount.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "db/Query.h"

#include <QtTest>

#include <memory>

class DateTableTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->ok());
    }
    void cleanupTestCase() { m_db.reset(); }

    void weekNumbersMatchIsoForEveryDay()
    {
        // QDate::weekNumber is an independent ISO 8601 computation.
        for (QDate day(2008, 12, 1); day <= QDate(2030, 12, 31); day = day.addDays(1)) {
            if (IsoWeekNumber(day) != day.weekNumber())
                QFAIL(qPrintable(QStringLiteral("week of %1: %2, ISO %3")
                                     .arg(day.toString(Qt::ISODate))
                                     .arg(IsoWeekNumber(day))
                                     .arg(day.weekNumber())));
        }
        QCOMPARE(IsoWeekNumber(QDate(2010, 1, 1)), 53);
        QCOMPARE(IsoWeekNumber(QDate(2008, 12, 29)), 1);
        QCOMPARE(IsoWeekNumber(QDate(2008, 12, 31)), 1);
        QCOMPARE(IsoWeekNumber(QDate(2011, 1, 1)), 52);
        QCOMPARE(IsoWeekNumber(QDate(2012, 1, 1)), 52);
        QCOMPARE(IsoWeekNumber(QDate(2015, 12, 31)), 53);
        QCOMPARE(CalendarWeekday(QDate(2010, 1, 1)), 5);
        QCOMPARE(CalendarWeekday(QDate(2012, 1, 1)), 7);
    }

    void statementTexts()
    {
        const QStringList common = DateTableStatements(2010);
        QCOMPARE(common.size(), 366);
        QCOMPARE(common.first(), QStringLiteral("Delete  FROM rqdzb"));
        QCOMPARE(common.at(1), QStringLiteral("Insert into rqdzb (cbrq,week,weeknum) Values('2010-01-01',5,53)"));
        QCOMPARE(common.last(), QStringLiteral("Insert into rqdzb (cbrq,week,weeknum) Values('2010-12-31',5,52)"));

        const QStringList leap = DateTableStatements(2012);
        QCOMPARE(leap.size(), 367);
        QCOMPARE(leap.at(60), QStringLiteral("Insert into rqdzb (cbrq,week,weeknum) Values('2012-02-29',3,9)"));
        QCOMPARE(leap.at(1), QStringLiteral("Insert into rqdzb (cbrq,week,weeknum) Values('2012-01-01',7,52)"));
    }

    void rebuildWritesEveryDayOnce()
    {
        QVERIFY2(BuildDateTable(2012), qPrintable(GP.LastError));
        QCOMPARE(calendarRows(), 366);
        checkTableHoldsYear(2012);

        QVERIFY2(BuildDateTable(2012), qPrintable(GP.LastError)); // the same year again: same content
        QCOMPARE(calendarRows(), 366);
        checkTableHoldsYear(2012);

        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError)); // another year replaces it
        QCOMPARE(calendarRows(), 365);
        checkTableHoldsYear(2010);
        QCOMPARE(CountRows(QStringLiteral("select cbrq from rqdzb where cbrq like '2012%'")), 0);

        QVERIFY2(BuildDateTable(2008), qPrintable(GP.LastError));
        QCOMPARE(CountRows(QStringLiteral("select cbrq from rqdzb where weeknum=1 and month(cbrq)=12")), 3);
    }

    void failingRebuildKeepsTheOldCalendar()
    {
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));

        // The database refuses one day in the middle of the year.
        const bool server = TestDatabase::onServer();
        dm->ADOConnection.execute(
            server ? QStringLiteral("alter table rqdzb add constraint day_refused check (cbrq <> '2011-06-15')")
                   : QStringLiteral("create trigger refuse_day before insert on rqdzb when new.cbrq='2011-06-15' "
                                    "begin select raise(abort, 'day_refused'); end"));
        QVERIFY(!BuildDateTable(2011));
        QVERIFY2(GP.LastError.startsWith(QStringLiteral("提交失败->")), qPrintable(GP.LastError));
        QVERIFY(GP.LastError.contains(QStringLiteral("day_refused")));
        QCOMPARE(calendarRows(), 365);
        checkTableHoldsYear(2010);
        dm->ADOConnection.execute(server ? QStringLiteral("alter table rqdzb drop constraint day_refused")
                                         : QStringLiteral("drop trigger refuse_day"));

        // A connection that cannot be opened changes nothing either.
        const QString connectionText = GP.ConnectionText;
        dm->ADOConnection.close();
        GP.ConnectionText = ConnectionTextFor(m_db->folder() + QStringLiteral("/missing.mdb"));
        QVERIFY(!BuildDateTable(2011));
        QVERIFY2(GP.LastError.startsWith(QStringLiteral("连接数据库失败->")), qPrintable(GP.LastError));
        GP.ConnectionText = connectionText;
        dm->ADOConnection.close();
        QCOMPARE(calendarRows(), 365);
        checkTableHoldsYear(2010);
    }

    // Two desks on one database, each with its own processing year: whatever another desk does to the
    // shared calendar, a desk counts in the days of its own year (1, 2, 4 and 5 of every week from
    // January to June: 103 issues in 2027, 104 in 2026).
    void desksCountInTheirOwnYears()
    {
        const QString kq = QStringLiteral("周刊"), cbrq = QStringLiteral("每周1,2,4,5出版");
        const bool server = TestDatabase::onServer();
        const auto deskA = [&] { return CountIssues(kq, cbrq, 1, 6); };
        const auto countOn = [&](db::Connection &desk, int year) {
            db::Query query;
            query.setConnection(&desk);
            query.setSql(IssueCountStatement(kq, cbrq, 1, 6, year).text);
            query.open();
            return query.recordCount();
        };
        const auto run = [](db::Connection &desk, const QStringList &statements) {
            desk.beginTrans();
            for (const QString &statement : statements)
                desk.execute(statement);
            desk.commitTrans();
        };
        QCOMPARE(issuesFromJanuaryToJune(2027, {1, 2, 4, 5}), 103);
        QCOMPARE(issuesFromJanuaryToJune(2026, {1, 2, 4, 5}), 104);

        GP.WorkYear = 2027;
        QVERIFY2(BuildDateTable(2027), qPrintable(GP.LastError)); // desk A: 初始年度 2027
        QCOMPARE(deskA(), 103);

        // Desk B: the shared calendar rebuilt for 2026 (as an older desk, or a 初始年度 does), then a
        // calendar of its own.
        db::Connection deskB;
        deskB.setConnectionString(GP.ConnectionText);
        deskB.open();
        run(deskB, DateTableStatements(2026));
        run(deskB, ConnectionCalendarStatements(2026, server));
        QCOMPARE(deskA(), 103);
        QCOMPARE(countOn(deskB, 2026), 104);

        // Desk A rebuilds the shared calendar for its year: desk B still counts in 2026.
        QVERIFY2(BuildDateTable(2027), qPrintable(GP.LastError));
        QCOMPARE(countOn(deskB, 2026), 104);
        QCOMPARE(deskA(), 103);

        // Desk A's connection is cut and opened again while the shared calendar holds 2026: it counts
        // in a new calendar of its own, never in the shared one.
        db::Connection olderDesk;
        olderDesk.setConnectionString(GP.ConnectionText);
        olderDesk.open();
        run(olderDesk, DateTableStatements(2026));
        dm->ADOConnection.close();
        QCOMPARE(deskA(), 103);
        QCOMPARE(countOn(olderDesk, 2026), 104);
        QCOMPARE(countOn(deskB, 2026), 104);

        // Desk A changes to 2026 without rebuilding the shared table, desk B to 2027 with it.
        GP.WorkYear = 2026;
        QVERIFY(!CalendarHoldsYear(2026));
        QVERIFY2(BuildConnectionCalendar(2026), qPrintable(GP.LastError));
        run(deskB, ConnectionCalendarStatements(2027, server));
        QCOMPARE(deskA(), 104);
        QCOMPARE(countOn(deskB, 2027), 103);
        QCOMPARE(countOn(olderDesk, 2026), 104); // the shared calendar was not touched

        GP.WorkYear = 2010;
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));
    }

private:
    // Every row against dates computed by Qt: one per day of the year, in order, nothing else.
    static void checkTableHoldsYear(int year)
    {
        db::Query query;
        QVERIFY(OpenQuery(QStringLiteral("select cbrq,week,weeknum from rqdzb order by cbrq"), query) > 0);
        QDate day(year, 1, 1);
        for (query.first(); !query.eof(); query.next(), day = day.addDays(1)) {
            QCOMPARE(query.fieldText(QStringLiteral("cbrq")), day.toString(QStringLiteral("yyyy-MM-dd")));
            QCOMPARE(int(query.fieldInt(QStringLiteral("week"))), day.dayOfWeek());
            QCOMPARE(int(query.fieldInt(QStringLiteral("weeknum"))), day.weekNumber());
        }
        QCOMPARE(day, QDate(year + 1, 1, 1));
    }

    static int issuesFromJanuaryToJune(int year, const QList<int> &weekdays)
    {
        int issues = 0;
        for (QDate day(year, 1, 1); day.month() <= 6 && day.year() == year; day = day.addDays(1))
            issues += weekdays.contains(day.dayOfWeek()) ? 1 : 0;
        return issues;
    }

    std::unique_ptr<TestDatabase> m_db;
};

int runDateTableTest(int argc, char **argv)
{
    DateTableTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DateTableTest.moc"
