// The order export dialog: the type boxes, the checks before a file is chosen, the combined and the
// per-type sheets, the text file and its refusals, the messages, and an exported file read by xlrd.

#include "TestDatabase.h"
#include "data/Udm.h"
#include "orders/UxlsoutFrm.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "sheet/Registry.h"
#include "widgets/TDataGrid.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TRadioGroup.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStringDecoder>
#include <QtTest>

#include <algorithm>
#include <memory>

using platform::TestHooks;

namespace {

// Catalogue: post 1-1, 1-2; nopost 82-151 (type 1) and 3-7 (type 2); an extra type 4 "合订本" without
// "目录" and without orders. The unit orders from every type, some titles missing from the catalogue
// (9-9 postal, 77-7 type 1, 5-5 type 3); a second unit's orders must never show.
qint32 FillOrders()
{
    const QStringList sqls = {
        "insert into bkmllx (id,mc) values (4,'合订本')",
        "insert into post (bkdh,bkmc,qnj,bkzl) values ('1-1','人民日报',180,'报纸')",
        "insert into post (bkdh,bkmc,qnj,bkzl) values ('1-2','求是',120,'杂志')",
        "insert into nopost (bkdh,bkmc,qnj,bkzl,mllx) values ('82-151','读者',96,'杂志',1)",
        "insert into nopost (bkdh,bkmc,qnj,bkzl,mllx) values ('3-7','资料选编',50,'杂志',2)",
        "insert into dwinfo (dwmc) values ('青禾''机械厂')",
        "insert into dwinfo (dwmc) values ('别的单位')",
    };
    if (!ExecSqlBatch(sqls))
        return -1;
    const qint32 unit = 1;
    const QStringList orders = {
        "(1,0,'1-1',1,12,2,360)", "(1,0,'1-1',1,12,1,180)", "(1,0,'1-2',1,6,1,60)", "(1,0,'9-9',1,12,1,10)",
        "(1,1,'82-151',1,12,1,96)", "(1,1,'77-7',1,12,1,20)", "(1,2,'3-7',1,12,2,100)",
        "(1,2,'82-151',1,12,1,96)", "(1,3,'5-5',1,12,1,30)", "(2,0,'1-1',1,12,5,900)",
    };
    QStringList inserts;
    for (const QString &values : orders)
        inserts << "insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) values " + values;
    return ExecSqlBatch(inserts) ? unit : -1;
}

// The rows of one sheet of a written workbook as "a|b|c" lines, read by xlrd.
QString XlrdDump(const QString &fileName)
{
    const QString script = QStringLiteral(
        "import sys, xlrd\n"
        "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
        "for s in b.sheets():\n"
        "    print('SHEET ' + s.name)\n"
        "    for r in range(s.nrows):\n"
        "        cells = []\n"
        "        for c in s.row(r):\n"
        "            v = c.value\n"
        "            cells.append(('%g' % v) if isinstance(v, float) else v)\n"
        "        print('|'.join(cells))\n");
    QProcess python;
    python.start("/usr/bin/python3", {"-c", script, fileName});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return "xlrd failed: " + QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput());
}

// The rows of each sheet of an .xlsx file as "a|b|c" lines, read by openpyxl.
QString OpenpyxlDump(const QString &fileName)
{
    const QString script = QStringLiteral(
        "import sys, openpyxl\n"
        "b = openpyxl.load_workbook(sys.argv[1])\n"
        "for s in b.worksheets:\n"
        "    print('SHEET ' + s.title)\n"
        "    for row in s.iter_rows(values_only=True):\n"
        "        print('|'.join('' if v is None else str(v) for v in row))\n");
    QProcess python;
    python.start("/usr/bin/python3", {"-c", script, fileName});
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return "openpyxl failed: " + QString::fromUtf8(python.readAllStandardError());
    return QString::fromUtf8(python.readAllStandardOutput());
}

QString TextFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    QStringDecoder decoder("GB18030");
    return decoder.decode(file.readAll());
}

