// Prints what the catalogue check, the order summary and the printed order list cost on this machine,
// each the median of five runs beside a baseline of the same run:
//  - the check of a 10,000-title postal catalogue (all periods, a tenth of the entries with a problem):
//    reading the entries and checking them, against reading the catalogue as the main window does
//    (select * ... order by the code's numbers);
//  - the summary of 100,000 order lines of 1,000 units: against opening those lines unsorted;
//  - a unit's 120 order lines as PDF: against a PDF of the same document without rows.
//
//   bench_reports [--titles N] [--lines N] [--units N]

#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "catalogue/CatalogueCheck.h"
#include "data/Udm.h"
#include "platform/Application.h"
#include "reports/OrderPrint.h"
#include "reports/OrderSummary.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Kind {
    const char *period;
    const char *days;
    double perIssue;
    int issues;
};

// Periods with publication days in the forms the catalogues use.
const Kind Kinds[] = {
    {"日报", "每日出版", 1.0, 365},         {"周6报", "每周1,2,3,4,5,6出版", 1.0, 313},
    {"周5报", "每周1,2,3,4,5出版", 1.0, 261}, {"周3报", "每周1,3,5出版", 1.0, 157},
    {"周报", "每周5出版", 1.5, 52},         {"旬2报", "单月份15号出版", 2.0, 6},
    {"双周报", "双周逢星期3出版", 1.5, 26}, {"旬报", "每月1,11,21号出版", 1.0, 36},
    {"半月报", "每月1,16号出版", 1.0, 24},  {"月报", "每月31号出版", 2.0, 12},
    {"周刊", "每周3出版", 5.0, 52},         {"旬刊", "每月5,15,25号出版", 3.0, 36},
    {"双周刊", "单周逢星期4出版", 4.0, 26}, {"半月刊", "每月15,30号出版", 6.0, 24},
    {"月刊", "每月的10号出版", 8.0, 12},    {"双月刊", "双月份20号出版", 10.0, 6},
    {"季刊", "季中月份15号出版", 20.0, 4},  {"半年刊", "6-30,12-31出版", 25.0, 2},
    {"年刊", "12-20出版", 45.0, 1},         {"不定", "不定期出版", 10.0, 0},
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()> &work, int runs = 5)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

void fillCatalogue(int titles)
{
    QStringList statements;
    const int kinds = int(sizeof Kinds / sizeof Kinds[0]);
    for (int i = 0; i < titles; ++i) {
        const Kind &k = Kinds[i % kinds];
        // newspapers odd first numbers, magazines even; every tenth entry carries a problem
        const bool paper = QString::fromUtf8(k.period).contains(QStringLiteral("报"));
        const int first = 1 + 2 * (i / 500) + (paper ? 0 : 1);
        QString days = QString::fromUtf8(k.days);
        double yearly = k.issues > 0 ? k.perIssue * k.issues : 40;
        if (i % 10 == 3)
            days = QStringLiteral("不详");
        if (i % 10 == 7)
            yearly *= 1.5;
        statements << QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj,bkzl) values ('%1-%2','报刊%3','%4','%5',%6,%7,'%8')")
                          .arg(first)
                          .arg(i % 500 + 1)
                          .arg(i)
                          .arg(QString::fromUtf8(k.period), days)
                          .arg(yearly)
                          .arg(k.perIssue)
                          .arg(paper ? QStringLiteral("报纸") : QStringLiteral("杂志"));
    }
    if (!ExecSqlBatch(statements))
        std::fprintf(stderr, "catalogue: %s\n", qPrintable(GP.LastError));
}

