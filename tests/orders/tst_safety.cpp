// What keeps a clerk's data from being lost or mispriced in the main window: 系统初始 and 清空全部记录
// leave a copy of the database first (and do nothing when no copy can be written), and a partial
// term is priced over the calendar of the processing year, also on a fresh database.

#include "OrderTestSupport.h"
#include "ReadOnlyPath.h"
#include "TestDatabase.h"

#include "calendar/DateTable.h"
#include "calendar/IssueCount.h"
#include "data/Backup.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "orders/UdybkFrm.h"
#include "platform/TestHooks.h"
#include "platform/TestMain.h"
#include "shell/LoginRules.h"
#include "shell/uloginfrm.h"
#include "widgets/CaptionLabel.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TNumberEdit.h"
#include "widgets/TPickComboBox.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using platform::TestHooks;

namespace {

// The number of rows of `table` in the copy at `path`, opened as the program opens its database.
QString rowsInCopy(const QString &path, const QString &table)
{
    db::Connection copy;
    copy.setConnectionString(ConnectionTextFor(path));
    copy.open();
    db::Query query;
    query.setConnection(&copy);
    query.setSql(QStringLiteral("select count(*) from ") + table);
    query.open();
    return QString::number(query.fieldIntAt(0));
}

QString countOf(const QString &table)
{
    return valueOf(QStringLiteral("select count(*) from ") + table);
}

} // namespace

class TestSafety : public QObject {
    Q_OBJECT
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TbkMainFrm> m_w;
    qint32 m_unit = 0;

    TbkMainFrm *start(int role)
    {
        m_w = startMainWindow(*m_db, role);
        pickItem(m_w->dwbox, "青禾机械厂");
        m_unit = m_w->SelectedUnit()->id;
        TestHooks::clear();
        return m_w.get();
    }

    void addLine(int type, const QString &code)
    {
        QVERIFY2(ExecSql(QString("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values(%1,%2,'%3','月刊',1,12,1,60)")
                             .arg(m_unit)
                             .arg(type)
                             .arg(code)),
                 qPrintable(GP.LastError));
    }

    // Opens the subscription dialog for the title `code` of the postal tab and hands it to `drive`.
    void subscribe(const QString &code, const std::function<void(TdybkFrm *)> &drive)
    {
        m_w->FTab->setTabIndex(0);
        QVERIFY2(m_w->ADO.locate("bkdh", code), qPrintable(code));
        driveSubscription(m_w->dyBtn, drive);
    }

private slots:
    void init()
    {
        TestHooks::clear();
        m_db.reset(new TestDatabase(/*demo=*/true, 2010));
        QVERIFY(m_db->ok());
    }

    void cleanup()
    {
        m_w.reset();
        m_db.reset();
    }

    // 系统初始 asks nothing, but the rows it empties are in a copy it names at the end.
    void resetLeavesACopyWithTheRowsFromBefore()
    {
        QVERIFY(BuildDateTable(2010));
        TbkMainFrm *w = start(RoleSystem);
        addLine(0, "1-2");
        addLine(1, "801-1");
        const QString posts = countOf("post");
        const QString others = countOf("nopost");

        w->loadBtn->click();
        const QList<BackupEntry> copies = ListBackups(m_db->path());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().reason, BackupReason::SystemReset);
        QCOMPARE(QFileInfo(copies.first().path).absolutePath(), QDir(m_db->folder()).filePath("backup"));
        QCOMPARE(TestHooks::messageCount(), 1);
        QCOMPARE(TestHooks::lastMessage().text,
                 QString("系统初始完毕,原有数据已备份到:\n") + QDir::toNativeSeparators(copies.first().path));
        QCOMPARE(TestHooks::lastMessage().caption, QString("信息"));
        for (const char *table : {"post", "nopost", "torder", "dwinfo"})
            QCOMPARE(countOf(table), QString("0"));

