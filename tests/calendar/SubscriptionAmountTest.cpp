#include "CalendarTestSupport.h"
#include "TestDatabase.h"
#include "calendar/DateTable.h"
#include "calendar/SubscriptionAmount.h"
#include "calendar/Vocabulary.h"
#include "data/Udm.h"

#include <QtTest>

#include <memory>

namespace {

TitlePrices daily(double dj)
{
    TitlePrices title;
    title.dj = dj;
    title.kq = QStringLiteral("日报");
    return title;
}

} // namespace

class SubscriptionAmountTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_db = std::make_unique<TestDatabase>(false, 2010);
        QVERIFY(m_db->ok());
        QVERIFY2(BuildDateTable(2010), qPrintable(GP.LastError));
    }
    void cleanupTestCase() { m_db.reset(); }

    void pricesByTerm()
    {
        TitlePrices title = daily(0.5);
        title.qnj = 120.0;
        AmountResult result = SubscriptionAmount(TermWholeYear, 1, 12, 3, title);
        QCOMPARE(result.kind, AmountResult::Kind::Amount);
        QCOMPARE(result.amount, 360.0);

        title.bnj = 60.0;
        QCOMPARE(SubscriptionAmount(TermFirstHalf, 1, 6, 1, title).amount, 60.0);
        QCOMPARE(SubscriptionAmount(TermSecondHalf, 7, 12, 2, title).amount, 120.0);
        title.bnj = 0;
        title.yj = 10.5;
        QCOMPARE(SubscriptionAmount(TermFirstHalf, 1, 6, 1, title).amount, 63.0);
        QCOMPARE(SubscriptionAmount(TermFirstHalf, 1, 6, 4, title).amount, 252.0);

        // Quarter: its own price, else months, else issues (92 days from July to September).
        title.jj = 30.0;
        QCOMPARE(SubscriptionAmount(TermQuarter3, 7, 9, 1, title).amount, 30.0);
        title.jj = 0;
        QCOMPARE(SubscriptionAmount(TermQuarter3, 7, 9, 1, title).amount, 31.5);
        title.yj = 0;
        QCOMPARE(SubscriptionAmount(TermQuarter3, 7, 9, 1, title).amount, 46.0);
        QCOMPARE(SubscriptionAmount(TermQuarter3, 7, 9, 2, title).amount, 92.0);

        // The yearly price is used unchecked, also when it is 0.
        title.qnj = 0;
        result = SubscriptionAmount(TermWholeYear, 1, 12, 5, title);
        QCOMPARE(result.kind, AmountResult::Kind::Amount);
        QCOMPARE(result.amount, 0.0);
    }

    void freeMonthRange()
    {
        TitlePrices title = daily(0.5);
        title.qnj = 100.0;
        title.yj = 9.0;
        QCOMPARE(SubscriptionAmount(TermMonths, 1, 12, 2, title).amount, 200.0); // yearly price, not 12 months

        // A range covering a half year is not priced by the half-year price.
        title.yj = 0;
        title.bnj = 55.0;
        QCOMPARE(SubscriptionAmount(TermMonths, 1, 6, 1, title).amount, 0.5 * 181);
        title.jj = 25.0;
        QCOMPARE(SubscriptionAmount(TermMonths, 7, 9, 1, title).amount, 46.0);

        title.yj = 8.0;
        QCOMPARE(SubscriptionAmount(TermMonths, 3, 5, 2, title).amount, 48.0);
    }

    // A line amount is money: rounded to the fen, half away from zero, when it is computed, so two
    // lines of 0.125 × 39 issues are 4.88 each and sum to 9.76 wherever they are shown or summed.
    void lineAmountIsRoundedToTheFen()
    {
        const struct {
            double perIssue;
            int startMonth, endMonth, copies;
            double amount;
        } cases[] = {
            {0.333, 1, 1, 3, 30.97}, // 0.333 × 31 × 3 = 30.969
            {0.125, 1, 1, 1, 3.88},  // 3.875
            {0.015, 1, 1, 1, 0.47},  // 0.465, held below its value in binary
            {0.005, 1, 1, 7, 1.09},  // 1.085
            {0.125, 1, 2, 2, 14.75}, // 0.125 × 59 × 2, already whole fen
        };
        for (const auto &c : cases) {
            const AmountResult result = SubscriptionAmount(TermMonths, c.startMonth, c.endMonth, c.copies, daily(c.perIssue));
            QCOMPARE(result.kind, AmountResult::Kind::Amount);
            QCOMPARE(result.amount, c.amount);
        }
        QCOMPARE(RoundToFen(4.875) + RoundToFen(4.875), 9.76);
        QCOMPARE(RoundToFen(1.005), 1.01);
        QCOMPARE(RoundToFen(-4.875), -4.88);
        QCOMPARE(RoundToFen(2.675), 2.68);
        QCOMPARE(RoundToFen(0.004999), 0.0);
    }

    void uncountedPeriodsFailuresAndEmptyValues()
    {
        TitlePrices irregular;
        irregular.kq = QStringLiteral("不定");
        irregular.dj = 2.0;
        irregular.qnj = 50.0;
        AmountResult result = SubscriptionAmount(TermFirstHalf, 1, 6, 3, irregular);
        QCOMPARE(result.kind, AmountResult::Kind::Amount);
        QCOMPARE(result.amount, 0.0);

        // A failed count leaves the amount to the caller (it keeps the last one) and says why.
        TitlePrices bimonthly;
        bimonthly.kq = QStringLiteral("双月刊");
        bimonthly.cbrq = QStringLiteral("每两月15号出版");
        bimonthly.dj = 5.0;
        result = SubscriptionAmount(TermFirstHalf, 1, 6, 1, bimonthly);
        QCOMPARE(result.kind, AmountResult::Kind::Failure);
        QCOMPARE(result.failure, QStringLiteral("出版日期错"));
        bimonthly.cbrq = QStringLiteral("单月的15号出版");
        result = SubscriptionAmount(TermFirstHalf, 1, 6, 1, bimonthly);
        QCOMPARE(result.kind, AmountResult::Kind::Amount);
        QCOMPARE(result.amount, 15.0);

        const TitlePrices title = daily(0.5);
        QCOMPARE(SubscriptionAmount(TermQuarter1, 1, 3, std::nullopt, title).kind, AmountResult::Kind::Empty);
        QCOMPARE(SubscriptionAmount(TermWholeYear, 1, 12, std::nullopt, title).kind, AmountResult::Kind::Empty);
        QCOMPARE(SubscriptionAmount(-1, 1, 12, 2, title).kind, AmountResult::Kind::NoChange);
        QCOMPARE(SubscriptionAmount(-1, 1, 12, std::nullopt, title).kind, AmountResult::Kind::NoChange);
    }

private:
    std::unique_ptr<TestDatabase> m_db;
};

int runSubscriptionAmountTest(int argc, char **argv)
{
    SubscriptionAmountTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SubscriptionAmountTest.moc"
