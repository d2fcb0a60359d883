// Tests of the spreadsheet layer: golden files from other writers, the automation-style
// members, the registry, what independent readers see in the files we write, atomic
// saves, and damaged or hostile files.

#include "SheetTestFiles.h"

#include "sheet/Codecs.h"
#include "sheet/FileFormats.h"
#include "sheet/ModelDump.h"
#include "sheet/Registry.h"
#include "sheet/Spreadsheet.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

using namespace sheet;
using namespace sheettest;

namespace {

// Runs `call` and returns the message of the SheetError it raised; fails the test when
// nothing (or something else) was raised.
template <typename F> QString errorOf(F call)
{
    try {
        call();
    } catch (const SheetError &error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

QString firstDifference(const QStringList &actual, const QStringList &expected)
{
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i)
        if (actual.value(i) != expected.value(i))
            return QStringLiteral("line %1:\n  ours:     %2\n  expected: %3").arg(i + 1).arg(actual.value(i), expected.value(i));
    return QString();
}

void formatLikeTheExport(Range cell)
{
    cell.Font().setName(QStringLiteral("宋体"));
    cell.Font().setSize(9);
}

// A workbook as the order export writes it, with the things that stress a codec:
// Chinese texts, many distinct texts, one text longer than a record, the text format,
// truth values, a date, column widths, several sheets.
Workbook buildOrderWorkbook(const std::shared_ptr<Application> &app)
{
    Workbook book = app->Workbooks().Add();
    for (int n = book.Sheets().Count(); n >= 2; --n)
        book.Sheets().Item(n).Delete();
    book.ActiveSheet().setName(QStringLiteral("邮发报刊"));
    Worksheet ws = book.WorkSheets(QStringLiteral("邮发报刊"));
    const QStringList titles = {QStringLiteral("代号"), QStringLiteral("名称"), QStringLiteral("金额"),
                                QStringLiteral("份数"), QStringLiteral("有效"), QStringLiteral("备注"),
                                QStringLiteral("起订日"), QStringLiteral("长文本")};
    for (int c = 1; c <= titles.size(); ++c) {
        formatLikeTheExport(ws.Cells(1, c));
        ws.Cells(1, c).setValue(titles[c - 1]);
        ws.Columns(c).setColumnWidth(8 + c);
    }
    for (int r = 2; r <= 1201; ++r) {
        Range code = ws.Cells(r, 1);
        formatLikeTheExport(code);
        code.setNumberFormatLocal(QStringLiteral("@"));
        code.setValue(QStringLiteral("%1").arg(r, 4, 10, QLatin1Char('0')));
        formatLikeTheExport(ws.Cells(r, 2));
        ws.Cells(r, 2).setValue(QStringLiteral("人民日报第%1期").arg(r));
        ws.Cells(r, 3).setValue(QStringLiteral("%1.25").arg(r));
        ws.Cells(r, 4).setValue(r % 7);
        ws.Cells(r, 5).setValue(CellValue::boolean(r % 2 == 0));
        if (r % 50 == 0)
            ws.Cells(r, 6).setValue(QStringLiteral("引号\"与\n换行\t制表"));
        ws.Cells(r, 7).setNumberFormatLocal(QStringLiteral("yyyy-mm-dd"));
        ws.Cells(r, 7).setValue(CellValue::date(45000 + r));
    }
    ws.Cells(2, 8).setValue(QString(9000, QChar(0x957F)) + QStringLiteral("end"));
    ws.Cells(1202, 3).setValue(123456.789);
    Worksheet second = book.Sheets().add();
    second.setName(QStringLiteral("非邮发"));
    second.Cells(1, 1).setValue(QStringLiteral("Latin only"));
    second.Cells(3, 2).setValue(-0.5);
    Worksheet third = book.Sheets().add();
    third.setName(QStringLiteral("图书目录"));
    third.Cells(1, 1).setValue(QStringLiteral("图书"));
    return book;
}

} // namespace

class TestSheet : public QObject {
    Q_OBJECT

private slots:
    void goldenFiles_data();
    void goldenFiles();
    void cellText();
    void automationMembers();
    void handlesOutliveTheirObjects();
    void registry();
    void exportThenReopen_data();
    void exportThenReopen();
    void independentReaders_data();
    void independentReaders();
    void atomicSave();
    void damagedFiles_data();
    void damagedFiles();
    void hostileFiles();
    void textFileEncodings_data();
    void textFileEncodings();
};

void TestSheet::goldenFiles_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    const QDir golden(goldenFolder());
    const QStringList cases = golden.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(cases.size() >= 8);
    for (const QString &name : cases) {
        const QDir folder(golden.filePath(name));
        const QStringList inputs = folder.entryList({QStringLiteral("input.*")}, QDir::Files);
        QCOMPARE(inputs.size(), 1);
        QTest::newRow(qPrintable(name)) << folder.filePath(inputs.front()) << folder.filePath(QStringLiteral("expected.txt"));
    }
}

