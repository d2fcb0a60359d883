// The spreadsheet export: titles, widths, the text column, the footer row and its sums, stop, several
// sheets in one file, the naming and start errors, and what becomes of the application afterwards.

#include "ExportTestSupport.h"
#include "TestDatabase.h"
#include "db/DbError.h"
#include "export/UGridExport.h"
#include "platform/TestHooks.h"
#include "sheet/SheetError.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>

namespace {

QString errorText(const std::function<void()> &run)
{
    try {
        run();
    } catch (const GridExportError &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QStringLiteral("other: ") + QString::fromUtf8(e.what());
    }
    return QStringLiteral("no error");
}

// Sheet k of the exporter's file, named `name`, holding the order lines of title `code`.
bool exportCodeSheet(TGridExport &exporter, GridFixture &f, int k, const QString &name, const QString &code)
{
    f.open("select bkdh,kq,fs,ke from torder where bkdh='" + code + "'");
    exporter.SheetCount = k;
    exporter.Yes = k > 1;
    exporter.SheetName = name;
    return exporter.ExportToXls(&f.grid, false);
}

TColumn sumColumn(const QString &field, const QString &format, bool visible = true)
{
    TColumn column = MakeColumn(field, field, 64, std::nullopt, format);
    TColumnFooter sum;
    sum.ValueType = TFooterValueType::ftSum;
    column.Footers = {sum};
    column.Visible = visible;
    return column;
}

} // namespace

