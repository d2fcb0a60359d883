#include "CalendarTestSupport.h"
#include "calendar/CommaList.h"
#include "calendar/Vocabulary.h"

#include <QtTest>

class VocabularyTest : public QObject {
    Q_OBJECT

private slots:
    void periodIndex()
    {
        const QStringList periods = PeriodListText.split(QLatin1Char(','));
        QCOMPARE(periods.size(), 22);
        for (int i = 0; i < periods.size(); ++i)
            QCOMPARE(PeriodIndex(periods.at(i)), i);
        QCOMPARE(PeriodIndex(QStringLiteral("日报")), 0);
        QCOMPARE(PeriodIndex(QStringLiteral("周刊")), 12);
        QCOMPARE(PeriodIndex(QStringLiteral("月刊")), 16);
        QCOMPARE(PeriodIndex(QStringLiteral("不定")), 21);
        QCOMPARE(PeriodIndex(QString()), -1);
        QCOMPARE(PeriodIndex(QStringLiteral(" 月刊")), -1); // no trimming
        QCOMPARE(PeriodIndex(QStringLiteral("月刊 ")), -1);
        QCOMPARE(PeriodIndex(QStringLiteral("月")), -1);
    }

    void termLookups()
    {
        QCOMPARE(TermMonthsByName(QStringLiteral("全年")), QStringLiteral("1,12"));
        QCOMPARE(TermMonthsByName(QStringLiteral("上半年")), QStringLiteral("1,6"));
        QCOMPARE(TermMonthsByName(QStringLiteral("下半年")), QStringLiteral("7,12"));
        QCOMPARE(TermMonthsByName(QStringLiteral("一季度")), QStringLiteral("1,3"));
        QCOMPARE(TermMonthsByName(QStringLiteral("二季度")), QStringLiteral("4,6"));
        QCOMPARE(TermMonthsByName(QStringLiteral("三季度")), QStringLiteral("7,9"));
        QCOMPARE(TermMonthsByName(QStringLiteral("四季度")), QStringLiteral("10,12"));
        QCOMPARE(TermMonthsByName(QStringLiteral("月")), QString());
        QCOMPARE(TermMonthsByName(QStringLiteral("半年")), QString());
        QCOMPARE(TermMonthsByName(QString()), QString());

        QCOMPARE(TermIndexByMonths(QStringLiteral("1,12")), 0);
        QCOMPARE(TermIndexByMonths(QStringLiteral("7,12")), 2);
        QCOMPARE(TermIndexByMonths(QStringLiteral("10,12")), 6);
        QCOMPARE(TermIndexByMonths(QStringLiteral("2,5")), -1);
        QCOMPARE(TermIndexByMonths(QStringLiteral("01,12")), -1);
        QCOMPARE(TermIndexByMonths(QStringLiteral("1, 12")), -1);

        // Round trip: each fixed term's months lead back to its index in the full list.
        const QStringList terms = TermListText.split(QLatin1Char(','));
        QCOMPARE(terms.size(), 8);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(TermIndexByMonths(TermMonthsByName(terms.at(i))), i);
    }

    void offeredTerms()
    {
        QVERIFY(TermListText.startsWith(HalfYearTermListText + QLatin1Char(',')));
        QVERIFY(HalfYearTermListText.startsWith(WholeYearTermListText + QLatin1Char(',')));

        QCOMPARE(OfferedTermListText(0, 0), TermListText);
        QCOMPARE(OfferedTermListText(16, 0), TermListText);
        QCOMPARE(OfferedTermListText(17, 0), HalfYearTermListText);
        QCOMPARE(OfferedTermListText(19, 0), HalfYearTermListText);
        QCOMPARE(OfferedTermListText(20, 0), WholeYearTermListText);
        QCOMPARE(OfferedTermListText(21, 0), WholeYearTermListText);
        QCOMPARE(OfferedTermListText(-1, 0), QString());
        QCOMPARE(OfferedTermListText(0, 2), WholeYearTermListText);
        QCOMPARE(OfferedTermListText(-1, 1), WholeYearTermListText);
    }

    void commaLists()
    {
        using L = QStringList;
        QCOMPARE(SplitCommaList(QStringLiteral("1,15")), (L{"1", "15"}));
        QCOMPARE(SplitCommaList(QStringLiteral(" 1, 15 ")), (L{"1", "15"}));
        QCOMPARE(SplitCommaList(QStringLiteral("1 15")), (L{"1", "15"}));
        QCOMPARE(SplitCommaList(QStringLiteral("1,,15")), (L{"1", "", "15"}));
        QCOMPARE(SplitCommaList(QStringLiteral("1,")), (L{"1", ""}));
        QCOMPARE(SplitCommaList(QStringLiteral(",1")), (L{"", "1"}));
        QCOMPARE(SplitCommaList(QString()), L{});
        QCOMPARE(SplitCommaList(QStringLiteral("\"1 5\",2")), (L{"1 5", "2"}));
        QCOMPARE(SplitCommaList(QStringLiteral("\"a\"\"b\"")), (L{"a\"b"}));
        QCOMPARE(SplitCommaList(QStringLiteral("\"open")), (L{"open"}));

        QVERIFY(AllWholeNumbers({"1", "15", "031"}));
        QVERIFY(!AllWholeNumbers({}));
        QVERIFY(!AllWholeNumbers({"1", ""}));
        QVERIFY(!AllWholeNumbers({"-1"}));
        QVERIFY(!AllWholeNumbers({"1.5"}));
        QVERIFY(!AllWholeNumbers({QStringLiteral("１")})); // full-width digit
    }
};

int runVocabularyTest(int argc, char **argv)
{
    VocabularyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "VocabularyTest.moc"
