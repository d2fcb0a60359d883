// The main window's report buttons: 目录检查 for 管理员 and 系统员, its list selecting entries in the
// catalogue (across tabs and searches), 打印订单 for the chosen unit, and 订阅汇总 with the window's tabs.

#include "MainTests.h"
#include "TestDatabase.h"

#include "catalogue/UmljcFrm.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "platform/TestHooks.h"
#include "reports/UdyhzFrm.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TPickComboBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

using platform::TestHooks;

class ReportButtonsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbkMainFrm> m_w;

    TbkMainFrm *start(int role)
    {
        m_w.reset(new TbkMainFrm);
        GP.DatabasePath = m_db->path();
        GP.ConnectionText = ConnectionTextFor(m_db->path());
        GP.UserRole = role;
        GP.WorkYear = 2010;
        m_w->show();
        return m_w.get();
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase(/*demo=*/true));
        QVERIFY(m_db->ok());
        // one entry the check flags: a day text the counting cannot read
        QVERIFY(ExecSql("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj,bkzl) values ('6-9','坏日期月刊','月刊','每月出版',120,10,'杂志')"));
    }

    void cleanup()
    {
        m_w.reset();
        m_db.reset();
    }

    void theCheckIsForAdministratorsAndSystemClerks()
    {
        QVERIFY(start(0)->MljcBtn->isHidden());
        QVERIFY(!start(1)->MljcBtn->isHidden());
        QVERIFY(!start(2)->MljcBtn->isHidden());
    }

    void theCheckListSelectsItsEntriesInTheCatalogue()
    {
        TbkMainFrm *w = start(1);
        w->MljcBtn->click();
        auto *check = w->findChild<TmljcFrm *>();
        QVERIFY(check && check->isVisible());
        QCOMPARE(check->catalogueType(), 0);
        QCOMPARE(check->rows().recordCount(), 1);
        QCOMPARE(check->rows().fieldText("bkdh"), QString("6-9"));

        // a search narrowed the catalogue to another title: the whole catalogue comes back
        w->dhmcBox->setCurrentIndex(0);
        w->Edit1->setText("1-1");
        w->cxBtn->click();
        QCOMPARE(w->ADO.recordCount(), 1);
        emit check->entryChosen(0, "6-9");
        QVERIFY(w->ADO.recordCount() > 1);
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("6-9"));

        // an entry of another type: its tab first
        w->SelectCatalogueEntry(2, "902-1");
        QCOMPARE(w->currentTab(), 2);
        QCOMPARE(w->ADO.fieldText("bkdh"), QString("902-1"));
        TestHooks::clear();
        w->SelectCatalogueEntry(2, "902-99");
        QCOMPARE(TestHooks::lastMessage().text, QString("当前目录中未发现该报刊..."));

        // one check window at a time: on another tab the button checks that tab's type instead
        w->MljcBtn->click();
        QTRY_COMPARE(w->findChildren<TmljcFrm *>().size(), 1);
        QCOMPARE(w->findChild<TmljcFrm *>()->catalogueType(), 2);
        QCOMPARE(w->findChild<TmljcFrm *>()->rows().recordCount(), 0);
    }

    void printingNeedsAUnitAndPreviewsItsOrders()
    {
        TbkMainFrm *w = start(0);
        w->dwbox->setCurrentIndex(-1);
        w->PrintBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("   请选择订阅报刊的单位...    "));
        QCOMPARE(TestHooks::forms().size(), 0);

        w->dwbox->setCurrentIndex(0);
        QVERIFY(ExecSql(QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (%1,0,'1-1','日报',1,12,2,792)")
                            .arg(w->SelectedUnit()->id)));
        w->PrintBtn->click();
        QCOMPARE(TestHooks::forms().size(), 1);
        QCOMPARE(TestHooks::forms().constFirst().title, QString("打印预览 - 《%1》订单").arg(w->SelectedUnitName()));
    }

    void theSummaryOpensOnTheCurrentType()
    {
        TbkMainFrm *w = start(0);
        w->FTab->setTabIndex(1);
        QStringList captions;
        int type = -1;
        TestHooks::queueForm([&](QDialog *form) {
            auto *summary = qobject_cast<TdyhzFrm *>(form);
            QVERIFY(summary);
            for (int i = 0; i < summary->mllxBox->count(); ++i)
                captions << summary->mllxBox->itemText(i);
            type = summary->filter().catalogueType;
        });
        w->DyhzBtn->click();
        QCOMPARE(TestHooks::forms().constFirst().title, QString("订阅汇总"));
        QCOMPARE(captions, w->FTab->Tabs());
        QCOMPARE(type, 1);
    }
};

int runReportButtonsTest(int argc, char **argv)
{
    ReportButtonsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ReportButtonsTest.moc"