void TestSheet::goldenFiles()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    const QStringList ours = dumpWorkbook(loadWorkbook(input)).split(QLatin1Char('\n'));
    const QStringList theirs = readText(expected).split(QLatin1Char('\n'));
    const QString difference = firstDifference(ours, theirs);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestSheet::cellText()
{
    // What the catalogue import splices into its statements.
    QCOMPARE(CellValue::number(180).toText(), QStringLiteral("180"));
    QCOMPARE(CellValue::number(12.5).toText(), QStringLiteral("12.5"));
    QCOMPARE(CellValue::number(0.1 + 0.2).toText(), QStringLiteral("0.3"));
    QCOMPARE(CellValue::number(-0.0).toText(), QStringLiteral("0"));
    QCOMPARE(CellValue::number(1e20).toText(), QStringLiteral("100000000000000000000"));
    QCOMPARE(CellValue::number(1.5e-7).toText(), QStringLiteral("0.00000015"));
    QCOMPARE(CellValue::number(123456789.123).toText(), QStringLiteral("123456789.123"));
    QCOMPARE(CellValue::text(QStringLiteral(" 示例 ")).toText(), QStringLiteral(" 示例 "));
    QCOMPARE(CellValue::boolean(true).toText(), QStringLiteral("True"));
    QCOMPARE(CellValue().toText(), QString());
    QVERIFY(CellValue().isEmpty());
    QVERIFY(!CellValue::text(QString()).isEmpty()); // an empty text is a value

    QCOMPARE(CellValue::date(45292).toText(), QStringLiteral("2024-01-01"));
    QCOMPARE(CellValue::date(45292.75).toText(), QStringLiteral("2024-01-01 18:00:00"));
    QCOMPARE(CellValue::date(60).toText(), QStringLiteral("1900-02-29"));
    QCOMPARE(CellValue::date(59).toText(), QStringLiteral("1900-02-28"));
    QCOMPARE(CellValue::date(61).toText(), QStringLiteral("1900-03-01"));
    QCOMPARE(serialFromDateTime(2024, 1, 1, 18, 0, 0), 45292.75);
    QCOMPARE(serialFromDateTime(1900, 1, 1, 0, 0, 0), 1.0);

    QCOMPARE(typedNumber(QStringLiteral(" 42 ")), std::optional<double>(42));
    QCOMPARE(typedNumber(QStringLiteral("-1.5e3")), std::optional<double>(-1500));
    QCOMPARE(typedNumber(QStringLiteral(".5")), std::optional<double>(0.5));
    for (const char *text : {"", "1,234", "12%", "1-101", "2024-01-01", "abc", "1e", "--1", "0x10", "inf", "nan"})
        QVERIFY2(!typedNumber(QString::fromLatin1(text)), text);
    QCOMPARE(CellValue::text(QStringLiteral("12.5")).toNumber(), 12.5);
    QCOMPARE(CellValue::text(QStringLiteral("x")).toNumber(), 0.0);
}

