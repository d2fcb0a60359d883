// Prints what a catalogue import costs on this machine:
//  - a 10,000-row postal catalogue .xls imported through the real import window (offscreen): file
//    chosen, type picked, 开始导入 timed from the click to the end of the clean-up;
//  - the same rows' statements written by bare per-row ExecSqlBatch calls (bulk writing, as the import
//    runs), built beforehand;
// each into a fresh database, the median of three runs, and their ratio.
//
//   bench_catalogue [--rows N]
//   bench_catalogue --screenshots <folder>   (catalogue-import.png and catalogue-edit.png, no timings)

#include "TestDatabase.h"

#include "catalogue/CatalogueImport.h"
#include "catalogue/UbkmlFrm.h"
#include "catalogue/UbkmlxgFrm.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "platform/Application.h"
#include "platform/TestHooks.h"
#include "sheet/Registry.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TRadioGroup.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

namespace {

const QStringList Header = {"BKDH", "BKMC", "KQ",   "CBRQ", "QNJ",  "DJ", "YJ", "JJ",
                            "BNJ",  "CN",   "ISSN", "BKFL", "BZ", "BKJB", "FBKJ", "BKZL"};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A postal catalogue of `rows` titles, every column filled as a publisher's list would fill it.
void writeCatalogue(const QString &path, int rows)
{
    auto app = sheet::createApplication(QStringLiteral("Excel.Application"));
    sheet::Workbook book = app->Workbooks().Add();
    while (book.Sheets().Count() > 1)
        book.Sheets().Item(book.Sheets().Count()).Delete();
    sheet::Worksheet ws = book.ActiveSheet();
    ws.setName(QStringLiteral("邮发目录"));
    for (int c = 0; c < Header.size(); ++c)
        ws.Cells(1, c + 1).setValue(Header.at(c));
    for (int i = 0; i < rows; ++i) {
        const int r = i + 2;
        const double yearly = 12 + i % 300;
        ws.Cells(r, 1).setValue(QStringLiteral("%1-%2").arg(1 + i / 100).arg(i % 100 + 1));
        ws.Cells(r, 2).setValue(QStringLiteral("测试报刊%1").arg(i));
        ws.Cells(r, 3).setValue(QStringLiteral("月刊"));
        ws.Cells(r, 4).setValue(QStringLiteral("每月的10号出版"));
        ws.Cells(r, 5).setValue(yearly);
        ws.Cells(r, 6).setValue(yearly / 12);
        if (i % 3 == 0)
            ws.Cells(r, 7).setValue(yearly / 12);
        ws.Cells(r, 8).setValue(yearly / 4);
        ws.Cells(r, 9).setValue(yearly / 2);
        ws.Cells(r, 10).setValue(QStringLiteral("CN11-%1").arg(i, 4, 10, QLatin1Char('0')));
        ws.Cells(r, 11).setValue(QStringLiteral("1000-%1").arg(i, 4, 10, QLatin1Char('0')));
        ws.Cells(r, 12).setValue(QStringLiteral("综合"));
        if (i % 10 == 0)
            ws.Cells(r, 13).setValue(QStringLiteral("读者's 之选"));
        ws.Cells(r, 14).setValue(QStringLiteral("省级"));
        ws.Cells(r, 15).setValue(QStringLiteral("北京"));
        ws.Cells(r, 16).setValue(i % 2 ? QStringLiteral("杂志") : QStringLiteral("报纸"));
    }
    book.SaveAs(path);
    app->Quit();
}

// Every row's statements, built from the file as the import builds them.
QList<QStringList> rowStatements(const QString &path)
{
    auto app = sheet::createApplication(QStringLiteral("Excel.Application"));
    app->Workbooks().open(path);
    const sheet::Worksheet ws = app->WorkSheets(1);
    const int columns = ws.UsedRange().Columns().Count();
    const int rows = ws.UsedRange().Rows().Count();
    QStringList headers;
    for (int c = 1; c <= columns; ++c)
        headers << ws.Cells(1, c).Value().toText();
    const QString head = ImportInsertHead(QStringLiteral("post"), headers);
    QList<QStringList> all;
    for (int r = 2; r <= rows; ++r) {
        QVector<sheet::CellValue> cells;
        for (int c = 1; c <= columns; ++c)
            cells << ws.Cells(r, c).Value();
        all << BuildImportRow(QStringLiteral("post"), head, headers, cells).statements;
    }
    app->Quit();
    return all;
}

double importThroughWindow(const QString &file)
{
    TbkmlFrm window;
    window.show();
    platform::TestHooks::queueFileName(file);
    window.BitBtn1Click();
    window.mllxBox->setItemIndex(0);
    QElapsedTimer timer;
    timer.start();
    window.BitBtn2Click();
    return timer.nsecsElapsed() / 1e6;
}

double bareWrites(const QList<QStringList> &statements)
{
    QElapsedTimer timer;
    timer.start();
    dm->ADOConnection.setBulkWriting(true);
    for (const QStringList &row : statements)
        if (!ExecSqlBatch(row))
            qFatal("batch failed: %s", qPrintable(GP.LastError));
    dm->ADOConnection.setBulkWriting(false);
    return timer.nsecsElapsed() / 1e6;
}

int benchmark(const QTemporaryDir &dir, int rows)
{
    const QString file = dir.filePath(QStringLiteral("postal.xls"));
    writeCatalogue(file, rows);
    const QList<QStringList> statements = rowStatements(file);
    std::unique_ptr<TestDatabase> database;

    std::vector<double> imports, bare;
    for (int run = 0; run < 3; ++run) {
        database.reset();
        database.reset(new TestDatabase);
        imports.push_back(importThroughWindow(file));
        if (CountRows(QStringLiteral("select * from post")) != rows)
            qFatal("the import wrote %d rows, not %d: %s", CountRows(QStringLiteral("select * from post")), rows,
                   qPrintable(platform::TestHooks::lastMessage().text));
        database.reset();
        database.reset(new TestDatabase);
        bare.push_back(bareWrites(statements));
        if (CountRows(QStringLiteral("select * from post")) != rows)
            qFatal("the bare writes did not write every row");
    }
    const double imported = median(imports);
    const double written = median(bare);
    std::printf("%d-row postal catalogue .xls: import through the window %.0f ms, bare per-row batches %.0f ms, "
                "ratio %.2f (targets: <= 3000 ms, <= 2x)\n",
                rows, imported, written, imported / written);
    return 0;
}

bool save(QWidget *window, const QString &file)
{
    const bool saved = window->grab().save(file);
    std::printf("%s %s (%dx%d)\n", saved ? "saved" : "could not save", qPrintable(file), window->width(),
                window->height());
    return saved;
}

// The import window halfway through the demo postal catalogue, and the editing window on a
// non-postal title with its name and yearly price ticked.
int screenshots(const QString &folder)
{
    const TestDatabase database(/*demo=*/true);
    bool saved = false;
    {
        TbkmlFrm window;
        window.show();
        platform::TestHooks::queueFileName(QStringLiteral(TAVRIN_SOURCE_DIR "/demo/postal-catalogue.xls"));
        window.BitBtn1Click();
        window.mllxBox->setItemIndex(0);
        QObject::connect(window.PBar, &QProgressBar::valueChanged, &window, [&](int value) {
            if (value == 9) {
                QCoreApplication::processEvents();
                saved = save(&window, QDir(folder).filePath(QStringLiteral("catalogue-import.png")));
            }
        });
        window.BitBtn2Click();
    }

    TbkMainFrm main;
    GP.UserRole = 2;
    GP.DatabasePath = database.path();
    GP.ConnectionText = ConnectionTextFor(database.path());
    main.show();
    main.FTab->setTabIndex(1);
    main.ADO.locate(QStringLiteral("bkdh"), QStringLiteral("801-1"));
    TbkmlxgFrm edit(main.ADO);
    edit.show();
    edit.bkmcBox->setChecked(true);
    edit.qnjbox->setChecked(true);
    edit.qnj->setValue(132);
    QCoreApplication::processEvents();
    saved = save(&edit, QDir(folder).filePath(QStringLiteral("catalogue-edit.png"))) && saved;
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    platform::TestHooks::install(); // a message box must never wait for a click here
    const QStringList args = app.arguments();
    QTemporaryDir dir;
    int result = 0;
    if (const int i = int(args.indexOf(QStringLiteral("--screenshots"))); i > 0 && i + 1 < args.size()) {
        result = screenshots(args.at(i + 1));
    } else {
        int rows = 10000;
        if (const int n = int(args.indexOf(QStringLiteral("--rows"))); n > 0 && n + 1 < args.size())
            rows = args.at(n + 1).toInt();
        result = benchmark(dir, rows);
    }
    return result;
}
