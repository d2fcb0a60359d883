// The unit maintenance window as a clerk uses it: adding, modifying and deleting units by clicks,
// typing and the Enter key, what the database runs for each, the messages, and the window's states.

#include "OrderTestSupport.h"
#include "TestDatabase.h"

#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "orders/UnitStatements.h"
#include "orders/UoperatorFrm.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "widgets/CaptionLabel.h"
#include "widgets/TDataGridModel.h"
#include "widgets/TPickComboBox.h"

#include <QGroupBox>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

using platform::TestHooks;

namespace {

void addUnit(const QString &values)
{
    QVERIFY2(ExecSql("insert into dwinfo (dwmc,lxr,phone) values (" + values + ")"), qPrintable(GP.LastError));
}

QStringList units()
{
    return rowsOf("select dwmc,lxr,phone from dwinfo order by id");
}

} // namespace

class TestOperator : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ToperatorFrm> m_w;

    ToperatorFrm *open()
    {
        m_w.reset(new ToperatorFrm);
        m_w->show();
        waitUntilActive(m_w.get());
        return m_w.get();
    }

    bool browsing() const { return m_w->Panbrow->isEnabled() && !m_w->Panwork->isEnabled(); }
    bool editing() const { return !m_w->Panbrow->isEnabled() && m_w->Panwork->isEnabled(); }
    QString currentUnit() const { return dm->ADOQuery1.fieldText("dwmc"); }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase());
        QVERIFY(m_db->ok());
    }

    void cleanup()
    {
        m_w.reset();
        m_db.reset();
    }

    void statementsOfTheWindow()
    {
        QCOMPARE(UnitInsertSql("甲", "李", "123"), QString("insert into dwinfo (dwmc,lxr,phone) values('甲','李','123')"));
        QCOMPARE(UnitInsertSql("甲", "", ""), QString("insert into dwinfo (dwmc) values('甲')"));
        QCOMPARE(UnitInsertSql("甲", "李", ""), QString("insert into dwinfo (dwmc,lxr) values('甲','李')"));
        QCOMPARE(UnitInsertSql("甲", "", "123"), QString("insert into dwinfo (dwmc,phone) values('甲','123')"));
        QCOMPARE(UnitInsertSql("O'Neil", "", ""), QString("insert into dwinfo (dwmc) values('O''Neil')"));
        const QString onlyPhone = UnitChangedAssignments({{"dwmc", "甲", "甲"}, {"lxr", "", ""}, {"phone", "9", "8"}});
        QCOMPARE(UnitUpdateSql(onlyPhone, 7), QString("update dwinfo set phone='9' where id=7"));
        QCOMPARE(UnitChangedAssignments({{"dwmc", "a", "A"}, {"lxr", "", "李"}}), QString(",dwmc='a',lxr=''"));
        QVERIFY(UnitChangedAssignments({{"dwmc", "甲", "甲"}, {"lxr", "", ""}}).isEmpty());
        QCOMPARE(UnitDeleteSql(12), QString("delete from dwinfo where id=12"));
    }

    void opensBrowsingTheList()
    {
        addUnit("'青禾机械厂','林秀梅','0731-84412306'");
        addUnit("'北岸区卫生院',null,null");
        ToperatorFrm *w = open();
        QCOMPARE(w->windowTitle(), QString("单位维护"));
        QCOMPARE(w->size(), QSize(697, 307));
        QCOMPARE(w->font().pixelSize(), 12);
        QVERIFY(browsing());
        QCOMPARE(w->Panbrow->title(), QString("操作员列表"));
        QCOMPARE(w->Panwork->title(), QString("输入窗口"));
        QCOMPARE(w->Panbrow->size(), QSize(399, 265));
        QCOMPARE(w->Panwork->size(), QSize(287, 265));
        QCOMPARE(w->dwmc->width(), 207);
        QCOMPARE(w->lxr->width(), 95);
        QCOMPARE(w->phone->width(), 175);
        QCOMPARE(w->lxr->EditLabel()->text(), QString("联系人"));
        QCOMPARE(w->brow->Columns().size(), 3);
        QCOMPARE(w->brow->gridColumn(0).Title.Caption, QString("单位名称"));
        QCOMPARE(w->brow->gridColumn(0).Width, 200);
        QCOMPARE(w->brow->gridColumn(1).Width, 75);
        QCOMPARE(w->brow->gridColumn(2).Title.Caption, QString("联系电话"));
        QCOMPARE(w->brow->gridColumn(2).Title.Alignment, Qt::Alignment(Qt::AlignCenter));
        QCOMPARE(w->brow->model()->rowCount(), 2);
        QCOMPARE(w->brow->cellText(1, 0), QString("北岸区卫生院"));
        QCOMPARE(w->brow->cellText(1, 1), QString());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->brow));
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void addingStoresTrimmedValuesWithTheFittingStatement()
    {
        ToperatorFrm *w = open();
        QCOMPARE(w->brow->model()->rowCount(), 0);
        StatementLog log;

        // Name only, moving through the edits with Enter; Enter on 确定 clicks it.
        w->zjBtn->click();
        QVERIFY(editing());
        QCOMPARE(w->UnitEditMode, 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->dwmc));
        typeText(w->dwmc, "  新华书店  ");
        QTest::keyClick(w->dwmc, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->lxr));
        QTest::keyClick(w->lxr, Qt::Key_Return);
        QTest::keyClick(w->phone, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->saveBtn));
        QTest::keyClick(w->saveBtn, Qt::Key_Return);
        QCOMPARE(log.writes(), QStringList{"insert into dwinfo (dwmc) values('新华书店')"});
        QCOMPARE(units(), QStringList{"新华书店|<null>|<null>"});
        QVERIFY(browsing());
        QVERIFY(w->dwmc->text().isEmpty());
        QCOMPARE(w->brow->model()->rowCount(), 1);

        // Telephone only, contact only, both.
        log.clear();
        w->zjBtn->click();
        typeInto(w->dwmc, "云栖中学");
        typeInto(w->phone, " 0731-1 ");
        QTest::mouseClick(w->saveBtn, Qt::LeftButton);
        w->zjBtn->click();
        typeInto(w->dwmc, "O'Neil & Co");
        typeInto(w->lxr, "周建国 ");
        w->saveBtn->click();
        w->zjBtn->click();
        typeInto(w->dwmc, "甲");
        typeInto(w->lxr, "李");
        typeInto(w->phone, "1");
        w->saveBtn->click();
        QCOMPARE(log.writes(), QStringList({"insert into dwinfo (dwmc,phone) values('云栖中学','0731-1')",
                                            "insert into dwinfo (dwmc,lxr) values('O''Neil & Co','周建国')",
                                            "insert into dwinfo (dwmc,lxr,phone) values('甲','李','1')"}));
        QCOMPARE(units(), QStringList({"新华书店|<null>|<null>", "云栖中学|<null>|0731-1", "O'Neil & Co|周建国|<null>",
                                       "甲|李|1"}));
        QCOMPARE(w->brow->model()->rowCount(), 4);
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void aBlankNameIsRefused()
    {
        ToperatorFrm *w = open();
        StatementLog log;
        w->zjBtn->click();
        typeInto(w->dwmc, "   ");
        typeInto(w->lxr, "李");
        w->saveBtn->click();
        const platform::ShownMessage shown = TestHooks::lastMessage();
        QCOMPARE(shown.text, QString("请输入单位名称...."));
        QCOMPARE(shown.caption, QString("提示"));
        QCOMPARE(shown.icon, platform::Icon::Warning);
        QCOMPARE(shown.owner.data(), static_cast<QWidget *>(w));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->dwmc));
        QVERIFY(editing());
        QCOMPARE(w->lxr->text(), QString("李"));
        QVERIFY(log.writes().isEmpty());

        // Any other edit mode than adding and modifying writes nothing after the name check.
        typeInto(w->dwmc, "丙");
        w->UnitEditMode = 5;
        w->saveBtn->click();
        QVERIFY(log.writes().isEmpty());
        QVERIFY(editing());
    }

    void modifyingWritesOnlyChangedFields()
    {
        addUnit("'青禾机械厂','林秀梅','0731-84412306'");
        addUnit("'北岸区卫生院',null,null");
        addUnit("'云栖第三中学','周建国','0731-85530718'");
        ToperatorFrm *w = open();
        StatementLog log;
        const QString secondId = valueOf("select id from dwinfo where dwmc='北岸区卫生院'");
        const QString thirdId = valueOf("select id from dwinfo where dwmc='云栖第三中学'");

        // Nothing changed (blanks around the name do not count, NULL reads as empty): no statement,
        // back to browsing, the same row current, no reload.
        QTest::mouseClick(w->brow->viewport(), Qt::LeftButton, {}, w->brow->visualRect(w->brow->model()->index(1, 0)).center());
        QCOMPARE(currentUnit(), QString("北岸区卫生院"));
        w->xgBtn->click();
        QVERIFY(editing());
        QCOMPARE(w->UnitEditMode, 1);
        QCOMPARE(w->dwmc->text(), QString("北岸区卫生院"));
        QVERIFY(w->lxr->text().isEmpty() && w->phone->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->dwmc));
        w->dwmc->setText("  北岸区卫生院 ");
        w->saveBtn->click();
        QVERIFY(log.writes().isEmpty());
        QVERIFY(browsing());
        QCOMPARE(currentUnit(), QString("北岸区卫生院"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->brow));

        // Only the telephone.
        dm->ADOQuery1.setRecNo(3);
        w->xgBtn->click();
        typeInto(w->phone, " 0731-00000000 ");
        w->saveBtn->click();
        QCOMPARE(log.writes(), QStringList{"update dwinfo set phone='0731-00000000' where id=" + thirdId});

        // Clearing the contact stores an empty text, not NULL; a quote in the name is kept.
        log.clear();
        QVERIFY(dm->ADOQuery1.locate("dwmc", "云栖第三中学"));
        w->xgBtn->click();
        typeInto(w->lxr, "");
        typeInto(w->dwmc, "云栖'三中");
        w->saveBtn->click();
        QCOMPARE(log.writes(), QStringList{"update dwinfo set dwmc='云栖''三中',lxr='' where id=" + thirdId});
        QCOMPARE(rowsOf("select dwmc,lxr,phone from dwinfo where id=" + thirdId),
                 QStringList{"云栖'三中||0731-00000000"});
        QVERIFY(browsing());
        QCOMPARE(w->brow->model()->rowCount(), 3);

        // A contact for the unit without one.
        log.clear();
        QVERIFY(dm->ADOQuery1.locate("dwmc", "北岸区卫生院"));
        w->xgBtn->click();
        typeInto(w->lxr, "王");
        w->saveBtn->click();
        QCOMPARE(log.writes(), QStringList{"update dwinfo set lxr='王' where id=" + secondId});

        // 取消 leaves the edits unsaved.
        log.clear();
        w->xgBtn->click();
        typeInto(w->dwmc, "改名");
        w->CancelBtn->click();
        QVERIFY(browsing());
        QVERIFY(w->dwmc->text().isEmpty());
        QVERIFY(log.writes().isEmpty());
        QCOMPARE(w->UnitEditMode, 1);
        QCOMPARE(TestHooks::messageCount(), 0);
    }

    void deletingNeedsNoQuestion()
    {
        addUnit("'甲','a','1'");
        addUnit("'乙','b','2'");
        addUnit("'丙','c','3'");
        ToperatorFrm *w = open();
        dm->ADOQuery1.setRecNo(2);
        w->delBtn->click();
        QCOMPARE(TestHooks::messageCount(), 0);
        QCOMPARE(units(), QStringList({"甲|a|1", "丙|c|3"}));
        QCOMPARE(dm->ADOQuery1.recNo(), 1);
        QCOMPARE(w->brow->model()->rowCount(), 2);
        QVERIFY(browsing());

        w->delBtn->click();
        w->delBtn->click();
        QVERIFY(units().isEmpty());
        QCOMPARE(w->brow->model()->rowCount(), 0);
        QCOMPARE(TestHooks::messageCount(), 0);

        // With the list empty: 修改 is silent, 删除 says so.
        w->xgBtn->click();
        QVERIFY(browsing());
        QCOMPARE(TestHooks::messageCount(), 0);
        w->delBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("未发现的可删除的记录...  "));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示"));
    }

    // A unit with order lines stays, with its lines: the refusal counts them per catalogue type and
    // nothing is written. Without lines (after they were cleared) it goes.
    void aUnitWithOrderLinesIsNotDeleted()
    {
        addUnit("'甲','a','1'");
        addUnit("'乙','b','2'");
        const QString id = valueOf("select id from dwinfo where dwmc='乙'");
        for (const char *line : {"0,'1-1'", "0,'1-2'", "0,'4-3'", "1,'801-1'", "7,'x-1'"})
            QVERIFY(ExecSql(QString("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) values (%1,%2,1,12,1,10)").arg(id, line)));
        ToperatorFrm *w = open();
        StatementLog log;
        QVERIFY(dm->ADOQuery1.locate("dwmc", "乙"));
        w->delBtn->click();
        QCOMPARE(TestHooks::messageCount(), 1);
        QCOMPARE(TestHooks::lastMessage().text,
                 QString("该单位尚有订阅记录 5 条（邮发报刊目录 3 条，非邮发报刊目录 1 条，目录类型7 1 条），不能删除..."));
        QCOMPARE(TestHooks::lastMessage().caption, QString("提示"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Warning);
        QVERIFY(log.writes().isEmpty());
        QCOMPARE(units(), QStringList({"甲|a|1", "乙|b|2"}));
        QCOMPARE(valueOf("select count(*) from torder"), QString("5"));
        QVERIFY(browsing());
        QCOMPARE(currentUnit(), QString("乙"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->brow));

        // Another desk adds a line to 甲 after the list was read: still refused.
        QVERIFY(ExecSql("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) select id,2,'901-1',1,12,1,5 from dwinfo where dwmc='甲'"));
        QVERIFY(dm->ADOQuery1.locate("dwmc", "甲"));
        w->delBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("该单位尚有订阅记录 1 条（人大资料报刊目录 1 条），不能删除..."));
        QCOMPARE(units().size(), 2);

        QCOMPARE(log.writes().size(), 1); // the line added above
        // Its lines cleared, 乙 is deleted.
        QVERIFY(ExecSql("delete from torder where dwid=" + id));
        QVERIFY(dm->ADOQuery1.locate("dwmc", "乙"));
        log.clear();
        w->delBtn->click();
        QCOMPARE(log.writes().size(), 1);
        QCOMPARE(log.writes().first(), "delete from dwinfo where id=" + id);
        QCOMPARE(units(), QStringList{"甲|a|1"});
    }

    // No two units carry one name: adding or renaming to a name another unit has (blanks trimmed,
    // letter case ignored) is refused, the typed values stay and nothing is written. A unit may keep
    // its own name or change its letter case.
    void aNameAnotherUnitHasIsRefused()
    {
        addUnit("'青禾机械厂','a','1'");
        addUnit("'Riverside School','b','2'");
        ToperatorFrm *w = open();
        StatementLog log;
        const auto refused = [&](const QString &typed) {
            TestHooks::clear();
            typeInto(w->dwmc, typed);
            w->saveBtn->click();
            QCOMPARE(TestHooks::messageCount(), 1);
            QCOMPARE(TestHooks::lastMessage().text, QString("该单位名称已存在,请重新输入...."));
            QCOMPARE(TestHooks::lastMessage().caption, QString("提示"));
            QVERIFY(editing());
            QCOMPARE(w->dwmc->text(), typed);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->dwmc));
            QVERIFY(log.writes().isEmpty());
        };
        w->zjBtn->click();
        typeInto(w->lxr, "李");
        for (const char *typed : {"青禾机械厂", "  青禾机械厂 ", "riverside school", " RIVERSIDE SCHOOL"})
            refused(typed);
        QCOMPARE(w->lxr->text(), QString("李"));

        // Renaming 青禾机械厂 to the other unit's name.
        w->CancelBtn->click();
        QVERIFY(dm->ADOQuery1.locate("dwmc", "青禾机械厂"));
        w->xgBtn->click();
        refused("Riverside school ");
        QCOMPARE(units(), QStringList({"青禾机械厂|a|1", "Riverside School|b|2"}));

        // Its own name with other blanks is no change; another letter case of its own name is allowed.
        w->CancelBtn->click();
        QVERIFY(dm->ADOQuery1.locate("dwmc", "Riverside School"));
        w->xgBtn->click();
        typeInto(w->dwmc, "RIVERSIDE SCHOOL");
        w->saveBtn->click();
        QCOMPARE(TestHooks::messageCount(), 1);
        QCOMPARE(units(), QStringList({"青禾机械厂|a|1", "RIVERSIDE SCHOOL|b|2"}));
        // A new name is added.
        w->zjBtn->click();
        typeInto(w->dwmc, "青禾机械二厂");
        w->saveBtn->click();
        QCOMPARE(units().size(), 3);
        QVERIFY(browsing());
    }

    void deletingWhileEditingLeavesTheEditFirst()
    {
        addUnit("'甲','a','1'");
        addUnit("'乙','b','2'");
        ToperatorFrm *w = open();
        StatementLog log;

        // Modifying 乙, then 删除: the edit is given up and 乙 deleted; no later 确定 touches 甲.
        dm->ADOQuery1.setRecNo(2);
        w->xgBtn->click();
        typeInto(w->dwmc, "乙改");
        typeInto(w->lxr, "改");
        w->delBtn->click();
        QVERIFY(browsing());
        QVERIFY(!w->saveBtn->isEnabled() || !w->Panwork->isEnabled());
        QVERIFY(w->dwmc->text().isEmpty());
        QCOMPARE(units(), QStringList{"甲|a|1"});
        QCOMPARE(currentUnit(), QString("甲"));
        w->saveBtnClick(); // even reached without its button: the name is gone
        QCOMPARE(TestHooks::lastMessage().text, QString("请输入单位名称...."));
        QCOMPARE(units(), QStringList{"甲|a|1"});
        QCOMPARE(log.writes().size(), 1);
        QVERIFY(log.writes().first().startsWith("delete from dwinfo where id="));

        // Adding, then 删除: the addition is given up as well.
        w->zjBtn->click();
        typeInto(w->dwmc, "新单位");
        w->delBtn->click();
        QVERIFY(browsing());
        QVERIFY(units().isEmpty());
    }

    void failuresKeepTheStateAndTheValues()
    {
        addUnit("'甲','a','1'");
        ToperatorFrm *w = open();
        QVERIFY(ExecSql("create trigger no_update before update on dwinfo begin select raise(abort,'locked'); end"));
        QVERIFY(ExecSql("create trigger no_delete before delete on dwinfo begin select raise(abort,'kept'); end"));
        QVERIFY(ExecSql("create trigger no_insert before insert on dwinfo begin select raise(abort,'full'); end"));

        w->xgBtn->click();
        typeInto(w->phone, "2");
        w->saveBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("修改操作员失败->提交时出现异常->locked"));
        QVERIFY(editing());
        QCOMPARE(w->phone->text(), QString("2"));

        w->zjBtn->click();
        typeInto(w->dwmc, "乙");
        w->saveBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("增加单位失败->提交时出现异常->full"));
        QVERIFY(editing());
        QCOMPARE(w->dwmc->text(), QString("乙"));

        w->CancelBtn->click();
        w->delBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("删除记录失败->提交时出现异常->kept"));
        QVERIFY(browsing());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->brow));
        QCOMPARE(units(), QStringList{"甲|a|1"});
    }

    void enterAndTheSelectedCellColour()
    {
        addUnit("'甲','a','1'");
        addUnit("'乙','b','2'");
        ToperatorFrm *w = open();
        // Enter in the grid stays there.
        QTest::keyClick(w->brow, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->brow));
        QVERIFY(browsing());
        // Enter on 取消 clicks it.
        w->zjBtn->click();
        focusOn(w->CancelBtn);
        QTest::keyClick(w->CancelBtn, Qt::Key_Return);
        QVERIFY(browsing());

        TDrawCellArgs cell;
        cell.grid = w->brow;
        cell.selected = true;
        cell.column = 1;
        cell.background = QBrush(Qt::darkBlue);
        ToperatorFrm::browDrawColumnCell(cell);
        QCOMPARE(cell.background.color(), QColor(214, 223, 247));
        QVERIFY(cell.defaultDrawing);
        TDrawCellArgs other;
        other.grid = w->brow;
        other.selected = false;
        other.background = QBrush(Qt::white);
        ToperatorFrm::browDrawColumnCell(other);
        QCOMPARE(other.background.color(), QColor(Qt::white));
        // The focused cell keeps the highlight.
        focusOn(w->brow);
        TDrawCellArgs focused = cell;
        focused.column = w->brow->currentIndex().column();
        focused.background = QBrush(Qt::darkBlue);
        ToperatorFrm::browDrawColumnCell(focused);
        QCOMPARE(focused.background.color(), QColor(Qt::darkBlue));
    }

    void closingClosesTheSharedQuery()
    {
        addUnit("'甲','a','1'");
        ToperatorFrm *w = open();
        QVERIFY(dm->ADOQuery1.active());
        w->ToolButton7->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!dm->ADOQuery1.active());
        QVERIFY(dm->ADOQuery1.sql().isEmpty());
    }

    void theMainWindowOpensItAndKeepsItsUnitList()
    {
        addUnit("'甲','a','1'");
        addUnit("'乙','b','2'");
        std::unique_ptr<TbkMainFrm> main = startMainWindow(*m_db);
        TestHooks::clear();
        QString seen;
        TestHooks::queueForm([&seen](QDialog *form) {
            auto *units = qobject_cast<ToperatorFrm *>(form);
            QVERIFY(units);
            waitUntilActive(units);
            seen = units->brow->cellText(1, 0);
            units->zjBtn->click();
            typeInto(units->dwmc, "丙");
            units->saveBtn->click();
            units->ToolButton7->click();
        });
        main->dwwhBtn1->click();
        QCOMPARE(TestHooks::forms().size(), 1);
        QCOMPARE(TestHooks::forms().first().formClass, QString("ToperatorFrm"));
        QCOMPARE(TestHooks::forms().first().title, QString("单位维护"));
        QCOMPARE(seen, QString("乙"));
        QCOMPARE(units().size(), 3);
        // The unit box shows the units as they are once the window has closed.
        QCOMPARE(main->dwbox->count(), 3);
        QCOMPARE(main->dwbox->itemText(2), QString("丙"));
        QCOMPARE(main->dwbox->currentIndex(), -1);
        main->SpeedButton1->click();
        QCOMPARE(main->dwbox->count(), 3);
        QCOMPARE(main->dwbox->currentIndex(), -1);
    }

    // The chosen unit stays chosen (renamed, with its new contact) when it still exists; a unit
    // deleted in the window leaves no choice, and no order can then be entered for it.
    void theUnitBoxFollowsTheWindowKeepingTheChoice()
    {
        addUnit("'甲','a','1'");
        addUnit("'乙','b','2'");
        addUnit("'丙','c','3'");
        std::unique_ptr<TbkMainFrm> main = startMainWindow(*m_db);
        pickItem(main->dwbox, "乙");
        QCOMPARE(main->lblxr->text(), QString("b"));
        TestHooks::queueForm([](QDialog *form) {
            auto *units = qobject_cast<ToperatorFrm *>(form);
            waitUntilActive(units);
            QVERIFY(dm->ADOQuery1.locate("dwmc", "乙"));
            units->xgBtn->click();
            typeInto(units->dwmc, "乙二");
            typeInto(units->lxr, "新联系人");
            units->saveBtn->click();
            QVERIFY(dm->ADOQuery1.locate("dwmc", "甲"));
            units->delBtn->click();
            units->ToolButton7->click();
        });
        main->dwwhBtn1->click();
        QCOMPARE(main->dwbox->count(), 2);
        QCOMPARE(main->dwbox->currentText(), QString("乙二"));
        QCOMPARE(main->SelectedUnitName(), QString("乙二"));
        QCOMPARE(main->lblxr->text(), QString("新联系人"));

        // Now 乙二 itself is deleted: no unit chosen, the contact empties.
        TestHooks::queueForm([](QDialog *form) {
            auto *units = qobject_cast<ToperatorFrm *>(form);
            waitUntilActive(units);
            QVERIFY(dm->ADOQuery1.locate("dwmc", "乙二"));
            units->delBtn->click();
            units->ToolButton7->click();
        });
        main->dwwhBtn1->click();
        QCOMPARE(main->dwbox->count(), 1);
        QVERIFY(!main->SelectedUnit());
        QVERIFY(main->lblxr->text().isEmpty());
        QVERIFY(!main->ddado.active());
    }
};

TAVRIN_TEST_MAIN(TestOperator)
#include "tst_operator.moc"
