// The office's order summary: three units' orders (two terms of one title, two lines of one unit for
// the same title and term, a code the catalogue holds twice, a code no longer in the catalogue, lines
// of another type) against sums computed here from the lines written; the filters; the window with its
// footer, and its exports read back.

#include "ReportsTestSupport.h"
#include "ReportsTests.h"
#include "TestDatabase.h"

#include "data/Udm.h"
#include "platform/TestHooks.h"
#include "reports/OrderSummary.h"
#include "reports/UdyhzFrm.h"
#include "widgets/TDataGrid.h"
#include "widgets/TRadioGroup.h"

#include <QComboBox>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using platform::TestHooks;

namespace {

struct Line {
    QString unit;
    int type;
    QString code;
    int qdy, zdy, copies;
    double amount;
};

struct Title {
    QString code, name, period, kind;
};

// Catalogue of type 0: code 2-3 is held twice (the summary must not count its lines twice); 9-9 is not
// in the catalogue at all.
const QList<Title> Titles = {
    {"1-1", "晨光日报", "日报", "报纸"},   {"1-9", "读书周报", "周报", "报纸"},
    {"1-10", "江城晚报", "日报", "报纸"},  {"2-1", "数学月刊", "月刊", "杂志"},
    {"2-3", "地理季刊", "季刊", "杂志"},   {"2-3", "地理季刊（重复）", "季刊", "杂志"},
};

const QList<Line> Lines = {
    {"甲", 0, "1-1", 1, 12, 2, 730},     {"甲", 0, "2-1", 1, 6, 1, 60.5},  {"甲", 0, "2-1", 7, 12, 1, 60.25},
    {"甲", 0, "1-10", 1, 12, 1, 100},    {"甲", 1, "801-1", 1, 12, 4, 480},
    {"乙", 0, "1-1", 1, 12, 3, 1095},    {"乙", 0, "2-1", 1, 6, 2, 121},   {"乙", 0, "1-9", 3, 5, 1, 30.3},
    {"乙", 0, "2-3", 1, 12, 1, 50},      {"乙", 0, "9-9", 1, 12, 1, 10},
    {"丙", 0, "1-1", 1, 12, 1, 365},     {"丙", 0, "1-1", 1, 12, 1, 365},  {"丙", 1, "801-1", 1, 12, 1, 120},
};

struct Expected {
    QSet<QString> units;
    qint64 copies = 0;
    double amount = 0;
};

// The summary of the lines of `type` that pass `keep`, computed from the written lines.
QMap<QString, Expected> expectedSummary(int type, const std::function<bool(const QString &code)> &keep)
{
    QMap<QString, Expected> sums;
    for (const Line &l : Lines) {
        if (l.type != type || !keep(l.code))
            continue;
        Expected &e = sums[QStringLiteral("%1 %2-%3").arg(l.code).arg(l.qdy).arg(l.zdy)];
        e.units << l.unit;
        e.copies += l.copies;
        e.amount += l.amount;
    }
    return sums;
}

QString titleField(const QString &code, QString Title::*field)
{
    for (const Title &t : Titles)
        if (t.code == code)
            return t.*field;
    return QString();
}

} // namespace

class SummaryTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    QTemporaryDir m_dir;
    QMap<QString, int> m_units;

    void compareWithExpected(const SummaryFilter &filter, const std::function<bool(const QString &)> &keep,
                             const QStringList &expectedOrder)
    {
        QVector<SummaryLine> lines;
        SummaryTotals totals;
        QVERIFY2(LoadOrderSummary(filter, lines, totals), qPrintable(GP.LastError));
        const QMap<QString, Expected> expected = expectedSummary(filter.catalogueType, keep);
        QStringList order;
        QSet<QString> allUnits;
        qint64 copies = 0;
        double amount = 0;
        for (const SummaryLine &l : lines) {
            const QString key = QStringLiteral("%1 %2-%3").arg(l.bkdh).arg(l.qdy).arg(l.zdy);
            order << key;
            QVERIFY2(expected.contains(key), qPrintable(key));
            const Expected &e = expected.value(key);
            QCOMPARE(l.units, int(e.units.size()));
            QCOMPARE(l.copies, e.copies);
            QVERIFY(qAbs(l.amount - e.amount) < 1e-9);
            if (!titleField(l.bkdh, &Title::name).isEmpty())
                QCOMPARE(l.kq, titleField(l.bkdh, &Title::period));
            allUnits.unite(e.units);
            copies += e.copies;
            amount += e.amount;
        }
        QCOMPARE(order, expectedOrder);
        QCOMPARE(lines.size(), expected.size());
        QCOMPARE(totals.lines, int(expected.size()));
        QCOMPARE(totals.units, int(allUnits.size()));
        QCOMPARE(totals.copies, copies);
        QVERIFY(qAbs(totals.amount - amount) < 1e-9);
    }

