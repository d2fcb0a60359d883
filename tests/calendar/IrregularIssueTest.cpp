#include "CalendarTestSupport.h"
#include "TestDatabase.h"
#include "calendar/DateTable.h"
#include "calendar/IrregularIssueCheck.h"
#include "calendar/IrregularIssues.h"
#include "calendar/IssueCount.h"
#include "calendar/IssueSchedule.h"
#include "calendar/RegisterEntry.h"
#include "calendar/SubscriptionAmount.h"
#include "calendar/Vocabulary.h"
#include "data/Udm.h"
#include "db/JetDialect.h"

#include <QtTest>

#include <memory>

namespace {

const TitleRef Daily{0, QStringLiteral("1-1")};
const TitleRef Monthly{1, QStringLiteral("2-7")};
const QString MonthlyOn15 = QStringLiteral("每月的15号出版"); // 月刊 reads its day list from position 4

IrregularIssue entry(const QString &kind, const QDate &first, const QDate &last, const QString &remark = {})
{
    return {kind, first, last, remark};
}

QDate d(int month, int day, int year = 2010)
{
    return QDate(year, month, day);
}

void registerEntry(const TitleRef &title, int year, const IrregularIssue &e)
{
    QVERIFY2(ExecSql(InsertIrregularIssueStatement(title, year, e)), qPrintable(GP.LastError));
}

int registerRows()
{
    return CountRows(QStringLiteral("select bkdh from tkhkb"));
}

// Collects the statements the engine runs while alive.
class StatementLog {
public:
    StatementLog()
    {
        dm->ADOConnection.setStatementObserver([this](const QString &sql) { statements << sql; });
    }
    ~StatementLog() { dm->ADOConnection.setStatementObserver({}); }
    QStringList statements;
};

struct Rule {
    QString kq;
    QString cbrq;
};

const QList<Rule> AllRules = {
    {QStringLiteral("日报"), QString()},
    {QStringLiteral("周刊"), QStringLiteral("每周2,5出版")},
    {QStringLiteral("双周刊"), QStringLiteral("双周刊每周3出版")},
    {QStringLiteral("半月刊"), QStringLiteral("每月15,30号出版")},
    {QStringLiteral("月报"), QStringLiteral("每月31号出版")},
    {QStringLiteral("月刊"), MonthlyOn15},
    {QStringLiteral("双月刊"), QStringLiteral("单月的15号出版")},
    {QStringLiteral("季刊"), QStringLiteral("季末月份31号出版")},
    {QStringLiteral("半年刊"), QStringLiteral("1月1日,7月1日出版")},
    {QStringLiteral("年刊"), QStringLiteral("2010-3-1出版")},
    {QStringLiteral("不定"), QString()},
    {QStringLiteral("季刊"), QStringLiteral("季x月份31号出版")}, // 出版日期错
};

} // namespace

class IrregularIssueTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>(false, 2010);
        QVERIFY(m_db->ok());
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));
    }
    void cleanupTestCase() { m_db.reset(); }
    void init()
    {
        GP.WorkYear = 2010;
        QVERIFY(ExecSql(QStringLiteral("delete from tkhkb")));
    }

    void tableStatementsGiveTheTableTheDatabaseToolMakes()
    {
        const auto columns = [] {
            db::Query query;
            query.setConnection(&dm->ADOConnection);
            query.setSql(QStringLiteral("select * from tkhkb"));
            query.open();
            return query.fieldNames();
        };
        const QStringList made = columns();
        QCOMPARE(made, QStringList({"mllx", "bkdh", "nd", "lb", "qr", "zr", "sm"}));
        registerEntry(Daily, 2010, entry(KindBreak, d(2, 13), d(2, 19)));
        // Run again on a database that has the table: nothing changes.
        QVERIFY2(EnsureIrregularIssueTable(), qPrintable(GP.LastError));
        QCOMPARE(registerRows(), 1);
        dm->ADOConnection.execute(QStringLiteral("drop table tkhkb"));
        QVERIFY2(EnsureIrregularIssueTable(), qPrintable(GP.LastError));
        QVERIFY(EnsureIrregularIssueTable());
        QCOMPARE(columns(), made);
        QCOMPARE(registerRows(), 0);
    }

    void titleWithoutEntriesCountsByTheSameStatement()
    {
        // Entries of other titles, types and years change nothing for this one.
        registerEntry({1, Daily.code}, 2010, entry(KindBreak, d(2, 13), d(2, 19)));
        registerEntry({0, QStringLiteral("1-2")}, 2010, entry(KindBreak, d(2, 13), d(2, 19)));
        registerEntry(Daily, 2011, entry(KindBreak, d(2, 13, 2011), d(2, 19, 2011)));
        for (const Rule &rule : AllRules) {
            for (const auto &[start, end] : {std::pair{1, 12}, {2, 2}, {7, 8}, {8, 8}, {7, 6}}) {
                const int plain = CountIssues(rule.kq, rule.cbrq, start, end);
                const QString plainError = GP.LastError;
                StatementLog log;
                QCOMPARE(CountIssues(Daily, rule.kq, rule.cbrq, start, end), plain);
                if (plain < 0)
                    QCOMPARE(GP.LastError, plainError);
                // The register lookup, then exactly the count the title has always been given; a
                // description that is not counted or fails needs neither.
                const IssueCountQuery query = IssueCountStatement(rule.kq, rule.cbrq, start, end, 2010);
                if (query.kind == IssueCountQuery::Kind::Statement) {
                    QCOMPARE(log.statements.size(), 2);
                    QVERIFY2(log.statements.first().contains(QStringLiteral("from tkhkb")),
                             qPrintable(log.statements.first()));
                    QCOMPARE(log.statements.at(1), QStringLiteral("select count(*) from (")
                                                       + db::rewriteJetSql(query.text) + QStringLiteral(") as a"));
                } else {
                    QCOMPARE(log.statements.size(), 0);
                }
            }
        }
    }

    void titleWithEntriesIsCountedByOneStatementToo()
    {
        registerEntry(Daily, 2010, entry(KindBreak, d(2, 13), d(2, 19)));
        registerEntry(Daily, 2010, entry(KindCombined, d(3, 5), d(3, 12)));
        const int fridays = CountIssues(QStringLiteral("周刊"), QStringLiteral("每周5出版"), 1, 12);
        QCOMPARE(fridays, 53);
        StatementLog log;
        QCOMPARE(CountIssues(Daily, QStringLiteral("周刊"), QStringLiteral("每周5出版"), 1, 12), fridays - 2);
        QCOMPARE(log.statements.size(), 2);
        QVERIFY(log.statements.at(1).contains(QStringLiteral("not in ('2010-02-13'")));
    }

    void dailyWithSpringFestivalWeekOmitted()
    {
        // 2010: the Spring Festival fell on 14 February; no paper from the 13th to the 19th.
        registerEntry(Daily, 2010, entry(KindBreak, d(2, 13), d(2, 19), QStringLiteral("春节休刊")));
        const QString kq = QStringLiteral("日报");
        QCOMPARE(CountIssues(Daily, kq, {}, 1, 12), 365 - 7);
        QCOMPARE(CountIssues(Daily, kq, {}, 2, 2), 28 - 7);
        QCOMPARE(CountIssues(Daily, kq, {}, 1, 3), 31 + 28 + 31 - 7);
        QCOMPARE(CountIssues(Daily, kq, {}, 1, 1), 31);
        QCOMPARE(CountIssues(Daily, kq, {}, 3, 12), CountIssues(kq, {}, 3, 12));
        QCOMPARE(CountIssues(Daily, kq, {}, 7, 6), 0);

        // A pause across a month end takes its days from both months.
        QVERIFY(ExecSql(QStringLiteral("delete from tkhkb")));
        registerEntry(Daily, 2010, entry(KindSuspended, d(1, 30), d(2, 5)));
        QCOMPARE(CountIssues(Daily, kq, {}, 1, 1), 29);
        QCOMPARE(CountIssues(Daily, kq, {}, 2, 2), 23);
    }

    void monthlyWithCombinedJulyAugustIssue()
    {
        const QString kq = QStringLiteral("月刊");
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 1, 12), 12);
        registerEntry(Monthly, 2010, entry(KindCombined, d(7, 15), d(8, 15), QStringLiteral("7、8月合刊")));
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 1, 12), 11);
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 7, 8), 1);
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 7, 7), 1);
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 8, 8), 0); // counted on its first date, in July
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 8, 12), 4);
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 1, 6), 6);

        // The register takes a combined issue only from a publication day; one whose first date is no
        // longer one (the description changed since) leaves none of its days counted.
        QVERIFY(ExecSql(QStringLiteral("delete from tkhkb")));
        registerEntry(Monthly, 2010, entry(KindCombined, d(6, 20), d(8, 31)));
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 6, 8), 1); // 15 June alone
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 7, 8), 0);
        QCOMPARE(CountIssues(Monthly, kq, MonthlyOn15, 1, 12), 10);
    }

    void entriesOfAnotherYearOrTitleAreIgnored()
    {
        registerEntry(Daily, 2009, entry(KindBreak, d(2, 13), d(2, 19)));
        registerEntry(Daily, 2011, entry(KindSuspended, d(1, 1, 2011), d(12, 31, 2011)));
        registerEntry({1, Daily.code}, 2010, entry(KindSuspended, d(1, 1), d(12, 31)));
        QCOMPARE(CountIssues(Daily, QStringLiteral("日报"), {}, 1, 12), 365);
        QCOMPARE(CountIssues(Daily, QStringLiteral("日报"), {}, 2, 2), 28);
        // The processing year chooses the entries.
        GP.WorkYear = 2011;
        QVERIFY(BuildDateTable(2011));
        QCOMPARE(CountIssues(Daily, QStringLiteral("日报"), {}, 1, 12), 0);
        GP.WorkYear = 2010;
        QVERIFY(BuildDateTable(2010));
    }

    void omissionsAndCombinedIssuesTogether()
    {
        // A weekly on Fridays: 5 February, a break of two weeks, then 26 February and 5 March merged.
        const QString kq = QStringLiteral("周刊");
        const QString fridays = QStringLiteral("每周5出版");
        QCOMPARE(CountIssues(Daily, kq, fridays, 2, 3), 8);
        registerEntry(Daily, 2010, entry(KindBreak, d(2, 8), d(2, 21)));
        registerEntry(Daily, 2010, entry(KindCombined, d(2, 26), d(3, 5)));
        QCOMPARE(CountIssues(Daily, kq, fridays, 2, 3), 8 - 2 - 1);
        QCOMPARE(CountIssues(Daily, kq, fridays, 3, 3), 3);

        const IssuePreview preview = PreviewIssues(Daily, kq, fridays, 2, 3);
        QCOMPARE(preview.count, 5);
        QCOMPARE(preview.entries.size(), 2);
        QCOMPARE(preview.days.size(), 8);
        using Mark = ScheduledDay::Mark;
        const QList<Mark> marks = {Mark::Regular, Mark::Omitted,       Mark::Omitted, Mark::CombinedFirst,
                                   Mark::CombinedLater, Mark::Regular, Mark::Regular, Mark::Regular};
        for (int i = 0; i < marks.size(); ++i)
            QCOMPARE(preview.days.at(i).mark, marks.at(i));
        QCOMPARE(preview.days.at(3).date, d(2, 26));
        QCOMPARE(preview.days.at(3).entry, 1);
    }

    void amountFollowsTheRegister()
    {
        TitlePrices daily;
        daily.dj = 0.5;
        daily.kq = QStringLiteral("日报");
        daily.title = Daily;
        // 三季度 of a daily without quarter or month price: 92 issues at 0.50.
        QCOMPARE(SubscriptionAmount(TermQuarter3, 7, 9, 2, daily).amount, 92.0);
        registerEntry(Daily, 2010, entry(KindBreak, d(8, 1), d(8, 10)));
        QCOMPARE(SubscriptionAmount(TermQuarter3, 7, 9, 2, daily).amount, 82.0);
        // The term prices do not count issues, so the register does not touch them.
        daily.jj = 30;
        QCOMPARE(SubscriptionAmount(TermQuarter3, 7, 9, 2, daily).amount, 60.0);
    }

    void singleDateTitleIgnoresTheMonthsAlsoWithEntries()
    {
        const QString kq = QStringLiteral("年刊");
        const QString march = QStringLiteral("2010-3-1出版");
        registerEntry(Daily, 2010, entry(KindBreak, d(7, 1), d(7, 31)));
        QCOMPARE(CountIssues(Daily, kq, march, 5, 12), 1);
        registerEntry(Daily, 2010, entry(KindSuspended, d(2, 20), d(3, 10)));
        QCOMPARE(CountIssues(Daily, kq, march, 5, 12), 0);
    }

    void failuresStayFailuresWithEntries()
    {
        registerEntry(Daily, 2010, entry(KindBreak, d(2, 13), d(2, 19)));
        GP.LastError.clear();
        QCOMPARE(CountIssues(Daily, QStringLiteral("季刊"), QStringLiteral("季x月份31号出版"), 1, 12), -1);
        QCOMPARE(GP.LastError, QStringLiteral("出版日期错"));
        QCOMPARE(CountIssues(Daily, QStringLiteral("半年刊"), QStringLiteral("2010-13-1出版"), 1, 12), -1);
        QVERIFY(!GP.LastError.isEmpty());
        QCOMPARE(CountIssues(Daily, QStringLiteral("不定"), QString(), 1, 12), 0);
    }

    // A title with entries is never counted in a calendar of another year either, whichever form
    // of counting its rule takes.
    void calendarOfAnotherYearNeverCountsWithEntries()
    {
        registerEntry(Daily, 2011, entry(KindBreak, QDate(2011, 2, 2), QDate(2011, 2, 8)));
        registerEntry(Monthly, 2011, entry(KindCombined, QDate(2011, 7, 15), QDate(2011, 8, 15)));
        GP.WorkYear = 2011;
        GP.LastError.clear();
        QCOMPARE(CountIssues(Daily, QStringLiteral("日报"), {}, 1, 12), -1);
        QCOMPARE(GP.LastError, CalendarYearFailure(2011));
        GP.LastError.clear();
        QCOMPARE(CountIssues(Monthly, QStringLiteral("月刊"), MonthlyOn15, 1, 12), -1);
        QCOMPARE(GP.LastError, CalendarYearFailure(2011));
    }

    void registerTextsAreQuoted()
    {
        const TitleRef odd{0, QStringLiteral("9-9' or '1'='1")};
        registerEntry(odd, 2010, entry(KindBreak, d(1, 1), d(1, 2), QStringLiteral("it's")));
        QList<IrregularIssue> entries;
        QCOMPARE(LoadIrregularIssues(odd, 2010, &entries), 1);
        QCOMPARE(entries.first().remark, QStringLiteral("it's"));
        QCOMPARE(LoadIrregularIssues(Daily, 2010, &entries), 0);
        QSet<QString> codes;
        QCOMPARE(LoadRegisteredCodes(0, 2010, &codes), 1);
        QVERIFY(codes.contains(odd.code));
        QVERIFY(ExecSql(DeleteIrregularIssueStatement(odd, 2010, d(1, 1))));
        QCOMPARE(registerRows(), 0);
    }

    void checksRefuseBadEntries_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QString>("problem");
        QTest::newRow("unknown kind") << QStringLiteral("停印") << d(3, 1) << d(3, 2)
                                      << QStringLiteral("类别“停印”不是停刊、休刊或合刊");
        QTest::newRow("no first date") << KindBreak << QDate() << d(3, 2) << QStringLiteral("起日不是有效的日期");
        QTest::newRow("no last date") << KindBreak << d(3, 1) << QDate() << QStringLiteral("止日不是有效的日期");
        QTest::newRow("first before the year") << KindBreak << d(12, 31, 2009) << d(1, 2)
                                               << QStringLiteral("起日2009-12-31不在处理年度2010年内");
        QTest::newRow("last after the year") << KindSuspended << d(12, 20) << d(1, 3, 2011)
                                             << QStringLiteral("止日2011-01-03不在处理年度2010年内");
        QTest::newRow("last before first") << KindBreak << d(3, 5) << d(3, 4)
                                           << QStringLiteral("止日2010-03-04早于起日2010-03-05");
        QTest::newRow("overlap at the start") << KindSuspended << d(2, 1) << d(2, 13)
                                              << QStringLiteral("停刊(2010-02-01至2010-02-13)与已登记的休刊"
                                                                "(2010-02-13至2010-02-19)重叠");
        QTest::newRow("inside another") << KindCombined << d(2, 15) << d(2, 16)
                                        << QStringLiteral("合刊(2010-02-15至2010-02-16)与已登记的休刊"
                                                          "(2010-02-13至2010-02-19)重叠");
        QTest::newRow("combined without a publication day")
            << KindCombined << d(7, 1) << d(7, 14) << QStringLiteral("合刊(2010-07-01至2010-07-14)内没有该报刊的出版日期");
        QTest::newRow("combined not from a publication day")
            << KindCombined << d(7, 1) << d(8, 31)
            << QStringLiteral("合刊的起日2010-07-01不是该报刊的出版日期(该合刊内第一个出版日期是2010-07-15)");
        QTest::newRow("sound omission") << KindSuspended << d(7, 1) << d(7, 14) << QString();
        QTest::newRow("sound combined") << KindCombined << d(7, 15) << d(8, 15) << QString();
        QTest::newRow("touching the other") << KindBreak << d(2, 20) << d(2, 20) << QString();
    }
    void checksRefuseBadEntries()
    {
        QFETCH(QString, kind);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QString, problem);
        const QList<IrregularIssue> existing = {entry(KindBreak, d(2, 13), d(2, 19))};
        const QList<QDate> fifteenths = {d(1, 15), d(2, 15), d(3, 15), d(4, 15), d(5, 15), d(6, 15),
                                         d(7, 15), d(8, 15), d(9, 15), d(10, 15), d(11, 15), d(12, 15)};
        QCOMPARE(IrregularIssueProblem(entry(kind, first, last), 2010, existing, fifteenths), problem);
    }

    void bothCountingFormsAgreeForEveryRule()
    {
        // Omitted days and combined issues spread over the year, each combined one from a day that
        // several rules publish on (the 1st, 15th or last of a month, Wednesdays, Fridays).
        const QList<IrregularIssue> entries = {
            entry(KindBreak, d(1, 1), d(1, 1)),        entry(KindCombined, d(1, 15), d(2, 10)),
            entry(KindBreak, d(2, 13), d(2, 19)),      entry(KindSuspended, d(3, 31), d(4, 2)),
            entry(KindCombined, d(5, 5), d(5, 20)),    entry(KindCombined, d(6, 30), d(7, 15)),
            entry(KindSuspended, d(8, 1), d(8, 31)),   entry(KindCombined, d(9, 30), d(10, 1)),
            entry(KindBreak, d(11, 15), d(11, 15)),    entry(KindCombined, d(12, 1), d(12, 31)),
        };
        for (const IrregularIssue &e : entries)
            registerEntry(Daily, 2010, e);
        for (const Rule &rule : AllRules) {
            QList<QDate> days;
            bool monthRestricted = true;
            QVERIFY(PublicationDays(rule.kq, rule.cbrq, &days, &monthRestricted) >= 0 || rule.cbrq.contains("x"));
            const QList<ScheduledDay> schedule = ApplyRegister(days, entries);
            for (const auto &[start, end] : {std::pair{1, 12}, {1, 3}, {2, 2}, {5, 7}, {8, 8}, {9, 12}}) {
                const IssueCountQuery query = IssueCountStatement(rule.kq, rule.cbrq, start, end, 2010);
                if (query.kind != IssueCountQuery::Kind::Statement)
                    continue;
                const int named = CountRows(RegisterCountStatement(query.text, entries, start, end));
                const int joined = CountRows(RegisterJoinStatement(query.text, Daily, 2010));
                const int scheduled = IssuesIn(DaysInMonths(schedule, start, end, monthRestricted));
                const QByteArray where = (rule.kq + " " + QString::number(start) + "-" + QString::number(end)).toUtf8();
                QVERIFY2(named == scheduled, where.constData());
                QVERIFY2(joined == scheduled, where.constData());
                QCOMPARE(CountIssues(Daily, rule.kq, rule.cbrq, start, end), scheduled);
                QCOMPARE(PreviewIssues(Daily, rule.kq, rule.cbrq, start, end).count, scheduled);
            }
        }
    }

    void countStatementLeavesOutTheExcludedDays()
    {
        const QString plain = QStringLiteral("select cbrq from rqdzb where month(cbrq) between 1 and 6");
        const QList<IrregularIssue> entries = {entry(KindCombined, d(2, 26), d(3, 5)),
                                               entry(KindBreak, d(2, 8), d(2, 9)), entry(KindCombined, d(4, 1), d(4, 1))};
        QCOMPARE(ExcludedDays(entries), QList<QDate>({d(2, 8), d(2, 9), d(2, 27), d(2, 28), d(3, 1), d(3, 2),
                                                      d(3, 3), d(3, 4), d(3, 5)}));
        QCOMPARE(RegisterCountStatement(plain, entries),
                 QStringLiteral("select cbrq from (") + plain
                     + QStringLiteral(") as p where cbrq not in ('2010-02-08','2010-02-09','2010-02-27','2010-02-28',"
                                      "'2010-03-01','2010-03-02','2010-03-03','2010-03-04','2010-03-05')"));
        // A combined issue of one day takes nothing out.
        QCOMPARE(RegisterCountStatement(plain, {entries.at(2)}), plain);
    }

    void registerDatesAreReadInTheProcessingYear()
    {
        QCOMPARE(ReadRegisterDate(QStringLiteral("2010-2-13"), 2010), d(2, 13));
        QCOMPARE(ReadRegisterDate(QStringLiteral(" 2010年2月13日 "), 2010), d(2, 13));
        QCOMPARE(ReadRegisterDate(QStringLiteral("2010/02/13"), 2010), d(2, 13));
        QCOMPARE(ReadRegisterDate(QStringLiteral("2月13日"), 2011), d(2, 13, 2011));
        QCOMPARE(ReadRegisterDate(QStringLiteral("2-13"), 2010), d(2, 13));
        QVERIFY(!ReadRegisterDate(QStringLiteral("2010-2-30"), 2010).isValid());
        QVERIFY(!ReadRegisterDate(QStringLiteral("春节"), 2010).isValid());
        QVERIFY(!ReadRegisterDate(QString(), 2010).isValid());
    }

    void enteringRefusesAndWritesNothing()
    {
        const CatalogueTitle monthly{QStringLiteral("某月刊"), QStringLiteral("月刊"), MonthlyOn15};
        using Kind = RegisterOutcome::Kind;
        QCOMPARE(RegisterIrregularIssue(Monthly, monthly, 2010, entry(KindCombined, d(7, 15), d(8, 15))).kind,
                 Kind::Written);
        QCOMPARE(registerRows(), 1);
        // The same entry again (a sheet imported twice) is there already.
        QCOMPARE(RegisterIrregularIssue(Monthly, monthly, 2010, entry(KindCombined, d(7, 15), d(8, 15))).kind,
                 Kind::AlreadyRegistered);
        const QList<IrregularIssue> refused = {
            entry(KindBreak, d(8, 1), d(8, 31)),               // overlaps the combined issue
            entry(KindCombined, d(9, 1), d(9, 14)),            // no publication day
            entry(KindBreak, d(10, 5), d(10, 1)),              // last before first
            entry(KindSuspended, d(12, 1), d(1, 31, 2011)),    // outside the year
            entry(QStringLiteral("停"), d(11, 1), d(11, 2)),    // unknown kind
        };
        for (const IrregularIssue &bad : refused) {
            const RegisterOutcome outcome = RegisterIrregularIssue(Monthly, monthly, 2010, bad);
            QCOMPARE(outcome.kind, Kind::Refused);
            QVERIFY(!outcome.text.isEmpty());
        }
        // A description that cannot be counted leaves a combined issue nothing to cover.
        const CatalogueTitle broken{QStringLiteral("某季刊"), QStringLiteral("季刊"), QStringLiteral("季x月份")};
        const RegisterOutcome outcome =
            RegisterIrregularIssue(Daily, broken, 2010, entry(KindCombined, d(3, 1), d(3, 31)));
        QCOMPARE(outcome.kind, Kind::Refused);
        QVERIFY2(outcome.text.contains(QStringLiteral("出版日期错")), qPrintable(outcome.text));
        QCOMPARE(registerRows(), 1);
    }

    void catalogueTitlesAreFoundByTypeAndCode()
    {
        QVERIFY(ExecSql(QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq) values ('1-1','日报甲','日报','')")));
        QVERIFY(ExecSql(QStringLiteral("insert into nopost (bkdh,bkmc,kq,cbrq,mllx) values ('2-7','月刊乙','月刊','")
                        + MonthlyOn15 + QStringLiteral("',1)")));
        CatalogueTitle found;
        QCOMPARE(FindCatalogueTitle(Daily, &found), 1);
        QCOMPARE(found.name, QStringLiteral("日报甲"));
        QCOMPARE(FindCatalogueTitle(Monthly, &found), 1);
        QCOMPARE(found.cbrq, MonthlyOn15);
        QCOMPARE(FindCatalogueTitle({2, Monthly.code}, &found), 0);
        QCOMPARE(FindCatalogueTitle({0, Monthly.code}, &found), 0);
        QVERIFY(ExecSql(QStringLiteral("delete from post")));
        QVERIFY(ExecSql(QStringLiteral("delete from nopost")));
    }

private:
    std::unique_ptr<TestDatabase> m_db;
};

int runIrregularIssueTest(int argc, char **argv)
{
    IrregularIssueTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "IrregularIssueTest.moc"