        QCOMPARE(rowsInCopy(copies.first().path, "post"), posts);
        QCOMPARE(rowsInCopy(copies.first().path, "nopost"), others);
        QCOMPARE(rowsInCopy(copies.first().path, "torder"), QString("2"));
        QCOMPARE(rowsInCopy(copies.first().path, "dwinfo"), QString("3"));
        QCOMPARE(rowsInCopy(copies.first().path, "rqdzb"), QString("365"));
    }

    void clearLeavesACopyWithTheLines()
    {
        TbkMainFrm *w = start(RoleOperator);
        addLine(0, "1-2");
        addLine(0, "2-1");
        QVERIFY(w->LoadOrders() > 0);
        TestHooks::queueAnswer(platform::Answer::Yes);
        w->clearBtn->click();
        QCOMPARE(TestHooks::lastMessage().text, QString("清除成功！"));
        QCOMPARE(countOf("torder"), QString("0"));
        const QList<BackupEntry> copies = ListBackups(m_db->path());
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().reason, BackupReason::ClearOrders);
        QCOMPARE(rowsInCopy(copies.first().path, "torder"), QString("2"));

        // Answered 否: no copy, nothing deleted.
        addLine(0, "1-2");
        QVERIFY(w->LoadOrders() > 0);
        TestHooks::queueAnswer(platform::Answer::No);
        w->clearBtn->click();
        QCOMPARE(ListBackups(m_db->path()).size(), 1);
        QCOMPARE(countOf("torder"), QString("1"));
    }

    // No copy, no reset and no clearing: the message says why, every row stays, the grids stay.
    void anUnwritableBackupFolderStopsResetAndClear()
    {
        TbkMainFrm *w = start(RoleSystem);
        addLine(0, "1-2");
        QVERIFY(w->LoadOrders() > 0);
        const QString posts = countOf("post");
        ReadOnlyPath readOnly(BackupFolder(m_db->path()));
        if (!readOnly.ok())
            QSKIP("this machine cannot make a folder read-only for this user");

        w->loadBtn->click();
        QCOMPARE(TestHooks::messageCount(), 1);
        QVERIFY2(TestHooks::lastMessage().text.startsWith(QString("数据库备份失败,系统初始未执行->")),
                 qPrintable(TestHooks::lastMessage().text));
        QCOMPARE(TestHooks::lastMessage().caption, QString("错误信息"));
        QCOMPARE(TestHooks::lastMessage().icon, platform::Icon::Error);
        QCOMPARE(countOf("post"), posts);
        QCOMPARE(countOf("torder"), QString("1"));
        QCOMPARE(countOf("dwinfo"), QString("3"));
        QVERIFY(w->ADO.active() && w->ddado.active());
        QCOMPARE(w->dwbox->count(), 3);

        TestHooks::clear();
        TestHooks::queueAnswer(platform::Answer::Yes);
        w->clearBtn->click();
        QVERIFY2(TestHooks::lastMessage().text.startsWith(QString("数据库备份失败,清空全部记录未执行->")),
                 qPrintable(TestHooks::lastMessage().text));
        QCOMPARE(countOf("torder"), QString("1"));
        QVERIFY(ListBackups(m_db->path()).isEmpty());
    }

    // A fresh database has no calendar. The operator's login builds it, so 二季度 of a 月报 published on
    // the 31st costs 3 issues, not 0.00.
    void freshDatabaseOperatorPricesPartialTerms()
    {
        QCOMPARE(countOf("rqdzb"), QString("0"));
        GP.WorkYear = 0;
        Tloginfrm::Today = [] { return QDate(2010, 3, 15); };
        {
            Tloginfrm login;
            login.show();
            login.Cbox->setCurrentIndex(RoleOperator);
            login.BitBtn1->click();
            QCOMPARE(login.result(), int(QDialog::Accepted));
        }
        QCOMPARE(GP.WorkYear, 2010);
        start(RoleOperator);
        subscribe("7-3", [&](TdybkFrm *d) {
            QCOMPARE(d->PCbrq->Caption(), QString("每月31号出版"));
            pickItem(d->termBox, "二季度");
            focusOn(d->termBox);
            pressTab();
            QCOMPARE(d->ke->Value(), 6.0); // 30 April, 31 May, 30 June at 2.00
            d->qrBtn->click();
        });
        QCOMPARE(TestHooks::lastMessage().text, QString("新增记录成功！"));
        QCOMPARE(rowsOf("select qdy,zdy,fs,ke from torder"), QStringList{"4|6|1|6"});
    }

    // A calendar of another year never yields a count: the dialog shows why instead of pricing 二季度
    // at one issue.
    void calendarOfAnotherYearIsNotCountedIn()
    {
        QVERIFY(BuildDateTable(2009));
        start(RoleOperator);
        GP.WorkYear = 2025;
        subscribe("7-3", [&](TdybkFrm *d) {
            pickItem(d->termBox, "二季度");
            focusOn(d->termBox);
            pressTab();
            QCOMPARE(d->lbMsg->text(), CalendarYearFailure(2025));
            QVERIFY(d->ke->Value() != 2.0);
        });
    }
};

TAVRIN_TEST_MAIN(TestSafety)
#include "tst_safety.moc"