private slots:
    void init()
    {
        m_db.reset(new TestDatabase(false, 2010));
        QVERIFY(m_db->ok());
        for (const Title &t : Titles)
            QVERIFY(ExecSql(QStringLiteral("insert into post (bkdh,bkmc,kq,bkzl,qnj) values ('%1','%2','%3','%4',1)")
                                .arg(t.code, t.name, t.period, t.kind)));
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,kq,bkzl,qnj,mllx) values ('801-1','企业管理内参','月刊','杂志',120,1)"));
        m_units.clear();
        for (const char *unit : {"甲", "乙", "丙"})
            m_units.insert(unit, AddUnit(unit));
        for (const Line &l : Lines)
            QVERIFY(AddLine(m_units.value(l.unit), l.type, l.code, l.qdy, l.zdy, l.copies, l.amount));
    }

    void cleanup()
    {
        m_db.reset();
        TestHooks::clear();
    }

    void sumsPerTitleAndTermInCatalogueOrder()
    {
        compareWithExpected({0, {}, {}}, [](const QString &) { return true; },
                            {"1-1 1-12", "1-9 3-5", "1-10 1-12", "2-1 1-6", "2-1 7-12", "2-3 1-12", "9-9 1-12"});
        compareWithExpected({1, {}, {}}, [](const QString &) { return true; }, {"801-1 1-12"});
        compareWithExpected({2, {}, {}}, [](const QString &) { return true; }, {});

        QVector<SummaryLine> lines;
        SummaryTotals totals;
        QVERIFY(LoadOrderSummary({0, {}, {}}, lines, totals));
        QCOMPARE(totals.titles, 6);
        QCOMPARE(lines.last().bkmc, QString()); // 9-9 is kept, without a title
        QCOMPARE(TermText(lines.at(1).qdy, lines.at(1).zdy), QString("3-5月"));
        QCOMPARE(TermText(7, 12), QString("下半年"));
        QCOMPARE(TermText(1, 12), QString("全年"));
    }

    // Within a title the shorter of two ranges from one month comes first, and codes the catalogue
    // cannot sort come last, in the order of their texts; whatever order the lines were written in.
    void linesOfOneStartAndUnsortableCodesKeepTheirOrder()
    {
        for (const auto &[code, end] : {std::pair{"X-1", 12}, std::pair{"A-2", 12}, std::pair{"1-1", 6},
                                        std::pair{"1-1", 3}})
            QVERIFY(AddLine(m_units.value("乙"), 0, code, 1, end, 1, 10));
        QVector<SummaryLine> lines;
        SummaryTotals totals;
        QVERIFY2(LoadOrderSummary({0, {}, {}}, lines, totals), qPrintable(GP.LastError));
        QStringList order;
        for (const SummaryLine &l : lines)
            order << QStringLiteral("%1 %2-%3").arg(l.bkdh).arg(l.qdy).arg(l.zdy);
        QCOMPARE(order, QStringList({"1-1 1-3", "1-1 1-6", "1-1 1-12", "1-9 3-5", "1-10 1-12", "2-1 1-6", "2-1 7-12",
                                     "2-3 1-12", "9-9 1-12", "A-2 1-12", "X-1 1-12"}));
        QCOMPARE(totals.titles, 8);
    }

    void filtersByPeriodAndKind()
    {
        auto is = [](QString Title::*field, const QString &value) {
            return [field, value](const QString &code) { return titleField(code, field) == value; };
        };
        compareWithExpected({0, "日报", {}}, is(&Title::period, "日报"), {"1-1 1-12", "1-10 1-12"});
        compareWithExpected({0, {}, "杂志"}, is(&Title::kind, "杂志"), {"2-1 1-6", "2-1 7-12", "2-3 1-12"});
        compareWithExpected({0, "月刊", "杂志"}, is(&Title::period, "月刊"), {"2-1 1-6", "2-1 7-12"});
        compareWithExpected({0, "周刊", {}}, is(&Title::period, "周刊"), {});
        // a quote in a filter is a value, not part of the statement
        compareWithExpected({0, "日'报", {}}, is(&Title::period, "日'报"), {});
    }

    void theWindowShowsTotalsAndFollowsItsFilters()
    {
        TdyhzFrm w({{"邮发报刊目录", "非邮发报刊目录"}, 0, 2010, QDate(2010, 11, 2)});
        QCOMPARE(w.rows().recordCount(), 7);
        QCOMPARE(w.brow->footerText(0), QString("合计"));
        QCOMPARE(w.brow->footerText(1), QString("共6种"));
        QCOMPARE(w.brow->footerText(7), QString("3"));
        QCOMPARE(w.brow->footerText(8), QString("15"));
        QCOMPARE(w.brow->footerText(9), QString("2987.05"));
        QCOMPARE(w.lbmsg->text(), QString("共6种报刊，7行，3个单位订阅"));

        w.bkzlBox->button(1)->click(); // 杂志
        QCOMPARE(w.rows().recordCount(), 3);
        QCOMPARE(w.brow->footerText(7), QString("2"));
        w.kqBox->setCurrentText("周刊");
        QCOMPARE(w.rows().recordCount(), 0);
        QCOMPARE(w.lbmsg->text(), QString("未搜索到相关信息..."));
        TestHooks::clear();
        w.outBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("没有可导出的汇总记录..."));
        w.printBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("没有可打印的汇总记录..."));
        QCOMPARE(TestHooks::forms().size(), 0);

        w.kqBox->setCurrentIndex(0);
        w.bkzlBox->button(0)->click();
        w.mllxBox->setCurrentIndex(1);
        QCOMPARE(w.rows().recordCount(), 1);
        QCOMPARE(w.rows().fieldText("bkmc"), QString("企业管理内参"));
        QCOMPARE(w.brow->footerText(9), QString("600.00"));
    }

    void exportsReadBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::newRow("xls") << "hz.xls" << "hz.xls";
        QTest::newRow("xlsx") << "hz.XLSX" << "hz.XLSX";
        QTest::newRow("no extension") << "hz" << "hz.xls";
        QTest::newRow("txt") << "hz.txt" << "hz.txt";
    }

    void exportsReadBack()
    {
        QFETCH(QString, name);
        QFETCH(QString, written);
        TdyhzFrm w({{"邮发报刊目录"}, 0, 2010, QDate(2010, 11, 2)});
        w.bkzlBox->button(1)->click(); // 杂志: 2-1 twice, 2-3
        TestHooks::clear();
        TestHooks::queueFileName(m_dir.filePath(name));
        w.outBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        QCOMPARE(TestHooks::fileDialogs().constFirst().request.fileName, QString("订阅汇总（邮发报刊目录）"));
        const QString file = m_dir.filePath(written);
        QVERIFY(QFile::exists(file));
        const QString header = "报刊代号|报刊名称|刊期|报刊类别|订阅期限|起订月|止订月|单位数|总份数|总款额";
        if (written.endsWith(".txt")) {
            const QString text = TextFile(file);
            QVERIFY(text.endsWith("\r\n"));
            QCOMPARE(text.split("\r\n"), QStringList({QString(header).replace('|', '\t'),
                                                     "2-1\t数学月刊\t月刊\t杂志\t上半年\t1\t6\t2\t3\t181.5",
                                                     "2-1\t数学月刊\t月刊\t杂志\t下半年\t7\t12\t1\t1\t60.25",
                                                     "2-3\t地理季刊\t季刊\t杂志\t全年\t1\t12\t1\t1\t50", ""}));
        } else {
            const QStringList rows = SheetDump(file).split('\n', Qt::SkipEmptyParts);
            QCOMPARE(rows.value(0), QString("SHEET 订阅汇总"));
            QCOMPARE(rows.value(1), header);
            QCOMPARE(rows.value(2), QString("2-1|数学月刊|月刊|杂志|上半年|1|6|2|3|181.5"));
            QCOMPARE(rows.value(4), QString("2-3|地理季刊|季刊|杂志|全年|1|12|1|1|50"));
            QCOMPARE(rows.value(5), QString("合计|共2种||||||2|5|291.75"));
            QCOMPARE(rows.size(), 6);
        }
    }
};

int runSummaryTest(int argc, char **argv)
{
    SummaryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SummaryTest.moc"
