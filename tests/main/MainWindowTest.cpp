// The main window on a real database: show step, tabs, catalogue order, search, quick locate, the
// search field choice, tab changes, units at start, status line, row striping, roles and close step.
// Message boxes are answered by the platform's test hooks and read back from them.

#include "MainTests.h"
#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "calendar/IrregularIssues.h"
#include "catalogue/IrregularIssueWindow.h"
#include "catalogue/SearchData.h"
#include "data/Backup.h"
#include "data/Udm.h"
#include "main/CatalogueQueries.h"
#include "main/RestoreWindow.h"
#include "main/UbkMainFrm.h"
#include "platform/TestHooks.h"
#include "widgets/TDataGridModel.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TPickComboBox.h"
#include "widgets/TRadioGroup.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

using platform::TestHooks;

namespace {

void addPostal(const QString &code, const QString &title, const QString &period, const QString &kind)
{
    QVERIFY2(ExecSql(QString("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj,bkzl) values ('%1','%2','%3','每月出版',"
                             "120,10,'%4')")
                         .arg(code, title, period, kind)),
             qPrintable(GP.LastError));
}

void addOther(int type, const QString &code, const QString &title, const QString &period)
{
    QVERIFY(ExecSql(QString("insert into nopost (bkdh,bkmc,kq,qnj,dj,bkzl,mllx) values ('%1','%2','%3',60,5,'杂志',%4)")
                        .arg(code, title, period)
                        .arg(type)));
}

void addUnit(const QString &name, const QString &contact, const QString &phone)
{
    QVERIFY(ExecSql(QString("insert into dwinfo (dwmc,lxr,phone) values ('%1','%2','%3')").arg(name, contact, phone)));
}

QStringList codesShown(const TDataGrid *grid)
{
    QStringList codes;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        codes << grid->cellText(row, 0);
    return codes;
}

void pick(QComboBox *box, const QString &item)
{
    box->setCurrentIndex(box->findText(item));
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbkMainFrm> m_w;

    // The window as the program starts it after a login with `role`.
    TbkMainFrm *start(int role = 0)
    {
        m_w.reset(new TbkMainFrm);
        GP.DatabasePath = m_db->path(); // the creation step points at the program's own folder
        GP.ConnectionText = ConnectionTextFor(m_db->path());
        GP.UserRole = role;
        m_w->show();
        return m_w.get();
    }

    void chooseField(TbkMainFrm *w, int field)
    {
        w->dhmcBox->setCurrentIndex(field);
        emit w->dhmcBox->activated(field);
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase());
        QVERIFY(m_db->ok());
        addPostal("2-1", "时事周刊", "周刊", "杂志");
        addPostal("1-10", "Daily Science", "月刊", "杂志");
        addPostal("1-9", "工人日报", "日报", "报纸");
        addPostal("10-1", "工人月刊", "月刊", "杂志");
        addPostal("1-2", "工人周报", "周报", "报纸");
        addOther(2, "5-12", "人大资料甲", "月刊");
        addOther(1, "5-11", "非邮发甲", "月刊");
        addOther(2, "5-2", "人大资料乙", "季刊");
    }

    void cleanup()
    {
        m_w.reset();
        m_db.reset();
    }

