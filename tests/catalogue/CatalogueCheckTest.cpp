// The catalogue check on a real database: a catalogue holding one entry of each problem flags exactly
// those entries and problems, the same texts on the non-postal catalogue, a calendar of another year,
// and the demo catalogues (built in and imported from demo/) flag nothing.

#include "CatalogueTestSupport.h"
#include "CatalogueTests.h"
#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "catalogue/CatalogueCheck.h"
#include "data/CatalogueCode.h"
#include "catalogue/UbkmlFrm.h"
#include "catalogue/UmljcFrm.h"
#include "data/Udm.h"
#include "platform/TestHooks.h"
#include "widgets/TDataGrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QSet>
#include <QtTest>

#include <memory>

namespace {

struct Row {
    QString bkdh, bkmc, kq, cbrq, bkzl;
    QString qnj, dj, yj = QStringLiteral("null"), jj = QStringLiteral("null"), bnj = QStringLiteral("null");
};

void insert(const Row &r, int type)
{
    const QString table = type == 0 ? QStringLiteral("post") : QStringLiteral("nopost");
    QString columns = QStringLiteral("bkdh,bkmc,kq,cbrq,bkzl,qnj,dj,yj,jj,bnj");
    QString values = QStringLiteral("'%1','%2','%3','%4','%5',%6,%7,%8,%9,%10")
                         .arg(SqlText(r.bkdh), SqlText(r.bkmc), SqlText(r.kq), SqlText(r.cbrq), SqlText(r.bkzl))
                         .arg(r.qnj, r.dj, r.yj, r.jj, r.bnj);
    if (type != 0) {
        columns += QStringLiteral(",mllx");
        values += QLatin1Char(',') + QString::number(type);
    }
    QVERIFY2(ExecSql(QStringLiteral("insert into %1 (%2) values (%3)").arg(table, columns, values)),
             qPrintable(GP.LastError));
}

// One entry of each problem, and clean entries beside them that come close to a problem without one.
// Processing year 2010.
const QList<Row> ProblemCatalogue = {
    {"1-1", "清白日报", "日报", "每日出版", "报纸", "365", "1"},
    {"1-a", "代号错日报", "日报", "每日出版", "报纸", "365", "1"},
    {"3-1", "重复甲", "周报", "每周5出版", "报纸", "52", "1"},
    {"3-1", "重复乙", "周报", "每周5出版", "报纸", "52", "1"},
    {"3-2", "刊期错报", "周七报", "每周出版", "报纸", "100", "null"},
    // the day list cannot be read: partial terms price by issues and fail
    {"6-1", "日期错月刊", "月刊", "每月出版", "杂志", "120", "10"},
    // the same text with a month price: no term counts issues, and the 年价 comparison needs a count
    {"6-4", "有月价月刊", "月刊", "每月出版", "杂志", "120", "10", "10"},
    // dates the engine cannot read, and dates of another year
    {"6-2", "日期不可读半年刊", "半年刊", "六月,十二月出版", "杂志", "50", "25"},
    {"6-3", "日期非本年半年刊", "半年刊", "2009-6-30,2009-12-31出版", "杂志", "50", "25"},
    // a half-year price covers both offered partial terms of a 半年刊
    {"6-5", "有半年价半年刊", "半年刊", "六月,十二月出版", "杂志", "50", "null", "null", "null", "25"},
    {"7-1", "无年价月报", "月报", "每月15号出版", "报纸", "null", "1"},
    {"8-1", "半年价高", "月刊", "每月的1号出版", "杂志", "50", "null", "null", "null", "60"},
    {"8-2", "季价高", "月刊", "每月的1号出版", "杂志", "100", "null", "null", "40", "30"},
    {"8-3", "月价高", "月刊", "每月的1号出版", "杂志", "100", "null", "20", "15", "50"},
    {"8-4", "年价偏高", "月刊", "每月的1号出版", "杂志", "150", "10"},
    {"8-5", "年价略高", "月刊", "每月的1号出版", "杂志", "130", "10"}, // 8.3 %: no problem
    {"10-1", "双数报纸", "日报", "每日出版", "报纸", "365", "1"},
    {"11-2", "单数杂志", "月刊", "每月的1号出版", "杂志", "120", "10"},
    {"12-3", "不定期刊", "不定", "", "杂志", "40", "10"},
};

// Per code, the problems found (names joined, "!" marking a warning).
QMap<QString, QStringList> findingsByCode(const QVector<CheckedEntry> &entries, const QVector<CheckFinding> &findings)
{
    QMap<QString, QStringList> byCode;
    for (const CheckFinding &f : findings)
        byCode[entries.at(f.entry).bkdh] << CheckProblemName(f.problem) + (f.warning ? QStringLiteral("!") : QString());
    for (QStringList &names : byCode)
        names.sort();
    return byCode;
}

QMap<QString, QStringList> checkType(int type, QVector<CheckedEntry> *entriesOut = nullptr,
                                     QVector<CheckFinding> *findingsOut = nullptr)
{
    QVector<CheckedEntry> entries;
    if (!LoadCheckedEntries(type, entries))
        qWarning("LoadCheckedEntries: %s", qPrintable(GP.LastError));
    const QVector<CheckFinding> findings = CheckCatalogue(entries, ProgramCheckContext(type));
    if (entriesOut)
        *entriesOut = entries;
    if (findingsOut)
        *findingsOut = findings;
    return findingsByCode(entries, findings);
}

QString describe(const QMap<QString, QStringList> &byCode)
{
    QStringList lines;
    for (auto it = byCode.cbegin(); it != byCode.cend(); ++it)
        lines << it.key() + QLatin1Char(':') + it.value().join(QLatin1Char(','));
    return lines.join(QLatin1Char(' '));
}

// The rows of the first sheet as "a|b|c" lines: .xls read by xlrd, .xlsx by openpyxl.
QStringList sheetRows(const QString &fileName)
{
    const QString script = QStringLiteral(
        "import sys\n"
        "name = sys.argv[1]\n"
        "if name.endswith('.xlsx'):\n"
        "    import openpyxl\n"
        "    s = openpyxl.load_workbook(name).worksheets[0]\n"
        "    print('SHEET ' + s.title)\n"
        "    for row in s.iter_rows(values_only=True):\n"
        "        print('|'.join('' if v is None else str(v) for v in row))\n"
        "else:\n"
        "    import xlrd\n"
        "    s = xlrd.open_workbook(name).sheet_by_index(0)\n"
        "    print('SHEET ' + s.name)\n"
        "    for r in range(s.nrows):\n"
        "        print('|'.join(str(c.value) for c in s.row(r)))\n");
    QProcess python;
    python.start("/usr/bin/python3", {"-c", script, fileName});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {"reader failed: " + QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QStringList codesShown(TmljcFrm &w)
{
    QStringList codes;
    db::Query &rows = w.rows();
    for (int r = 0; r < rows.recordCount(); ++r)
        codes << rows.value(r, 0).toString();
    return codes;
}

} // namespace

class CatalogueCheckTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;

    void fresh(bool demo, int year)
    {
        m_db.reset();
        m_db.reset(new TestDatabase(demo, year));
        QVERIFY(m_db->ok());
        QVERIFY(BuildDateTable(year));
    }

private slots:
    void cleanup() { m_db.reset(); }

    void sortKeysFollowTheCatalogueOrder()
    {
        qint64 key = 0;
        QVERIFY(CatalogueSortKey("1-10", key));
        QCOMPARE(key, qint64(10010));
        QVERIFY(CatalogueSortKey("82-151", key));
        QCOMPARE(key, qint64(820151));
        for (const char *bad : {"1-a", " 1-1", "1-1 ", "1-1-1", "-1", "1-", "1--1", "１-1", "", "1.5-2",
                                "1234567890-1"})
            QVERIFY2(!CatalogueSortKey(QString::fromUtf8(bad), key), bad);
    }

    void eachProblemIsFlaggedOnItsEntryOnly()
    {
        fresh(false, 2010);
        for (const Row &r : ProblemCatalogue)
            insert(r, 0);
        QVector<CheckedEntry> entries;
        QVector<CheckFinding> findings;
        const QMap<QString, QStringList> found = checkType(0, &entries, &findings);
        const QMap<QString, QStringList> expected = {
            {"1-a", {"代号格式错"}},
            {"3-1", {"代号重复", "代号重复"}}, // both entries of the code
            {"3-2", {"刊期错"}},
            {"6-1", {"出版日期错"}},
            {"6-2", {"出版日期错"}},
            {"6-3", {"出版日期错"}},
            {"7-1", {"无年价"}},
            {"8-1", {"价格矛盾"}},
            {"8-2", {"价格矛盾"}},
            {"8-3", {"价格矛盾"}},
            {"8-4", {"价格矛盾"}},
            {"10-1", {"类别与代号不符!"}},
            {"11-2", {"类别与代号不符!"}},
        };
        QCOMPARE(describe(found), describe(expected));

        // The details say what is wrong with the values of the entry.
        QStringList details;
        for (const CheckFinding &f : findings)
            details << entries.at(f.entry).bkdh + QLatin1Char(' ') + f.detail;
        QVERIFY(details.contains("8-1 半年价60.00高于年价50.00"));
        QVERIFY(details.contains("8-2 季价40.00高于半年价30.00"));
        QVERIFY(details.contains("8-3 月价20.00高于季价15.00"));
        QVERIFY(details.contains("8-4 年价150.00与单价×全年期数（10.00×12=120.00）相差超过10%"));
        QVERIFY(details.contains("6-3 出版日期“2009-6-30,2009-12-31出版”在2010年数不出一期，按期计价的非全年订阅款额为0"));
        QVERIFY(details.contains("3-2 刊期“周七报”不在刊期表中，无法选择订阅期限"));
        QVERIFY(details.contains("10-1 报纸的代号首数应为单数，“10-1”为双数"));

        const CheckCounts counts = CountFlaggedEntries(findings);
        QCOMPARE(counts.entries, 14); // 13 codes, 3-1 twice
        QCOMPARE(counts.warningOnly, 2);
        // what an import of this catalogue says when it ends
        QCOMPARE(ImportCheckNote(0), QString("\n目录检查：本目录有14个条目有问题（其中2个仅为警告），请用“目录检查”查看..."));
        QCOMPARE(ImportCheckNote(1), QString("\n目录检查：本目录未发现有问题的条目。"));
    }

    // Amounts are counted in fen: a price with more than two decimals is flagged, as a warning.
    void pricesBeyondTheFenAreFlagged()
    {
        CheckedEntry fine{"12-7", "两位小数日报", "日报", "每日出版", "杂志", 45.63, 0.13};
        CheckedEntry fen{"12-5", "三位小数日报", "日报", "每日出版", "杂志", 45.6, 0.125};
        CatalogueCheckContext context;
        context.catalogueType = 1;
        context.workYear = 2010;
        const QVector<CheckedEntry> entries{fine, fen};
        const QVector<CheckFinding> findings = CheckCatalogue(entries, context);
        QCOMPARE(describe(findingsByCode(entries, findings)), QString("12-5:价格小数位!"));
        QCOMPARE(findings.constFirst().detail, QString("单价0.125超过两位小数，款额按分四舍五入"));
    }

    // Prices at and just past the bounds of their rules: a monthly magazine of 12 issues a year, and a
    // yearly one of a single issue.
    void pricesAtTheirBounds_data()
    {
        QTest::addColumn<QString>("kq");
        QTest::addColumn<QString>("cbrq");
        QTest::addColumn<int>("issues");
        QTest::addColumn<double>("qnj");
        QTest::addColumn<double>("bnj");
        QTest::addColumn<double>("jj");
        QTest::addColumn<double>("yj");
        QTest::addColumn<double>("dj");
        QTest::addColumn<QStringList>("found");
        const QStringList none;
        const QStringList conflict{"价格矛盾"};
        const auto monthly = [](const char *name) -> QTestData & {
            return QTest::newRow(name) << QString("月刊") << QString("每月的1号出版") << 12;
        };
        const auto yearly = [](const char *name) -> QTestData & {
            return QTest::newRow(name) << QString("年刊") << QString("12-20出版") << 1;
        };
        monthly("all equal") << 60.0 << 60.0 << 60.0 << 60.0 << 0.0 << none;
        monthly("半年价 a cent above 年价") << 60.0 << 60.01 << 0.0 << 0.0 << 0.0 << conflict;
        monthly("季价 a cent above 半年价") << 60.0 << 30.0 << 30.01 << 0.0 << 0.0 << conflict;
        monthly("月价 a cent above 季价") << 60.0 << 0.0 << 15.0 << 15.01 << 0.0 << conflict;
        monthly("半年价 without 年价") << 0.0 << 60.0 << 0.0 << 0.0 << 0.0 << QStringList{"无年价"};
        monthly("年价 9% under 单价×12") << 110.0 << 0.0 << 0.0 << 0.0 << 10.0 << none;
        monthly("年价 17% under 单价×12") << 100.0 << 0.0 << 0.0 << 0.0 << 10.0 << conflict;
        monthly("年价 17% over 单价×12") << 140.0 << 0.0 << 0.0 << 0.0 << 10.0 << conflict;
        yearly("年刊 at 单价") << 45.0 << 0.0 << 0.0 << 0.0 << 45.0 << none;
        yearly("年刊 at twice 单价") << 90.0 << 0.0 << 0.0 << 0.0 << 45.0 << conflict;
    }

    void pricesAtTheirBounds()
    {
        QFETCH(QString, kq);
        QFETCH(QString, cbrq);
        QFETCH(int, issues);
        QFETCH(double, qnj);
        QFETCH(double, bnj);
        QFETCH(double, jj);
        QFETCH(double, yj);
        QFETCH(double, dj);
        QFETCH(QStringList, found);
        CheckedEntry entry{"4-1", "园艺刊", kq, cbrq, "杂志"};
        entry.qnj = qnj;
        entry.bnj = bnj;
        entry.jj = jj;
        entry.yj = yj;
        entry.dj = dj;
        CatalogueCheckContext context;
        context.workYear = 2010;
        context.calendarReady = true;
        context.countRows = [issues](const QString &) { return issues; };
        QStringList names;
        for (const CheckFinding &f : CheckCatalogue({entry}, context))
            names << CheckProblemName(f.problem);
        QCOMPARE(names, found);
    }

    void aCalendarOfAnotherYearSkipsTheCountedChecksOnly()
    {
        fresh(false, 2010);
        for (const Row &r : ProblemCatalogue)
            insert(r, 0);
        QVERIFY(BuildDateTable(2009));
        QVERIFY(!CalendarHoldsYear(2010));
        const QMap<QString, QStringList> found = checkType(0);
        // Unreadable texts are still found; a year without issues and 年价 against 单价 need the year.
        QCOMPARE(found.value("6-1"), QStringList({"出版日期错"}));
        QCOMPARE(found.value("6-2"), QStringList({"出版日期错"}));
        QVERIFY(!found.contains("6-3"));
        QVERIFY(!found.contains("8-4"));
        QCOMPARE(found.value("8-1"), QStringList({"价格矛盾"}));
        QVERIFY(ExecSql("delete from rqdzb"));
        ForgetCalendarCheck();
        QVERIFY(!CalendarHoldsYear(2010));
    }

    void nonPostalCataloguesOfferTheWholeYearOnly()
    {
        fresh(false, 2010);
        for (const Row &r : ProblemCatalogue)
            insert(r, 2);
        insert({"3-1", "别的目录同代号", "周报", "每周5出版", "报纸", "52", "1"}, 1);
        const QMap<QString, QStringList> found = checkType(2);
        // No partial term is offered, so no day text is used; the kind rule is the postal one.
        const QMap<QString, QStringList> expected = {
            {"1-a", {"代号格式错"}},
            {"3-1", {"代号重复", "代号重复"}},
            {"3-2", {"刊期错"}},
            {"7-1", {"无年价"}},
            {"8-1", {"价格矛盾"}},
            {"8-2", {"价格矛盾"}},
            {"8-3", {"价格矛盾"}},
            {"8-4", {"价格矛盾"}},
        };
        QCOMPARE(describe(found), describe(expected));
        QVERIFY(checkType(1).isEmpty()); // the code of type 2 does not count in type 1
        QVERIFY(checkType(0).isEmpty());
    }

    void theWindowListsSortsSelectsAndExports()
    {
        fresh(false, 2010);
        for (const Row &r : ProblemCatalogue)
            insert(r, 0);
        TmljcFrm w(0, QStringLiteral("邮发报刊目录"));
        w.show();
        QCOMPARE(w.windowTitle(), QString("目录检查 - 邮发报刊目录"));
        QCOMPARE(w.lbmsg->text(), QString("邮发报刊目录：共19个条目，14个有问题（其中2个仅为警告），共14处。"));
        // the catalogue's order, codes it cannot sort last
        QCOMPARE(codesShown(w), QStringList({"3-1", "3-1", "3-2", "6-1", "6-2", "6-3", "7-1", "8-1", "8-2", "8-3",
                                             "8-4", "10-1", "11-2", "1-a"}));
        QCOMPARE(w.rows().recordCount(), 14);

        // a click on the title 问题: errors by kind, then warnings
        QHeaderView *titles = w.brow->horizontalHeader();
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                          QPoint(titles->sectionViewportPosition(5) + 10, titles->height() / 2));
        QCOMPARE(codesShown(w), QStringList({"1-a", "3-1", "3-1", "3-2", "6-1", "6-2", "6-3", "7-1", "8-1", "8-2",
                                             "8-3", "8-4", "10-1", "11-2"}));
        QCOMPARE(w.rows().value(0, 5).toString(), QString("代号格式错"));
        QCOMPARE(w.rows().value(13, 4).toString(), QString("警告"));
        QCOMPARE(w.rows().value(12, 4).toString(), QString("警告"));
        QCOMPARE(w.rows().value(11, 4).toString(), QString("错误"));
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                          QPoint(titles->sectionViewportPosition(0) + 10, titles->height() / 2));
        QCOMPARE(codesShown(w).constFirst(), QString("3-1"));