// Records the controls' state at the moment the spreadsheet application is started.
struct WatchingFactory : sheet::InProcessFactory {
    std::function<void()> atStart;
    bool fail = false;
    std::shared_ptr<sheet::Application> createNew(const QString &progId) override
    {
        if (atStart)
            atStart();
        return fail ? nullptr : InProcessFactory::createNew(progId);
    }
};

} // namespace

class TestXlsout : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> m_db;
    qint32 m_unit = -1;

    std::unique_ptr<TxlsoutFrm> openDialog()
    {
        auto form = std::make_unique<TxlsoutFrm>(QStringLiteral("青禾'机械厂"), m_unit);
        form->show();
        return form;
    }
    static void tick(TxlsoutFrm &form, std::initializer_list<int> boxes, bool combined = false, int format = 0)
    {
        for (int i : boxes)
            form.TypeBoxes.at(i)->setChecked(true);
        form.fyfBox->setChecked(combined);
        form.outlxBox->setItemIndex(format);
    }
    QString file(const QString &name) const { return m_db->folder() + "/" + name; }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db = std::make_unique<TestDatabase>();
        QVERIFY(m_db->ok());
        m_unit = FillOrders();
        QVERIFY2(m_unit > 0, qPrintable(GP.LastError));
    }
    void cleanup() { m_db.reset(); }

    void dialogShowsOneBoxPerTypeEnabledWhereTheUnitHasOrders()
    {
        auto form = openDialog();
        QCOMPARE(form->windowTitle(), QString("订单导出"));
        QCOMPARE(form->size(), QSize(525, 243));
        QCOMPARE(form->TypeBoxes.size(), 5);
        QCOMPARE(form->TypeIds, QStringList({"0", "1", "2", "3", "4"}));
        const QStringList captions = {"邮发报刊订单", "非邮发报刊订单", "人大资料报刊订单", "图书订单", ""};
        const QList<QPoint> places = {{60, 50}, {260, 50}, {60, 74}, {260, 74}, {60, 98}};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(form->TypeBoxes.at(i)->text(), captions.at(i));
            QCOMPARE(form->TypeBoxes.at(i)->pos(), places.at(i));
            QVERIFY(form->TypeBoxes.at(i)->width() >= 100);
            QVERIFY(form->TypeBoxes.at(i)->width() >= form->TypeBoxes.at(i)->sizeHint().width()); // caption whole
            QCOMPARE(form->TypeBoxes.at(i)->parentWidget(), form->FlatPan);
            QVERIFY(!form->TypeBoxes.at(i)->isChecked());
            QCOMPARE(form->TypeBoxes.at(i)->isEnabled(), i < 4);
        }
        QVERIFY(form->fyfBox->isEnabled());
        QCOMPARE(form->outlxBox->ItemIndex(), 0);
        QVERIFY(!form->brow->isVisible());
        QVERIFY(!dm->ADOQuery1.active() && dm->ADOQuery1.sql().isEmpty());

        // a unit with postal orders only: the combined choice stays off
        auto other = std::make_unique<TxlsoutFrm>(QStringLiteral("别的单位"), 2);
        other->show();
        QVERIFY(!other->fyfBox->isEnabled());
        QVERIFY(other->TypeBoxes.at(0)->isEnabled());
        QVERIFY(!other->TypeBoxes.at(1)->isEnabled());
    }

    void checksComeBeforeTheFileAndCancelKeepsTheDialog()
    {
        auto form = openDialog();
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("请选择要导出的订单类型.."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Warning);
        QCOMPARE(TestHooks::lastMessage().owner.data(), form.get());

        tick(*form, {0}, false, -1);
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("请选择要导出的文件格式(Excel|Wps|Txt)..."));
        QVERIFY(TestHooks::fileDialogs().isEmpty());

        // the proposed name and the filter of each format; cancelling leaves the dialog as it was
        const struct {
            int format;
            QString ext;
            QString filter;
        } formats[] = {{0, "xls", "Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx"},
                       {1, "et", "Wps文件(*.Et)|*.et"},
                       {2, "txt", "Txt文件(*.Txt)|*.txt"}};
        for (const auto &f : formats) {
            form->outlxBox->setItemIndex(f.format);
            form->outbtn->click();
            const platform::ShownFileDialog shown = TestHooks::fileDialogs().constLast();
            QCOMPARE(shown.request.title, QString("请选择输出文件名"));
            QCOMPARE(shown.request.fileName, QString("《青禾'机械厂》订单"));
            QCOMPARE(shown.request.defaultExt, f.ext);
            QCOMPARE(shown.request.filter, f.filter);
            QVERIFY(shown.request.overwritePrompt);
            QVERIFY(shown.owner.isNull());
        }
        QVERIFY(form->isVisible());
        QCOMPARE(TestHooks::messageCount(), 2);
    }

    void aDatabaseWithoutTypesOffersNothing()
    {
        QVERIFY(ExecSql("delete from bkmllx"));
        auto form = openDialog();
        QVERIFY(form->TypeBoxes.isEmpty());
        form->outbtn->click();
        QCOMPARE(TestHooks::messageCount(), 0);
        QVERIFY(TestHooks::fileDialogs().isEmpty());
        QVERIFY(form->isVisible());
    }

    void oneSheetPerTickedType()
    {
        auto form = openDialog();
        tick(*form, {0, 1});
        TestHooks::queueFileName(file("per-type.xls"));
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Information);
        QVERIFY(!form->isVisible()); // one export per opening
        QVERIFY(form->TypeBoxes.isEmpty());
        // titles missing from the catalogue are left out of per-type sheets
        QCOMPARE(XlrdDump(file("per-type.xls")),
                 QString("SHEET 邮发报刊订单\n"
                         "报刊代号|报刊名称|年价|报刊类别|起订月|止订月|份数|款额\n"
                         "1-1|人民日报|180|报纸|1|12|3|540\n"
                         "1-2|求是|120|杂志|1|6|1|60\n"
                         "合计||||||4|600\n"
                         "SHEET 非邮发报刊订单\n"
                         "报刊代号|报刊名称|年价|报刊类别|起订月|止订月|份数|款额\n"
                         "82-151|读者|96|杂志|1|12|1|96\n"
                         "合计||||||1|96\n"));
    }

    void combinedModeWritesPostalAndAllNonPostalOrders()
    {
        // only the postal box: the non-postal sheet still follows, with every non-postal order
        auto form = openDialog();
        tick(*form, {0}, true);
        TestHooks::queueFileName(file("combined.xls"));
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        // titles missing from the catalogue are kept, with empty name, price and category
        QCOMPARE(XlrdDump(file("combined.xls")),
                 QString("SHEET 邮发报刊订单\n"
                         "报刊代号|报刊名称|年价|报刊类别|起订月|止订月|份数|款额\n"
                         "1-1|人民日报|180|报纸|1|12|3|540\n"
                         "1-2|求是|120|杂志|1|6|1|60\n"
                         "9-9||||1|12|1|10\n"
                         "合计||||||5|610\n"
                         "SHEET 非邮发报刊订单\n"
                         "报刊代号|报刊名称|年价|报刊类别|起订月|止订月|份数|款额\n"
                         "77-7||||1|12|1|20\n"
                         "82-151|读者|96|杂志|1|12|1|96\n"
                         "3-7|资料选编|50|杂志|1|12|2|100\n"
                         "82-151||||1|12|1|96\n" // type 2 has no title 82-151
                         "5-5||||1|12|1|30\n"
                         "合计||||||6|342\n"));

        // only non-postal boxes: one sheet, the first of a new file
        form = openDialog();
        tick(*form, {2}, true, 1);
        TestHooks::queueFileName(file("combined.et"));
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        const QString dump = XlrdDump(file("combined.et"));
        QVERIFY2(dump.startsWith("SHEET 非邮发报刊订单\n"), qPrintable(dump));
        QCOMPARE(dump.count("SHEET "), 1);
    }

    // The filter chosen in the save dialog decides the extension of a name typed without one, and the
    // file is written in the format of that extension: read back by openpyxl, not just by our reader.
    void theChosenFilterDecidesTheExtensionAndTheFormat()
    {
        auto form = openDialog();
        tick(*form, {0, 1});
        TestHooks::queueFileName(file("无扩展名"), 1); // "Excel 2007文件(*.Xlsx)"
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        QCOMPARE(TestHooks::fileDialogs().constLast().answer, file("无扩展名.xlsx"));
        QVERIFY(!QFile::exists(file("无扩展名.xls")));
        QVERIFY(!QFile::exists(file("无扩展名")));
        const QString dump = OpenpyxlDump(file("无扩展名.xlsx"));
        QVERIFY2(dump.startsWith("SHEET 邮发报刊订单\n报刊代号|报刊名称|"), qPrintable(dump));
        QVERIFY2(dump.contains("SHEET 非邮发报刊订单\n"), qPrintable(dump));
        QVERIFY2(dump.contains("1-1|人民日报|"), qPrintable(dump));

        // the first filter, and a name whose extension is the other entry's: kept as typed
        form = openDialog();
        tick(*form, {0});
        TestHooks::queueFileName(file("旧格式"), 0);
        form->outbtn->click();
        QVERIFY(XlrdDump(file("旧格式.xls")).startsWith("SHEET 邮发报刊订单\n"));
        form = openDialog();
        tick(*form, {0});
        TestHooks::queueFileName(file("typed.XLSX"), 0);
        form->outbtn->click();
        QVERIFY(OpenpyxlDump(file("typed.XLSX")).startsWith("SHEET 邮发报刊订单\n"));

        // a unit name with a full stop is not taken for an extension
        form = openDialog();
        tick(*form, {0});
        TestHooks::queueFileName(file("《青禾.机械厂》订单"), 1);
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        QVERIFY(OpenpyxlDump(file("《青禾.机械厂》订单.xlsx")).startsWith("SHEET 邮发报刊订单\n"));
    }

    void twoTypesAsXlsxAndNoRowsMeansFailure()
    {
        auto form = openDialog();
        tick(*form, {1, 2});
        TestHooks::queueFileName(file("two.xlsx"));
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        {
            auto reader = std::make_shared<sheet::Application>("Excel.Application");
            sheet::Workbook book = reader->Workbooks().open(file("two.xlsx"));
            QCOMPARE(book.Sheets().Count(), 2);
            QCOMPARE(book.Sheets().Item(1).Name(), QString("非邮发报刊订单"));
            QCOMPARE(book.Sheets().Item(2).Name(), QString("人大资料报刊订单"));
            QCOMPARE(book.Sheets().Item(2).Cells(2, 2).Value().toText(), QString("资料选编"));
            reader->Quit();
        }

        // a type whose orders all miss the catalogue: no sheet, no file, the failure message
        form = openDialog();
        tick(*form, {3});
        TestHooks::queueFileName(file("none.xls"));
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出错误！..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Warning);
        QVERIFY(!QFile::exists(file("none.xls")));
        QVERIFY(!form->isVisible());
    }

    void textExportAndItsRefusals()
    {
        // the postal box with another, whatever the combined choice: refused after the file was chosen
        for (bool combined : {false, true}) {
            auto form = openDialog();
            tick(*form, {0, 1}, combined, 2);
            TestHooks::queueFileName(file("refused.txt"));
            form->outbtn->click();
            QCOMPARE(TestHooks::lastMessage().text, QString("文本文件只能分别导出..."));
            QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
            QVERIFY(form->isVisible());
            QVERIFY(!QFile::exists(file("refused.txt")));
        }
        // two non-postal boxes need the combined choice
        auto form = openDialog();
        tick(*form, {1, 2}, false, 2);
        TestHooks::queueFileName(file("refused.txt"));
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文本文件只能分别导出..."));

        // with it, one file of all non-postal orders, one title and term summed across types,
        // titles missing from the catalogue left out
        form->fyfBox->setChecked(true);
        TestHooks::queueFileName(file("nonpostal.txt"));
        form->outbtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));
        QVERIFY(!form->isVisible());
        QStringList lines = TextFile(file("nonpostal.txt")).split("\r\n");
        QCOMPARE(lines.takeFirst(), QString("报刊代号;报刊名称;年价;报刊类别;起订月;止订月;份数;款额"));
        QCOMPARE(lines.takeLast(), QString());
        std::sort(lines.begin(), lines.end());
        // the type-2 line of 82-151 has no title of its type: a code is unique only within its type
        QCOMPARE(lines, QStringList({"3-7;资料选编;50;杂志;1;12;2;100", "82-151;读者;96;杂志;1;12;1;96"}));

        // the postal type alone
        form = openDialog();
        tick(*form, {0}, false, 2);
        TestHooks::queueFileName(file("postal.txt"));
        form->outbtn->click();
        QCOMPARE(TextFile(file("postal.txt")), QString("报刊代号;报刊名称;年价;报刊类别;起订月;止订月;份数;款额\r\n"
                                                       "1-1;人民日报;180;报纸;1;12;3;540\r\n"
                                                       "1-2;求是;120;杂志;1;6;1;60\r\n"));

        // no rows: no file, no message, and the dialog closes
        const int shown = TestHooks::messageCount();
        form = openDialog();
        tick(*form, {3}, false, 2);
        TestHooks::queueFileName(file("empty.txt"));
        form->outbtn->click();
        QCOMPARE(TestHooks::messageCount(), shown);
        QVERIFY(!QFile::exists(file("empty.txt")));
        QVERIFY(!form->isVisible());
    }

    void controlsAreDisabledWhileExportingAndErrorsReachTheErrorDisplay()
    {
        auto factory = std::make_shared<WatchingFactory>();
        sheet::ScopedApplicationFactory guard(factory);
        auto form = openDialog();
        QStringList enabledAtStart;
        factory->atStart = [&] {
            for (QWidget *w : {static_cast<QWidget *>(form->outbtn), static_cast<QWidget *>(form->fyfBox),
                               static_cast<QWidget *>(form->outlxBox), static_cast<QWidget *>(form->FlatPan),
                               static_cast<QWidget *>(form->brow)})
                if (w->isEnabled())
                    enabledAtStart << w->objectName();
        };
        tick(*form, {0});
        TestHooks::queueFileName(file("watched.xls"));
        form->outbtn->click();
        QCOMPARE(enabledAtStart, QStringList());
        QCOMPARE(TestHooks::lastMessage().text, QString("文件导出成功！..."));

        // a start failure ends the click: clean-up, no message of the dialog, the error display instead
        factory->fail = true;
        form = openDialog();
        tick(*form, {0}, false, 1);
        TestHooks::queueFileName(file("failed.et"));
        QTest::mouseClick(form->outbtn, Qt::LeftButton);
        QCOMPARE(TestHooks::lastMessage().caption, QString("Tavrin系统"));
        QCOMPARE(TestHooks::lastMessage().text, platform::ExceptionText("启动WPS失败，可能没有安装金山表格系统！"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Error);
        QVERIFY(!form->isVisible());
        QVERIFY(form->outbtn->isEnabled() && form->FlatPan->isEnabled() && form->brow->isEnabled());
        QVERIFY(!form->ado.controlsDisabled());
        QVERIFY(!form->brow->dataSet());
    }

    void showExportFormRunsTheDialogModally()
    {
        bool seen = false;
        TestHooks::queueForm([&](QDialog *dialog) {
            auto *form = qobject_cast<TxlsoutFrm *>(dialog);
            QVERIFY(form);
            seen = true;
            QCOMPARE(form->TypeBoxes.size(), 5);
            tick(*form, {0}, false, 2);
            TestHooks::queueFileName(file("modal.txt"));
            form->outbtn->click();
        });
        QVERIFY(!ShowExportForm(QStringLiteral("青禾'机械厂"), m_unit));
        QVERIFY(seen);
        QCOMPARE(TestHooks::forms().constLast().title, QString("订单导出"));
        QVERIFY(QFile::exists(file("modal.txt")));
    }
};

TAVRIN_TEST_MAIN(TestXlsout)
#include "tst_xlsout.moc"