void TestSheet::automationMembers()
{
    auto app = createApplication(QStringLiteral("Et.Application"));
    QVERIFY(app);
    QCOMPARE(app->Visible(), false);
    QCOMPARE(app->DisplayAlerts(), true);
    QVERIFY(errorOf([&] { app->ActiveWorkBook(); }).contains(QStringLiteral("没有打开的工作簿")));

    Workbook book = app->Workbooks().Add();
    QCOMPARE(app->Workbooks().Count(), 1);
    QCOMPARE(book.Sheets().Count(), 3);
    QCOMPARE(book.ActiveSheet().Name(), QStringLiteral("Sheet1"));
    QCOMPARE(book.Application(), app);
    QCOMPARE(app->ActiveWorkBook().Name(), book.Name());
    QCOMPARE(app->WorkSheets().Count(), 3);
    QCOMPARE(app->WorkSheets(2).Name(), QStringLiteral("Sheet2"));
    QCOMPARE(app->WorkSheets(QStringLiteral("SHEET3")).Index(), 3);
    QVERIFY(errorOf([&] { app->WorkSheets(QStringLiteral("无此表")); }).contains(QStringLiteral("找不到工作表“无此表”")));
    QVERIFY(errorOf([&] { book.Sheets().Item(4); }).contains(QStringLiteral("超出范围")));

    app->ActiveWindow().setCaption(QStringLiteral("订单导出"));
    QCOMPARE(book.Application()->ActiveWindow().Caption(), QStringLiteral("订单导出"));

    // Trimming to one sheet, as the export does; the last sheet cannot go.
    for (int n = book.Sheets().Count(); n >= 2; --n)
        book.Sheets().Item(n).Delete();
    QCOMPARE(book.Sheets().Count(), 1);
    QVERIFY(errorOf([&] { book.Sheets().Item(1).Delete(); }).contains(QStringLiteral("至少")));

    // A new sheet goes after the last one and becomes the active sheet.
    Worksheet added = book.Sheets().add();
    QCOMPARE(added.Name(), QStringLiteral("Sheet2"));
    QCOMPARE(added.Index(), 2);
    QCOMPARE(book.ActiveSheet().Name(), QStringLiteral("Sheet2"));

    // Renaming: invalid and duplicate names fail, the sheet keeps its name.
    Worksheet first = book.Sheets().Item(1);
    first.setName(QStringLiteral("邮发报刊"));
    for (const QString &bad : {QString(), QStringLiteral("a/b"), QStringLiteral("a:b"), QStringLiteral("[x]"),
                               QStringLiteral("a?"), QStringLiteral("a*"), QStringLiteral("a\\b"), QStringLiteral("'x"),
                               QStringLiteral("x'"), QString(32, QLatin1Char('n')), QStringLiteral("邮发报刊"),
                               QStringLiteral("邮发报刊").toLower()}) {
        QVERIFY2(errorOf([&] { added.setName(bad); }) != QStringLiteral("<no error>"), qPrintable(bad));
        QCOMPARE(added.Name(), QStringLiteral("Sheet2"));
    }
    added.setName(QString(31, QChar(0x8868)));
    added.setName(QStringLiteral("非邮发"));
    added.setName(QStringLiteral("非邮发")); // its own name again is fine
    QCOMPARE(book.WorkSheets(QStringLiteral("非邮发")).Index(), 2);

    // Values as typed into a cell.
    Worksheet ws = book.WorkSheets(1);
    ws.Cells(1, 1).setValue(QStringLiteral("12.5"));
    QCOMPARE(ws.Cells(1, 1).Value(), CellValue::number(12.5));
    ws.Cells(1, 2).setValue(QStringLiteral("0012"));
    QCOMPARE(ws.Cells(1, 2).Value(), CellValue::number(12));
    ws.Cells(1, 3).setNumberFormatLocal(QStringLiteral("@"));
    ws.Cells(1, 3).setValue(QStringLiteral("0012"));
    QCOMPARE(ws.Cells(1, 3).Value(), CellValue::text(QStringLiteral("0012")));
    ws.Cells(1, 4).setValue(QStringLiteral("1-101"));
    QCOMPARE(ws.Cells(1, 4).Value(), CellValue::text(QStringLiteral("1-101")));
    ws.Cells(1, 4).setValue(QString());
    QVERIFY(ws.Cells(1, 4).Value().isEmpty());
    ws.Cells(1, 5).setValue(13);
    QCOMPARE(ws.Cells(1, 5).Value().toText(), QStringLiteral("13"));
    QVERIFY(ws.Cells(9, 9).Value().isEmpty());
    QVERIFY(errorOf([&] { ws.Cells(1, 6).setValue(QString(32768, QLatin1Char('x'))); }).contains(QStringLiteral("32767")));
    QVERIFY(errorOf([&] { ws.Cells(1, 6).setValue(std::nan("")); }) != QStringLiteral("<no error>"));

    // Fonts, formats, widths and their limits.
    QCOMPARE(ws.Cells(2, 1).Font().Name(), QStringLiteral("宋体"));
    QCOMPARE(ws.Cells(2, 1).Font().Size(), 11.0);
    ws.Cells(2, 1).Font().setName(QStringLiteral("黑体"));
    ws.Cells(2, 1).Font().setSize(9);
    QCOMPARE(ws.Cells(2, 1).Font().Name(), QStringLiteral("黑体"));
    QCOMPARE(ws.Cells(2, 1).Font().Size(), 9.0);
    QCOMPARE(ws.Cells(2, 2).Font().Size(), 11.0);
    QVERIFY(errorOf([&] { ws.Cells(2, 1).Font().setSize(0); }) != QStringLiteral("<no error>"));
    QVERIFY(errorOf([&] { ws.Cells(2, 1).Font().setName(QString()); }) != QStringLiteral("<no error>"));
    QCOMPARE(ws.Cells(2, 2).NumberFormatLocal(), QStringLiteral("G/通用格式"));
    ws.Cells(2, 2).setNumberFormatLocal(QStringLiteral("0.00"));
    QCOMPARE(ws.Cells(2, 2).NumberFormatLocal(), QStringLiteral("0.00"));
    ws.Cells(2, 2).setNumberFormatLocal(QStringLiteral("G/通用格式"));
    QCOMPARE(book.model().styles.at(book.model().sheets[0]->find(2, 2)->style).numberFormat, QStringLiteral("General"));
    QCOMPARE(ws.Columns(3).ColumnWidth(), kDefaultColumnWidth);
    ws.Columns(3).setColumnWidth(13);
    QCOMPARE(ws.Columns(3).ColumnWidth(), 13.0);
    QVERIFY(errorOf([&] { ws.Columns(3).setColumnWidth(256); }) != QStringLiteral("<no error>"));
    QVERIFY(errorOf([&] { ws.Cells(0, 1); }) != QStringLiteral("<no error>"));
    QVERIFY(errorOf([&] { ws.Cells(1, kMaxColumns + 1); }) != QStringLiteral("<no error>"));
    QVERIFY(errorOf([&] { ws.Columns(0); }) != QStringLiteral("<no error>"));

    // The used range runs from the first to the last used cell; a formatted cell counts.
    Worksheet empty = book.Sheets().add();
    QCOMPARE(empty.UsedRange().Rows().Count(), 1);
    QCOMPARE(empty.UsedRange().Columns().Count(), 1);
    empty.Cells(3, 2).setValue(QStringLiteral("x"));
    empty.Cells(7, 4).Font().setSize(12);
    QCOMPARE(empty.UsedRange().Row(), 3);
    QCOMPARE(empty.UsedRange().Column(), 2);
    QCOMPARE(empty.UsedRange().Rows().Count(), 5);
    QCOMPARE(empty.UsedRange().Columns().Count(), 3);
}

