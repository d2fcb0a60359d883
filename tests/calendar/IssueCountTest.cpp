#include "CalendarTestSupport.h"
#include "TestDatabase.h"
#include "calendar/DateTable.h"
#include "calendar/IssueCount.h"
#include "data/Udm.h"

#include <QtTest>

#include <memory>

namespace {

// Descriptions in the shapes the rules read (character positions matter).
const QString Weekly25 = QStringLiteral("每周2,5出版");            // weekday list from position 3
const QString EvenFortnightWed = QStringLiteral("双周刊每周3出版"); // weekday at position 6
const QString OddFortnightWed = QStringLiteral("单周刊每周3出版");
const QString EveryFortnightWed = QStringLiteral("隔周刊每周3出版");
const QString OddMonths15 = QStringLiteral("单月的15号出版");       // day text from position 4
const QString OddMonths31 = QStringLiteral("单月的31号出版");
const QString QuarterEnd31 = QStringLiteral("季末月份31号出版");    // day text from position 5

QString sqlOf(const QString &kq, const QString &cbrq, int startMonth, int endMonth, int year = 2010)
{
    const IssueCountQuery query = IssueCountStatement(kq, cbrq, startMonth, endMonth, year);
    return query.kind == IssueCountQuery::Kind::Statement ? query.text : QStringLiteral("<no statement>");
}

} // namespace

class IssueCountTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>(false, 2010);
        QVERIFY(m_db->ok());
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));
    }
    void cleanupTestCase() { m_db.reset(); }
    void init() { GP.WorkYear = 2010; }

    void statementTexts()
    {
        QCOMPARE(sqlOf(QStringLiteral("日报"), QString(), 1, 6),
                 QStringLiteral("select cbrq from rqdzb where month(cbrq) between 1 and 6"));
        QCOMPARE(sqlOf(QStringLiteral("周刊"), Weekly25, 1, 6),
                 QStringLiteral("select cbrq from rqdzb  where week in (2,5)  and month(cbrq) between 1 and 6"));
        QCOMPARE(sqlOf(QStringLiteral("月报"), QStringLiteral("每月1,15号出版"), 1, 6),
                 QStringLiteral("select cbrq from rqdzb  where   month(cbrq) between 1 and 6 and   "
                                "(day(cbrq) in (1,15) ) "));
        QCOMPARE(sqlOf(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 1, 6),
                 QStringLiteral("select cbrq from rqdzb  where   month(cbrq) between 1 and 6 and   "
                                "(day(cbrq) in (31)  or cbrq in (cdate('2010-02-28'),cdate('2010-04-30'),"
                                "cdate('2010-06-30'),cdate('2010-09-30'),cdate('2010-11-30')) ) "));
        QCOMPARE(sqlOf(QStringLiteral("半月刊"), QStringLiteral("每月15 30号出版"), 1, 12),
                 QStringLiteral("select cbrq from rqdzb  where   month(cbrq) between 1 and 12 and   "
                                "(day(cbrq) in (15,30)  or cbrq=cdate('2010-02-28') ) "));
        QCOMPARE(sqlOf(QStringLiteral("月报"), QStringLiteral("每月29号出版"), 1, 12, 2012),
                 QStringLiteral("select cbrq from rqdzb  where   month(cbrq) between 1 and 12 and   "
                                "(day(cbrq) in (29) ) "));
        // 月刊 reads its day list one character later than the other day-of-month periods.
        QCOMPARE(sqlOf(QStringLiteral("月刊"), QStringLiteral("每月的5号出版"), 2, 3),
                 QStringLiteral("select cbrq from rqdzb  where   month(cbrq) between 2 and 3 and   "
                                "(day(cbrq) in (5) ) "));
        QCOMPARE(sqlOf(QStringLiteral("双周刊"), EvenFortnightWed, 1, 12),
                 QStringLiteral("select cbrq from rqdzb  where week=3 and (weeknum mod 2)=0  and  "
                                "month(cbrq) between 1 and 12"));
        QCOMPARE(sqlOf(QStringLiteral("双周报"), OddFortnightWed, 1, 12),
                 QStringLiteral("select cbrq from rqdzb  where week=3 and (weeknum mod 2)<>0  and  "
                                "month(cbrq) between 1 and 12"));
        QCOMPARE(sqlOf(QStringLiteral("双月刊"), OddMonths15, 1, 6),
                 QStringLiteral("select cbrq from rqdzb where cbrq in(cdate('2010-01-15'),cdate('2010-03-15'),"
                                "cdate('2010-05-15'),cdate('2010-07-15'),cdate('2010-09-15'),cdate('2010-11-15')) "
                                " and month(cbrq) between 1 and 6"));
        QCOMPARE(sqlOf(QStringLiteral("季刊"), QuarterEnd31, 1, 12),
                 QStringLiteral("select cbrq from rqdzb where cbrq in(cdate('2010-03-31'),cdate('2010-06-30'),"
                                "cdate('2010-09-30'),cdate('2010-12-31'))  and month(cbrq) between 1 and 12"));
        QCOMPARE(sqlOf(QStringLiteral("季刊"), QStringLiteral("季初月份x号出版"), 1, 12),
                 QStringLiteral("select cbrq from rqdzb where cbrq in(cdate('2010-01-31'),cdate('2010-04-30'),"
                                "cdate('2010-07-31'),cdate('2010-10-31'))  and month(cbrq) between 1 and 12"));
        QCOMPARE(sqlOf(QStringLiteral("半年刊"), QStringLiteral("2010-1-1,2010-7-1出版"), 1, 6),
                 QStringLiteral("select cbrq from rqdzb where cbrq in(cdate('2010-1-1'),cdate('2010-7-1')) "
                                " and month(cbrq) between 1 and 6"));
        QCOMPARE(sqlOf(QStringLiteral("年刊"), QStringLiteral("2010-3-1出版"), 4, 6),
                 QStringLiteral("select cbrq from rqdzb where cbrq=cdate('2010-3-1')"));
    }

    void countsOf2010()
    {
        QCOMPARE(CountIssues(QStringLiteral("日报"), QString(), 1, 12), 365);
        QCOMPARE(CountIssues(QStringLiteral("周刊"), QStringLiteral("每周5出版"), 1, 3), 13);
        QCOMPARE(CountIssues(QStringLiteral("周报"), QStringLiteral("每周1,4出版"), 1, 6), 51);
        QCOMPARE(CountIssues(QStringLiteral("周2报"), QStringLiteral("每周 1, 4出版"), 1, 6), 51);
        QCOMPARE(CountIssues(QStringLiteral("双周刊"), EvenFortnightWed, 1, 12), 26);
        QCOMPARE(CountIssues(QStringLiteral("双周刊"), OddFortnightWed, 1, 12), 26);
        QCOMPARE(CountIssues(QStringLiteral("双周刊"), EveryFortnightWed, 1, 12), 52);
        QCOMPARE(CountIssues(QStringLiteral("旬刊"), QStringLiteral("每月1,11,21号出版"), 1, 12), 36);
        QCOMPARE(CountIssues(QStringLiteral("半月刊"), QStringLiteral("每月15,30号出版"), 1, 12), 24);
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 1, 12), 12);
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 1, 3), 3);
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月29号出版"), 1, 12), 12);
        QCOMPARE(CountIssues(QStringLiteral("月刊"), QStringLiteral("每月的1号出版"), 1, 12), 12);
        QCOMPARE(CountIssues(QStringLiteral("双月刊"), OddMonths15, 1, 6), 3);
        QCOMPARE(CountIssues(QStringLiteral("旬2报"), OddMonths31, 1, 12), 6);
        QCOMPARE(CountIssues(QStringLiteral("旬2报"), OddMonths31, 9, 11), 2); // 30 September, 30 November
        QCOMPARE(CountIssues(QStringLiteral("季刊"), QuarterEnd31, 1, 12), 4);
        QCOMPARE(CountIssues(QStringLiteral("季刊"), QuarterEnd31, 4, 9), 2);
        QCOMPARE(CountIssues(QStringLiteral("半年刊"), QStringLiteral("2010-1-1,2010-7-1出版"), 1, 12), 2);
        QCOMPARE(CountIssues(QStringLiteral("半年刊"), QStringLiteral("1月1日 7月1日出版"), 2, 12), 1);
        QCOMPARE(CountIssues(QStringLiteral("年刊"), QStringLiteral("2010-3-1出版"), 1, 1), 1);
        QCOMPARE(CountIssues(QStringLiteral("年刊"), QStringLiteral("2010年3月1日出版"), 5, 12), 1);
        QCOMPARE(CountIssues(QStringLiteral("年刊"), QStringLiteral("2011-3-1出版"), 1, 12), 0);

        // A start month after the end month finds nothing wherever months restrict the rows.
        QCOMPARE(CountIssues(QStringLiteral("日报"), QString(), 7, 6), 0);
        QCOMPARE(CountIssues(QStringLiteral("周刊"), Weekly25, 7, 6), 0);
        QCOMPARE(CountIssues(QStringLiteral("双周刊"), EvenFortnightWed, 7, 6), 0);
        QCOMPARE(CountIssues(QStringLiteral("旬刊"), QStringLiteral("每月1,11,21号出版"), 7, 6), 0);
        QCOMPARE(CountIssues(QStringLiteral("双月刊"), OddMonths15, 7, 6), 0);
        QCOMPARE(CountIssues(QStringLiteral("季刊"), QuarterEnd31, 7, 6), 0);
        QCOMPARE(CountIssues(QStringLiteral("半年刊"), QStringLiteral("2010-1-1,2010-7-1出版"), 7, 6), 0);
    }

    void countsOfLeapYear()
    {
        GP.WorkYear = 2012;
        QVERIFY2(BuildDateTable(2012), qPrintable(GP.LastError));
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 1, 12), 12);
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 2, 2), 1);
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月29号出版"), 1, 12), 12);
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月29号出版"), 2, 2), 1);
        QCOMPARE(CountIssues(QStringLiteral("日报"), QString(), 1, 12), 366);
        QCOMPARE(CountIssues(QStringLiteral("双月刊"), QStringLiteral("双月的30号出版"), 1, 4), 2);

        // The processing year differs from the calendar's: no count at all rather than a wrong one.
        GP.WorkYear = 2010;
        for (const auto &[kq, cbrq] : {std::pair{QStringLiteral("双月刊"), OddMonths15},
                                       std::pair{QStringLiteral("季刊"), QuarterEnd31},
                                       std::pair{QStringLiteral("月报"), QStringLiteral("每月30号出版")},
                                       std::pair{QStringLiteral("日报"), QString()}}) {
            GP.LastError.clear();
            QCOMPARE(CountIssues(kq, cbrq, 1, 12), -1);
            QCOMPARE(GP.LastError, CalendarYearFailure(2010));
        }
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));
    }

    void notCountedAndFailures()
    {
        GP.LastError = QStringLiteral("untouched");
        QCOMPARE(CountIssues(QStringLiteral("不定"), QStringLiteral("每周2出版"), 1, 12), 0);
        QCOMPARE(CountIssues(QStringLiteral(" 周刊"), QStringLiteral("每周2出版"), 1, 12), 0);
        QCOMPARE(CountIssues(QString(), QString(), 1, 12), 0);
        QCOMPARE(GP.LastError, QStringLiteral("untouched"));

        const auto expectFailure = [](const QString &kq, const QString &cbrq, const QString &text) {
            GP.LastError.clear();
            QCOMPARE(CountIssues(kq, cbrq, 1, 12), -1);
            QCOMPARE(GP.LastError, text);
        };
        const QString failed = QStringLiteral("出版日期错");
        expectFailure(QStringLiteral("月报"), QString(), QStringLiteral("出版日期错0"));
        expectFailure(QStringLiteral("双月刊"), QStringLiteral("每月15号出版"), failed);
        expectFailure(QStringLiteral("旬2报"), QString(), failed);
        expectFailure(QStringLiteral("季刊"), QStringLiteral("每季31号出版"), failed);
        expectFailure(QStringLiteral("半年刊"), QString(), failed);
        expectFailure(QStringLiteral("半年刊"), QStringLiteral("一月一日"), failed); // no 出版: no dates
        // Lists that are not whole numbers (the database is never asked).
        expectFailure(QStringLiteral("周刊"), QStringLiteral("每周二、五出版"), failed);
        expectFailure(QStringLiteral("周刊"), QStringLiteral("每周2,5"), failed);
        expectFailure(QStringLiteral("周刊"), QStringLiteral("每周2,,5出版"), failed);
        expectFailure(QStringLiteral("双周刊"), QStringLiteral("双周刊每周三出版"), failed);
        expectFailure(QStringLiteral("双周刊"), QStringLiteral("双周"), failed);
        expectFailure(QStringLiteral("月报"), QStringLiteral("每月1,,15号出版"), failed);
        expectFailure(QStringLiteral("月报"), QStringLiteral("每月的5号出版"), failed);
        expectFailure(QStringLiteral("月报"), QStringLiteral("每月15号"), failed);

        // Dates the database cannot read fail there, with its message.
        GP.LastError.clear();
        QCOMPARE(CountIssues(QStringLiteral("半年刊"), QStringLiteral("1月32日,7月1日出版"), 1, 12), -1);
        QVERIFY(!GP.LastError.isEmpty() && !GP.LastError.startsWith(failed));
        GP.LastError.clear();
        QCOMPARE(CountIssues(QStringLiteral("年刊"), QStringLiteral("全年出版"), 1, 12), -1);
        QVERIFY(!GP.LastError.isEmpty() && !GP.LastError.startsWith(failed));
    }

    void emptyCalendarRefusesToCount()
    {
        QVERIFY(ExecSql(QStringLiteral("delete from rqdzb")));
        ForgetCalendarCheck(); // rows changed behind BuildDateTable's back
        const QString failure = CalendarYearFailure(2010);
        const auto expectRefusal = [&](const QString &kq, const QString &cbrq) {
            GP.LastError.clear();
            QCOMPARE(CountIssues(kq, cbrq, 1, 12), -1);
            QCOMPARE(GP.LastError, failure);
        };
        expectRefusal(QStringLiteral("日报"), QString());
        expectRefusal(QStringLiteral("周刊"), Weekly25);
        expectRefusal(QStringLiteral("双周刊"), EvenFortnightWed);
        expectRefusal(QStringLiteral("月报"), QStringLiteral("每月31号出版"));
        expectRefusal(QStringLiteral("双月刊"), OddMonths15);
        expectRefusal(QStringLiteral("季刊"), QuarterEnd31);
        expectRefusal(QStringLiteral("半年刊"), QStringLiteral("2010-1-1出版"));
        expectRefusal(QStringLiteral("年刊"), QStringLiteral("2010-3-1出版"));
        // Not counted stays 0, and a wrong description keeps its own text.
        QCOMPARE(CountIssues(QStringLiteral("不定"), QString(), 1, 12), 0);
        GP.LastError.clear();
        QCOMPARE(CountIssues(QStringLiteral("周刊"), QStringLiteral("每周二出版"), 1, 12), -1);
        QCOMPARE(GP.LastError, QStringLiteral("出版日期错"));
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));
    }

    // A calendar of 2009 with the processing year 2025: 每月31号出版 over 二季度 once counted 1
    // (31 May only, the other dates were of 2025); it never does.
    void calendarOfAnotherYearNeverCounts()
    {
        QVERIFY2(BuildDateTable(2009), qPrintable(GP.LastError));
        GP.WorkYear = 2025;
        GP.LastError.clear();
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 4, 6), -1);
        QCOMPARE(GP.LastError, CalendarYearFailure(2025));
        QVERIFY(GP.LastError.contains(QStringLiteral("2025")));
        QVERIFY2(BuildDateTable(2025), qPrintable(GP.LastError));
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 4, 6), 3);

        // Anything but exactly the days of the year is refused: a day missing, a day twice, a day
        // of another year added.
        const QStringList damages = {
            QStringLiteral("delete from rqdzb where cbrq='2025-05-31'"),
            QStringLiteral("insert into rqdzb (cbrq,week,weeknum) values ('2025-05-31',6,22)"),
            QStringLiteral("insert into rqdzb (cbrq,week,weeknum) values ('2026-01-01',4,1)"),
        };
        for (const QString &damage : damages) {
            QVERIFY2(BuildDateTable(2025), qPrintable(GP.LastError));
            if (!ExecSql(damage)) {
                // the server's calendar table holds each day once, by its key
                QVERIFY2(TestDatabase::onServer(), qPrintable(GP.LastError));
                continue;
            }
            ForgetCalendarCheck();
            QVERIFY2(!CalendarHoldsYear(2025), qPrintable(damage));
            QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月31号出版"), 4, 6), -1);
        }
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));
        GP.WorkYear = 2010;
        QVERIFY(CalendarHoldsYear(2010));
        QVERIFY(!CalendarHoldsYear(2011));
    }

    void descriptionsCannotChangeStatements()
    {
        const QStringList weekdayAttacks = {
            QStringLiteral("每周1) or (1=1出版"),
            QStringLiteral("每周1);delete from rqdzb;--出版"),
            QStringLiteral("每周1) union select cbrq from rqdzb where (1出版"),
        };
        for (const QString &cbrq : weekdayAttacks) {
            QCOMPARE(CountIssues(QStringLiteral("周刊"), cbrq, 1, 12), -1);
            QCOMPARE(GP.LastError, QStringLiteral("出版日期错"));
        }
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月1)) or ((1=1号出版"), 1, 12), -1);
        QCOMPARE(CountIssues(QStringLiteral("月报"), QStringLiteral("每月\"1)) or ((1=1\"号出版"), 1, 12), -1);
        QCOMPARE(GP.LastError, QStringLiteral("出版日期错"));
        // Only the single weekday character is read; the rest cannot reach the statement.
        QCOMPARE(CountIssues(QStringLiteral("双周刊"), QStringLiteral("单周刊每周3 or 1=1出版"), 1, 12), 26);

        // Quotes inside dates stay inside the literal: the date is unreadable and nothing else runs.
        const QStringList dateAttacks = {
            QStringLiteral("2010-1-1') or ('a'='a出版"),
            QStringLiteral("2010-1-1'),cdate('2010-1-2') or 1=1 or cbrq in (cdate('2010-1-3出版"),
            QStringLiteral("2010-1-1');delete from rqdzb;--出版"),
            QStringLiteral("2010-1-1\") or (\"a\"=\"a出版"),
        };
        for (const QString &cbrq : dateAttacks) {
            QCOMPARE(CountIssues(QStringLiteral("年刊"), cbrq, 1, 12), -1);
            QCOMPARE(CountIssues(QStringLiteral("半年刊"), cbrq, 1, 12), -1);
        }
        QCOMPARE(calendarRows(), 365);
        QCOMPARE(CountIssues(QStringLiteral("日报"), QString(), 1, 12), 365);
    }

private:
    std::unique_ptr<TestDatabase> m_db;
};

int runIssueCountTest(int argc, char **argv)
{
    IssueCountTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "IssueCountTest.moc"