    void creationStepSetsTheRun()
    {
        GP.UserRole = 2;
        TbkMainFrm w;
        QCOMPARE(w.windowTitle(), QString("Tavrin系统"));
        QCOMPARE(GP.DatabasePath, QCoreApplication::applicationDirPath() + "/bkdata.mdb");
        QCOMPARE(GP.ConnectionText, ConnectionTextFor(GP.DatabasePath));
        QCOMPARE(GP.UserRole, 0);
        QCOMPARE(bkMainFrm, &w);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCOMPARE(w.geometry().topLeft(), screen.topLeft());
        QCOMPARE(w.width(), screen.width());
        QCOMPARE(w.font().pixelSize(), 12);
        QVERIFY(w.MlxgBtn->isHidden() && !w.MlxgBtn->isEnabled());
        QVERIFY(w.BitBtn1->isHidden());
        QVERIFY(w.loadBtn->isHidden());
        QVERIFY(!w.CheckBox1->isEnabled() && !w.CheckBox1->isChecked());
        QCOMPARE(w.bkzl->ItemIndex(), 0);
        QCOMPARE(w.brow->Columns().size(), 15);
        QCOMPARE(w.brow->gridColumn(11).Title.Caption, QString("报刊分类"));
        QCOMPARE(w.brow->gridColumn(11).Width, 250);
        QCOMPARE(w.ddbrow->Columns().size(), 7);
        QCOMPARE(w.FTab->height(), 403);
        QCOMPARE(w.FlatPanel1->height(), 41);
        QCOMPARE(w.dwbox->width(), 175);
        QCOMPARE(w.FlatGroupBox1->width(), 198);
        GP.DatabasePath = m_db->path();
        GP.ConnectionText = ConnectionTextFor(m_db->path());
    }