void TestSheet::handlesOutliveTheirObjects()
{
    auto app = createApplication(QStringLiteral("Excel.Application"));
    Workbook book = app->Workbooks().Add();
    Worksheet third = book.Sheets().Item(3);
    Range cell = third.Cells(1, 1);
    third.Delete();
    QVERIFY(errorOf([&] { cell.setValue(1); }).contains(QStringLiteral("已删除")));
    QVERIFY(errorOf([&] { third.Name(); }).contains(QStringLiteral("已删除")));

    Worksheet first = book.Sheets().Item(1);
    app->ActiveWorkBook().Close();
    QCOMPARE(app->Workbooks().Count(), 0);
    QVERIFY(errorOf([&] { first.Cells(1, 1).Value(); }).contains(QStringLiteral("已关闭")));
    QVERIFY(errorOf([&] { book.Sheets(); }).contains(QStringLiteral("已关闭")));

    Workbook other = app->Workbooks().Add();
    Workbook another = app->Workbooks().Add();
    app->Workbooks().Close();
    QVERIFY(errorOf([&] { other.Name(); }).contains(QStringLiteral("已关闭")));
    QVERIFY(errorOf([&] { another.Name(); }).contains(QStringLiteral("已关闭")));

    app->Workbooks().Add();
    app->Quit();
    QVERIFY(app->hasQuit());
    QVERIFY(errorOf([&] { app->Workbooks(); }).contains(QStringLiteral("已经退出")));
    QVERIFY(errorOf([&] { app->setDisplayAlerts(false); }).contains(QStringLiteral("已经退出")));
}

