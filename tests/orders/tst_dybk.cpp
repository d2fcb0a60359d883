// The subscription dialog opened from the main window on the demo database of 2010, driven as a
// clerk drives it: picking terms, typing months and copies, moving the focus out of the term panel
// into the copies area, saving. What it writes is read back from the statements the database ran.

#include "OrderTestSupport.h"
#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "calendar/IssueCount.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "main/UbkMainFrm.h"
#include "orders/IntegerEdit.h"
#include "orders/OrderCorrection.h"
#include "orders/OrderLineRules.h"
#include "orders/OrderLineStatements.h"
#include "orders/UdybkFrm.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using platform::TestHooks;

namespace {

QStringList terms(const TdybkFrm *d)
{
    QStringList items;
    for (int i = 0; i < d->termBox->count(); ++i)
        items << d->termBox->itemText(i);
    return items;
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

bool inside(const QWidget *panel)
{
    return focused() && panel->isAncestorOf(focused());
}

// Another desk: a connection of its own to the test database.
std::unique_ptr<db::Connection> otherDesk()
{
    auto desk = std::make_unique<db::Connection>();
    desk->setConnectionString(GP.ConnectionText);
    desk->open();
    return desk;
}

} // namespace

class TestDybk : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbkMainFrm> m_main;
    qint32 m_unit = 0;

    void chooseTitle(int tab, const QString &code)
    {
        if (m_main->currentTab() != tab)
            m_main->FTab->setTabIndex(tab);
        QVERIFY2(m_main->ADO.locate("bkdh", code), qPrintable(code));
    }

    // Opens the dialog as 订阅报刊 (mode 0) or 修改记录 (mode 1) does and hands it to `drive`.
    void run(int mode, const std::function<void(TdybkFrm *)> &drive)
    {
        driveSubscription(mode == 0 ? m_main->dyBtn : m_main->xgDDBtn, drive);
    }

