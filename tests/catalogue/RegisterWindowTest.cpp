// The register window on a real database: the title's entries of the year, adding and deleting, the
// refusals that write nothing, and the import of register sheets (our own files and files written by
// xlwt and openpyxl) with the rows that stop it, 停止, and a sheet imported twice.

#include "CatalogueTestSupport.h"
#include "CatalogueTests.h"
#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "calendar/IrregularIssues.h"
#include "catalogue/IrregularIssueWindow.h"
#include "catalogue/RegisterImport.h"
#include "data/Udm.h"
#include "platform/TestHooks.h"
#include "widgets/TDataGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using platform::Icon;
using platform::TestHooks;

namespace {

const QStringList Titles = {"报刊代号", "类别", "起日", "止日", "说明"};
const QString Entries = QStringLiteral("select mllx,bkdh,nd,lb,qr,zr,sm from tkhkb order by mllx,bkdh,qr");

RegisterWindowContext dailyContext()
{
    return {{0, QStringLiteral("1-1")}, QStringLiteral("某日报"), QStringLiteral("邮发报刊目录"), 2010};
}

} // namespace

class RegisterWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString book(const QString &name, const QList<CellRow> &rows, const QStringList &titles = Titles)
    {
        QList<CellRow> all{Texts(titles)};
        all += rows;
        const QString path = m_dir->filePath(name);
        WriteWorkbook(path, {{"登记", all}});
        return path;
    }

    void importFile(IrregularIssueWindow &w, const QString &path)
    {
        TestHooks::queueFileName(path);
        w.fileClick();
        w.importClick();
    }

    void fill(IrregularIssueWindow &w, const QString &kind, const QDate &first, const QDate &last,
              const QString &remark = {})
    {
        w.kindBox->setCurrentText(kind);
        w.firstEdit->setText(first.toString("yyyy-M-d"));
        w.lastEdit->setText(last.toString("yyyy-M-d"));
        w.remarkEdit->setText(remark);
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase(false, 2010));
        QVERIFY(m_db->ok());
        QVERIFY(BuildDateTable(2010));
        m_dir.reset(new QTemporaryDir);
        QVERIFY(ExecSqlBatch({
            QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq) values ('1-1','某日报','日报','')"),
            QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq) values ('1-2','某月刊','月刊','每月的15号出版')"),
            QStringLiteral("insert into nopost (bkdh,bkmc,kq,cbrq,mllx) values ('1-3','另一月刊','月刊','每月的15号出版',1)"),
        }));
    }

    void cleanup()
    {
        m_db.reset();
        m_dir.reset();
    }

    void showsTheTitlesEntriesOfTheYear()
    {
        QVERIFY(ExecSqlBatch({
            InsertIrregularIssueStatement({0, "1-1"}, 2010, {KindBreak, {2010, 2, 13}, {2010, 2, 19}, "春节"}),
            InsertIrregularIssueStatement({0, "1-1"}, 2010, {KindSuspended, {2010, 1, 1}, {2010, 1, 1}, {}}),
            InsertIrregularIssueStatement({0, "1-1"}, 2011, {KindBreak, {2011, 2, 2}, {2011, 2, 8}, {}}),
            InsertIrregularIssueStatement({1, "1-1"}, 2010, {KindBreak, {2010, 3, 2}, {2010, 3, 8}, {}}),
        }));
        IrregularIssueWindow w(dailyContext());
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("停刊、休刊、合刊登记"));
        QVERIFY(w.titleLabel->text().contains(QStringLiteral("1-1")));
        QVERIFY(w.titleLabel->text().contains(QStringLiteral("2010")));
        QCOMPARE(w.entries.recordCount(), 2);
        QCOMPARE(w.grid->cellText(0, 1), QStringLiteral("2010-01-01"));
        QCOMPARE(w.grid->cellText(1, 0), KindBreak);
        QCOMPARE(w.grid->cellText(1, 3), QStringLiteral("春节"));
        QCOMPARE(w.kindBox->count(), 3);
        QVERIFY(w.firstEdit->text().isEmpty() && w.lastEdit->text().isEmpty());
        QVERIFY(TestHooks::messages().isEmpty());
    }

    void addsChecksAndDeletes()
    {
        IrregularIssueWindow w({{0, "1-2"}, "某月刊", "邮发报刊目录", 2010});
        w.show();
        QSignalSpy changed(&w, &IrregularIssueWindow::registerChanged);
        QVERIFY(!w.deleteBtn->isEnabled());

        fill(w, KindCombined, {2010, 7, 15}, {2010, 8, 15}, "7、8月合刊");
        w.addBtn->click();
        QVERIFY2(TestHooks::messages().isEmpty(), qPrintable(Shown().join('\n')));
        QCOMPARE(Rows(Entries), QStringList({"0|1-2|2010|合刊|2010-07-15|2010-08-15|7、8月合刊"}));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(w.entries.recordCount(), 1);
        QVERIFY(w.deleteBtn->isEnabled());
        QVERIFY(w.remarkEdit->text().isEmpty());

        // Refused: nothing written, the reason in a hint.
        const QList<std::pair<IrregularIssue, QString>> refused = {
            {{KindBreak, {2010, 8, 1}, {2010, 8, 31}, {}},
             "休刊(2010-08-01至2010-08-31)与已登记的合刊(2010-07-15至2010-08-15)重叠..."},
            {{KindCombined, {2010, 9, 1}, {2010, 9, 14}, {}}, "合刊(2010-09-01至2010-09-14)内没有该报刊的出版日期..."},
            {{KindBreak, {2010, 10, 5}, {2010, 10, 1}, {}}, "止日2010-10-01早于起日2010-10-05..."},
            {{KindBreak, {2010, 12, 30}, {2011, 1, 2}, {}}, "止日2011-01-02不在处理年度2010年内..."},
            {{KindCombined, {2010, 9, 1}, {2010, 10, 31}, {}},
             "合刊的起日2010-09-01不是该报刊的出版日期(该合刊内第一个出版日期是2010-09-15)..."},
        };
        for (const auto &[bad, message] : refused) {
            TestHooks::clear();
            fill(w, bad.kind, bad.first, bad.last);
            w.addBtn->click();
            QCOMPARE(Shown(), QStringList({"提示信息:" + message}));
            QCOMPARE(TestHooks::lastMessage().owner.data(), &w);
        }
        TestHooks::clear();
        fill(w, KindCombined, {2010, 7, 15}, {2010, 8, 15});
        w.addBtn->click();
        QCOMPARE(Shown(), QStringList({"提示信息:该登记已经存在..."}));
        QCOMPARE(CountRows("select * from tkhkb"), 1);
        QCOMPARE(changed.count(), 1);

        // 删除 asks first; 否 keeps the entry.
        TestHooks::clear();
        TestHooks::queueAnswer(platform::Answer::No);
        w.deleteBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QStringLiteral("    确定要删除 [合刊 2010-07-15至2010-08-15] 吗？    "));
        QCOMPARE(CountRows("select * from tkhkb"), 1);
        TestHooks::queueAnswer(platform::Answer::Yes);
        w.deleteBtn->click();
        QCOMPARE(CountRows("select * from tkhkb"), 0);
        QCOMPARE(changed.count(), 2);
        QVERIFY(!w.deleteBtn->isEnabled());
    }

    void datesAreTypedAsClerksWriteThem()
    {
        IrregularIssueWindow w(dailyContext());
        w.kindBox->setCurrentText(KindBreak);
        w.firstEdit->setText("2月13日");
        w.lastEdit->setText(" 2-19 ");
        w.addBtn->click();
        w.kindBox->setCurrentText(KindSuspended);
        w.firstEdit->setText("2010.10.1"); // no last date: one day
        w.addBtn->click();
        QVERIFY2(TestHooks::messages().isEmpty(), qPrintable(Shown().join('\n')));
        QCOMPARE(Rows(Entries), QStringList({"0|1-1|2010|休刊|2010-02-13|2010-02-19|",
                                             "0|1-1|2010|停刊|2010-10-01|2010-10-01|"}));
        QVERIFY(w.firstEdit->text().isEmpty());

        const QList<std::pair<QStringList, QString>> refused = {
            {{"", "2-19"}, "请输入起日..."},
            {{"春节", ""}, "起日“春节”不是有效的日期..."},
            {{"2-13", "2-30"}, "止日“2-30”不是有效的日期..."},
        };
        for (const auto &[dates, message] : refused) {
            TestHooks::clear();
            w.firstEdit->setText(dates.at(0));
            w.lastEdit->setText(dates.at(1));
            w.addBtn->click();
            QCOMPARE(Shown(), QStringList({"提示信息:" + message}));
        }
        QCOMPARE(CountRows("select * from tkhkb"), 2);
    }

    void titleGoneFromItsCatalogueIsRefused()
    {
        IrregularIssueWindow w({{0, "9-9"}, "无此报", "邮发报刊目录", 2010});
        fill(w, KindBreak, {2010, 3, 1}, {2010, 3, 2});
        w.addBtn->click();
        QCOMPARE(Shown(), QStringList({"提示信息:报刊代号“9-9”不在本目录中..."}));
        QCOMPARE(CountRows("select * from tkhkb"), 0);
    }

    void importsSheetsOfOtherWriters_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("xlwt .xls") << QStringLiteral("register-xlwt.xls");
        QTest::newRow("openpyxl .xlsx") << QStringLiteral("register-openpyxl.xlsx");
    }
    void importsSheetsOfOtherWriters()
    {
        QFETCH(QString, file);
        IrregularIssueWindow w(dailyContext());
        w.show();
        QSignalSpy changed(&w, &IrregularIssueWindow::registerChanged);
        importFile(w, QStringLiteral(TAVRIN_TEST_DATA "/fixtures/") + file);
        QCOMPARE(Shown(), QStringList({"信息:导入登记完毕,新增3条,已登记0条..."}));
        QCOMPARE(Rows(Entries), QStringList({"0|1-1|2010|休刊|2010-02-13|2010-02-19|春节休刊",
                                             "0|1-1|2010|停刊|2010-10-01|2010-10-01|国庆",
                                             "0|1-2|2010|合刊|2010-07-15|2010-08-15|7、8月合刊"}));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(w.entries.recordCount(), 2); // the window's own title
        QVERIFY(w.progress->isHidden());
        QVERIFY(w.importBtn->isEnabled() && !w.stopBtn->isEnabled());

        // The same sheet again finds every entry registered already.
        TestHooks::clear();
        importFile(w, QStringLiteral(TAVRIN_TEST_DATA "/fixtures/") + file);
        QCOMPARE(Shown(), QStringList({"信息:导入登记完毕,新增0条,已登记3条..."}));
        QCOMPARE(CountRows("select * from tkhkb"), 3);
    }

    void badRowsStopTheImportNamingTheRow_data()
    {
        QTest::addColumn<CellRow>("bad");
        QTest::addColumn<QString>("problem");
        QTest::newRow("outside the year") << Texts({"1-1", "休刊", "2009-12-30", "2010-1-2", ""})
                                          << "起日2009-12-30不在处理年度2010年内";
        QTest::newRow("last before first") << Texts({"1-1", "休刊", "2010-3-5", "2010-3-4", ""})
                                           << "止日2010-03-04早于起日2010-03-05";
        QTest::newRow("unknown code") << Texts({"8-8", "休刊", "2010-3-5", "", ""}) << "报刊代号“8-8”不在本目录中";
        QTest::newRow("code of another type") << Texts({"1-3", "休刊", "2010-3-5", "", ""})
                                              << "报刊代号“1-3”不在本目录中";
        QTest::newRow("overlapping") << Texts({"1-1", "停刊", "2010-2-19", "2010-2-20", ""})
                                     << "停刊(2010-02-19至2010-02-20)与已登记的休刊(2010-02-13至2010-02-19)重叠";
        QTest::newRow("combined without an issue") << Texts({"1-2", "合刊", "2010-7-16", "2010-8-14", ""})
                                                   << "合刊(2010-07-16至2010-08-14)内没有该报刊的出版日期";
        QTest::newRow("unknown kind") << Texts({"1-1", "停印", "2010-3-5", "", ""})
                                      << "类别“停印”不是停刊、休刊或合刊";
        QTest::newRow("unreadable date") << Texts({"1-1", "休刊", "春节", "", ""}) << "起日“春节”不是有效的日期";
        QTest::newRow("no first date") << Texts({"1-1", "休刊", "", "2010-3-5", ""}) << "起日为空";
        QTest::newRow("no code") << Texts({"", "休刊", "2010-3-5", "", ""}) << "报刊代号为空";
    }
    void badRowsStopTheImportNamingTheRow()
    {
        QFETCH(CellRow, bad);
        QFETCH(QString, problem);
        IrregularIssueWindow w(dailyContext());
        const QString path = book("bad.xlsx", {Texts({"1-1", "休刊", "2010-2-13", "2010-2-19", "春节"}), bad,
                                               Texts({"1-1", "停刊", "2010-11-1", "", ""})});
        importFile(w, path);
        QCOMPARE(Shown(), QStringList({"错误信息:第3行:" + problem + ",导入在此行停止,此前各行已经导入...",
                                       "提示信息:导入登记在第3行停止,新增1条,已登记0条..."}));
        QCOMPARE(Rows(Entries), QStringList({"0|1-1|2010|休刊|2010-02-13|2010-02-19|春节"}));
    }

    // A 止日 cell that is empty or holds only blanks is a one-day entry, as an empty 止日 in the window.
    void blankLastDateIsOneDay()
    {
        IrregularIssueWindow w(dailyContext());
        importFile(w, book("blank.xlsx", {{T("1-1"), T("休刊"), T("2010-5-1"), T("  "), E()},
                                          {T("1-1"), T("停刊"), T("6-1"), T(""), E()}}));
        QCOMPARE(Shown(), QStringList({"信息:导入登记完毕,新增2条,已登记0条..."}));
        QCOMPARE(Rows(Entries), QStringList({"0|1-1|2010|休刊|2010-05-01|2010-05-01|",
                                             "0|1-1|2010|停刊|2010-06-01|2010-06-01|"}));
    }

    void columnsAreFoundByTheirTitles()
    {
        IrregularIssueWindow w(dailyContext());
        // Any order, other columns beside them, 止日 and 说明 missing, dates as date cells and numbers.
        const QString path = book("order.xls",
                                  {{E(), sheet::CellValue::date(40222), T("休刊"), T(" 1-1 ")},
                                   {E(), N(40452), T("停刊"), T("1-1")},
                                   {}, // blank rows are passed over
                                   {T("x"), T("3月8日"), T("停刊"), T("1-1")}},
                                  {"备注", "起日", "类别", "报刊代号"});
        importFile(w, path);
        QCOMPARE(Shown(), QStringList({"信息:导入登记完毕,新增3条,已登记0条..."}));
        QCOMPARE(Rows(Entries), QStringList({"0|1-1|2010|休刊|2010-02-13|2010-02-13|",
                                             "0|1-1|2010|停刊|2010-03-08|2010-03-08|",
                                             "0|1-1|2010|停刊|2010-10-01|2010-10-01|"}));

        TestHooks::clear();
        importFile(w, book("titles.xls", {Texts({"1-1", "休刊", "2010-5-1"})}, {"代号", "类别", "日期"}));
        QCOMPARE(Shown(), QStringList({"错误信息:第1行缺少列“报刊代号”、“起日”(应有报刊代号、类别、起日、止日、说明各列),没有导入...",
                                       "提示信息:导入登记在第1行停止,新增0条,已登记0条..."}));
        QCOMPARE(CountRows("select * from tkhkb"), 3);
    }

    // The window with entries, into $TAVRIN_SCREENSHOTS when set (else a temporary folder).
    void screenshot()
    {
        QTemporaryDir scratch;
        const QString folder = qEnvironmentVariableIsSet("TAVRIN_SCREENSHOTS") ? qEnvironmentVariable("TAVRIN_SCREENSHOTS")
                                                                                : scratch.path();
        QVERIFY(ExecSqlBatch({
            InsertIrregularIssueStatement({0, "1-1"}, 2010, {KindBreak, {2010, 2, 13}, {2010, 2, 19}, "春节休刊"}),
            InsertIrregularIssueStatement({0, "1-1"}, 2010, {KindCombined, {2010, 3, 6}, {2010, 3, 7}, "周末合刊"}),
            InsertIrregularIssueStatement({0, "1-1"}, 2010, {KindSuspended, {2010, 10, 1}, {2010, 10, 3}, "国庆停刊"}),
        }));
        IrregularIssueWindow w(dailyContext());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.kindBox->setCurrentText(KindBreak);
        w.firstEdit->setText("5-1");
        w.lastEdit->setText("5-3");
        w.remarkEdit->setText("劳动节休刊");
        QVERIFY(w.grab().save(folder + "/register-window.png"));
    }

    void stopEndsTheImportAtTheNextRow()
    {
        IrregularIssueWindow w(dailyContext());
        w.show();
        QList<CellRow> rows;
        for (int month = 1; month <= 6; ++month)
            rows << Texts({"1-1", "停刊", QStringLiteral("2010-%1-1").arg(month), "", ""});
        TestHooks::queueFileName(book("stop.xls", rows));
        w.fileClick();
        auto stopAtRow3 = connect(w.progress, &QProgressBar::valueChanged, &w, [&w](int value) {
            if (value == 2)
                QTimer::singleShot(0, w.stopBtn, &QPushButton::click);
        });
        w.importClick();
        disconnect(stopAtRow3);
        QCOMPARE(Shown(), QStringList({"提示信息:导入登记在第4行停止,新增2条,已登记0条..."}));
        QCOMPARE(CountRows("select * from tkhkb"), 2);
        QVERIFY(w.fileBtn->isEnabled() && !w.stopBtn->isEnabled());
        QCOMPARE(w.sheetBox->count(), 0);
    }
};

int runRegisterWindowTest(int argc, char **argv)
{
    RegisterWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "RegisterWindowTest.moc"