void TestSheet::registry()
{
    ScopedApplicationFactory fresh(std::make_shared<InProcessFactory>());
    for (const char *id : {"Excel.Application", "excel.application", "EXCEL.APPLICATION", "Et.Application", "et.application"})
        QVERIFY2(createApplication(QString::fromLatin1(id)), id);
    for (const char *id : {"", "Word.Application", "Excel", "ket.application"})
        QVERIFY2(!createApplication(QString::fromLatin1(id)), id);

    // "Running" is the latest one made and not quit, per product.
    QVERIFY(!getRunningApplication(QStringLiteral("Excel.Application"))); // the ones above are released
    auto excel = createApplication(QStringLiteral("excel.application"));
    QCOMPARE(getRunningApplication(QStringLiteral("Excel.Application")), excel);
    QVERIFY(!getRunningApplication(QStringLiteral("Et.Application")));
    auto wps = createApplication(QStringLiteral("Et.Application"));
    QCOMPARE(getRunningApplication(QStringLiteral("ET.APPLICATION")), wps);
    QCOMPARE(wps->progId(), QStringLiteral("Et.Application"));
    excel->Quit();
    QVERIFY(!getRunningApplication(QStringLiteral("Excel.Application")));
    QCOMPARE(getRunningApplication(QStringLiteral("Et.Application")), wps);

    // A test factory that fails, then one that records; the previous one comes back.
    struct Failing : InProcessFactory {
        std::shared_ptr<Application> getRunning(const QString &) override { return nullptr; }
        std::shared_ptr<Application> createNew(const QString &) override { return nullptr; }
    };
    struct Recording : InProcessFactory {
        QStringList calls;
        std::shared_ptr<Application> getRunning(const QString &id) override
        {
            calls << QStringLiteral("running ") + id;
            return InProcessFactory::getRunning(id);
        }
        std::shared_ptr<Application> createNew(const QString &id) override
        {
            calls << QStringLiteral("new ") + id;
            return InProcessFactory::createNew(id);
        }
    };
    {
        ScopedApplicationFactory failing(std::make_shared<Failing>());
        QVERIFY(!getRunningApplication(QStringLiteral("Et.Application")));
        QVERIFY(!createApplication(QStringLiteral("Et.Application")));
    }
    QCOMPARE(getRunningApplication(QStringLiteral("Et.Application")), wps);
    auto recording = std::make_shared<Recording>();
    {
        ScopedApplicationFactory guard(recording);
        QVERIFY(!getRunningApplication(QStringLiteral("Excel.Application")));
        QVERIFY(createApplication(QStringLiteral("Excel.Application")));
    }
    QCOMPARE(recording->calls, QStringList({QStringLiteral("running Excel.Application"), QStringLiteral("new Excel.Application")}));
}

void TestSheet::exportThenReopen_data()
{
    QTest::addColumn<QString>("extension");
    QTest::newRow("xls") << QStringLiteral("xls");
    QTest::newRow("et") << QStringLiteral("et");
    QTest::newRow("xlsx") << QStringLiteral("xlsx");
}

void TestSheet::exportThenReopen()
{
    QFETCH(QString, extension);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("订单.") + extension);
    const QStringList names = {QStringLiteral("邮发报刊"), QStringLiteral("非邮发"), QStringLiteral("人大资料")};

    // One sheet per call, each call starting the application anew and quitting it, the
    // way the grid export builds a file of several sheets.
    for (int k = 1; k <= names.size(); ++k) {
        auto app = createApplication(QStringLiteral("Et.Application"));
        Workbook book = k == 1 ? app->Workbooks().Add() : app->Workbooks().open(file);
        if (k == 1)
            for (int n = book.Sheets().Count(); n >= 2; --n)
                book.Sheets().Item(n).Delete();
        if (k > book.Sheets().Count())
            book.Sheets().add();
        book.ActiveSheet().setName(names[k - 1]);
        Worksheet ws = book.WorkSheets(names[k - 1]);
        for (int c = 1; c <= 3; ++c) {
            formatLikeTheExport(ws.Cells(1, c));
            ws.Cells(1, c).setValue(QStringLiteral("标题%1").arg(c));
            ws.Columns(c).setColumnWidth(80 / 6 + c);
        }
        for (int r = 2; r <= 4; ++r) {
            formatLikeTheExport(ws.Cells(r, 1));
            ws.Cells(r, 1).setNumberFormatLocal(QStringLiteral("@"));
            ws.Cells(r, 1).setValue(QStringLiteral("00%1").arg(k * 10 + r));
            ws.Cells(r, 2).setValue(QStringLiteral("第%1类第%2行").arg(k).arg(r));
            ws.Cells(r, 3).setValue(QStringLiteral("%1.5").arg(r * k));
        }
        ws.Cells(5, 3).setValue(qint64(k * 1000));
        app->setVisible(false);
        app->setDisplayAlerts(false);
        book.SaveAs(file);
        app->ActiveWorkBook().Close();
        app->Workbooks().Close();
        app->Quit();
    }

    auto app = createApplication(QStringLiteral("excel.application"));
    Workbook book = app->Workbooks().open(file);
    QCOMPARE(book.Name(), QStringLiteral("订单.") + extension);
    QCOMPARE(app->WorkSheets().Count(), 3);
    for (int k = 1; k <= 3; ++k) {
        Worksheet ws = app->WorkSheets(k);
        QCOMPARE(ws.Name(), names[k - 1]);
        QCOMPARE(ws.UsedRange().Rows().Count(), 5);
        QCOMPARE(ws.UsedRange().Columns().Count(), 3);
        for (int c = 1; c <= 3; ++c) {
            QCOMPARE(ws.Cells(1, c).Value().toText(), QStringLiteral("标题%1").arg(c));
            QCOMPARE(ws.Cells(1, c).Font().Name(), QStringLiteral("宋体"));
            QCOMPARE(ws.Cells(1, c).Font().Size(), 9.0);
            QCOMPARE(ws.Columns(c).ColumnWidth(), double(80 / 6 + c));
        }
        for (int r = 2; r <= 4; ++r) {
            QCOMPARE(ws.Cells(r, 1).Value(), CellValue::text(QStringLiteral("00%1").arg(k * 10 + r)));
            QCOMPARE(ws.Cells(r, 1).NumberFormatLocal(), QStringLiteral("@"));
            QCOMPARE(ws.Cells(r, 2).Value().toText(), QStringLiteral("第%1类第%2行").arg(k).arg(r));
            QCOMPARE(ws.Cells(r, 3).Value(), CellValue::number(r * k + 0.5));
        }
        QCOMPARE(ws.Cells(5, 3).Value().toText(), QString::number(k * 1000));
    }
    QCOMPARE(book.ActiveSheet().Name(), names.last());
    // The name of sheet 1 is taken: renaming the active sheet to it fails.
    QVERIFY(errorOf([&] { book.ActiveSheet().setName(names.first()); }) != QStringLiteral("<no error>"));
    app->Quit();
}