void fillOrders(int lines, int units, int titles)
{
    QStringList statements;
    for (int u = 1; u <= units; ++u)
        statements << QStringLiteral("insert into dwinfo (dwmc) values ('单位%1')").arg(u);
    const int terms[][2] = {{1, 12}, {1, 6}, {7, 12}, {1, 3}, {4, 6}, {3, 5}};
    for (int i = 0; i < lines; ++i) {
        const int title = (i * 7919) % titles;
        const auto &term = terms[i % 6];
        statements << QStringLiteral("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (%1,0,'%2-%3','',%4,%5,%6,%7)")
                          .arg(1 + i % units)
                          .arg(1 + 2 * (title / 500) + (title % 20 < 10 ? 0 : 1))
                          .arg(title % 500 + 1)
                          .arg(term[0])
                          .arg(term[1])
                          .arg(1 + i % 5)
                          .arg(12.5 * (1 + i % 5));
    }
    if (!ExecSqlBatch(statements))
        std::fprintf(stderr, "orders: %s\n", qPrintable(GP.LastError));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("titles"), QStringLiteral("Catalogue titles."), QStringLiteral("N"), QStringLiteral("10000")});
    parser.addOption({QStringLiteral("lines"), QStringLiteral("Order lines."), QStringLiteral("N"), QStringLiteral("100000")});
    parser.addOption({QStringLiteral("units"), QStringLiteral("Units."), QStringLiteral("N"), QStringLiteral("1000")});
    parser.process(app);
    const int titles = parser.value(QStringLiteral("titles")).toInt();
    const int lines = parser.value(QStringLiteral("lines")).toInt();
    const int units = parser.value(QStringLiteral("units")).toInt();

    TestDatabase database(false, 2025);
    if (!database.ok() || !BuildDateTable(2025))
        return 1;
    fillCatalogue(titles);
    fillOrders(lines, units, titles);

    // The check.
    int flagged = 0;
    const double check = timeMs([&] {
        QVector<CheckedEntry> entries;
        LoadCheckedEntries(0, entries);
        flagged = CountFlaggedEntries(CheckCatalogue(entries, ProgramCheckContext(0))).entries;
    });
    const double catalogueLoad = timeMs([&] {
        db::Query q;
        OpenQuery(QStringLiteral("select * from post order by  clng(mid(bkdh,1,instr(bkdh,'-')-1))*10000+"
                                 "clng(mid(bkdh,instr(bkdh,'-')+1,len(bkdh)-instr(bkdh,'-')+1)) "),
                  q);
    });
    std::printf("catalogue check, %d titles:        %8.1f ms (%d flagged)\n", titles, check, flagged);
    std::printf("  baseline, catalogue load:        %8.1f ms   ratio %.2f\n", catalogueLoad, check / catalogueLoad);

    // The summary.
    int summaryLines = 0;
    const double summary = timeMs([&] {
        QVector<SummaryLine> result;
        SummaryTotals totals;
        LoadOrderSummary({0, {}, {}}, result, totals);
        summaryLines = int(result.size());
    });
    const double orderLoad = timeMs([&] {
        db::Query q;
        OpenQuery(QStringLiteral("select * from torder where mllx=0"), q);
    });
    std::printf("order summary, %d lines, %d units: %8.1f ms (%d summary lines)\n", lines, units, summary, summaryLines);
    std::printf("  baseline, open the lines:        %8.1f ms   ratio %.2f\n", orderLoad, summary / orderLoad);

    // The printed order list of a unit with 120 lines.
    QStringList statements = {QStringLiteral("insert into dwinfo (dwmc,lxr,phone) values ('打印单位','联系人','0000-0000')")};
    for (int i = 0; i < 120; ++i)
        statements << QStringLiteral("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) select max(id),0,'%1-%2','',1,12,2,24.5 from dwinfo")
                          .arg(1 + 2 * (i / 500))
                          .arg(i % 500 + 1);
    ExecSqlBatch(statements);
    db::Query unit;
    OpenQuery(QStringLiteral("select max(id) as id from dwinfo"), unit);
    UnitOrdersContext context;
    context.unitId = qint32(unit.fieldInt(QStringLiteral("id")));
    context.unitName = QStringLiteral("打印单位");
    context.typeCaption = QStringLiteral("邮发报刊目录");
    context.workYear = 2025;
    context.printed = QDate::currentDate();
    QTemporaryDir dir;
    int pages = 0;
    const double pdf = timeMs([&] {
        PrintDocument document;
        BuildUnitOrdersDocument(context, document);
        pages = WriteReportPdf(dir.filePath(QStringLiteral("orders.pdf")), document);
    });
    const double emptyPdf = timeMs([&] {
        PrintDocument document;
        BuildUnitOrdersDocument(context, document);
        document.rows.clear();
        WriteReportPdf(dir.filePath(QStringLiteral("empty.pdf")), document);
    });
    std::printf("order list PDF, 120 lines:         %8.1f ms (%d pages)\n", pdf, pages);
    std::printf("  baseline, the list without rows: %8.1f ms   ratio %.2f\n", emptyPdf, pdf / emptyPdf);
    return 0;
}
