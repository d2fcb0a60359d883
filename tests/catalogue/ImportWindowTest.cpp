// The import window on a real database: layout and types, choosing files and sheets, the checks of
// 开始导入, rows written by type with replacement by code, 停止, failing rows, the rows and headers
// that stop an import, the clean-up and the close query, and files written by other programs.

#include "CatalogueTestSupport.h"
#include "CatalogueTests.h"
#include "TestDatabase.h"

#include "ReadOnlyPath.h"
#include "calendar/IssueCount.h"
#include "catalogue/CatalogueEdit.h"
#include "catalogue/CatalogueImport.h"
#include "catalogue/UbkmlFrm.h"
#include "data/Backup.h"
#include "data/Udm.h"
#include "platform/Application.h"
#include "platform/TestHooks.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TRadioGroup.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <limits>
#include <sqlite3.h>

#include <memory>

using platform::Icon;
using platform::TestHooks;

namespace {

const QStringList Header = {"BKDH", "BKMC", "KQ", "QNJ", "DJ", "MLLX"};

CellRow Entry(const QString &code, const QString &title, double yearly, int type = 1)
{
    return {T(code), T(title), T("月刊"), N(yearly), N(yearly / 12), N(type)};
}

} // namespace

class ImportWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TbkmlFrm> m_w;

    QString file(const QString &name) const { return m_dir->filePath(name); }

    // A one-sheet workbook: the header row and the given rows.
    QString book(const QString &name, const QList<CellRow> &rows, const QStringList &header = Header)
    {
        QList<CellRow> all{Texts(header)};
        all += rows;
        WriteWorkbook(file(name), {{"目录", all}});
        return file(name);
    }

    TbkmlFrm *open()
    {
        m_w.reset(new TbkmlFrm);
        m_w->show();
        return m_w.get();
    }

    // The window is back in its "no file" state after an import.
    void verifyCleanedUp(TbkmlFrm *w)
    {
        QVERIFY(!w->ImportApp);
        QVERIFY(!w->ImportAppOpen);
        QCOMPARE(w->CBox->count(), 0);
        QCOMPARE(w->CBox->currentText(), QString());
        QVERIFY(!w->stopBtn->isEnabled());
        QVERIFY(w->Pansel->isEnabled());
        QVERIFY(w->BitBtn2->isEnabled());
        QVERIFY(w->PBar->isHidden());
        QCOMPARE(w->lbmsg->text(), QString());
        QVERIFY(!dm->ADOConnection.bulkWriting());
        QVERIFY(!dm->ADOConnection.inTransaction());
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase());
        QVERIFY(m_db->ok());
        m_dir.reset(new QTemporaryDir);
    }

    void cleanup()
    {
        m_w.reset();
        m_db.reset();
        m_dir.reset();
    }

    void opensWithTypesFromTheDatabase()
    {
        TbkmlFrm *w = open();
        QCOMPARE(w->windowTitle(), QString("报刊目录导入"));
        QCOMPARE(w->size(), QSize(627, 310));
        QCOMPARE(w->font().pixelSize(), 13);
        QCOMPARE(w->mllxBox->Items(),
                 QStringList({"邮发报刊目录", "非邮发报刊目录", "人大资料报刊目录", "图书目录"}));
        QCOMPARE(w->mllxBox->ItemIndex(), -1);
        // The database's type names are too long for four columns in the group's width: two rows of two.
        QCOMPARE(w->mllxBox->Columns(), 2);
        for (int i = 0; i < 4; ++i)
            QVERIFY(w->mllxBox->button(i)->sizeHint().width() <= w->mllxBox->button(i)->width());
        QCOMPARE(w->mllxBox->size(), QSize(343, 41));
        QCOMPARE(w->Pansel->height(), 49);
        QCOMPARE(w->CBox->width(), 113);
        QVERIFY(!w->CBox->isEnabled());
        QCOMPARE(w->PBar->size(), QSize(449, 17));
        QVERIFY(w->PBar->isHidden());
        QCOMPARE(w->lbmsg->text(), QString("    "));
        QVERIFY(w->BitBtn2->isEnabled() && w->stopBtn->isEnabled());
        QVERIFY(!dm->ADOQuery1.active());
        QVERIFY(TestHooks::messages().isEmpty());
    }

    void designTimeTypesStayWithoutCatalogueTypes()
    {
        QVERIFY(ExecSql("delete from bkmllx"));
        TbkmlFrm *w = open();
        QCOMPARE(w->mllxBox->Items(), QStringList({"邮发目录", "非邮发", "人大资料", "图书目录"}));
        QCOMPARE(w->mllxBox->Columns(), 4);
    }

    void fileDialogAndOpeningFailures()
    {
        TbkmlFrm *w = open();
        w->BitBtn1Click(); // nothing queued: the dialog is cancelled
        const platform::ShownFileDialog dialog = TestHooks::fileDialogs().last();
        QCOMPARE(dialog.request.title, QString("请选择输出文件名"));
        QCOMPARE(dialog.request.defaultExt, QString("xls"));
        QVERIFY(dialog.request.filter.startsWith("Excel文件(*.Xls)|*.xls|"));
        for (const char *ext : {"*.xlsx", "*.et", "*.ods", "*.csv"})
            QVERIFY2(dialog.request.filter.contains(ext), ext);
        QVERIFY(!dialog.request.fileMustExist);
        QCOMPARE(TestHooks::lastMessage().caption, platform::kApplicationTitle);
        QCOMPARE(TestHooks::lastMessage().text, QString("没有选择导入的文件."));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Error);

        ChooseFile(*w, file("无此文件.xls"));
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        QCOMPARE(TestHooks::lastMessage().text, QString("要导入的文件不存在..."));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Warning);
        QCOMPARE(TestHooks::lastMessage().owner.data(), w);
        QVERIFY(!w->ImportApp);

        // A good file, then one that is not a workbook: the good one stays open and importable.
        ChooseFile(*w, book("好.xls", {Entry("1-1", "甲", 12)}));
        QVERIFY(w->ImportAppOpen);
        const auto app = w->ImportApp;
        QFile junk(file("坏.xls"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is not a workbook");
        junk.close();
        ChooseFile(*w, junk.fileName());
        QCOMPARE(TestHooks::lastMessage().caption, QString("错误信息"));
        QVERIFY(TestHooks::lastMessage().text.startsWith("打开文件出错->"));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Error);
        QCOMPARE(w->ImportApp, app);
        QVERIFY(!app->hasQuit());
        QCOMPARE(w->CBox->currentText(), QString("目录"));
        w->mllxBox->setItemIndex(1);
        w->BitBtn2Click();
        QCOMPARE(Rows("select bkdh,bkmc from nopost"), QStringList({"1-1|甲"}));

        // A second good file replaces the first one's application, which quits.
        ChooseFile(*w, book("一.xls", {Entry("1-1", "甲", 12)}));
        const auto first = w->ImportApp;
        ChooseFile(*w, book("二.xls", {Entry("1-2", "乙", 12)}));
        QVERIFY(first->hasQuit());
        QVERIFY(w->ImportApp && w->ImportApp != first);
    }

    void oneSheetIsTakenSeveralMustBePicked()
    {
        TbkmlFrm *w = open();
        ChooseFile(*w, book("one.xls", {Entry("1-1", "甲", 12)}));
        QCOMPARE(w->CBox->count(), 1);
        QCOMPARE(w->CBox->currentIndex(), 0);
        QVERIFY(!w->CBox->isEnabled());
        QVERIFY(w->ImportApp && !w->ImportApp->Visible());

        WriteWorkbook(file("two.xls"), {{"甲表", {Texts(Header), Entry("1-1", "甲", 12)}},
                                        {"乙表", {Texts(Header), Entry("2-1", "乙", 24), Entry("2-2", "丙", 36)}}});
        ChooseFile(*w, file("two.xls"));
        QCOMPARE(w->fileLabel->text(), QString("导入文件：two.xls")); // the chosen file, by name
        QCOMPARE(TestHooks::fileDialogs().constLast().request.purpose, QString("import"));
        QCOMPARE(w->CBox->count(), 2);
        QCOMPARE(w->CBox->currentIndex(), -1);
        QVERIFY(w->CBox->isEnabled());
        QCOMPARE(w->CBox->itemText(1), QString("乙表"));

        TestHooks::clear();
        w->BitBtn2Click();
        QCOMPARE(Shown(), QStringList({"错误信息:请要导入的目录类型..."}));
        w->mllxBox->setItemIndex(1); // the sheet's MLLX names 非邮发报刊目录
        w->BitBtn2Click();
        QCOMPARE(TestHooks::lastMessage().text, QString("请选择要导入的表..."));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Error);
        QCOMPARE(CountRows("select * from nopost"), 0);

        w->CBox->setCurrentIndex(1);
        TestHooks::clear();
        w->BitBtn2Click();
        QCOMPARE(Shown(), QStringList({"信息:导入目录完毕...\n目录检查：本目录未发现有问题的条目。"}));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::Information);
        QCOMPARE(Rows("select bkdh,bkmc,qnj,mllx from nopost order by bkdh"), QStringList({"2-1|乙|24|1", "2-2|丙|36|1"}));
        verifyCleanedUp(w);
        QVERIFY(w->fileLabel->text().isEmpty());

        // The sheet box is empty again: a further import needs a file first.
        TestHooks::clear();
        w->BitBtn2Click();
        QCOMPARE(Shown(), QStringList({"错误信息:请选择要导入的Excel文件..."}));
    }

    void rowsGoToTheTableOfTheTypeReplacingByCode()
    {
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,qnj,mllx) values ('1-101','旧名',50,2)"));
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,qnj,mllx) values ('1-102','留下',60,2)"));
        TbkmlFrm *w = open();
        const QString path = book("worked.xls", {{T("1-101"), T("示例"), N(2), N(120)}}, {"BKDH", "BKMC", "MLLX", "QNJ"});
        ImportFile(*w, path, 2);
        QCOMPARE(Rows("select bkdh,bkmc,mllx,qnj,kq from nopost order by bkdh"),
                 QStringList({"1-101|示例|2|120|<null>", "1-102|留下|2|60|<null>"}));

        // The first type writes to post, whatever the sheet's MLLX says; the others to nopost, keeping MLLX.
        const QString typed = book("typed.xls", {Entry("7-1", "邮发", 12, 3)});
        ImportFile(*w, typed, 0);
        ImportFile(*w, typed, 3);
        QCOMPARE(Rows("select bkdh,mllx from post"), QStringList({"7-1|3"}));
        QCOMPARE(Rows("select bkdh,mllx from nopost where bkdh='7-1'"), QStringList({"7-1|3"}));
        // Importing the same file again replaces its rows instead of doubling them.
        ImportFile(*w, typed, 0);
        QCOMPARE(CountRows("select * from post"), 1);
    }

    void headerCaseEmptyCellsAndQuotes()
    {
        TbkmlFrm *w = open();
        const QStringList header = {"bkdh", "Bkmc", "qnj", "Dj", "fbkj", "bz"};
        const QString path = book("cases.xls",
                                  {{T("3-1"), T("O'Neil"), E(), N(4.5), E(), T("他说\"好\",又说'行'")},
                                   {T("3-2"), T("普通"), N(96), E(), T("北京"), E()}},
                                  header);
        ImportFile(*w, path, 0);
        QCOMPARE(Rows("select bkdh,bkmc,qnj,dj,fbkj,bz from post order by bkdh"),
                 QStringList({"3-1|O'Neil|<null>|4.5|<null>|他说\"好\",又说'行'", "3-2|普通|96|<null>|北京|<null>"}));
        // bkdh in lower case still acts as the code: a second import replaces.
        ImportFile(*w, path, 0);
        QCOMPARE(CountRows("select * from post"), 2);
    }

    void headerOnlySheetImportsNothing()
    {
        TbkmlFrm *w = open();
        const QString path = book("header.xls", {});
        ChooseFile(*w, path);
        w->mllxBox->setItemIndex(0);
        TestHooks::clear();
        w->BitBtn2Click();
        QCOMPARE(Shown(), QStringList({"信息:导入目录完毕...\n目录检查：本目录未发现有问题的条目。"}));
        QCOMPARE(CountRows("select * from post"), 0);
        verifyCleanedUp(w);
    }

    void progressShowsEachRow()
    {
        TbkmlFrm *w = open();
        ChooseFile(*w, book("progress.xls", {Entry("1-1", "甲", 12), Entry("1-2", "乙", 12), Entry("1-3", "丙", 12)}));
        w->mllxBox->setItemIndex(0);
        QStringList labels;
        QList<int> positions;
        bool duringImport = true;
        connect(w->PBar, &QProgressBar::valueChanged, w, [&](int value) {
            positions << value;
            labels << w->lbmsg->text();
            duringImport = duringImport && w->PBar->isVisible() && !w->Pansel->isEnabled() && !w->BitBtn2->isEnabled()
                && w->stopBtn->isEnabled() && dm->ADOConnection.bulkWriting();
        });
        w->BitBtn2Click();
        QCOMPARE(w->PBar->maximum(), 3);
        QCOMPARE(positions, QList<int>({0, 1, 2, 3}));
        // The first row shows at once; later rows whenever a screen refresh is due, never a row ahead.
        const QStringList rowLabels = {"1-1/甲", "1-2/乙", "1-3/丙"};
        QCOMPARE(labels.at(1), rowLabels.at(0));
        for (int i = 2; i < labels.size(); ++i)
            QVERIFY(labels.at(i) == labels.at(i - 1) || labels.at(i) == rowLabels.at(i - 1));
        QVERIFY(duringImport);
        verifyCleanedUp(w);
    }

    void stopEndsAtTheNextRowAndALaterImportRunsThrough()
    {
        TbkmlFrm *w = open();
        const QString path = book("stop.xls", {Entry("1-1", "甲", 12), Entry("1-2", "乙", 12), Entry("1-3", "丙", 12),
                                               Entry("1-4", "丁", 12), Entry("1-5", "戊", 12)});
        ChooseFile(*w, path);
        w->mllxBox->setItemIndex(0);
        // A click on 停止 while row 3 is being written arrives with the messages processed after it.
        auto stopAtRow3 = connect(w->PBar, &QProgressBar::valueChanged, w, [w](int value) {
            if (value == 2)
                QTimer::singleShot(0, w->stopBtn, &QPushButton::click);
        });
        w->BitBtn2Click();
        disconnect(stopAtRow3);
        QVERIFY(w->ImportStopRequested);
        QCOMPARE(Rows("select bkdh from post order by bkdh"), QStringList({"1-1", "1-2"}));
        verifyCleanedUp(w);

        ImportFile(*w, path, 0);
        QVERIFY(!w->ImportStopRequested);
        QCOMPARE(CountRows("select * from post"), 5);
    }

    void closingDuringAnImportStopsItThenCloses()
    {
        TbkmlFrm *w = open();
        ChooseFile(*w, book("close.xls", {Entry("1-1", "甲", 12), Entry("1-2", "乙", 12), Entry("1-3", "丙", 12)}));
        w->mllxBox->setItemIndex(0);
        connect(w->PBar, &QProgressBar::valueChanged, w, [w](int value) {
            if (value == 1)
                QTimer::singleShot(0, w, &QWidget::close);
        });
        w->BitBtn2Click();
        QCOMPARE(Rows("select bkdh from post"), QStringList({"1-1"}));
        QVERIFY(!w->isVisible());
        QVERIFY(!w->ImportApp);
    }

    void failingRowStopsKeepingEarlierRows()
    {
        QVERIFY(ExecSql("insert into post (bkdh,bkmc) values ('1-3','原有')"));
        TbkmlFrm *w = open();
        // Row 4 has no code: it is refused before anything of it is written.
        ChooseFile(*w, book("fail.xls", {Entry("1-1", "甲", 12), Entry("1-2", "乙", 12),
                                         {E(), T("无代号"), T("月刊"), N(1), N(1), N(1)}, Entry("1-3", "丙", 12)}));
        w->mllxBox->setItemIndex(0);
        TestHooks::clear();
        w->BitBtn2Click();
        const QList<platform::ShownMessage> shown = TestHooks::messages();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).caption, QString("错误信息"));
        QCOMPARE(shown.at(0).icon, Icon::Error);
        QCOMPARE(shown.at(0).text, QString("第4行第1列(BKDH)的报刊代号“”无效(应为以“-”相连的两个整数,如 4-2),导入在此行停止,此前各行已经导入..."));
        // The closing message says where the import stopped, never that it finished.
        QCOMPARE(shown.at(1).text, QString("导入目录在第4行停止,已导入2行...\n目录检查：本目录有3个条目有问题（其中0个仅为警告），请用“目录检查”查看..."));
        QCOMPARE(Rows("select bkdh,bkmc from post order by bkdh"), QStringList({"1-1|甲", "1-2|乙", "1-3|原有"}));
        verifyCleanedUp(w);

        // A column the table lacks fails the first row: the entry with that code is not lost.
        ImportFile(*w, book("nocolumn.xls", {{T("1-3"), T("新名"), T("x")}}, {"BKDH", "BKMC", "NOSUCH"}), 0);
        QVERIFY(TestHooks::messages().at(TestHooks::messageCount() - 2).text.startsWith("提交失败->"));
        QVERIFY(TestHooks::lastMessage().text.startsWith("导入目录在第2行停止,已导入0行...\n"));
        QCOMPARE(Rows("select bkmc from post where bkdh='1-3'"), QStringList({"原有"}));
    }

    void notANumberStopsAtItsRowWithNothingHalfWritten()
    {
        QVERIFY(ExecSql("insert into nopost (bkdh,bkmc,qnj,mllx) values ('2-3','原有',30,1)"));
        TbkmlFrm *w = open();
        ChooseFile(*w, book("nan.xls", {Entry("2-1", "甲", 12), Entry("2-2", "乙", 24),
                                        {T("2-3"), T("丙"), T("月刊"), T("三十元"), N(2), N(1)}, Entry("2-4", "丁", 48)}));
        w->mllxBox->setItemIndex(1);
        TestHooks::clear();
        w->BitBtn2Click();
        QCOMPARE(Shown(), QStringList({"错误信息:第4行第4列(QNJ)的内容“三十元”不是数字,导入在此行停止,此前各行已经导入...",
                                       "提示信息:导入目录在第4行停止,已导入2行...\n目录检查：本目录有1个条目有问题（其中0个仅为警告），请用“目录检查”查看..."}));
        QCOMPARE(Rows("select bkdh,bkmc,qnj from nopost order by bkdh"),
                 QStringList({"2-1|甲|12", "2-2|乙|24", "2-3|原有|30"}));
        verifyCleanedUp(w);

        // A number kept as text imports as that number.
        ImportFile(*w, book("textnumber.xls", {{T("2-5"), T("戊"), T("月刊"), T("60"), T(" 5.5"), T("1")}}), 1);
        QCOMPARE(Rows("select qnj,dj,mllx from nopost where bkdh='2-5'"), QStringList({"60|5.5|1"}));
    }

    void badHeaderStopsBeforeAnyRow()
    {
        QVERIFY(ExecSql("insert into post (bkdh,bkmc) values ('1-1','原有')"));
        TbkmlFrm *w = open();
        ChooseFile(*w, book("header.xls", {{T("1-1"), T("新"), N(5)}, {T("1-2"), T("新"), N(5)}},
                            {"BKDH", "BKMC", "qnj) values (1);--"}));
        w->mllxBox->setItemIndex(0);
        TestHooks::clear();
        w->BitBtn2Click();
        QCOMPARE(Shown(), QStringList({"错误信息:第1行第3列的列名“qnj) values (1);--”不是有效的列名(只能由字母、数字和下划线组成),导入在此停止...",
                                       "提示信息:导入目录在第1行停止,已导入0行...\n目录检查：本目录有1个条目有问题（其中0个仅为警告），请用“目录检查”查看..."}));
        QCOMPARE(Rows("select bkdh,bkmc from post"), QStringList({"1-1|原有"}));
        verifyCleanedUp(w);
    }

    // An import replaces entries: a copy of the database holding them is written before the first row.
    void importLeavesACopyOfTheCatalogueBefore()
    {
        QVERIFY(ExecSql("insert into post (bkdh,bkmc,qnj) values ('1-1','原有',10)"));
        QVERIFY(ExecSql("insert into post (bkdh,bkmc,qnj) values ('1-2','留下',20)"));
        TbkmlFrm *w = open();
        ImportFile(*w, book("replace.xls", {Entry("1-1", "新名", 120)}), 0);
        QCOMPARE(Rows("select bkdh,bkmc from post order by bkdh"), QStringList({"1-1|新名", "1-2|留下"}));
        const QList<BackupEntry> copies = ListBackups(m_db->path());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().reason, BackupReason::CatalogueImport);

        db::Connection copy;
        copy.setConnectionString(ConnectionTextFor(copies.first().path));
        copy.open();
        db::Query query;
        query.setConnection(&copy);
        query.setSql("select bkdh||'|'||bkmc as entry from post order by bkdh");
        query.open();
        QStringList before;
        for (query.first(); !query.eof(); query.next())
            before << query.fieldText("entry");
        QCOMPARE(before, QStringList({"1-1|原有", "1-2|留下"}));
    }

    // No copy can be written: the import does not start and the catalogue stays as it was.
    void anUnwritableBackupFolderStopsTheImport()
    {
        QVERIFY(ExecSql("insert into post (bkdh,bkmc,qnj) values ('1-1','原有',10)"));
        ReadOnlyPath readOnly(BackupFolder(m_db->path()));
        if (!readOnly.ok())
            QSKIP("this machine cannot make a folder read-only for this user");
        TbkmlFrm *w = open();
        ChooseFile(*w, book("refused.xls", {Entry("1-1", "新名", 120), Entry("1-3", "新增", 60)}));
        w->mllxBox->setItemIndex(0);
        TestHooks::clear();
        w->BitBtn2Click();
        QCOMPARE(TestHooks::messages().size(), 1);
        QVERIFY2(Shown().first().startsWith("错误信息:数据库备份失败,目录导入未执行->"), qPrintable(Shown().first()));
        QCOMPARE(Rows("select bkdh,bkmc from post"), QStringList({"1-1|原有"}));
        QVERIFY(w->BitBtn2->isEnabled());
        QVERIFY(w->Pansel->isEnabled());
    }

    // A header naming BKDH twice once deleted 35-1 and 1-1 and inserted only 35-1.
    void aColumnNamedTwiceStopsBeforeAnyRow()
    {
        QVERIFY(ExecSql("insert into post (bkdh,bkmc) values ('35-1','三十五')"));
        QVERIFY(ExecSql("insert into post (bkdh,bkmc) values ('1-1','一')"));
        TbkmlFrm *w = open();
        ChooseFile(*w, book("twice.xls", {{T("35-1"), T("新"), N(5), T("1-1")}}, {"BKDH", "BKMC", "QNJ", "bkdh"}));
        w->mllxBox->setItemIndex(0);
        TestHooks::clear();
        w->BitBtn2Click();
        const QStringList shown = Shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0), QString("错误信息:第1行第1列的列名“BKDH”与第4列的列名“bkdh”是同一列,导入在此停止,没有导入任何行..."));
        QVERIFY2(shown.at(1).startsWith("提示信息:导入目录在第1行停止,已导入0行...\n"), qPrintable(shown.at(1)));
        QCOMPARE(Rows("select bkdh,bkmc from post order by bkdh"), QStringList({"1-1|一", "35-1|三十五"}));
        verifyCleanedUp(w);
    }

    // Malformed codes stop the import at their row; blanks around a code do not make a second entry.
    void malformedCodesAreRefusedAndCodesTrimmed()
    {
        QVERIFY(ExecSql("insert into post (bkdh,bkmc) values ('1-1','旧')"));
        TbkmlFrm *w = open();
        ImportFile(*w, book("trim.xls", {Entry("1-1 ", "新", 12, 0), Entry(" 1-2", "乙", 12, 0)}), 0);
        QVERIFY(TestHooks::lastMessage().text.startsWith("导入目录完毕...\n"));
        QCOMPARE(Rows("select bkdh,bkmc from post order by bkdh"), QStringList({"1-1|新", "1-2|乙"}));

        for (const QString &bad : {QString("ABC"), QString("A-B"), QString("１-１"), QString("1'-1"), QString("99999999999-1")}) {
            ChooseFile(*w, book("bad.xls", {Entry("2-1", "丙", 12, 0), Entry(bad, "坏", 12, 0), Entry("2-2", "丁", 12, 0)}));
            w->mllxBox->setItemIndex(0);
            TestHooks::clear();
            w->BitBtn2Click();
            const QStringList shown = Shown();
            QCOMPARE(shown.size(), 2);
            QCOMPARE(shown.at(0), "错误信息:" + BadCodeMessage(3, 1, "BKDH", bad));
            QVERIFY2(shown.at(1).startsWith("提示信息:导入目录在第3行停止,已导入1行...\n"), qPrintable(shown.at(1)));
            QCOMPARE(CountRows("select * from post where bkdh not in ('1-1','1-2','2-1')"), 0);
        }
    }

    // A correction of an entry cannot give it a code the catalogue's sort refuses either.
    void aCorrectionCannotMakeAMalformedCode()
    {
        QVERIFY(ExecSql("insert into post (bkdh,bkmc) values ('5-1','甲')"));
        db::Query entry;
        QCOMPARE(OpenQuery("select * from post", entry), 1);
        QString error;
        QVERIFY(!PostCatalogueChanges(entry, dm->ADOConnection, {{"bkdh", QString("A-B")}}, &error));
        QCOMPARE(error, QString("报刊代号“A-B”无效(应为以“-”相连的两个整数,如 4-2)"));
        QVERIFY(PostCatalogueChanges(entry, dm->ADOConnection, {{"bkdh", QString("5-2")}}, &error));
        QCOMPARE(Rows("select bkdh,bkmc from post"), QStringList({"5-2|甲"}));
    }

    // An .xls number cell holding NaN or an infinity, or a negative price, stops the import at its row.
    void nonFiniteAndNegativePricesStopTheImport()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        TbkmlFrm *w = open();
        const double placeholder = 12345.678;
        for (double price : {nan, inf, -inf, -5.0}) {
            QVERIFY(ExecSql("delete from post"));
            // Our writer keeps to finite numbers: the price cell's eight bytes are put into the file.
            const QString path = book("price.xls", {Entry("3-1", "甲", 12, 0),
                                                    {T("3-2"), T("乙"), T("月刊"), N(placeholder), N(1), N(0)}});
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QByteArray bytes = file.readAll();
            const QByteArray from(reinterpret_cast<const char *>(&placeholder), 8);
            const qsizetype at = bytes.indexOf(from);
            QVERIFY(at >= 0);
            bytes.replace(at, 8, QByteArray(reinterpret_cast<const char *>(&price), 8));
            file.seek(0);
            file.write(bytes);
            file.close();
            ChooseFile(*w, path);
            w->mllxBox->setItemIndex(0);
            TestHooks::clear();
            w->BitBtn2Click();
            const QStringList shown = Shown();
            QCOMPARE(shown.size(), 2);
            const QString text = std::isnan(price) ? "NaN" : price == inf ? "Infinity" : price == -inf ? "-Infinity" : "-5";
            // A cell without a value (NaN) is named as such: most often a formula whose result was never stored.
            QCOMPARE(shown.at(0), "错误信息:" + (price < 0 && std::isfinite(price) ? NegativePriceMessage(3, 4, "QNJ", text)
                                                 : std::isnan(price) ? CellFaultMessage(ImportCellFault::NoValue, 3, 4, "QNJ", text)
                                                                     : NotANumberMessage(3, 4, "QNJ", text)));
            QVERIFY2(shown.at(1).startsWith("提示信息:导入目录在第3行停止,已导入1行...\n"), qPrintable(shown.at(1)));
            QCOMPARE(Rows("select bkdh,qnj from post"), QStringList({"3-1|12"}));
        }
    }

    // Another program holds the database: the row's write waits once, fails, and the import says it
    // stopped; the closing checkpoint does not wait a second time.
    void aLockedDatabaseStopsTheImportAfterOneWait()
    {
        TbkmlFrm *w = open();
        ChooseFile(*w, book("locked.xls", {Entry("4-1", "甲", 12, 0), Entry("4-2", "乙", 12, 0)}));
        w->mllxBox->setItemIndex(0);

        db::Connection other;
        other.setConnectionString(GP.ConnectionText);
        other.open();
        other.execute("begin immediate");
        struct Waits {
            int events = 0;
        } waits;
        sqlite3_busy_handler(
            dm->ADOConnection.handle(),
            [](void *context, int count) {
                if (count == 0)
                    ++static_cast<Waits *>(context)->events;
                return count < 3 ? 1 : 0;
            },
            &waits);

        TestHooks::clear();
        w->BitBtn2Click();
        other.rollbackTrans();
        const QStringList shown = Shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0), QString("错误信息:提交失败->数据库正被其他程序使用(已锁定),请稍后再试（database is locked）"));
        QVERIFY2(shown.at(1).startsWith("提示信息:导入目录在第2行停止,已导入0行...\n"), qPrintable(shown.at(1)));
        QCOMPARE(waits.events, 1);
        QCOMPARE(CountRows("select * from post"), 0);
        verifyCleanedUp(w);
        sqlite3_busy_timeout(dm->ADOConnection.handle(), 5000);
    }

    void closeQueryQuitsTheApplication()
    {
        TbkmlFrm *w = open();
        w->close(); // no file: nothing to say
        QVERIFY(TestHooks::messages().isEmpty());

        w = open();
        ChooseFile(*w, book("close.xls", {Entry("1-1", "甲", 12)}));
        const auto app = w->ImportApp;
        TestHooks::clear();
        w->close();
        QCOMPARE(TestHooks::lastMessage().text, QString("ok"));
        QCOMPARE(TestHooks::lastMessage().icon, Icon::None);
        QVERIFY(app->hasQuit());
        QVERIFY(!w->ImportApp && !w->ImportAppOpen);
        QVERIFY(!w->isVisible());
    }

    void demoCataloguesImportIntoTheDemoDatabase()
    {
        m_db.reset();
        m_db.reset(new TestDatabase(/*demo=*/true));
        QVERIFY(m_db->ok());
        const int postal = CountRows("select * from post");
        const int nonPostal = CountRows("select * from nopost where mllx=1");
        TbkmlFrm *w = open();
        TestHooks::clear();
        ImportFile(*w, QStringLiteral(TAVRIN_SOURCE_DIR "/demo/postal-catalogue.xls"), 0);
        ImportFile(*w, QStringLiteral(TAVRIN_SOURCE_DIR "/demo/nonpostal-catalogue.xlsx"), 1);
        QCOMPARE(Shown(), QStringList({"信息:导入目录完毕...\n目录检查：本目录未发现有问题的条目。", "信息:导入目录完毕...\n目录检查：本目录未发现有问题的条目。"}));
        // Code 4-2 was in the demo catalogue already: its entry is replaced, the other titles are new.
        QCOMPARE(CountRows("select * from post"), postal + 21);
        QCOMPARE(Rows("select bkmc,qnj,bz from post where bkdh='4-2'"), QStringList({"数学月刊|108|新年度调价"}));
        QCOMPARE(CountRows("select * from nopost where mllx=1"), nonPostal + 8);
        QCOMPARE(Rows("select bkmc from nopost where bkdh='803-2'"), QStringList({"O'Brien商务英语"}));
        // Every imported title can be priced: its period and publication days make a counting statement.
        db::Query titles;
        QVERIFY(OpenQuery("select bkdh,kq,cbrq from post union all select bkdh,kq,cbrq from nopost", titles) > 0);
        for (titles.first(); !titles.eof(); titles.next()) {
            const IssueCountQuery count =
                IssueCountStatement(titles.fieldText("kq"), titles.fieldText("cbrq"), 1, 12, 2010);
            QVERIFY2(count.kind != IssueCountQuery::Kind::Failure, qPrintable(titles.fieldText("bkdh")));
        }
    }

    void filesWrittenByOtherProgramsImport_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("xlwt") << "catalogue-xlwt.xls";
        QTest::newRow("WriteExcel") << "catalogue-writeexcel.xls";
        QTest::newRow("openpyxl") << "catalogue-openpyxl.xlsx";
        QTest::newRow("csv UTF-8") << "catalogue-utf8.csv";
        QTest::newRow("csv GB18030") << "catalogue-gb18030.csv";
    }

    void filesWrittenByOtherProgramsImport()
    {
        QFETCH(QString, name);
        TbkmlFrm *w = open();
        TestHooks::clear();
        ImportFile(*w, QStringLiteral(TAVRIN_TEST_DATA "/fixtures/") + name, 1);
        QCOMPARE(Shown(), QStringList({"信息:导入目录完毕...\n目录检查：本目录有1个条目有问题（其中0个仅为警告），请用“目录检查”查看..."}));
        QCOMPARE(Rows("select bkdh,bkmc,kq,cbrq,qnj,dj,bkzl,fbkj,mllx from nopost order by bkdh"),
                 QStringList({"801-1|企业管理内参|月刊|每月的5号出版|120|10|杂志|北京|1",
                              "801-10|物流采购指南|双月刊|单月份10号出版|<null>|15|杂志|<null>|1",
                              "801-2|O'Neil's \"Weekly\"|周报|每周1出版|104.5|2.01|报纸|上海|1"}));
    }
};

int runImportWindowTest(int argc, char **argv)
{
    ImportWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ImportWindowTest.moc"