    // An order line of the chosen unit on tab 0, made current in the order grid.
    void storeLine(const QString &code, int start, int end, int copies, double amount)
    {
        QVERIFY(ExecSql(QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,0,'%2',"
                                "(select kq from post where bkdh='%2'),%3,%4,%5,%6)")
                            .arg(m_unit)
                            .arg(code)
                            .arg(start)
                            .arg(end)
                            .arg(copies)
                            .arg(AmountSqlText(amount))));
        QVERIFY(m_main->LoadOrders() > 0);
        QVERIFY(m_main->ddado.locate("bkdh", code));
    }

    // Leaves the term panel the way a clerk does: Tab out of the term box.
    static void leaveTermPanel(TdybkFrm *d)
    {
        focusOn(d->termBox);
        pressTab();
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase(/*demo=*/true, 2010));
        QVERIFY(m_db->ok());
        QVERIFY(BuildDateTable(2010));
        m_main = startMainWindow(*m_db);
        pickItem(m_main->dwbox, "青禾机械厂");
        m_unit = m_main->SelectedUnit()->id;
        TestHooks::clear();
    }

    void cleanup()
    {
        m_main.reset();
        m_db.reset();
    }

    void amountsAreWrittenInFull()
    {
        QCOMPARE(AmountSqlText(110.4), QString("110.4"));
        QCOMPARE(AmountSqlText(1.2 * 92 * 3), QString("331.2"));
        QCOMPARE(AmountSqlText(396), QString("396"));
        QCOMPARE(AmountSqlText(1.0 / 3), QString("0.333333333333333"));
        NewOrderLine line{7, 2, "O'1", "月刊", 3, 5, 2, 48.125};
        QCOMPARE(OrderInsertSql(line),
                 QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(7,2,'O''1','月刊',3,5,2,48.125)"));
        const OrderLineValues stored{4, 6, 1, 18.0};
        QVERIFY(OrderChangedAssignments(stored, {4, 6, 1, 18.0}).isEmpty());
        QCOMPARE(OrderChangedAssignments(stored, {4, 6, 3, 54.0}), QString(",fs=3,ke=54"));
        QCOMPARE(OrderChangedAssignments(stored, {4, 5, 1, 18.0}), QString(",qdy=4,zdy=5"));
        QCOMPARE(OrderChangedAssignments(stored, {4, 6, 1, std::nullopt}), QString());
        // The product of the issue price read back after storing is no change.
        QVERIFY(OrderChangedAssignments({7, 9, 1, 110.4}, {7, 9, 1, 1.2 * 92}).isEmpty());
        QCOMPARE(OrderUpdateSql(",fs=3", 9), QString("update torder set fs=3 where id=9"));
    }

    void newLineForAMonthlyTitle()
    {
        chooseTitle(0, "4-3"); // 园艺月刊: every price
        run(0, [&](TdybkFrm *d) {
            QCOMPARE(d->windowTitle(), QString("报刊订阅"));
            QCOMPARE(d->size(), QSize(628, 374));
            QCOMPARE(d->font().pixelSize(), 13);
            QCOMPARE(d->lbdwmc->text(), QString("青禾机械厂"));
            QCOMPARE(d->lbFtab->text(), QString("邮发报刊目录"));
            QCOMPARE(d->PBkdh->Caption(), QString("4-3"));
            QCOMPARE(d->PBkmc->Caption(), QString("园艺月刊"));
            QCOMPARE(d->Pkq->Caption(), QString("月刊"));
            QCOMPARE(d->PCbrq->Caption(), QString("每月的29号出版"));
            QCOMPARE(d->PCn->Caption(), QString("CN53-0403"));
            QCOMPARE(d->PQnj->Caption(), QString("72.00"));
            QCOMPARE(d->Pdj->Caption(), QString("6.00"));
            QCOMPARE(d->Pyj->Caption(), QString("6.00"));
            QCOMPARE(d->Pjj->Caption(), QString("18.00"));
            QCOMPARE(d->PBnj->Caption(), QString("36.00"));
            QCOMPARE(d->PBkmc->width(), 302);
            QCOMPARE(d->Pdj->width(), 110);
            QCOMPARE(d->Pyj->width(), 111);
            QCOMPARE(d->Pansel->geometry(), QRect(8, 200, 609, 41));
            QCOMPARE(d->Panwork->geometry(), QRect(8, 241, 609, 120));
            QCOMPARE(terms(d), QStringList({"全年", "上半年", "下半年", "一季度", "二季度", "三季度", "四季度", "月"}));
            QCOMPARE(d->termBox->currentText(), QString("全年"));
            QCOMPARE(d->qdy->text(), QString("1"));
            QCOMPARE(d->zdy->text(), QString("12"));
            QVERIFY(!d->qdy->isEnabled() && !d->zdy->isEnabled());
            QCOMPARE(d->fs->text(), QString("1"));
            QCOMPARE(d->ke->Value(), 72.0);
            QCOMPARE(d->ke->text(), QString("72.00"));
            QVERIFY(d->lbMsg->text().isEmpty());
            // The focus asked for the copies, but the term is not confirmed yet: beep, back to the term box.
            QCOMPARE(TestHooks::tones().size(), 1);
            QCOMPARE(TestHooks::tones().first().frequencyHz, 1200);
            QCOMPARE(TestHooks::tones().first().durationMs, 100);
            QVERIFY(inside(d->Pansel));
            QVERIFY(!d->confirmed());

            // Leaving the term panel confirms the whole year; the copies area takes the focus.
            pressTab();
            QVERIFY(d->confirmed());
            QVERIFY(!d->changed());
            QCOMPARE(focused(), static_cast<QWidget *>(d->fs));
            QCOMPARE(TestHooks::tones().size(), 1);

            // Every change of the copies prices the line again; emptied copies empty the amount.
            typeInto(d->fs, "3");
            QCOMPARE(d->ke->Value(), 216.0);
            d->fs->selectAll();
            QTest::keyClick(d->fs, Qt::Key_Delete);
            QVERIFY(d->amountEmpty());
            typeText(d->fs, "2");
            QCOMPARE(d->ke->Value(), 144.0);

            StatementLog log;
            d->qrBtn->click();
            QCOMPARE(log.writes(),
                     QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,0,'4-3','月刊',1,12,2,144)")
                                     .arg(m_unit)});
            QCOMPARE(TestHooks::lastMessage().text, QString("新增记录成功！"));
            QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
            QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Information);
            QVERIFY(!d->isVisible());
        });
        // The dialog refreshed the order list: the new line is there and current.
        QCOMPARE(m_main->ddado.recordCount(), 1);
        QCOMPARE(m_main->ddado.fieldText("bkmc"), QString("园艺月刊"));
        QCOMPARE(m_main->ddbrow->footerText(6), QString("144.00"));
    }

    void termsFollowThePeriodAndTheTab()
    {
        const struct {
            int tab;
            const char *code;
            QStringList offered;
        } cases[] = {
            {0, "1-1", {"全年", "上半年", "下半年", "一季度", "二季度", "三季度", "四季度", "月"}}, // 日报
            {0, "6-1", {"全年", "上半年", "下半年"}},                                             // 双月刊
            {0, "6-2", {"全年", "上半年", "下半年"}},                                             // 季刊
            {0, "8-1", {"全年", "上半年", "下半年"}},                                             // 半年刊
            {0, "8-2", {"全年"}},                                                                 // 年刊
            {0, "8-3", {"全年"}},                                                                 // 不定
            {1, "801-1", {"全年"}},                                                               // 月刊 elsewhere
            {2, "901-1", {"全年"}},
        };
        for (const auto &c : cases) {
            chooseTitle(c.tab, c.code);
            run(0, [&](TdybkFrm *d) {
                QCOMPARE(terms(d), c.offered);
                QCOMPARE(d->termBox->currentIndex(), 0);
                QCOMPARE(d->lbFtab->text(), m_main->currentTabCaption());
            });
        }

        // A period outside the list: no term, nothing can be saved.
        QVERIFY(ExecSql("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj) values ('9-9','无名刊','周周刊','每周出版',10,1)"));
        m_main->FTab->setTabIndex(1);
        chooseTitle(0, "9-9");
        run(0, [&](TdybkFrm *d) {
            QVERIFY(terms(d).isEmpty());
            QCOMPARE(d->termBox->currentIndex(), -1);
            QVERIFY(d->qdy->text().isEmpty() && !d->qdy->isEnabled());
            QVERIFY(d->amountEmpty());
            leaveTermPanel(d);
            QVERIFY(!d->confirmed());
            StatementLog log;
            d->qrBtn->click();
            QVERIFY(log.writes().isEmpty());
            QVERIFY(d->isVisible());
        });
    }

    void halfYearIsPricedOnLeavingTheTermPanel()
    {
        chooseTitle(0, "4-3");
        run(0, [&](TdybkFrm *d) {
            pickItem(d->termBox, "上半年");
            QCOMPARE(d->qdy->text(), QString("1"));
            QCOMPARE(d->zdy->text(), QString("6"));
            QVERIFY(!d->qdy->isEnabled() && !d->zdy->isEnabled());
            QCOMPARE(d->lbMsg->text(), QString("非全年订阅,款额计算未考虑【停刊、休刊、合刊】情况,实际款额以邮局为准"));
            QVERIFY(d->changed() && !d->confirmed());
            QCOMPARE(d->ke->Value(), 36.0); // priced at once
            leaveTermPanel(d);
            QCOMPARE(d->ke->Value(), 36.0);
            QVERIFY(d->confirmed());
            QCOMPARE(focused(), static_cast<QWidget *>(d->fs));
            typeInto(d->fs, "2");
            QCOMPARE(d->ke->Value(), 72.0);

            // Back to 全年: the notice goes, the months are the whole year again.
            pickItem(d->termBox, "全年");
            QVERIFY(d->lbMsg->text().isEmpty());
            QCOMPARE(d->zdy->text(), QString("12"));
            QVERIFY(!d->confirmed());
            // Saving needs the confirmation.
            StatementLog log;
            d->qrBtn->click();
            QVERIFY(log.writes().isEmpty());
        });
    }

    void reversedMonthsAreRefusedWithTheBeep()
    {
        chooseTitle(0, "4-3");
        run(0, [&](TdybkFrm *d) {
            TestHooks::clear();
            pickItem(d->termBox, "月");
            QVERIFY(d->qdy->isEnabled() && d->zdy->isEnabled());
            QVERIFY(d->qdy->text().isEmpty() && d->zdy->text().isEmpty());
            typeInto(d->qdy, "7");
            typeInto(d->zdy, "3");
            pressTab(); // out of the term panel into the copies area
            QCOMPARE(d->lbMsg->text(), QString("起、止月份输入错误..."));
            QVERIFY(!d->confirmed());
            QCOMPARE(TestHooks::tones().size(), 1);
            QCOMPARE(TestHooks::tones().first().frequencyHz, 1200);
            QVERIFY(inside(d->Pansel));
            QVERIFY(d->amountEmpty()); // reversed months have no price

            // Clicking into the copies beeps again; 确定 does nothing.
            QTest::mouseClick(d->fs, Qt::LeftButton);
            QCoreApplication::processEvents();
            QCOMPARE(TestHooks::tones().size(), 2);
            QVERIFY(inside(d->Pansel));
            StatementLog log;
            d->qrBtn->click();
            QVERIFY(log.writes().isEmpty());

            // Corrected to 3..5: the month price over three months.
            typeInto(d->qdy, "3");
            typeInto(d->zdy, "5");
            pressTab();
            QVERIFY(d->confirmed());
            QCOMPARE(focused(), static_cast<QWidget *>(d->fs));
            QCOMPARE(d->ke->Value(), 18.0);
            QCOMPARE(TestHooks::tones().size(), 2);
            d->qrBtn->click();
            QCOMPARE(log.writes(),
                     QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,0,'4-3','月刊',3,5,1,18)")
                                     .arg(m_unit)});
        });
    }

    void zeroCopiesAreRefused()
    {
        chooseTitle(0, "4-2");
        run(0, [&](TdybkFrm *d) {
            leaveTermPanel(d);
            typeInto(d->fs, "0");
            QCOMPARE(d->ke->Value(), 0.0);
            StatementLog log;
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, QString("请输入订阅份数..."));
            QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
            QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Warning);
            QCOMPARE(focused(), static_cast<QWidget *>(d->fs));
            typeInto(d->fs, "");
            d->qrBtn->click();
            QCOMPARE(TestHooks::messageCount(), 2);
            QVERIFY(log.writes().isEmpty());
            QVERIFY(d->isVisible());
            d->BitBtn2->click();
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(valueOf("select count(*) from torder"), QString("0"));
    }

    void aFailedInsertKeepsTheDialogOpen()
    {
        storeLine("1-2", 1, 12, 1, 360);
        storeLine("2-1", 1, 12, 1, 260);
        m_main->ddado.first();
        TestDatabase::refuse("no_orders", "torder", "insert", "disk full");
        chooseTitle(0, "4-2");
        run(0, [&](TdybkFrm *d) {
            leaveTermPanel(d);
            typeInto(d->fs, "4");
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, QString("提交时出现异常->disk full"));
            QCOMPARE(TestHooks::lastMessage().caption, QString("异常信息"));
            QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Warning);
            QVERIFY(d->isVisible());
            QCOMPARE(d->fs->text(), QString("4"));
            QCOMPARE(d->ke->Value(), 384.0);
        });
        // Not refreshed: the first line is still current.
        QCOMPARE(m_main->ddado.recNo(), 1);
    }

    // Whatever term the clerk reaches, by the arrow keys or by the mouse, the amount shown is priced
    // at once and is the amount 确定 writes.
    void theAmountShownIsTheAmountStored()
    {
        chooseTitle(0, "4-3"); // 园艺月刊: 72.00 a year, 18.00 a quarter
        run(0, [&](TdybkFrm *d) {
            QVERIFY(inside(d->Pansel));
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(d->termBox, Qt::Key_Down);
            QCOMPARE(d->termBox->currentText(), QString("一季度"));
            QCOMPARE(d->ke->text(), QString("18.00"));
            pressTab();
            QCOMPARE(focused(), static_cast<QWidget *>(d->fs));
            QCOMPARE(d->ke->text(), QString("18.00"));
            StatementLog log;
            d->qrBtn->click();
            QCOMPARE(log.writes(), QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) "
                                                       "values(%1,0,'4-3','月刊',1,3,1,18)").arg(m_unit)});
        });
        QCOMPARE(m_main->ddbrow->footerText(6), QString("18.00"));

        // By the mouse: a term picked from the list and 确定 clicked at once.
        run(0, [&](TdybkFrm *d) {
            pickItem(d->termBox, "下半年");
            QCOMPARE(d->ke->text(), QString("36.00"));
            pickItem(d->termBox, "四季度");
            QCOMPARE(d->ke->text(), QString("18.00"));
            StatementLog log;
            QTest::mouseClick(d->qrBtn, Qt::LeftButton);
            QCOMPARE(log.writes(), QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) "
                                                       "values(%1,0,'4-3','月刊',10,12,1,18)").arg(m_unit)});
        });

        // Typed months price as they are typed.
        run(0, [&](TdybkFrm *d) {
            pickItem(d->termBox, "月");
            typeInto(d->qdy, "2");
            typeInto(d->zdy, "5");
            QCOMPARE(d->ke->text(), QString("24.00"));
            typeInto(d->zdy, "3");
            QCOMPARE(d->ke->text(), QString("12.00"));
            pressTab();
            typeInto(d->fs, "3");
            QCOMPARE(d->ke->text(), QString("36.00"));
            StatementLog log;
            d->qrBtn->click();
            QCOMPARE(log.writes().size(), 1);
            QVERIFY(log.writes().first().endsWith(",2,3,3,36)"));
        });
    }

    // Months outside 1 to 12 are refused like reversed ones: the notice, no confirmation, the beep,
    // nothing written, even when 确定 is reached.
    void monthsOutsideTheYearAreRefused()
    {
        chooseTitle(0, "4-3");
        run(0, [&](TdybkFrm *d) {
            StatementLog log;
            const QList<QPair<QString, QString>> wrong{{"0", "5"}, {"3", "13"}, {"0", "13"}, {"13", "13"},
                                                       {"-3", "4"}, {"1", "99"}, {"1a", "3"}, {"2", "3.5"}};
            for (const auto &[start, end] : wrong) {
                pickItem(d->termBox, "全年");
                leaveTermPanel(d);
                pickItem(d->termBox, "月");
                TestHooks::clear();
                typeInto(d->qdy, start);
                typeInto(d->zdy, end);
                pressTab();
                QCOMPARE(d->lbMsg->text(), QString("起、止月份输入错误..."));
                QVERIFY2(!d->confirmed(), qPrintable(start + ".." + end));
                QCOMPARE(TestHooks::tones().size(), 1);
                QVERIFY(inside(d->Pansel));
                d->qrBtn->click();
                QTest::mouseClick(d->qrBtn, Qt::LeftButton);
            }
            QVERIFY(log.writes().isEmpty());
            QVERIFY(d->isVisible());
        });
        QCOMPARE(valueOf("select count(*) from torder"), QString("0"));
    }

    // The amount box holds a price or nothing: never the amount of a term, months or copies no longer
    // shown. The month notice goes once the months are right again.
    void noAmountWithoutAPrice()
    {
        chooseTitle(0, "4-3"); // 园艺月刊: 6.00 a month
        run(0, [&](TdybkFrm *d) {
            QCOMPARE(d->ke->text(), QString("72.00"));
            pickItem(d->termBox, "月"); // the months are emptied
            QVERIFY(d->amountEmpty());
            typeInto(d->qdy, "2");
            typeInto(d->zdy, "5");
            QCOMPARE(d->ke->text(), QString("24.00"));
            const QList<QPair<QString, QString>> wrong{{"0", "5"}, {"5", "2"}, {"2", ""}, {"2", "13"}, {"2", "x"}};
            for (const auto &[start, end] : wrong) {
                typeInto(d->qdy, start);
                typeInto(d->zdy, end);
                QVERIFY2(d->amountEmpty(), qPrintable(start + ".." + end + " " + d->ke->text()));
                typeInto(d->qdy, "2");
                typeInto(d->zdy, "5");
                QCOMPARE(d->ke->text(), QString("24.00"));
            }
            typeInto(d->zdy, "1");
            pressTab();
            QCOMPARE(d->lbMsg->text(), QString("起、止月份输入错误..."));
            QVERIFY(d->amountEmpty());
            typeInto(d->zdy, "3");
            QCOMPARE(d->lbMsg->text(), QString("非全年订阅,款额计算未考虑【停刊、休刊、合刊】情况,实际款额以邮局为准"));
            QCOMPARE(d->ke->text(), QString("12.00"));
            // A term dropped by the Delete key leaves no amount either.
            focusOn(d->termBox);
            d->termBox->lineEdit()->selectAll();
            QTest::keyClick(d->termBox, Qt::Key_Delete);
            QCOMPARE(PickedIndex(d->termBox), -1);
            QVERIFY(d->amountEmpty());
            QVERIFY(d->lbMsg->text().isEmpty());
        });
    }

    // The term is only ever picked: characters typed into its box go nowhere and change nothing.
    void typedCharactersStayOutOfTheTermBox()
    {
        chooseTitle(0, "4-3");
        run(0, [&](TdybkFrm *d) {
            pickItem(d->termBox, "上半年");
            focusOn(d->termBox);
            QTest::keyClicks(focused(), "5a");
            typeText(focused(), "季");
            QTest::keyClicks(d->termBox, "5");
            QTest::keyClick(d->termBox, Qt::Key_Backspace);
            QCOMPARE(d->termBox->currentText(), QString("上半年"));
            QCOMPARE(d->termBox->lineEdit()->text(), QString("上半年"));
            QCOMPARE(d->qdy->text(), QString("1"));
            QCOMPARE(d->zdy->text(), QString("6"));
            QCOMPARE(d->ke->text(), QString("36.00"));
            pressTab();
            QVERIFY(d->confirmed());
        });
    }

    // The first and last month of the year and a single month are orders; one copy and 99,999 copies too.
    void monthsAndCopiesAtTheirBounds()
    {
        const QList<QPair<int, int>> months{{1, 1}, {12, 12}, {1, 12}, {5, 5}};
        for (const auto &[start, end] : months)
            QVERIFY2(MonthsValid(start, end), qPrintable(QString("%1..%2").arg(start).arg(end)));
        const QList<QPair<int, int>> wrong{{0, 1}, {12, 13}, {6, 5}, {13, 13}, {0, 0}};
        for (const auto &[start, end] : wrong)
            QVERIFY2(!MonthsValid(start, end), qPrintable(QString("%1..%2").arg(start).arg(end)));
        QVERIFY(!MonthsValid(std::nullopt, 5) && !MonthsValid(5, std::nullopt));
        for (int copies : {1, MaxCopies})
            QVERIFY(CopiesValid(copies));
        for (int copies : {0, -1, MaxCopies + 1})
            QVERIFY(!CopiesValid(copies));
        QVERIFY(!CopiesValid(std::nullopt));

        // A single month typed in the dialog is priced and written.
        chooseTitle(0, "4-3"); // 园艺月刊: 6.00 a month
        run(0, [&](TdybkFrm *d) {
            pickItem(d->termBox, "月");
            typeInto(d->qdy, "12");
            typeInto(d->zdy, "12");
            pressTab();
            QVERIFY(d->confirmed());
            QCOMPARE(d->ke->text(), QString("6.00"));
            StatementLog log;
            d->qrBtn->click();
            QCOMPARE(log.writes(), QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) "
                                                       "values(%1,0,'4-3','月刊',12,12,1,6)").arg(m_unit)});
        });
    }

    // Copies must be a whole number from 1 to 99,999; whatever else is typed stays visible as typed,
    // has no amount and is refused by 确定 with nothing written.
    void copiesOutsideTheRangeAreRefused()
    {
        chooseTitle(0, "4-3");
        run(0, [&](TdybkFrm *d) {
            leaveTermPanel(d);
            StatementLog log;
            const struct {
                const char *typed;
                const char *message;
            } wrong[] = {{"-35", "订阅份数应为1至99999之间的整数..."}, {"-3ab.5", "订阅份数应为1至99999之间的整数..."},
                         {"0", "请输入订阅份数..."},                   {"100000", "订阅份数应为1至99999之间的整数..."},
                         {"12a", "订阅份数应为1至99999之间的整数..."},   {"999999999", "订阅份数应为1至99999之间的整数..."},
                         {"1.5", "订阅份数应为1至99999之间的整数..."},   {"  ", "请输入订阅份数..."}};
            for (const auto &c : wrong) {
                TestHooks::clear();
                typeInto(d->fs, c.typed);
                QCOMPARE(d->fs->text(), QString(c.typed));
                if (QString(c.typed) != "0")
                    QVERIFY2(d->amountEmpty(), c.typed);
                d->qrBtn->click();
                QCOMPARE(TestHooks::messageCount(), 1);
                QCOMPARE(TestHooks::lastMessage().text, QString(c.message));
                QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
                QCOMPARE(focused(), static_cast<QWidget *>(d->fs));
                QVERIFY(d->isVisible());
            }
            QVERIFY(log.writes().isEmpty());
            // The largest number of copies is taken.
            typeInto(d->fs, "99999");
            QCOMPARE(d->ke->Value(), 72.0 * 99999);
            d->qrBtn->click();
            QCOMPARE(log.writes().size(), 1);
            QVERIFY(log.writes().first().endsWith(",1,12,99999,7199928)"));
        });
    }

    // A unit deleted by another desk while the dialog is open gets no order line.
    void noLineForAUnitThatIsGone()
    {
        chooseTitle(0, "4-3");
        run(0, [&](TdybkFrm *d) {
            leaveTermPanel(d);
            QVERIFY(ExecSql(QString("delete from dwinfo where id=%1").arg(m_unit)));
            StatementLog log;
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, QString("该单位已不存在,请刷新单位信息..."));
            QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
            QVERIFY(log.writes().isEmpty());
            QVERIFY(d->isVisible());
        });
        QCOMPARE(valueOf("select count(*) from torder"), QString("0"));
    }

    // From the keyboard: Enter on a focused 确定 saves like a click, and Enter in the copies saves a
    // confirmed line with a valid amount; with an unconfirmed term or copies that cannot be saved,
    // Enter in the copies does nothing.
    void enterSavesTheLine()
    {
        chooseTitle(0, "4-3");
        run(0, [&](TdybkFrm *d) {
            pressTab(); // out of the term box: confirmed, the focus in the copies
            QCOMPARE(focused(), static_cast<QWidget *>(d->fs));
            pressTab(); // the amount is display only: on to 确定
            QCOMPARE(focused(), static_cast<QWidget *>(d->qrBtn));
            StatementLog log;
            QTest::keyClick(d->qrBtn, Qt::Key_Return);
            QCOMPARE(log.writes(), QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) "
                                                       "values(%1,0,'4-3','月刊',1,12,1,72)").arg(m_unit)});
            QVERIFY(!d->isVisible());
        });
        run(0, [&](TdybkFrm *d) {
            TestHooks::clear();
            StatementLog log;
            // Not confirmed yet (the focus came back to the term box): Enter in the copies does nothing.
            QTest::keyClick(d->fs, Qt::Key_Return);
            QVERIFY(log.writes().isEmpty());
            pickItem(d->termBox, "上半年");
            leaveTermPanel(d);
            typeInto(d->fs, "12a");
            QTest::keyClick(d->fs, Qt::Key_Return);
            QVERIFY(log.writes().isEmpty());
            QCOMPARE(TestHooks::messageCount(), 0);
            typeInto(d->fs, "3");
            QTest::keyClick(d->fs, Qt::Key_Return);
            QCOMPARE(log.writes(), QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) "
                                                       "values(%1,0,'4-3','月刊',1,6,3,108)").arg(m_unit)});
            QCOMPARE(TestHooks::lastMessage().text, QString("新增记录成功！"));
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(m_main->ddado.recordCount(), 2);
    }

    // A failed issue count leaves no amount: the box is empty beside the failure, and 确定 refuses.
    void anIssueCountFailureLeavesNoAmount()
    {
        QCOMPARE(CountIssues("月刊", "每月出版", 1, 6), -1);
        QVERIFY(ExecSql("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj) values ('9-1','坏日期月刊','月刊','每月出版',50,4)"));
        m_main->FTab->setTabIndex(1);
        chooseTitle(0, "9-1");
        run(0, [&](TdybkFrm *d) {
            QCOMPARE(d->ke->Value(), 50.0);
            pickItem(d->termBox, "上半年");
            leaveTermPanel(d);
            QCOMPARE(d->lbMsg->text(), GP.LastError);
            QVERIFY(d->lbMsg->text().startsWith("出版日期错"));
            QVERIFY(d->amountEmpty());
            QVERIFY(d->confirmed());
            // There is no price of 上半年: 确定 refuses with the failure and writes nothing.
            StatementLog log;
            const QString failure = d->lbMsg->text();
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, failure);
            QVERIFY(log.writes().isEmpty());
            QVERIFY(d->isVisible());
            typeInto(d->fs, "3");
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, failure);
            QVERIFY(log.writes().isEmpty());
            QVERIFY(d->amountEmpty());
            // Back to 全年, which needs no count: saved at the yearly price, the failure gone.
            pickItem(d->termBox, "全年");
            QCOMPARE(d->ke->Value(), 150.0);
            QVERIFY(d->lbMsg->text().isEmpty());
            leaveTermPanel(d);
            d->qrBtn->click();
            QCOMPARE(log.writes().size(), 1);
            QVERIFY(log.writes().first().endsWith(",1,12,3,150)"));
        });
    }

    void correctingALine()
    {
        // A line of 4 to 6 shows 二季度 with the months fixed.
        storeLine("4-3", 4, 6, 1, 18);
        StatementLog log;
        run(1, [&](TdybkFrm *d) {
            QCOMPARE(d->termBox->currentText(), QString("二季度"));
            QCOMPARE(d->qdy->text(), QString("4"));
            QCOMPARE(d->zdy->text(), QString("6"));
            QVERIFY(!d->qdy->isEnabled() && !d->zdy->isEnabled());
            QCOMPARE(d->fs->text(), QString("1"));
            QCOMPARE(d->ke->Value(), 18.0);
            QVERIFY(d->lbMsg->text().isEmpty());
            QVERIFY(inside(d->Pansel));
            QCOMPARE(TestHooks::tones().size(), 0);
            // Nothing changed: closed without a statement and without a message.
            pressTab();
            QVERIFY(d->confirmed());
            d->qrBtn->click();
            QVERIFY(!d->isVisible());
        });
        QVERIFY(log.writes().isEmpty());
        QCOMPARE(TestHooks::messageCount(), 0);

        // Only the copies: fs and the amount.
        const QString id = m_main->ddado.fieldText("id");
        run(1, [&](TdybkFrm *d) {
            leaveTermPanel(d);
            typeInto(d->fs, "3");
            d->qrBtn->click();
        });
        // Written only while the line is still as read.
        QCOMPARE(log.writes(), QStringList{"update torder set fs=3,ke=54 where id=" + id + " and qdy=4 and zdy=6 and fs=1 and ke=18"});
        QCOMPARE(TestHooks::lastMessage().text, QString("修改记录成功！"));
        QCOMPARE(m_main->ddado.fieldText("fs"), QString("3"));

        // A line of 2 to 5 shows 月 with the months open; changing a month rewrites both.
        storeLine("4-2", 2, 5, 1, 32);
        log.clear();
        const QString second = m_main->ddado.fieldText("id");
        run(1, [&](TdybkFrm *d) {
            QCOMPARE(d->termBox->currentText(), QString("月"));
            QCOMPARE(d->qdy->text(), QString("2"));
            QCOMPARE(d->zdy->text(), QString("5"));
            QVERIFY(d->qdy->isEnabled() && d->zdy->isEnabled());
            QCOMPARE(d->ke->Value(), 32.0); // 4 issues at 8.00
            typeInto(d->zdy, "6");
            pressTab();
            QCOMPARE(d->ke->Value(), 40.0);
            d->qrBtn->click();
        });
        QCOMPARE(log.writes(), QStringList{"update torder set qdy=2,zdy=6,ke=40 where id=" + second
                                           + " and qdy=2 and zdy=5 and fs=1 and ke=32"});
    }

    void correctingARangeTheTitleDoesNotOffer()
    {
        storeLine("8-2", 2, 5, 1, 45); // 年刊: only 全年 offered
        StatementLog log;
        run(1, [&](TdybkFrm *d) {
            QCOMPARE(terms(d), QStringList{"全年"});
            QCOMPARE(d->termBox->currentIndex(), -1);
            QCOMPARE(d->qdy->text(), QString("2"));
            QCOMPARE(d->zdy->text(), QString("5"));
            QVERIFY(d->amountEmpty());
            QVERIFY(d->qdy->isEnabled() && d->zdy->isEnabled());
            TestHooks::clear();
            QTest::mouseClick(d->fs, Qt::LeftButton); // straight into the copies
            QCoreApplication::processEvents();
            QVERIFY(!d->confirmed());
            QCOMPARE(TestHooks::tones().size(), 1);
            QVERIFY(inside(d->Pansel));
            d->qrBtn->click();
            QVERIFY(d->isVisible());
            // Picking 全年 makes it a whole-year line.
            pickItem(d->termBox, "全年");
            pressTab();
            QCOMPARE(d->ke->Value(), 45.0);
            d->qrBtn->click();
        });
        QCOMPARE(log.writes().size(), 1);
        QVERIFY(log.writes().first().startsWith("update torder set qdy=1,zdy=12 where id="));
    }

    // The guard of a correction names the values read, every digit of the amount included, so that
    // the line read back from either engine still matches it.
    void aCorrectionNamesTheValuesRead()
    {
        StoredOrderLine read{9, "4", "6", "3", 144.0};
        QCOMPARE(OrderLineUnchangedCondition(read), QString(" and qdy=4 and zdy=6 and fs=3 and ke=144"));
        QCOMPARE(OrderCorrectionSql(read, ",fs=5,ke=240"),
                 QString("update torder set fs=5,ke=240 where id=9 and qdy=4 and zdy=6 and fs=3 and ke=144"));
        QCOMPARE(OrderLineUnchangedCondition({9, "", " 2 ", "1", std::nullopt}),
                 QString(" and qdy is null and zdy=2 and fs=1 and ke is null"));
        const double amounts[] = {1.0 / 3, 0.1 + 0.2, 82 * 1.20, 4.875, 7199928, 1e-7};
        for (const double amount : amounts) {
            QVERIFY(ExecSql(QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,0,'4-3','月刊',2,5,1,%2)")
                                .arg(m_unit)
                                .arg(QString::number(amount, 'g', 17))));
            QVERIFY(m_main->LoadOrders() > 0);
            const std::optional<StoredOrderLine> line = OrderLineFromRow(m_main->ddado);
            QVERIFY(line);
            std::optional<StoredOrderLine> now;
            QCOMPARE(WriteOrderCorrection(*line, ",fs=2", &now), CorrectionResult::Written);
            QCOMPARE(valueOf("select fs from torder where id=" + QString::number(line->id)), QString("2"));
        }
    }

    // Two desks correct one line (4-2: 1 to 6 months, 3 copies, 144): desk A makes it 5 copies, desk B,
    // whose dialog read the line before, makes it 全年. B's change is not merged into A's: B is told and
    // sees the line as it now is, and only what B then saves is stored. A correction from a read that
    // is no longer true changes no row.
    void twoDesksCorrectOneLine()
    {
        storeLine("4-2", 1, 6, 3, 144);
        const qint64 id = m_main->ddado.fieldInt("id");
        const std::optional<StoredOrderLine> readByA = OrderLineFromRow(m_main->ddado);
        const std::unique_ptr<db::Connection> deskA = otherDesk();
        StatementLog log;
        run(1, [&](TdybkFrm *d) {
            QCOMPARE(d->termBox->currentText(), QString("上半年"));
            QCOMPARE(deskA->execute(OrderCorrectionSql(*readByA, ",fs=5,ke=240")), qint64(1));
            pickItem(d->termBox, "全年");
            leaveTermPanel(d);
            QCOMPARE(d->ke->text(), QString("288.00"));
            TestHooks::clear();
            d->qrBtn->click();
            QCOMPARE(TestHooks::messageCount(), 1);
            QCOMPARE(TestHooks::lastMessage().text, QString("该记录已在其他终端修改,现显示其当前内容,请核对后重新修改..."));
            QCOMPARE(TestHooks::lastMessage().caption, QString("提示信息"));
            QVERIFY(d->isVisible());
            QCOMPARE(d->termBox->currentText(), QString("上半年"));
            QCOMPARE(d->fs->text(), QString("5"));
            QCOMPARE(d->ke->text(), QString("240.00"));
            QVERIFY(!d->confirmed());
            // The order grid behind shows the line as it now is.
            QCOMPARE(m_main->ddado.fieldText("fs"), QString("5"));
            QCOMPARE(rowsOf(QString("select qdy,zdy,fs,ke from torder where id=%1").arg(id)), QStringList{"1|6|5|240"});
            // The clerk picks 全年 again: the whole year for the five copies.
            pickItem(d->termBox, "全年");
            leaveTermPanel(d);
            QCOMPARE(d->ke->text(), QString("480.00"));
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, QString("修改记录成功！"));
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(log.writes().size(), 2); // the update that found the line changed, the one saved
        QCOMPARE(rowsOf(QString("select qdy,zdy,fs,ke from torder where id=%1").arg(id)), QStringList{"1|12|5|480"});
        // Desk A corrects again from its first read: no row changes, and that is no success.
        QCOMPARE(deskA->execute(OrderCorrectionSql(*readByA, ",fs=7,ke=336")), qint64(0));
        std::optional<StoredOrderLine> now;
        QCOMPARE(WriteOrderCorrection(*readByA, ",fs=7,ke=336", &now), CorrectionResult::Changed);
        QVERIFY(now);
        QCOMPARE(now->fs, QString("5"));
        QCOMPARE(rowsOf(QString("select qdy,zdy,fs,ke from torder where id=%1").arg(id)), QStringList{"1|12|5|480"});
    }

    // A line that another desk deleted while its correction was open is not "corrected": the clerk is
    // told, nothing is written and the grid no longer shows it.
    void correctingALineDeletedAtAnotherDesk()
    {
        storeLine("4-3", 4, 6, 1, 18);
        const qint64 id = m_main->ddado.fieldInt("id");
        const std::unique_ptr<db::Connection> deskA = otherDesk();
        StatementLog log;
        run(1, [&](TdybkFrm *d) {
            QCOMPARE(deskA->execute(QString("delete from torder where id=%1").arg(id)), qint64(1));
            leaveTermPanel(d);
            typeInto(d->fs, "3");
            TestHooks::clear();
            d->qrBtn->click();
            QCOMPARE(TestHooks::messageCount(), 1);
            QCOMPARE(TestHooks::lastMessage().text, QString("该记录已在其他终端删除,无法修改..."));
            QVERIFY(!d->isVisible());
        });
        QCOMPARE(valueOf("select count(*) from torder"), QString("0"));
        QVERIFY(!m_main->ddado.active() || m_main->ddado.isEmpty());
        QCOMPARE(deskA->execute(QString("update torder set fs=3 where id=%1").arg(id)), qint64(0));
    }

    // Another desk re-imports the catalogue with new prices after this desk loaded it: the dialog
    // prices from the row as the database holds it when it opens, reads it again at 确定, and shows a
    // changed price with the amount priced anew before anything is stored.
    void pricesFromTheCatalogueAsItIsNow()
    {
        chooseTitle(0, "4-3"); // loaded at 72.00 a year, 18.00 a quarter
        const std::unique_ptr<db::Connection> deskA = otherDesk();
        QCOMPARE(deskA->execute("update post set qnj=84,jj=21 where bkdh='4-3'"), qint64(1));
        QCOMPARE(m_main->ADO.fieldFloat("qnj"), 72.0);
        StatementLog log;
        run(0, [&](TdybkFrm *d) {
            QCOMPARE(d->PQnj->Caption(), QString("84.00"));
            QCOMPARE(d->Pjj->Caption(), QString("21.00"));
            QCOMPARE(d->ke->text(), QString("84.00"));
            QCOMPARE(d->lbMsg->text(), QString("该报刊的价格已在目录中变更,款额按目录现有价格计算..."));
            pickItem(d->termBox, "一季度");
            QCOMPARE(d->ke->text(), QString("21.00"));
            leaveTermPanel(d);
            typeInto(d->fs, "2");
            QCOMPARE(d->ke->text(), QString("42.00"));
            // Imported again while the dialog is open.
            QCOMPARE(deskA->execute("update post set qnj=96,jj=24 where bkdh='4-3'"), qint64(1));
            TestHooks::clear();
            d->qrBtn->click();
            QCOMPARE(TestHooks::messageCount(), 1);
            QCOMPARE(TestHooks::lastMessage().text, QString("该报刊的价格已在目录中变更,款额已按新价格重新计算,请核对后再确定..."));
            QVERIFY(log.writes().isEmpty());
            QCOMPARE(d->Pjj->Caption(), QString("24.00"));
            QCOMPARE(d->ke->text(), QString("48.00"));
            QVERIFY(d->isVisible());
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, QString("新增记录成功！"));
        });
        QCOMPARE(log.writes(), QStringList{QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) "
                                                   "values(%1,0,'4-3','月刊',1,3,2,48)").arg(m_unit)});
        // A title the catalogue no longer has gets no line.
        chooseTitle(0, "4-2");
        run(0, [&](TdybkFrm *d) {
            QCOMPARE(deskA->execute("delete from post where bkdh='4-2'"), qint64(1));
            pressTab();
            log.clear();
            TestHooks::clear();
            d->qrBtn->click();
            QCOMPARE(TestHooks::lastMessage().text, QString("当前目录中未发现该报刊名称,请重新載入全目录..."));
            QVERIFY(log.writes().isEmpty());
            QVERIFY(d->isVisible());
        });
    }
};

TAVRIN_TEST_MAIN(TestDybk)
#include "tst_dybk.moc"
