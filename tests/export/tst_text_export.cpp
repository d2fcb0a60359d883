// The text export: header line, one line per record, the separators, the file's bytes, the file choice,
// the progress window and stop, and the data set handed back as it was.

#include "ExportTestSupport.h"
#include "TestDatabase.h"
#include "export/UGridExport.h"
#include "platform/TestHooks.h"

#include <QFile>
#include <QLabel>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString decoded(const QByteArray &bytes)
{
    QStringDecoder decoder("GB18030");
    return decoder.decode(bytes);
}

} // namespace

class TextExportTest : public QObject {
    Q_OBJECT
private slots:
    void init() { platform::TestHooks::clear(); }

    void writesHeaderAndOneLinePerRecordWithEachSeparator()
    {
        ExportScene scene({{"1-1", "人民日报", 3, 12.5}, {"2-5", "求是;半月,刊", 1, -0.25}});
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        QVERIFY(f.query.active());

        const struct {
            TSpaceMark mark;
            char separator;
        } marks[] = {{TSpaceMark::csComma, ','}, {TSpaceMark::csSemicolon, ';'}, {TSpaceMark::csTab, '\t'},
                     {TSpaceMark::csBlank, ' '}, {TSpaceMark::csEnter, '\r'}};
        TGridExport exporter;
        QCOMPARE(exporter.SpaceMark(), TSpaceMark::csTab); // after construction
        QCOMPARE(exporter.Separator(), '\t');
        exporter.Show_Progress = false;
        for (const auto &m : marks) {
            exporter.SetSpaceMark(m.mark);
            QCOMPARE(exporter.Separator(), m.separator);
            exporter.TxtFileName = tdb.folder() + QStringLiteral("/out%1.txt").arg(int(m.mark));
            QVERIFY(exporter.ExportToText(&f.grid, false));
            const QString s(QLatin1Char(m.separator));
            const QString expected = "报刊代号" + s + "报刊名称" + s + "份数" + s + "款额\r\n" + "1-1" + s + "人民日报"
                                     + s + "3" + s + "12.5\r\n" + "2-5" + s + "求是;半月,刊" + s + "1" + s + "-0.25\r\n";
            QCOMPARE(decoded(fileBytes(exporter.TxtFileName)), expected);
        }
        // a value holding the separator is written unchanged: that line gets more fields
        const QStringList lines = decoded(fileBytes(tdb.folder() + "/out1.txt")).split("\r\n");
        QCOMPARE(lines.at(0).count(';'), 3);
        QCOMPARE(lines.at(2).count(';'), 4);
    }