    void showStepLoadsTabsPeriodsAndThePostalCatalogue()
    {
        QVERIFY(ExecSql("update bkmllx set mc='图书资料' where id=3"));
        TbkMainFrm *w = start();
        QCOMPARE(w->FTab->Tabs(), QStringList({"邮发报刊目录", "非邮发报刊目录", "人大资料报刊目录", "图书资料"}));
        QCOMPARE(w->FTab->TabIndex(), 0);
        QCOMPARE(w->kqCbox->count(), 22);
        QCOMPARE(w->kqCbox->itemText(0), QString("日报"));
        QCOMPARE(w->kqCbox->itemText(21), QString("不定"));
        QCOMPARE(w->kqCbox->currentIndex(), -1);
        QVERIFY(!dm->ADOQuery1.active());
        QVERIFY(dm->ADOQuery1.sql().isEmpty());
        // Codes 1-9, 1-10 and 2-1 in the order of their numbers.
        QCOMPARE(codesShown(w->brow), QStringList({"1-2", "1-9", "1-10", "2-1", "10-1"}));
        QCOMPARE(w->ds.DataSet(), &w->ADO);
        QCOMPARE(w->statusText(), QString("  邮发报刊目录  1/5"));
        w->ADO.setRecNo(3);
        QCOMPARE(w->statusText(), QString("  邮发报刊目录  3/5"));
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    // A database that already holds malformed codes (the sort's conversions refuse them) still lists its
    // catalogue: the well-formed codes in their order, the others after them; no error is shown.
    void malformedCodesHideNoOtherEntry()
    {
        for (const char *bad : {"ABC", "A-B", "１-１", "1'-1", "99999999999-1", "1-1-1"})
            addPostal(QString::fromUtf8(bad).replace("'", "''"), "坏", "月刊", "杂志");
        TbkMainFrm *w = start();
        QCOMPARE(TestHooks::messageCount(), 0);
        const QStringList codes = codesShown(w->brow);
        QCOMPARE(codes.size(), 11);
        QCOMPARE(codes.mid(0, 5), QStringList({"1-2", "1-9", "1-10", "2-1", "10-1"}));
        QCOMPARE(QSet<QString>(codes.begin() + 5, codes.end()),
                 QSet<QString>({"ABC", "A-B", "１-１", "1'-1", "99999999999-1", "1-1-1"}));
        QCOMPARE(w->statusText(), QString("  邮发报刊目录  1/11"));

        // Searches on such a tab list too.
        chooseField(w, SearchByTitle);
        w->Edit1->setText("坏");
        w->cxBtn->click();
        QCOMPARE(w->ADO.recordCount(), 6);
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void designTimeTabsWithoutCatalogueTypes()
    {
        QVERIFY(ExecSql("delete from bkmllx"));
        TbkMainFrm *w = start();
        QCOMPARE(w->FTab->Tabs(), QStringList({"邮发报刊目录", "非邮发报刊目录", "人大资料报刊目录", "图书目录"}));
        QCOMPARE(w->ADO.recordCount(), 5);
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void codeSearchOnTheThirdTab()
    {
        addOther(1, "5-12", "非邮发乙", "月刊"); // the same code under another catalogue type
        TbkMainFrm *w = start();
        w->FTab->setTabIndex(2);
        QCOMPARE(codesShown(w->brow), QStringList({"5-2", "5-12"}));
        QCOMPARE(w->statusText(), QString("  人大资料报刊目录  1/2"));
        chooseField(w, 0);
        w->Edit1->setText(" 5-12 ");
        w->cxBtnClick();
        QVERIFY(w->ADO.sql().startsWith("select * from nopost where mllx=2 and   bkdh='5-12' order by  clng("));
        QCOMPARE(codesShown(w->brow), QStringList({"5-12"}));
        QCOMPARE(w->ADO.fieldText("bkmc"), QString("人大资料甲"));
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void titleSearchIgnoresLetterCase()
    {
        TbkMainFrm *w = start();
        chooseField(w, 1);
        QVERIFY(w->CheckBox1->isChecked() && w->CheckBox1->isEnabled());
        w->Edit1->setText("SCIENCE");
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"1-10"}));
        w->Edit1->setText("工人");
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"1-2", "1-9", "10-1"}));
        // A kind narrows it further.
        w->bkzl->setItemIndex(2);
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"1-2", "1-9"}));
        QCOMPARE(TestHooks::messageCount(), 0);

        // Choosing the code field empties the text and unticks and disables 模糊查询.
        chooseField(w, 0);
        QVERIFY(w->Edit1->text().isEmpty());
        QVERIFY(!w->CheckBox1->isChecked() && !w->CheckBox1->isEnabled());
    }

    void periodAloneFilters()
    {
        TbkMainFrm *w = start();
        pick(w->kqCbox, "月刊");
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"1-10", "10-1"}));
        QVERIFY(w->ADO.sql().contains("where   kq='月刊' order by"));
        // Typed text that is no entry of the list is no period.
        w->kqCbox->setCurrentIndex(-1);
        w->kqCbox->setEditText("月刊");
        w->cxBtnClick();
        QCOMPARE(w->ADO.recordCount(), 5);
    }

    void searchMessages()
    {
        TbkMainFrm *w = start();
        chooseField(w, 1);
        w->Edit1->setText("   ");
        w->cxBtnClick();
        QCOMPARE(TestHooks::lastMessage().text, QString("请输入代号,或报刊名称..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
        QCOMPARE(TestHooks::lastMessage().owner.data(), static_cast<QWidget *>(w));
        QCOMPARE(w->ADO.recordCount(), 5); // nothing was searched

        w->Edit1->setText("O'Brien");
        w->cxBtnClick();
        QCOMPARE(TestHooks::lastMessage().text, QString("未搜索到相关信息..."));
        QCOMPARE(w->brow->model()->rowCount(), 0);
        QVERIFY(!w->ADO.active());
        QCOMPARE(w->ds.DataSet(), nullptr);

        // A value with an apostrophe is found like any other.
        addPostal("11-1", "O''Brien Weekly", "周刊", "杂志");
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"11-1"}));
        QCOMPARE(TestHooks::messageCount(), 2);
    }

    void enterRunsTheSearch()
    {
        TbkMainFrm *w = start();
        QApplication::setActiveWindow(w);
        chooseField(w, 1);
        w->Edit1->setFocus();
        w->Edit1->setText("周");
        QTest::keyClick(w->Edit1, Qt::Key_Return);
        QCOMPARE(codesShown(w->brow), QStringList({"1-2", "2-1"}));
    }

    void tabChangeResetsOnlyTheKind()
    {
        TbkMainFrm *w = start();
        chooseField(w, 1);
        w->Edit1->setText("工人");
        pick(w->kqCbox, "月刊");
        w->bkzl->setItemIndex(1);
        w->FTab->setTabIndex(1);
        QCOMPARE(w->bkzl->ItemIndex(), 0);
        QVERIFY(!w->bkzl->isEnabled());
        QCOMPARE(w->dhmcBox->currentText(), QString("报刊名称"));
        QCOMPARE(PickedIndex(w->dhmcBox), 1);
        QCOMPARE(w->Edit1->text(), QString("工人"));
        QCOMPARE(PickedIndex(w->kqCbox), w->kqCbox->findText("月刊"));
        QVERIFY(w->CheckBox1->isChecked());
        // The tab lists its whole catalogue, whatever the search fields hold.
        QCOMPARE(codesShown(w->brow), QStringList({"5-11"}));
        w->bkzl->setItemIndex(2);
        w->FTab->setTabIndex(0);
        QCOMPARE(w->bkzl->ItemIndex(), 0);
        QVERIFY(w->bkzl->isEnabled());
        QCOMPARE(w->ADO.recordCount(), 5);
    }

    void emptyCatalogueOnTabChange()
    {
        TbkMainFrm *w = start();
        w->FTab->setTabIndex(3); // type 3 has no rows
        QCOMPARE(TestHooks::lastMessage().caption, QString("异常信息"));
        QCOMPARE(TestHooks::lastMessage().text, QString("未搜索到符合条件的记录..."));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Warning);
        QCOMPARE(w->brow->model()->rowCount(), 0);
        QCOMPARE(w->ds.DataSet(), nullptr);
    }

    void oneUnitIsChosenAtStart()
    {
        addUnit("青禾机械厂", "林秀梅", "0731-84412306");
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,0,'1-9','日报',1,12,2,240.5)"));
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,0,'1-2','周报',1,6,1,30.25)"));
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,2,'5-12','月刊',1,12,1,60)"));
        TbkMainFrm *w = start();
        QCOMPARE(w->dwbox->currentIndex(), 0);
        QCOMPARE(w->SelectedUnitName(), QString("青禾机械厂"));
        QCOMPARE(w->lblxr->text(), QString("林秀梅"));
        QCOMPARE(w->lbphone->text(), QString("0731-84412306"));
        QCOMPARE(w->ddado.recordCount(), 2);
        QCOMPARE(w->ddado.recNo(), 2); // the newest line is current
        QCOMPARE(w->ddbrow->cellText(0, 1), QString("工人日报"));
        QCOMPARE(w->ddbrow->cellText(0, 2), QString("120.00"));
        QCOMPARE(w->ddbrow->footerText(0), QString("合计"));
        QCOMPARE(w->ddbrow->footerText(6), QString("270.75"));
        // The tab change shows the lines of the new catalogue type.
        w->FTab->setTabIndex(2);
        QCOMPARE(w->ddado.recordCount(), 1);
        QCOMPARE(w->ddbrow->footerText(6), QString("60.00"));
        w->FTab->setTabIndex(1);
        QVERIFY(!w->ddado.active());
        QCOMPARE(w->ddbrow->model()->rowCount(), 0);
    }

    void noUnitIsChosenAmongSeveral()
    {
        addUnit("青禾机械厂", "林秀梅", "0731-84412306");
        addUnit("云栖第三中学", "", "");
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (2,0,'1-9','日报',1,12,2,240.5)"));
        TbkMainFrm *w = start();
        QCOMPARE(w->dwbox->count(), 2);
        QCOMPARE(w->dwbox->currentIndex(), -1);
        QCOMPARE(w->SelectedUnit(), nullptr);
        QVERIFY(w->lblxr->text().isEmpty());
        QVERIFY(!w->ddado.active());

        // Picking a unit shows its contact data and its lines; deleting the text drops the choice.
        w->dwbox->setCurrentIndex(1);
        emit w->dwbox->activated(1);
        QCOMPARE(w->lblxr->text(), QString());
        QCOMPARE(w->ddado.recordCount(), 1);
        w->dwbox->setCurrentIndex(0);
        emit w->dwbox->activated(0);
        QCOMPARE(w->lblxr->text(), QString("林秀梅"));
        QVERIFY(!w->ddado.active()); // no lines: an empty grid, no message
        QCOMPARE(TestHooks::messageCount(), 0);
        w->dwbox->setEditText(QString());
        w->dwboxChange();
        QCOMPARE(w->dwbox->currentIndex(), -1);
        QVERIFY(w->lbphone->text().isEmpty());
        QVERIFY(w->ddado.sql().isEmpty());
    }

    void quickLocate()
    {
        TbkMainFrm *w = start();
        w->locaBtnClick();
        QCOMPARE(TestHooks::lastMessage().text, QString("请选择输入报刊代号或报刊名称..."));

        chooseField(w, 0);
        w->Edit1->setText("1-10");
        w->locaBtnClick();
        QCOMPARE(w->ADO.recNo(), 3);
        QCOMPARE(w->brow->currentIndex().row(), 2);
        QCOMPARE(w->statusText(), QString("  邮发报刊目录  3/5"));

        // With 模糊查询 the beginning of a title finds the first such row in the listed order.
        chooseField(w, 1);
        w->Edit1->setText("工人");
        w->locaBtnClick();
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("1-2"));
        w->ADO.setRecNo(4);
        w->CheckBox1->setChecked(false);
        const int messages = TestHooks::messageCount();
        w->locaBtnClick();
        QCOMPARE(TestHooks::messageCount(), messages + 1);
        QCOMPARE(TestHooks::lastMessage().text, QString("未发现符合条件的记录..."));
        QCOMPARE(w->ADO.recNo(), 4);
        w->Edit1->setText("工人日报");
        w->locaBtnClick();
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("1-9"));
        QCOMPARE(TestHooks::messageCount(), messages + 1);

        // Nothing loaded: nothing happens.
        w->FTab->setTabIndex(3);
        const int afterTab = TestHooks::messageCount();
        w->locaBtnClick();
        QCOMPARE(TestHooks::messageCount(), afterTab);
    }

    // 报刊名称 by pinyin or initials, the 刊号/ISSN field, type-ahead and quick locate by initials.
    void clerksTyping()
    {
        addPostal("3-1", "人民日报", "日报", "报纸");
        addPostal("3-2", "银行家", "月刊", "杂志");
        QVERIFY(ExecSql("update post set cn='CN11-0065', issn='0254-5152' where bkdh='3-1'"));
        QVERIFY2(RefreshSearchData(true), qPrintable(GP.LastError)); // as the login does
        TbkMainFrm *w = start();
        QApplication::setActiveWindow(w);
        QCOMPARE(w->dhmcBox->itemText(2), QString("刊号/ISSN"));

        chooseField(w, 1);
        w->Edit1->setText("GRRB");
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"1-9"}));
        w->Edit1->setText("yinhang");
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"3-2"}));

        // Type-ahead: the grid narrows after a pause, silently also to nothing; Enter still searches.
        TestHooks::clear();
        w->Edit1->clear();
        w->Edit1->setFocus();
        QTest::keyClicks(w->Edit1, "gr");
        QCOMPARE(w->TypeAheadTimer->interval(), 150);
        QTRY_COMPARE(codesShown(w->brow), QStringList({"1-2", "1-9", "10-1"}));
        QTest::keyClicks(w->Edit1, "rb");
        QTRY_COMPARE(codesShown(w->brow), QStringList({"1-9"}));
        QTest::keyClicks(w->Edit1, "x");
        QTRY_COMPARE(w->brow->model()->rowCount(), 0);
        QTest::qWait(w->TypeAheadTimer->interval() + 50);
        QCOMPARE(TestHooks::messageCount(), 0);
        QTest::keyClick(w->Edit1, Qt::Key_Return);
        QCOMPARE(TestHooks::lastMessage().text, QString("未搜索到相关信息..."));
        QVERIFY(!w->TypeAheadTimer->isActive());
        QTest::keyClick(w->Edit1, Qt::Key_Backspace);
        QTRY_COMPARE(codesShown(w->brow), QStringList({"1-9"}));
        // Emptied, it shows every title again.
        w->Edit1->selectAll();
        QTest::keyClick(w->Edit1, Qt::Key_Delete);
        QTRY_COMPARE(w->brow->model()->rowCount(), 7);
        QCOMPARE(TestHooks::messageCount(), 1);

        // Quick locate by initials: whole, or the beginning with 模糊查询.
        w->Edit1->setText("rmrb");
        w->CheckBox1->setChecked(false);
        w->locaBtnClick();
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("3-1"));
        w->Edit1->setText("yh");
        w->locaBtnClick();
        QCOMPARE(TestHooks::lastMessage().text, QString("未发现符合条件的记录..."));
        w->CheckBox1->setChecked(true);
        w->locaBtnClick();
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("3-2"));

        // 刊号/ISSN: exact, blanks, hyphens and case aside; no type-ahead, no 模糊查询.
        chooseField(w, 2);
        QVERIFY(!w->CheckBox1->isChecked() && !w->CheckBox1->isEnabled());
        w->Edit1->setText("cn 11-0065");
        w->cxBtnClick();
        QCOMPARE(codesShown(w->brow), QStringList({"3-1"}));
        QTest::keyClicks(w->Edit1, "1");
        QTest::qWait(w->TypeAheadTimer->interval() + 50);
        QCOMPARE(codesShown(w->brow), QStringList({"3-1"}));
        w->Edit1->setText("02545152");
        w->FTabChange(); // every title loaded again
        w->locaBtnClick();
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("3-1"));
    }

    void evenRowsAreStriped()
    {
        addUnit("青禾机械厂", "林秀梅", "0731-84412306");
        for (int i = 0; i < 3; ++i)
            QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,0,'1-9','日报',1,12,1,1)"));
        TbkMainFrm *w = start();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->ADO.setRecNo(5);
        const QColor tip = QApplication::palette().color(QPalette::ToolTipBase);
        const QColor base = w->brow->palette().color(QPalette::Base);
        QVERIFY(tip != base);
        for (TDataGrid *grid : {w->brow, w->ddbrow}) {
            grid->selectionModel()->clearSelection();
            const QImage image = grid->viewport()->grab().toImage();
            auto colourOfRow = [&](int row) {
                const QRect cell = grid->visualRect(grid->model()->index(row, 1));
                return image.pixelColor(cell.right() - 3, cell.center().y());
            };
            QCOMPARE(colourOfRow(0), base);
            QCOMPARE(colourOfRow(1), tip);
            QCOMPARE(colourOfRow(2), base);
        }
    }

    void roleButtons()
    {
        TbkMainFrm *w = start(0);
        QVERIFY(w->MlxgBtn->isHidden() && w->BitBtn1->isHidden() && w->loadBtn->isHidden());
        w->FTab->setTabIndex(1);
        QVERIFY(w->MlxgBtn->isHidden());

        w = start(1);
        QVERIFY(!w->MlxgBtn->isHidden());
        QVERIFY(!w->MlxgBtn->isEnabled());
        QVERIFY(w->BitBtn1->isHidden() && w->loadBtn->isHidden());
        w->FTab->setTabIndex(1);
        QVERIFY(w->MlxgBtn->isEnabled());
        w->FTab->setTabIndex(0);
        QVERIFY(!w->MlxgBtn->isEnabled());

        QVERIFY(w->restoreBtn->isHidden());

        w = start(2);
        QVERIFY(!w->MlxgBtn->isHidden() && !w->BitBtn1->isHidden() && !w->loadBtn->isHidden());
        QVERIFY(!w->MlxgBtn->isEnabled());
        // 数据恢复 sits beside 系统初始, for the 系统员 only
        QVERIFY(!w->restoreBtn->isHidden());
        QCOMPARE(w->restoreBtn->parentWidget(), w->loadBtn->parentWidget());
        QVERIFY(w->restoreBtn->x() > w->loadBtn->x());
    }

    // 数据恢复 after a 系统初始: the window lists the copies, asks, restores the chosen one (the reset
    // wrote it), and the main window shows the units and orders of before again.
    void restoreAfterAResetBringsTheUnitsBack()
    {
        addUnit("青禾机械厂", "林秀梅", "0731-84412306");
        addUnit("东湖小学", "王", "1");
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,0,'1-9','日报',1,12,2,240.5)"));
        // a database of a version before the register of irregular issues: its copy lacks the table
        QVERIFY(ExecSql("drop table tkhkb"));
        GP.WorkYear = 2010;
        TbkMainFrm *w = start(2);
        QVERIFY(w->StatusPanel->text().endsWith("/5"));
        w->loadBtn->click();
        QCOMPARE(w->dwbox->count(), 0);
        QCOMPARE(CountRows("select * from post"), 0);
        QCOMPARE(w->StatusPanel->text(), QString("  邮发报刊目录  0/0"));

        // cancelled at the question: nothing happens
        TestHooks::queueForm([](QDialog *form) {
            auto *window = static_cast<TRestoreFrm *>(form);
            QCOMPARE(window->windowTitle(), QString("数据恢复"));
            QCOMPARE(window->list->rowCount(), 1);
            QCOMPARE(window->list->item(0, 1)->text(), QString("系统初始"));
            QVERIFY(window->list->item(0, 2)->text().endsWith(" KB"));
            window->restoreBtn->click(); // nothing chosen yet
            QCOMPARE(TestHooks::lastMessage().text, QString("请选择要恢复的备份..."));
            window->list->selectRow(0);
            TestHooks::queueAnswer(platform::Answer::No);
            window->restoreBtn->click();
            QVERIFY(TestHooks::lastMessage().text.startsWith("确定要用 "));
            QVERIFY(window->isVisible());
        });
        w->restoreBtn->click();
        QCOMPARE(w->dwbox->count(), 0);

        TestHooks::queueForm([](QDialog *form) {
            auto *window = static_cast<TRestoreFrm *>(form);
            window->list->selectRow(0);
            TestHooks::queueAnswer(platform::Answer::Yes);
            window->restoreBtn->click();
        });
        w->restoreBtn->click();
        QVERIFY2(TestHooks::lastMessage().text.startsWith("数据恢复完毕,恢复前的数据已备份到:\n"),
                 qPrintable(TestHooks::lastMessage().text));
        QCOMPARE(TestHooks::forms().constLast().result, int(QDialog::Accepted));
        QCOMPARE(w->dwbox->count(), 2);
        QCOMPARE(CountRows("select * from post"), 5);
        QCOMPARE(CountRows("select * from torder"), 1);
        QCOMPARE(CountRows("select * from tkhkb"), 0); // added after the restore, as at login
        QVERIFY(CalendarHoldsYear(2010));
        const QList<BackupEntry> copies = ListBackups(m_db->path());
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies.first().reason, BackupReason::BeforeRestore);
    }

    void registerButtonAndMarkedTitles()
    {
        QVERIFY(ExecSqlBatch({
            InsertIrregularIssueStatement({0, "1-9"}, 2010, {KindBreak, {2010, 2, 13}, {2010, 2, 19}, "春节"}),
            InsertIrregularIssueStatement({0, "1-2"}, 2011, {KindBreak, {2011, 2, 2}, {2011, 2, 8}, {}}),
            InsertIrregularIssueStatement({2, "5-12"}, 2010, {KindCombined, {2010, 7, 1}, {2010, 8, 31}, {}}),
        }));
        QVERIFY(BuildDateTable(2010));
        TbkMainFrm *w = start(0);
        QVERIFY(w->RegisterBtn->isHidden());
        QCOMPARE(w->registeredCodes(), QSet<QString>({"1-9"}));

        w = start(1);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QVERIFY(!w->RegisterBtn->isHidden() && w->RegisterBtn->isEnabled());
        QCOMPARE(codesShown(w->brow), QStringList({"1-2", "1-9", "1-10", "2-1", "10-1"}));
        // The code of a registered title is drawn in the mark colour, with a corner mark.
        w->ADO.setRecNo(5);
        w->brow->selectionModel()->clearSelection();
        const QImage image = w->brow->viewport()->grab().toImage();
        auto cornerOf = [&](int row) {
            const QRect cell = w->brow->visualRect(w->brow->model()->index(row, 0));
            return image.pixelColor(cell.right() - 1, cell.top() + 1);
        };
        QCOMPARE(cornerOf(1), QColor(0x99, 0x33, 0x00));
        QVERIFY(cornerOf(0) != QColor(0x99, 0x33, 0x00));

        w->FTab->setTabIndex(2);
        QCOMPARE(w->registeredCodes(), QSet<QString>({"5-12"}));
        QVERIFY(w->RegisterBtn->isEnabled());
        QVERIFY(w->ADO.locate("bkdh", "5-2"));

        // The window opens for the current title and the marks follow what it registers.
        TestHooks::queueForm([](QDialog *form) {
            auto *window = qobject_cast<IrregularIssueWindow *>(form);
            QVERIFY(window);
            QCOMPARE(window->context().title.catalogueType, 2);
            QCOMPARE(window->context().title.code, QString("5-2"));
            QCOMPARE(window->context().titleName, QString("人大资料乙"));
            QCOMPARE(window->context().year, 2010);
            window->kindBox->setCurrentText(KindSuspended);
            window->firstEdit->setText("3-1");
            window->lastEdit->setText("3-31");
            window->addBtn->click();
            form->reject();
        });
        w->RegisterBtn->click();
        QCOMPARE(TestHooks::forms().size(), 1);
        QCOMPARE(TestHooks::messageCount(), 0);
        QCOMPARE(w->registeredCodes(), QSet<QString>({"5-12", "5-2"}));

        // An empty catalogue has no title to register.
        w->FTab->setTabIndex(3);
        TestHooks::clear();
        w->RegisterBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("当前目录中没有可登记的报刊..."));
        QCOMPARE(TestHooks::forms().size(), 0);

        // 系统初始 empties the register with the catalogues (the copy it writes first holds it).
        w = start(2);
        w->FTab->setTabIndex(2);
        QCOMPARE(w->registeredCodes(), QSet<QString>({"5-12", "5-2"}));
        w->loadBtn->click();
        QCOMPARE(CountRows("select * from tkhkb"), 0);
        QVERIFY(w->registeredCodes().isEmpty());
        QCOMPARE(w->StatusPanel->text(), QString("  人大资料报刊目录  0/0"));
    }

    void closeStepReleasesUnitsAndQueries()
    {
        addUnit("青禾机械厂", "林秀梅", "0731-84412306");
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,0,'1-9','日报',1,12,2,240.5)"));
        TbkMainFrm *w = start();
        QVERIFY(w->ddado.active());
        QVERIFY(w->close());
        QCOMPARE(w->dwbox->count(), 0);
        QVERIFY(!w->ADO.active());
        QVERIFY(!w->ddado.active());
        QCOMPARE(w->brow->model()->rowCount(), 0);
    }
};

int runMainWindowTest(int argc, char **argv)
{
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainWindowTest.moc"
