#include "CalendarTestSupport.h"
#include "TestDatabase.h"
#include "calendar/DateTable.h"
#include "data/Udm.h"

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

    std::unique_ptr<TestDatabase> m_db;
};

int runDateTableTest(int argc, char **argv)
{
    DateTableTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DateTableTest.moc"
