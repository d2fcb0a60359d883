// Prints what exporting 10,000 summed order rows costs on this machine, through TGridExport with its
// progress window shown (offscreen unless a display is chosen), to .xls, .xlsx and .txt. The baseline
// of each spreadsheet format is the same cells written straight into a workbook and saved, without the
// component, its windows or the window messages after every record.

#include "CreateDatabase.h"
#include "data/Udm.h"
#include "export/UGridExport.h"
#include "orders/UxlsoutFrm.h"
#include "platform/Application.h"
#include "sheet/Registry.h"
#include "widgets/TDataGrid.h"
#include "widgets/TDataSource.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kRows = 10000;

// The order export's statement for the postal type of unit 1.
const QString kOrdersSql = QStringLiteral(
    "select a.*,b.bkmc,b.qnj,b.bkzl from (select bkdh,qdy,zdy,sum(fs) as fs,sum(ke) as ke from torder where mllx=0 "
    "and dwid=1 group by bkdh,qdy,zdy) as a inner join (select bkdh,bkmc,qnj,bkzl from post group by "
    "bkdh,bkmc,qnj,bkzl) as b on a.bkdh=b.bkdh");

void openDatabase(const QTemporaryDir &dir)
{
    const QString path = QDir(dir.path()).filePath(QStringLiteral("bkdata.mdb"));
    bkdata::CreateOptions options;
    options.demo = true;
    options.demoPostalRows = kRows;
    QString error;
    if (!bkdata::createDatabase(path, options, &error))
        qFatal("%s", qPrintable(error));
    dm = new Tdm;
    GP.DatabasePath = path;
    GP.ConnectionText = ConnectionTextFor(path);
    GP.WorkYear = 2010;
    // one order line of unit 1 for every postal title
    if (!ExecSql(QStringLiteral("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) "
                                "select 1,0,bkdh,1,12,2,qnj*2 from post limit 10000")))
        qFatal("%s", qPrintable(GP.LastError));
}

double medianMs(const std::function<void()> &run, int runs = 3)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The same cells, formats and widths written straight through the spreadsheet layer, then saved.
void writeDirectly(const db::Query &query, const QVector<TColumn> &columns, const QString &fileName)
{
    auto app = sheet::createApplication(QStringLiteral("Excel.Application"));
    sheet::Workbook book = app->Workbooks().Add();
    for (int n = book.Sheets().Count(); n >= 2; --n)
        book.Sheets().Item(n).Delete();
    sheet::Worksheet ws = book.ActiveSheet();
    for (int c = 0; c < columns.size(); ++c) {
        sheet::Range cell = ws.Cells(1, c + 1);
        cell.Font().setName(QStringLiteral("宋体"));
        cell.Font().setSize(9);
        cell.setValue(columns.at(c).Title.Caption);
        ws.Columns(c + 1).setColumnWidth(columns.at(c).Width / 6);
    }
    for (int r = 0; r < query.recordCount(); ++r) {
        for (int c = 0; c < columns.size(); ++c) {
            sheet::Range cell = ws.Cells(r + 2, c + 1);
            cell.Font().setName(QStringLiteral("宋体"));
            cell.Font().setSize(9);
            if (c == 0)
                cell.setNumberFormatLocal(QStringLiteral("@"));
            cell.setValue(db::Query::displayText(query.value(r, query.fieldIndex(columns.at(c).FieldName))));
        }
    }
    book.SaveAs(fileName);
    app->Quit();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application app(argc, argv);
    QTemporaryDir dir;
    openDatabase(dir);

    db::Query query;
    TDataSource source(nullptr, &query);
    TDataGrid grid;
    grid.setColumns(xlsout::ExportColumns()); // the order export dialog's grid
    grid.setFooterRowCount(1);
    grid.setDataSource(&source);
    if (OpenQuery(kOrdersSql, query) < kRows)
        qFatal("expected %d order rows: %s", kRows, qPrintable(GP.LastError));

    std::printf("export of %d order rows (8 columns) with the progress window shown, median of 3 runs:\n",
                query.recordCount());
    for (const char *ext : {".xls", ".xlsx"}) {
        const QString file = QDir(dir.path()).filePath(QStringLiteral("orders") + QLatin1String(ext));
        const double component = medianMs([&] {
            TGridExport exporter;
            exporter.Outtype = QStringLiteral("XLS");
            exporter.XlsFileName = file;
            exporter.SheetCount = 1;
            exporter.SheetName = QStringLiteral("邮发报刊订单");
            if (!exporter.ExportToXls(&grid, false))
                qFatal("export failed");
        });
        const double direct = medianMs([&] { writeDirectly(query, grid.Columns(), file); });
        std::printf("  %-5s %7.0f ms (target <= 1000 ms); cells written directly and saved %7.0f ms; ratio %.2f\n",
                    ext, component, direct, component / direct);
    }
    const QString text = QDir(dir.path()).filePath(QStringLiteral("orders.txt"));
    const double withProgress = medianMs([&] {
        TGridExport exporter;
        exporter.TxtFileName = text;
        exporter.SetSpaceMark(TSpaceMark::csSemicolon);
        if (!exporter.ExportToText(&grid, false))
            qFatal("export failed");
    });
    const double without = medianMs([&] {
        TGridExport exporter;
        exporter.Show_Progress = false;
        exporter.TxtFileName = text;
        exporter.SetSpaceMark(TSpaceMark::csSemicolon);
        exporter.ExportToText(&grid, false);
    });
    std::printf("  .txt  %7.0f ms (target <= 1000 ms); without the progress window %7.0f ms; ratio %.2f\n",
                withProgress, without, withProgress / without);
    delete dm;
    dm = nullptr;
    return 0;
}