class SheetExportTest : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::TestHooks::clear(); }

    void writesTitlesWidthsTextColumnAndFooter()
    {
        ExportScene scene({{"0012", "人民日报", 3, 1000}, {"1-1", "求是", 2, 234.5}});
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        for (const QString ext : {".xls", ".xlsx", ".et"}) {
            auto factory = std::make_shared<RecordingFactory>();
            sheet::ScopedApplicationFactory guard(factory);
            TGridExport exporter;
            exporter.Outtype = ext == ".et" ? "WPS" : "XLS";
            exporter.XlsFileName = tdb.folder() + "/orders" + ext;
            exporter.SheetCount = 1;
            exporter.SheetName = "邮发报刊订单";
            QVERIFY(exporter.ExportToXls(&f.grid, false));
            QCOMPARE(factory->asked.last(), ext == ".et" ? QString("create:Et.Application") : QString("create:Excel.Application"));
            QVERIFY(factory->windowsAtStart.contains(ext == ".et" ? "正在启动WPS环境，请稍候……" : "正在启动Excel环境，请稍候……"));
            QCOMPARE(factory->made.size(), size_t(1));
            QVERIFY(factory->made.front()->hasQuit());
            QVERIFY(!exporter.ProgressWindow() && !exporter.StartWindow());

            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.sheetNames(), QStringList({"邮发报刊订单"}));
            const sheet::Worksheet ws = file.sheet(1);
            const QStringList titles = {"报刊代号", "报刊名称", "份数", "款额"};
            const double widths[] = {11, 33, 13, 10}; // pixels / 6, truncated
            for (int c = 1; c <= 4; ++c) {
                QCOMPARE(ws.Cells(1, c).Value().toText(), titles.at(c - 1));
                QCOMPARE(ws.Columns(c).ColumnWidth(), widths[c - 1]);
            }
            // column 1 is text: "0012" and "1-1" stay as written
            QVERIFY(ws.Cells(2, 1).Value().isText());
            QCOMPARE(ws.Cells(2, 1).Value().toText(), QString("0012"));
            QCOMPARE(ws.Cells(3, 1).Value().toText(), QString("1-1"));
            QCOMPARE(ws.Cells(2, 1).NumberFormatLocal(), QString("@"));
            QVERIFY(ws.Cells(1, 1).NumberFormatLocal() != "@");
            QVERIFY(ws.Cells(2, 2).NumberFormatLocal() != "@");
            QCOMPARE(ws.Cells(2, 2).Value().toText(), QString("人民日报"));
            QVERIFY(ws.Cells(3, 4).Value().isNumber());
            QCOMPARE(ws.Cells(3, 4).Value().toNumber(), 234.5);
            for (int r = 1; r <= 4; ++r) {
                QCOMPARE(ws.Cells(r, 1).Font().Name(), QString("宋体"));
                QCOMPARE(ws.Cells(r, 3).Font().Size(), 9.0);
            }
            // footer row under the last record
            QCOMPARE(ws.Cells(4, 1).Value().toText(), QString("合计"));
            QVERIFY(ws.Cells(4, 2).Value().isEmpty());
            QCOMPARE(ws.Cells(4, 3).Value().toNumber(), 5.0);
            QCOMPARE(ws.Cells(4, 4).Value().toText(), QString("1234.5"));
            QVERIFY(ws.Cells(5, 1).Value().isEmpty());
        }
    }

    void footerSumsRoundUpOrKeepTheirGeneralText()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        GridFixture f;
        TColumn code = SampleColumns().constFirst();
        // a hidden sum comes first in the running sums but is not written
        f.grid.setColumns({code, sumColumn("fs", "", false), sumColumn("ke", ""), sumColumn("ke", "0.00")});
        f.grid.setSumListActive(true);
        const struct {
            QVector<SampleRow> rows;
            QString whole;   // no display format: the ceiling, as a whole number
            QString general; // display format: the sum as general text
        } cases[] = {
            {{{"1-1", "", 7, 10}, {"1-2", "", 7, 2.25}}, "13", "12.25"},
            {{{"1-1", "", 7, -10}, {"1-2", "", 7, -2.25}}, "-12", "-12.25"},
            {{{"1-1", "", 7, 1000}, {"1-2", "", 7, 234.5}}, "1235", "1234.5"},
        };
        for (const auto &c : cases) {
            ExecSql("delete from torder");
            InsertRows(c.rows);
            f.open();
            TGridExport exporter;
            exporter.Show_Progress = false;
            exporter.XlsFileName = tdb.folder() + "/sums.xls";
            exporter.SheetCount = 1;
            QVERIFY(exporter.ExportToXls(&f.grid, false));
            QCOMPARE(exporter.SheetName, QString("Sheet1")); // read back from the active sheet
            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.text(1, 4, 1), QString("合计"));
            QCOMPARE(file.text(1, 4, 2), c.whole);
            QCOMPARE(file.text(1, 4, 3), c.general);
        }
    }

    void stopAfterFortyOfHundredRecords()
    {
        ExportScene scene(NumberedRows(100));
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        TGridExport exporter;
        exporter.Outtype = "XLS";
        exporter.XlsFileName = tdb.folder() + "/stopped.xls";
        exporter.SheetCount = 1;
        exporter.SheetName = "订单";
        int lastWritten = 0;
        connect(&exporter, &TGridExport::recordExported, this, [&](int written) {
            lastWritten = written;
            QCOMPARE(exporter.ProgressBar()->maximum(), 100);
            if (written == 40)
                QTest::mouseClick(exporter.StopButton(), Qt::LeftButton);
        });
        QVERIFY(!exporter.ExportToXls(&f.grid, false));
        QCOMPARE(lastWritten, 40);
        {
            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.text(1, 2, 1), QString("1-1"));
            QCOMPARE(file.text(1, 41, 1), QString("1-40"));
            QCOMPARE(file.text(1, 42, 1), QString("合计"));
            QCOMPARE(file.text(1, 42, 3), QString("200")); // the sums of all 100 records
            QCOMPARE(file.text(1, 42, 4), QString("125"));
            QCOMPARE(file.text(1, 43, 1), QString());
        }
        // stopped for good: the next export writes the titles and, in row 2, the footer
        exporter.XlsFileName = tdb.folder() + "/after.xls";
        QVERIFY(!exporter.ExportToXls(&f.grid, false));
        ReadBack file(exporter.XlsFileName);
        QCOMPARE(file.text(1, 1, 1), QString("报刊代号"));
        QCOMPARE(file.text(1, 2, 1), QString("合计"));
        QCOMPARE(file.text(1, 2, 3), QString("200"));
    }

    void buildsOneFileOfSeveralSheetsAndRefusesBadNames()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        InsertRows({{"1-1", "甲刊", 1, 1}, {"2-1", "乙刊", 2, 2}});
        GridFixture f;
        auto factory = std::make_shared<RecordingFactory>();
        sheet::ScopedApplicationFactory guard(factory);
        TGridExport exporter;
        exporter.Show_Progress = false;
        exporter.Outtype = "XLS";
        exporter.XlsFileName = tdb.folder() + "/two.xls";
        const auto exportSheet = [&](int k, const QString &name, const QString &code) {
            return exportCodeSheet(exporter, f, k, name, code);
        };
        QVERIFY(exportSheet(1, "甲", "1-1"));
        QVERIFY(exportSheet(2, "乙", "2-1"));
        {
            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.sheetNames(), QStringList({"甲", "乙"}));
            QCOMPARE(file.text(1, 2, 2), QString("甲刊"));
            QCOMPARE(file.text(2, 2, 2), QString("乙刊"));
            QCOMPARE(file.text(2, 3, 1), QString("合计"));
        }
        // the name of sheet 2 and later: caught before anything changes
        QCOMPARE(errorText([&] { exportSheet(3, "乙", "1-1"); }), QString("工作表命名重复！"));
        // the name of sheet 1 is not compared; naming the new sheet fails
        QCOMPARE(errorText([&] { exportSheet(3, "甲", "1-1"); }), QString("工作表命名错误！"));
        QCOMPARE(errorText([&] { exportSheet(3, "a/b", "1-1"); }), QString("工作表命名错误！"));
        // nothing was saved by the failed exports, and every application they started has ended
        {
            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.sheetNames(), QStringList({"甲", "乙"}));
        }
        for (const auto &app : factory->made)
            QVERIFY(app->hasQuit());
        // reopening a file that is not there
        exporter.XlsFileName = tdb.folder() + "/missing.xls";
        QCOMPARE(errorText([&] { exportSheet(2, "丙", "1-1"); }), QString("新建Excel工作表出错！"));
        QVERIFY(factory->made.back()->hasQuit());
        QVERIFY(!QFile::exists(exporter.XlsFileName));
    }

    // The next sheet of a file is added to the workbook just saved, not to the file read back: a file
    // whose bytes changed behind the exporter but kept its size and time is not read; one whose time
    // changed is read again.
    void theNextSheetIsAddedWithoutReadingTheFileBack()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        InsertRows({{"1-1", "甲刊", 1, 1}, {"2-1", "乙刊", 2, 2}, {"3-1", "丙刊", 3, 3}});
        GridFixture f;
        TGridExport exporter;
        exporter.Show_Progress = false;
        exporter.Outtype = "XLS";
        exporter.XlsFileName = tdb.folder() + "/kept.xls";
        const auto exportSheet = [&](int k, const QString &name, const QString &code) {
            return exportCodeSheet(exporter, f, k, name, code);
        };
        // Overwrites the file with as many bytes of nothing, keeping its time (or not).
        const auto spoil = [&](bool keepTime) {
            QFile file(exporter.XlsFileName);
            const QDateTime time = QFileInfo(file).lastModified();
            QVERIFY(file.open(QIODevice::ReadWrite));
            const qint64 size = file.size();
            QVERIFY(file.seek(0));
            file.write(QByteArray(size, 'x'));
            file.close();
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(keepTime ? time : time.addSecs(-60), QFileDevice::FileModificationTime));
            file.close();
        };
        QVERIFY(exportSheet(1, "甲", "1-1"));
        spoil(true);
        QVERIFY(exportSheet(2, "乙", "2-1"));
        {
            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.sheetNames(), QStringList({"甲", "乙"}));
            QCOMPARE(file.text(1, 2, 2), QString("甲刊"));
            QCOMPARE(file.text(2, 2, 2), QString("乙刊"));
        }
        spoil(false);
        QCOMPARE(errorText([&] { exportSheet(3, "丙", "3-1"); }), QString("新建Excel工作表出错！"));
    }

    void startFailureNamesTheApplication()
    {
        ExportScene scene;
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        auto factory = std::make_shared<RecordingFactory>();
        factory->failStart = true;
        sheet::ScopedApplicationFactory guard(factory);
        TGridExport exporter;
        exporter.XlsFileName = tdb.folder() + "/never.xls";
        exporter.Outtype = "xls"; // any letter case selects Excel
        QCOMPARE(errorText([&] { exporter.ExportToXls(&f.grid, false); }), QString("启动Excel失败，可能没有安装Excel！"));
        QCOMPARE(factory->asked, QStringList({"running:Excel.Application", "create:Excel.Application"}));
        QVERIFY(factory->windowsAtStart.contains("正在启动Excel环境，请稍候……"));
        QVERIFY(!exporter.StartWindow());
        QVERIFY(!VisibleWindowTexts().contains("正在启动Excel环境，请稍候……"));

        factory->asked.clear();
        exporter.Outtype.clear(); // anything but XLS selects WPS
        QCOMPARE(errorText([&] { exporter.ExportToXls(&f.grid, false); }),
                 QString("启动WPS失败，可能没有安装金山表格系统！"));
        QCOMPARE(factory->asked, QStringList({"running:Et.Application", "create:Et.Application"}));
        QVERIFY(!QFile::exists(exporter.XlsFileName));

        // without progress no notice is shown
        exporter.Show_Progress = false;
        QVERIFY_THROWS_EXCEPTION(GridExportError, exporter.ExportToXls(&f.grid, false));
        QVERIFY(!factory->windowsAtStart.contains("正在启动WPS环境，请稍候……"));

        // no grid
        const qsizetype starts = factory->asked.size();
        TGridExport bare;
        bare.XlsFileName = exporter.XlsFileName;
        QCOMPARE(errorText([&] { bare.ExportToXls(false); }), QString("请输入DBGrid名称"));
        QCOMPARE(factory->asked.size(), starts); // nothing was started for it
    }

    void aRunningApplicationKeepsRunningWithItsWork()
    {
        ExportScene scene(NumberedRows(3));
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        auto factory = std::make_shared<RecordingFactory>();
        factory->running = std::make_shared<sheet::Application>("Excel.Application");
        sheet::Workbook other = factory->running->Workbooks().Add();
        other.ActiveSheet().Cells(1, 1).setValue(QString("未保存的工作"));
        factory->running->setVisible(true);
        sheet::ScopedApplicationFactory guard(factory);

        TGridExport exporter;
        exporter.XlsFileName = tdb.folder() + "/attached.xls";
        exporter.SheetCount = 1;
        exporter.Outtype = "XLS";
        QVERIFY(exporter.ExportToXls(&f.grid, false));
        QVERIFY(factory->made.empty());
        QVERIFY(!factory->running->hasQuit());
        QVERIFY(factory->running->Visible());
        QVERIFY(factory->running->DisplayAlerts());
        QCOMPARE(factory->running->Workbooks().Count(), 1);
        QCOMPARE(other.ActiveSheet().Cells(1, 1).Value().toText(), QString("未保存的工作"));
        {
            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.text(1, 4, 1), QString("1-3"));
        }
        // a failed preparation closes only the workbook it made
        exporter.Yes = true;
        exporter.XlsFileName = tdb.folder() + "/missing.xls";
        QCOMPARE(errorText([&] { exporter.ExportToXls(&f.grid, false); }), QString("新建Excel工作表出错！"));
        exporter.Yes = false;
        exporter.SheetName = "a*b";
        QCOMPARE(errorText([&] { exporter.ExportToXls(&f.grid, false); }), QString("工作表命名错误！"));
        QVERIFY(!factory->running->hasQuit());
        QCOMPARE(factory->running->Workbooks().Count(), 1);
    }

    void aFailedWriteStillSavesQuitsAndRestores()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        InsertRows(NumberedRows(3));
        GridFixture f;
        QVector<TColumn> columns = SampleColumns();
        columns[1].FieldName = "nosuchfield";
        f.grid.setColumns(columns);
        f.open();
        f.query.setRecNo(2);
        auto factory = std::make_shared<RecordingFactory>();
        sheet::ScopedApplicationFactory guard(factory);
        TGridExport exporter;
        exporter.XlsFileName = tdb.folder() + "/broken.xls";
        exporter.SheetCount = 1;
        QVERIFY_THROWS_EXCEPTION(db::DbError, exporter.ExportToXls(&f.grid, false));
        QVERIFY(factory->made.back()->hasQuit());
        QVERIFY(!exporter.ProgressWindow());
        QCOMPARE(f.query.recNo(), 2);
        QVERIFY(!f.query.controlsDisabled());
        {
            ReadBack file(exporter.XlsFileName); // saved with what was written
            QCOMPARE(file.text(1, 1, 2), QString("报刊名称"));
        }

        // a file that cannot be saved is an error, not a success
        f.grid.setColumns(SampleColumns());
        exporter.XlsFileName = tdb.folder() + "/no/such/folder/x.xls";
        QVERIFY_THROWS_EXCEPTION(sheet::SheetError, exporter.ExportToXls(&f.grid, false));
        QVERIFY(factory->made.back()->hasQuit());
    }

    void emptyDataSetAndNoVisibleColumn()
    {
        ExportScene scene;
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        TGridExport exporter;
        exporter.Show_Progress = false;
        exporter.XlsFileName = tdb.folder() + "/empty.xls";
        exporter.SheetCount = 1;
        QVERIFY(exporter.ExportToXls(&f.grid, false));
        {
            ReadBack file(exporter.XlsFileName);
            QCOMPARE(file.text(1, 1, 4), QString("款额"));
            QCOMPARE(file.text(1, 2, 1), QString("合计"));
            QCOMPARE(file.text(1, 2, 3), QString("0"));
            QCOMPARE(file.text(1, 2, 4), QString("0"));
        }
        InsertRows(NumberedRows(2));
        f.open();
        for (int i = 0; i < f.grid.Columns().size(); ++i)
            f.grid.setColumnVisible(i, false);
        QVERIFY(exporter.ExportToXls(&f.grid, false));
        ReadBack file(exporter.XlsFileName);
        QVERIFY(file.sheet(1).model().extent().isEmpty());
    }

    void choosesTheFileWithTheSpreadsheetFilter()
    {
        ExportScene scene;
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        TGridExport exporter;
        exporter.XlsFileName = tdb.folder() + "/x.xls";
        QVERIFY(!exporter.ExportToXls(&f.grid, true)); // asked, cancelled
        QVERIFY(!QFile::exists(tdb.folder() + "/x.xls"));
        const platform::ShownFileDialog shown = platform::TestHooks::fileDialogs().constLast();
        QCOMPARE(shown.request.title, QString("请选择输出文件名"));
        QCOMPARE(shown.request.defaultExt, QString("xls"));
        QCOMPARE(shown.request.filter, QString("Excel文件(*.Xls)|*.xls"));
        QVERIFY(shown.request.overwritePrompt);
    }
};

int runSheetExportTest(int argc, char **argv)
{
    SheetExportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sheet_export.moc"