    void writesGb18030BytesWithCrLfAndNoByteOrderMark()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        // "€" and "𠀀" are outside GBK: GB18030 keeps them
        InsertRows({{"1-1", "欧元€𠀀", 1, 2}});
        GridFixture f;
        f.open();
        TGridExport exporter;
        exporter.Show_Progress = false;
        exporter.TxtFileName = tdb.folder() + "/gb.txt";
        QVERIFY(exporter.ExportToText(&f.grid, false));
        const QByteArray bytes = fileBytes(exporter.TxtFileName);
        QVERIFY(bytes.startsWith(QByteArray::fromHex("b1a8bfafb4fabac5"))); // 报刊代号 in GBK
        QVERIFY(bytes.contains(QByteArray::fromHex("a2e395328236")));         // €𠀀
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\r\n"), 2);
        QCOMPARE(bytes.count('\n'), 2);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(decoded(bytes).split("\r\n").at(1), QString("1-1\t欧元€𠀀\t1\t2"));
    }

    void emptyDataSetAndNoVisibleColumn()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        GridFixture f;
        TGridExport exporter;
        exporter.Show_Progress = false;
        exporter.TxtFileName = tdb.folder() + "/empty.txt";

        // an open data set without records, and a closed one: the header line alone
        f.open();
        QVERIFY(f.query.active());
        QVERIFY(exporter.ExportToText(&f.grid, false));
        QCOMPARE(decoded(fileBytes(exporter.TxtFileName)), QString("报刊代号\t报刊名称\t份数\t款额\r\n"));
        f.query.close();
        QVERIFY(exporter.ExportToText(&f.grid, false));
        QCOMPARE(decoded(fileBytes(exporter.TxtFileName)), QString("报刊代号\t报刊名称\t份数\t款额\r\n"));

        // no visible column: an empty header line and one empty line per record
        InsertRows(NumberedRows(3));
        f.open();
        for (int i = 0; i < f.grid.Columns().size(); ++i)
            f.grid.setColumnVisible(i, false);
        QVERIFY(exporter.ExportToText(&f.grid, false));
        QCOMPARE(fileBytes(exporter.TxtFileName), QByteArray("\r\n\r\n\r\n\r\n"));

        // hidden columns are left out of every line
        f.grid.setColumnVisible(1, true);
        f.grid.setColumnVisible(3, true);
        QVERIFY(exporter.ExportToText(&f.grid, false));
        QCOMPARE(decoded(fileBytes(exporter.TxtFileName)),
                 QString("报刊名称\t款额\r\n刊物1\t1.25\r\n刊物2\t1.25\r\n刊物3\t1.25\r\n"));
    }

    void choosesTheFileBeforeLookingForTheGrid()
    {
        ExportScene scene;
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        TGridExport exporter;
        exporter.Show_Progress = false;

        // asked for a name although one is set; cancelled: false, nothing written, no error
        exporter.TxtFileName = tdb.folder() + "/kept.txt";
        QVERIFY(!exporter.ExportToText(&f.grid, true));
        QVERIFY(!QFile::exists(tdb.folder() + "/kept.txt"));
        QCOMPARE(platform::TestHooks::fileDialogs().size(), 1);
        const platform::ShownFileDialog shown = platform::TestHooks::fileDialogs().constFirst();
        QVERIFY(shown.save);
        QCOMPARE(shown.request.title, QString("请选择输出文件名"));
        QCOMPARE(shown.request.defaultExt, QString("txt"));
        QCOMPARE(shown.request.filter, QString("文本文件(*.Txt)|*.txt"));
        QVERIFY(shown.request.overwritePrompt);
        QVERIFY(shown.owner.isNull());

        // no name: the dialog is shown even without asking, and the chosen name is kept
        platform::TestHooks::queueFileName(tdb.folder() + "/chosen.txt");
        QVERIFY(exporter.ExportToText(&f.grid, false));
        QCOMPARE(exporter.TxtFileName, tdb.folder() + "/chosen.txt");
        QVERIFY(QFile::exists(exporter.TxtFileName));
        QVERIFY(exporter.ExportToText(&f.grid, false)); // a name is set: no dialog
        QCOMPARE(platform::TestHooks::fileDialogs().size(), 2);

        // no grid: the error comes once a file is chosen
        TGridExport bare;
        bare.TxtFileName = tdb.folder() + "/nogrid.txt";
        QVERIFY_THROWS_EXCEPTION(GridExportError, bare.ExportToText(false));
        try {
            bare.ExportToText(false);
        } catch (const GridExportError &e) {
            QCOMPARE(e.message(), QString("请输入DBGrid名称"));
        }
        QVERIFY(!QFile::exists(bare.TxtFileName));
        QVERIFY(!bare.ExportToText(true)); // cancelled before the grid is looked at
    }

    void showsProgressAndHandsTheDataSetBack()
    {
        ExportScene scene(NumberedRows(5));
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        f.query.setRecNo(3);
        int scrolls = 0;
        f.query.afterScroll = [&] { ++scrolls; };

        TGridExport exporter;
        exporter.TxtFileName = tdb.folder() + "/progress.txt";
        QStringList seen;
        connect(&exporter, &TGridExport::recordExported, this, [&](int written) {
            QWidget *window = exporter.ProgressWindow();
            QVERIFY(window && window->isVisible());
            QCOMPARE(window->size(), QSize(300, 150));
            QVERIFY(window->windowTitle().isEmpty());
            const QStringList labels = VisibleWindowTexts();
            QVERIFY(labels.contains("共计:5条记录,正在导出数据，请稍候……"));
            QCOMPARE(exporter.ProgressBar()->maximum(), 5);
            QCOMPARE(exporter.ProgressBar()->value(), written - 1);
            QCOMPARE(exporter.StopButton()->text(), QString("停止"));
            QVERIFY(exporter.StopButton()->isEnabled());
            QVERIFY(f.query.controlsDisabled());
            seen << QString::number(written);
        });
        QVERIFY(exporter.ExportToText(&f.grid, false));
        QCOMPARE(seen, QStringList({"1", "2", "3", "4", "5"}));
        QCOMPARE(scrolls, 0); // the handlers were detached for the walk
        QCOMPARE(f.query.recNo(), 3);
        QVERIFY(!f.query.controlsDisabled());
        QVERIFY(!exporter.ProgressWindow());
        f.query.next();
        QCOMPARE(scrolls, 1); // and attached again
    }

    void stopEndsTheWalkAndStaysStopped()
    {
        ExportScene scene(NumberedRows(5));
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        TGridExport exporter;
        exporter.TxtFileName = tdb.folder() + "/stopped.txt";
        connect(&exporter, &TGridExport::recordExported, this, [&](int written) {
            if (written == 2)
                QTest::mouseClick(exporter.StopButton(), Qt::LeftButton);
        });
        QVERIFY(!exporter.ExportToText(&f.grid, false));
        QVERIFY(exporter.Stopped());
        QCOMPARE(decoded(fileBytes(exporter.TxtFileName)),
                 QString("报刊代号\t报刊名称\t份数\t款额\r\n1-1\t刊物1\t2\t1.25\r\n1-2\t刊物2\t2\t1.25\r\n"));
        // never cleared: a later export writes its header line only
        QVERIFY(!exporter.ExportToText(&f.grid, false));
        QCOMPARE(decoded(fileBytes(exporter.TxtFileName)), QString("报刊代号\t报刊名称\t份数\t款额\r\n"));
    }

    void unwritableFileIsAnError()
    {
        ExportScene scene;
        QVERIFY(scene.ok());
        auto &[tdb, f] = scene;
        TGridExport exporter;
        exporter.TxtFileName = tdb.folder() + "/no/such/folder/x.txt";
        QVERIFY_THROWS_EXCEPTION(GridExportError, exporter.ExportToText(&f.grid, false));
        QVERIFY(!exporter.ProgressWindow());
    }
};

int runTextExportTest(int argc, char **argv)
{
    TextExportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_text_export.moc"