void TestSheet::independentReaders_data()
{
    QTest::addColumn<QString>("extension");
    QTest::newRow("xls (xlrd)") << QStringLiteral("xls");
    QTest::newRow("et (xlrd)") << QStringLiteral("et");
    QTest::newRow("xlsx (openpyxl)") << QStringLiteral("xlsx");
}

void TestSheet::independentReaders()
{
    QFETCH(QString, extension);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("订单.") + extension);
    auto app = createApplication(QStringLiteral("Et.Application"));
    Workbook book = buildOrderWorkbook(app);
    book.SaveAs(file);

    const ReaderRun run = independentDump(file);
    if (run.status == ReaderRun::Missing)
        QSKIP(qPrintable(run.output));
    QVERIFY2(run.status == ReaderRun::Ok, qPrintable(run.output));
    const QStringList theirs = comparableLines(run.output);
    const QStringList ours = comparableLines(dumpWorkbook(book.model(), true));
    QVERIFY2(ours.size() > 7000, qPrintable(QString::number(ours.size())));
    const QString difference = firstDifference(ours, theirs);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    // And our own reader gives back the same.
    const QString reread = dumpWorkbook(loadWorkbook(file), true);
    QCOMPARE(comparableLines(reread), ours);
    app->Quit();
}

void TestSheet::atomicSave()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("订单.xls"));
    writeFile(file, "earlier content");

    // Too many rows for .xls: the error says so, the earlier file is untouched and
    // nothing is left beside it.
    auto app = createApplication(QStringLiteral("Excel.Application"));
    Workbook book = app->Workbooks().Add();
    book.ActiveSheet().Cells(65537, 1).setValue(1);
    QVERIFY(errorOf([&] { book.SaveAs(file); }).contains(QStringLiteral("65536")));
    QCOMPARE(readFile(file), QByteArray("earlier content"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({QStringLiteral("订单.xls")}));

    // The same for .xlsx when the library refuses the workbook.
    const QString xlsx = dir.filePath(QStringLiteral("订单.xlsx"));
    writeFile(xlsx, "earlier content");
    WorkbookModel model;
    model.addSheet(QStringLiteral("a[b]"));
    const QString refused = errorOf([&] { saveWorkbook(model, xlsx); });
    QVERIFY2(refused.contains(xlsx), qPrintable(refused));
    QCOMPARE(readFile(xlsx), QByteArray("earlier content"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // A good save replaces the file in one piece.
    book.ActiveSheet().Cells(65537, 1).setValue(QString());
    book.ActiveSheet().Cells(1, 1).setValue(QStringLiteral("新"));
    book.SaveAs(file);
    QCOMPARE(loadWorkbook(file).sheets[0]->find(1, 1)->value.toText(), QStringLiteral("新"));
    model.sheets[0]->name = QStringLiteral("ok");
    saveWorkbook(model, xlsx);
    QCOMPARE(loadWorkbook(xlsx).sheets[0]->name, QStringLiteral("ok"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    const QString missing = dir.filePath(QStringLiteral("没有/订单.xls"));
    QVERIFY(errorOf([&] { book.SaveAs(missing); }).contains(missing));
    QVERIFY(errorOf([&] { book.SaveAs(dir.filePath(QStringLiteral("订单.ods"))); }).contains(QStringLiteral(".xlsx")));
    app->Quit();
}

void TestSheet::damagedFiles_data()
{
    QTest::addColumn<QString>("input");
    const QDir golden(goldenFolder());
    for (const QString &name : golden.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDir folder(golden.filePath(name));
        QTest::newRow(qPrintable(name)) << folder.filePath(folder.entryList({QStringLiteral("input.*")}, QDir::Files).front());
    }
}

// Truncated and bit-flipped copies of every fixture either load or fail with a
// SheetError naming the file; whatever loads can be written again.
void TestSheet::damagedFiles()
{
    QFETCH(QString, input);
    const QByteArray original = readFile(input);
    QVERIFY(!original.isEmpty());
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("damaged.") + QFileInfo(input).suffix());
    QList<QByteArray> variants;
    for (qsizetype length : {qsizetype(0), qsizetype(1), qsizetype(8), qsizetype(100), qsizetype(512), qsizetype(513),
                             original.size() - 1})
        variants << original.left(length);
    for (int i = 1; i < 24; ++i)
        variants << original.left(original.size() * i / 24);
    QRandomGenerator random(quint32(qHash(input)));
    for (int i = 0; i < 120; ++i) {
        QByteArray flipped = original;
        const int flips = 1 + int(random.bounded(8));
        // Half of the damage goes to the first kilobytes, where containers keep their
        // directories and workbooks their globals.
        const qsizetype span = i % 2 ? flipped.size() : std::min<qsizetype>(flipped.size(), 4096);
        for (int f = 0; f < flips; ++f)
            flipped[qsizetype(random.bounded(quint32(span)))] ^= char(1 << random.bounded(8));
        variants << flipped;
    }
    int loaded = 0, refused = 0;
    for (const QByteArray &bytes : variants) {
        writeFile(copy, bytes);
        try {
            const WorkbookModel model = loadWorkbook(copy);
            dumpWorkbook(model);
            try {
                writeXls(model);
            } catch (const SheetError &) {
                // e.g. a sheet name too long for .xls: refused with a message, fine
            }
            ++loaded;
        } catch (const SheetError &error) {
            QVERIFY2(error.message().contains(copy), qPrintable(error.message()));
            ++refused;
        }
    }
    QVERIFY(refused > 0);
    qInfo("%s: %d damaged copies loaded, %d refused", qPrintable(QFileInfo(input).dir().dirName()), loaded, refused);
}

void TestSheet::hostileFiles()
{
    QTemporaryDir dir;
    auto load = [&](const QString &name, const QByteArray &bytes) {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return errorOf([&] { loadWorkbook(path); });
    };
    const QByteArray window2 = record(0x023E, QByteArray(18, '\0'));
    const QByteArray eof = record(0x000A, QByteArray());
    auto cell = [](quint16 type, int row, int column, const QByteArray &rest) {
        return record(type, le16(unsigned(row)) + le16(unsigned(column)) + le16(15) + rest);
    };
    auto sheetWith = [&](const QByteArray &records) { return bof(0x0010) + records + window2 + eof; };
    auto xls = [&](const QByteArray &globals, const QByteArray &sheetBody) {
        return compoundFile(workbookStream(globals, {{QStringLiteral("S"), sheetBody}}));
    };

    QVERIFY(load(QStringLiteral("ok.xls"), xls(QByteArray(), sheetWith(cell(0x0203, 0, 0, QByteArray(8, '\0'))))) == QStringLiteral("<no error>"));
    QVERIFY(load(QStringLiteral("pw.xls"), xls(record(0x002F, QByteArray(54, '\0')), sheetWith(QByteArray()))).contains(QStringLiteral("密码")));
    QVERIFY(load(QStringLiteral("old.xls"), compoundFile(bof(0x0005, 0x0500) + eof)).contains(QStringLiteral("97-2003")));
    QVERIFY(load(QStringLiteral("sst.xls"), xls(QByteArray(), sheetWith(cell(0x00FD, 0, 0, le32(0))))).contains(QStringLiteral("共享字符串")));
    // Shared strings claiming four thousand million entries in a few bytes.
    QVERIFY(load(QStringLiteral("count.xls"), xls(record(0x00FC, le32(0xFFFFFFFF) + le32(0xFFFFFFFF) + le16(1) + '\0' + 'a'),
                                                   sheetWith(cell(0x00FD, 0, 0, le32(0))))) == QStringLiteral("<no error>"));
    QVERIFY(load(QStringLiteral("column.xls"), xls(QByteArray(), sheetWith(record(0x00BE, le16(0) + le16(250) + QByteArray(40, '\x0f') + le16(269))))).contains(QStringLiteral("列号")));
    QVERIFY(load(QStringLiteral("noeof.xls"), xls(QByteArray(), bof(0x0010) + window2)).contains(QStringLiteral("结束记录")));
    QVERIFY(load(QStringLiteral("long.xls"), xls(QByteArray(), bof(0x0010) + le16(0x0203) + le16(8000))).contains(QStringLiteral("截断")));
    const QString offset = load(QStringLiteral("offset.xls"), compoundFile(bof(0x0005) + record(0x0085, le32(999999) + QByteArray(2, '\0') + QByteArray("\x01\x00S", 3)) + eof));
    QVERIFY2(offset.contains(QStringLiteral("超出")), qPrintable(offset));
    QVERIFY(load(QStringLiteral("text.xls"), "just some text, not a workbook").contains(QStringLiteral("不是电子表格文件")));
    QVERIFY(load(QStringLiteral("empty.xlsx"), QByteArray()).contains(QStringLiteral("empty.xlsx")));
    QVERIFY(load(QStringLiteral("noise.xlsx"), QByteArray("PK\x03\x04") + QByteArray(3000, 'z')).contains(QStringLiteral(".xlsx")));
    QVERIFY(load(QStringLiteral("bad.csv"), "a,\"b\"x,c\n1,2,3\n").contains(QStringLiteral("bad.csv")));
    QVERIFY(load(QStringLiteral("names.txt"), "a").contains(QStringLiteral("不支持")));
    QVERIFY(errorOf([&] { loadWorkbook(dir.filePath(QStringLiteral("无.xls"))); }).contains(QStringLiteral("文件不存在")));

    // An .xlsx whose directory declares parts of several gigabytes.
    QByteArray bomb = readFile(goldenFolder() + QStringLiteral("/openpyxl-basic/input.xlsx"));
    for (qsizetype at = bomb.indexOf("PK\x01\x02"); at >= 0; at = bomb.indexOf("PK\x01\x02", at + 4))
        bomb.replace(at + 24, 4, le32(0x7FFFFFFF));
    QVERIFY(load(QStringLiteral("bomb.xlsx"), bomb).contains(QStringLiteral("过大")));

    // A cell reference beyond the grid.
    // (openpyxl-style inline package rewritten by hand is covered by the golden files)

    // More cells than the memory set aside for them: refused as too large, with the limit, not as
    // damaged.
    const QString tooLarge = load(QStringLiteral("large.csv"), (QByteArray("1,").repeated(599) + "1\n").repeated(1000));
    QVERIFY2(tooLarge.contains(QStringLiteral("太大")) && tooLarge.contains(QStringLiteral("48 MB")) && !tooLarge.contains(QStringLiteral("损坏")),
             qPrintable(tooLarge));
}

// Text files saved as "Unicode text" (UTF-16 with a byte-order mark, fields separated by tabs) and
// as UTF-8 with a byte-order mark read as the text they hold, quoted fields and all.
void TestSheet::textFileEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = QStringLiteral("BKDH\tBKMC\tQNJ\r\n1-101\t人民日报, 晚报\t120\r\n\"2-1\"\t\"引号\"\"与\t制表\"\t12.5\r\n");
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (const QChar ch : text) {
        le += char(ch.unicode() & 0xFF);
        le += char(ch.unicode() >> 8);
        be += char(ch.unicode() >> 8);
        be += char(ch.unicode() & 0xFF);
    }
    QTest::newRow("utf-16 le") << le;
    QTest::newRow("utf-16 be") << be;
    QTest::newRow("utf-8 bom, tabs") << QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    QTest::newRow("gb18030, tabs") << QByteArray(QStringEncoder("GB18030").encode(text));
}

void TestSheet::textFileEncodings()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("目录.csv"));
    writeFile(path, bytes);
    const WorkbookModel model = loadWorkbook(path);
    QCOMPARE(model.sheets.size(), size_t(1));
    const SheetModel &sheet = *model.sheets.front();
    const auto text = [&](int row, int column) {
        const CellData *cell = sheet.find(row, column);
        return cell ? cell->value.toText() : QString();
    };
    QCOMPARE(text(1, 1), QStringLiteral("BKDH"));
    QCOMPARE(text(1, 3), QStringLiteral("QNJ"));
    QCOMPARE(text(2, 2), QStringLiteral("人民日报, 晚报"));
    QCOMPARE(sheet.find(2, 3)->value, CellValue::number(120));
    QCOMPARE(text(3, 1), QStringLiteral("2-1"));
    QCOMPARE(text(3, 2), QStringLiteral("引号\"与\t制表"));
    QCOMPARE(sheet.extent().lastColumn, 3);
    QCOMPARE(sheet.extent().lastRow, 3);
}

QTEST_GUILESS_MAIN(TestSheet)
#include "tst_sheet.moc"