        // a double click on a row asks for that entry
        QSignalSpy chosen(&w, &TmljcFrm::entryChosen);
        const QRect cell = w.brow->visualRect(w.brow->model()->index(3, 1));
        QTest::mouseClick(w.brow->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(w.brow->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), 0);
        QCOMPARE(chosen.at(0).at(1).toString(), QString("6-1"));

        // exports: a spreadsheet of the list as shown, and a text file
        QTemporaryDir dir;
        platform::TestHooks::clear();
        platform::TestHooks::queueFileName(dir.filePath("jc.xls"));
        w.outBtn->click();
        QCOMPARE(platform::TestHooks::lastMessage().text, QString("文件导出成功！..."));
        QStringList rows = sheetRows(dir.filePath("jc.xls"));
        QCOMPARE(rows.size(), 2 + 14); // sheet, titles, findings (no footer)
        QCOMPARE(rows.at(0), QString("SHEET 目录检查"));
        QCOMPARE(rows.at(1), QString("报刊代号|报刊名称|刊期|出版日期|级别|问题|说明"));
        QCOMPARE(rows.at(5), QString("6-1|日期错月刊|月刊|每月出版|错误|出版日期错|出版日期“每月出版”按刊期“月刊”读不出期数，"
                                     "非全年订阅将提示“出版日期错”"));
        platform::TestHooks::queueFileName(dir.filePath("jc.xlsx"));
        w.outBtn->click();
        rows = sheetRows(dir.filePath("jc.xlsx"));
        QCOMPARE(rows.value(15), QString("1-a|代号错日报|日报|每日出版|错误|代号格式错|代号“1-a”不是两个整数以“-”相连，目录无法按代号排序载入"));
        platform::TestHooks::queueFileName(dir.filePath("jc.txt"));
        w.outBtn->click();
        QFile text(dir.filePath("jc.txt"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        const QStringList lines = QString(QStringDecoder("GB18030").decode(text.readAll())).split("\r\n");
        QCOMPARE(lines.size(), 1 + 14 + 1);
        QCOMPARE(lines.at(12), QString("10-1\t双数报纸\t日报\t每日出版\t警告\t类别与代号不符\t报纸的代号首数应为单数，“10-1”为双数"));

        // after a correction 重新检查 lists what is left
        QVERIFY(ExecSql("update post set bkdh='1-2' where bkdh='1-a'"));
        w.checkBtn->click();
        QCOMPARE(w.rows().recordCount(), 13);
        QVERIFY(!codesShown(w).contains("1-a"));
    }

    void theDemoCataloguesFlagNothing_data()
    {
        QTest::addColumn<int>("year");
        QTest::newRow("2010") << 2010;
        QTest::newRow("2025") << 2025;
        QTest::newRow("2026") << 2026;
        QTest::newRow("2027") << 2027;
    }

    void theDemoCataloguesFlagNothing()
    {
        QFETCH(int, year);
        fresh(true, year);
        for (int type = 0; type <= 3; ++type)
            QVERIFY2(checkType(type).isEmpty(), qPrintable(QString::number(type) + ": " + describe(checkType(type))));

        // The demo files of the walk-through, imported as a clerk does.
        auto w = std::make_unique<TbkmlFrm>();
        platform::TestHooks::clear();
        ImportFile(*w, QStringLiteral(TAVRIN_SOURCE_DIR "/demo/postal-catalogue.xls"), 0);
        ImportFile(*w, QStringLiteral(TAVRIN_SOURCE_DIR "/demo/nonpostal-catalogue.xlsx"), 1);
        QCOMPARE(CountRows("select * from post"), 26 + 21);
        for (int type = 0; type <= 1; ++type)
            QVERIFY2(checkType(type).isEmpty(), qPrintable(QString::number(type) + ": " + describe(checkType(type))));
    }
};

int runCatalogueCheckTest(int argc, char **argv)
{
    CatalogueCheckTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "CatalogueCheckTest.moc"
