// The data module's helpers: results, LastError texts, transactions, reconnection and unit lists.

#include "TestDatabase.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"

#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>

class TestData : public QObject {
    Q_OBJECT
private slots:
    void openQueryCountsAndReportsEmptyResults()
    {
        TestDatabase tdb(true);
        QVERIFY(tdb.ok());
        db::Query q;
        QCOMPARE(OpenQuery("select * from post where bkdh='none'", q), 0);
        QVERIFY(!q.active());
        QVERIFY(q.sql().isEmpty());
        QCOMPARE(GP.LastError, QString("未搜索到符合条件的记录..."));

        QCOMPARE(OpenQuery("select * from dwinfo order by id", q), 3);
        QCOMPARE(q.recNo(), 1);
        QCOMPARE(q.fieldText("dwmc"), QString("青禾机械厂"));
        // success leaves LastError as it was
        QCOMPARE(GP.LastError, QString("未搜索到符合条件的记录..."));

        QCOMPARE(OpenQuery("select * from nosuchtable", q), -1);
        QVERIFY(GP.LastError.startsWith("载入数据出现异常->"));
        QVERIFY(GP.LastError.contains("nosuchtable"));
    }

    void execSqlAndBatchesKeepAllOrNothing()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        QVERIFY(ExecSql("insert into dwinfo (dwmc) values('" + SqlText("O'Neil & 'Sons'") + "')"));
        QCOMPARE(CountRows("select * from dwinfo where dwmc='" + SqlText("O'Neil & 'Sons'") + "'"), 1);
        // a value cannot change the meaning of the statement it is spliced into
        const QString hostile = "x'); delete from dwinfo; --";
        QVERIFY(ExecSql("insert into dwinfo (dwmc) values('" + SqlText(hostile) + "')"));
        QCOMPARE(CountRows("select * from dwinfo"), 2);
        QCOMPARE(CountRows("select * from dwinfo where dwmc='" + SqlText(hostile) + "'"), 1);

        QVERIFY(!ExecSql("insert into nosuchtable values(1)"));
        QVERIFY(GP.LastError.startsWith("提交时出现异常->"));

        const QStringList batch = {"insert into dwinfo (dwmc) values('一')", "insert into dwinfo (dwmc) values('二')",
                                   "insert into nosuchtable values(3)", "insert into dwinfo (dwmc) values('四')"};
        QVERIFY(!ExecSqlBatch(batch));
        QVERIFY(GP.LastError.startsWith("提交失败->"));
        QVERIFY(GP.LastError.contains("nosuchtable"));
        QCOMPARE(CountRows("select * from dwinfo"), 2);
        QVERIFY(!dm->ADOConnection.inTransaction());

        QVERIFY(ExecSqlBatch({"delete from dwinfo", "insert into dwinfo (dwmc) values('一')"}));
        QCOMPARE(CountRows("select * from dwinfo"), 1);
    }

    void countRowsGivesZeroOrTheBareMessage()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        QCOMPARE(CountRows("select * from post"), 0);
        QCOMPARE(CountRows("select cbrq from rqdzb where week in (1,x)"), -1);
        QVERIFY(!GP.LastError.contains("->"));
        QVERIFY(GP.LastError.contains("x"));
    }

    void helpersReconnectAfterTheConnectionWasClosed()
    {
        TestDatabase tdb(true);
        QVERIFY(tdb.ok());
        dm->ADOConnection.close();
        QCOMPARE(CountRows("select * from dwinfo"), 3);
        QVERIFY(dm->ADOConnection.connected());

        dm->ADOConnection.close();
        GP.ConnectionText = ConnectionTextFor(tdb.folder() + "/moved.mdb");
        db::Query q;
        QCOMPARE(OpenQuery("select * from dwinfo", q), -1);
        QVERIFY(GP.LastError.startsWith("连接数据库失败->"));
        QVERIFY(!ExecSql("delete from dwinfo"));
        QVERIFY(GP.LastError.startsWith("连接数据库失败->"));
        QVERIFY(!ExecSqlBatch({"delete from dwinfo"}));
        QVERIFY(GP.LastError.startsWith("连接数据库失败->"));

        // a wrong password: the connection's failure text plus the engine's message
        GP.ConnectionText = "Jet OLEDB:Database Password=wrong;Data Source=" + tdb.path();
        QCOMPARE(CountRows("select * from dwinfo"), -1);
        QVERIFY2(GP.LastError.startsWith("连接数据库失败->") && GP.LastError.contains("not a database"),
                 qPrintable(GP.LastError));
    }

    void unitListsOwnTheirRecords()
    {
        TestDatabase tdb(true);
        QVERIFY(tdb.ok());
        QComboBox box;
        QSignalSpy changed(&box, &QComboBox::currentIndexChanged);
        LoadUnitList(&box);
        LoadUnitList(&box); // twice: no duplicates
        QCOMPARE(box.count(), 3);
        QCOMPARE(box.currentIndex(), -1);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(box.itemText(0), QString("青禾机械厂"));
        TMyRc *first = UnitRecord(&box, 0);
        QVERIFY(first);
        QCOMPARE(first->lxr, QString("林秀梅"));
        TMyRc *third = UnitRecord(&box, 2);
        QVERIFY(third->lxr.isEmpty() && third->phone.isEmpty()); // NULL contact and phone
        QVERIFY(third->id > first->id);
        QVERIFY(!dm->ADOQuery1.active());

        ClearUnitList(&box);
        QCOMPARE(box.count(), 0);
        QVERIFY(ExecSql("delete from dwinfo"));
        LoadUnitList(&box);
        QCOMPARE(box.count(), 0);
    }

    void settingsFilePointsAtAServer()
    {
        QTemporaryDir dir;
        QVERIFY(ConnectionTextFor(dir.filePath("bkdata.mdb")).contains("Data Source=" + dir.filePath("bkdata.mdb")));

        const QString ini = dir.filePath("tavrin.ini");
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[server]\nhost=db.example.org\nport=5433\ndatabase=bkdata\nuser=desk1\npassword=secret\n");
        file.close();
        QVERIFY(IsServerSettingsPath(ini));
        const ServerSettings settings = ReadServerSettings(ini);
        QCOMPARE(settings.host, QString("db.example.org"));
        QCOMPARE(settings.port, QString("5433"));
        QCOMPARE(settings.sslMode, QString("prefer")); // TLS whenever the server offers it
        const db::ConnectionTextParts parts = db::parseConnectionText(ConnectionTextFor(ini));
        QVERIFY(parts.isServer());
        QCOMPARE(parts.database, QString("bkdata"));
        QCOMPARE(parts.user, QString("desk1"));
        QCOMPARE(parts.sslMode, QString("prefer"));
        QVERIFY(parts.password.isEmpty()); // a password in the settings file is never used
        // a typed password travels whole, separators and all
        QCOMPARE(db::parseConnectionText(ServerConnectionText(settings, "a;b=c%")).password, QString("a%3Bb%3Dc%25"));

    }
};

QTEST_MAIN(TestData)
#include "tst_data.moc"
