// Writes 10,000 rows x 8 cells (Chinese texts and numbers, font 宋体 9, column widths) to
// .xls and .xlsx through the automation-style members and reads them back; in the same
// run the Python peers (xlwt/xlrd, openpyxl) do the same. Prints the times, the ratios
// and whether each of ours stays within 0.5 s.

#include "sheet/Registry.h"
#include "sheet/Spreadsheet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRows = 10000;
const char *const kTitles[] = {"代号", "名称", "刊期", "单价", "份数", "款额", "出版地", "备注"};
const int kWidths[] = {10, 30, 8, 10, 8, 12, 12, 20};

void fill(sheet::Worksheet ws)
{
    auto format = [](sheet::Range cell) {
        cell.Font().setName(QStringLiteral("宋体"));
        cell.Font().setSize(9);
    };
    for (int c = 1; c <= 8; ++c) {
        format(ws.Cells(1, c));
        ws.Cells(1, c).setValue(QString::fromUtf8(kTitles[c - 1]));
        ws.Columns(c).setColumnWidth(kWidths[c - 1]);
    }
    for (int r = 1; r <= kRows; ++r) {
        const double price = 1.5 + r % 100;
        const int copies = r % 9 + 1;
        const int row = r + 1;
        for (int c = 1; c <= 8; ++c)
            format(ws.Cells(row, c));
        ws.Cells(row, 1).setNumberFormatLocal(QStringLiteral("@"));
        ws.Cells(row, 1).setValue(QStringLiteral("%1-%2").arg(r / 1000 + 1).arg(r % 1000, 3, 10, QLatin1Char('0')));
        ws.Cells(row, 2).setValue(QStringLiteral("人民日报海外版第%1期").arg(r));
        ws.Cells(row, 3).setValue(QStringLiteral("日刊"));
        ws.Cells(row, 4).setValue(price);
        ws.Cells(row, 5).setValue(copies);
        ws.Cells(row, 6).setValue(price * copies);
        ws.Cells(row, 7).setValue(QStringLiteral("北京市"));
        ws.Cells(row, 8).setValue(r % 2 ? QStringLiteral("邮局订阅") : QStringLiteral("自办发行"));
    }
}

double seconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// Best of three runs.
double best(const std::function<void()> &work)
{
    double result = 1e9;
    for (int i = 0; i < 3; ++i)
        result = std::min(result, seconds(work));
    return result;
}

double writeOurs(const QString &file)
{
    return best([&] {
        auto app = sheet::createApplication(QStringLiteral("Et.Application"));
        sheet::Workbook book = app->Workbooks().Add();
        for (int n = book.Sheets().Count(); n >= 2; --n)
            book.Sheets().Item(n).Delete();
        book.ActiveSheet().setName(QStringLiteral("报刊"));
        fill(book.ActiveSheet());
        book.SaveAs(file);
        app->Quit();
    });
}

double readOurs(const QString &file, double *sum)
{
    return best([&] {
        auto app = sheet::createApplication(QStringLiteral("excel.application"));
        app->Workbooks().open(file);
        sheet::Worksheet ws = app->WorkSheets(1);
        const int rows = ws.UsedRange().Rows().Count();
        const int columns = ws.UsedRange().Columns().Count();
        double total = 0;
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= columns; ++c) {
                const sheet::CellValue v = ws.Cells(r, c).Value();
                if (v.isNumber())
                    total += v.toNumber();
            }
        *sum = total;
        app->Quit();
    });
}

QMap<QString, double> runPeers(const QString &folder, QStringList *missing)
{
    QMap<QString, double> times;
    if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3"))) {
        *missing << QStringLiteral("/usr/bin/python3");
        return times;
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TAVRIN_BENCH_DIR "/peers.py"), QString::number(kRows), folder});
    python.waitForFinished(600000);
    for (const QString &line : QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(QLatin1Char(' '));
        if (parts.size() != 2)
            continue;
        if (parts[1] == QLatin1String("missing"))
            *missing << parts[0];
        else
            times.insert(parts[0], parts[1].toDouble());
    }
    const QString errors = QString::fromUtf8(python.readAllStandardError()).trimmed();
    if (!errors.isEmpty())
        std::fprintf(stderr, "peers: %s\n", qPrintable(errors));
    return times;
}

void report(const char *what, double ours, const QString &peerName, const QMap<QString, double> &peers)
{
    const bool known = peers.contains(peerName);
    const double peer = peers.value(peerName);
    std::printf("%-12s ours %7.3f s   %-15s %s   ratio %s   %s\n", what, ours, qPrintable(peerName),
                known ? qPrintable(QStringLiteral("%1 s").arg(peer, 7, 'f', 3)) : "      -  ",
                known ? qPrintable(QStringLiteral("%1x faster").arg(peer / ours, 6, 'f', 1)) : "     -       ",
                ours <= 0.5 && (!known || ours < peer) ? "ok" : "MISSED TARGET");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    double xlsSum = 0, xlsxSum = 0;
    const QString xls = dir.filePath(QStringLiteral("ours.xls"));
    const QString xlsx = dir.filePath(QStringLiteral("ours.xlsx"));
    const double xlsWrite = writeOurs(xls);
    const double xlsRead = readOurs(xls, &xlsSum);
    const double xlsxWrite = writeOurs(xlsx);
    const double xlsxRead = readOurs(xlsx, &xlsxSum);
    QStringList missing;
    const QMap<QString, double> peers = runPeers(dir.path(), &missing);

    std::printf("%d rows x 8 cells, Chinese texts and numbers, font 宋体 9, widths set (best of 3 for ours)\n", kRows);
    std::printf(".xls  %lld bytes, .xlsx %lld bytes; sums read back %.2f / %.2f\n", QFileInfo(xls).size(),
                QFileInfo(xlsx).size(), xlsSum, xlsxSum);
    report(".xls write", xlsWrite, QStringLiteral("xlwt-write"), peers);
    report(".xls read", xlsRead, QStringLiteral("xlrd-read"), peers);
    report(".xlsx write", xlsxWrite, QStringLiteral("openpyxl-write"), peers);
    report(".xlsx read", xlsxRead, QStringLiteral("openpyxl-read"), peers);
    if (!missing.isEmpty())
        std::printf("not measured (not installed): %s\n", qPrintable(missing.join(QStringLiteral(", "))));
    return 0;
}
