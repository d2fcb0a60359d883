// The data module's helpers: results, LastError texts, transactions, reconnection and unit lists; the
// settings file of a server and database paths, which never connect anywhere they do not name.

#include "ConnectionListener.h"
#include "CreateDatabase.h"
#include "TestDatabase.h"
#include "data/Backup.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"

#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

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
        writeFile(ini, "\xEF\xBB\xBF; the office server\r\n[server]\r\nhost = db.example.org\r\nport=5433\r\n"
                       "database=bk,data\r\nuser=desk1\r\nsslrootcert=ca/root.crt\r\n");
        QVERIFY(QDir(dir.path()).mkpath("ca"));
        writeFile(dir.filePath("ca/root.crt"), "-----BEGIN CERTIFICATE-----\n");
        QVERIFY(IsServerSettingsPath(ini));
        const ServerSettings settings = ReadServerSettings(ini);
        QVERIFY2(settings.problem.isEmpty(), qPrintable(settings.problem));
        QCOMPARE(settings.host, QString("db.example.org"));
        QCOMPARE(settings.port, QString("5433"));
        QCOMPARE(settings.sslMode, QString("prefer")); // TLS whenever the server offers it
        QCOMPARE(settings.sslRootCert, dir.filePath("ca/root.crt")); // beside the settings file
        const db::ConnectionTextParts parts = db::parseConnectionText(ConnectionTextFor(ini));
        QVERIFY(parts.isServer());
        QCOMPARE(parts.database, QString("bk,data")); // taken as it stands
        QCOMPARE(parts.user, QString("desk1"));
        QCOMPARE(parts.sslMode, QString("prefer"));
        QCOMPARE(parts.sslRootCert, dir.filePath("ca/root.crt"));
        QVERIFY(parts.password.isEmpty());
        // a typed password travels whole, separators and all
        QCOMPARE(db::parseConnectionText(ServerConnectionText(settings, "a;b=c%")).password, QString("a%3Bb%3Dc%25"));
        writeFile(ini, "[server]\nhost=h\ndatabase=d\nuser=u\n");
        QCOMPARE(ReadServerSettings(ini).port, QString("5432"));
    }

    // A settings file says where the desk connects, all of it: a file that is no text, lacks a key,
    // writes one in other letters or says anything else is refused, naming the file and the key, and
    // no connection is tried, whatever the client library's environment variables say.
    void brokenSettingsFilesConnectNowhere()
    {
        ConnectionListener listener;
        QVERIFY(listener.ok());
        const QByteArray port = QByteArray::number(listener.port());
        // Every variable through which the client library could fill in a gap points at the listener.
        for (const char *name : {"PGHOST", "PGHOSTADDR"})
            qputenv(name, "127.0.0.1");
        qputenv("PGPORT", port);
        qputenv("PGUSER", "thief");
        qputenv("PGDATABASE", "stolen");
        qputenv("PGSSLMODE", "disable");
        QTemporaryDir dir;
        const QByteArray there = "[server]\nhost=127.0.0.1\nport=" + port + "\nsslmode=disable\n";
        QByteArray garbage(600, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) % 251);
        const struct {
            const char *name;
            QByteArray text;
            const char *says;
        } cases[] = {
            {"garbage", garbage, "不是文本文件"},
            {"empty", "", "缺少设置项 host"},
            {"nohost", "[server]\nport=" + port + "\ndatabase=bk\nuser=desk\n", "缺少设置项 host"},
            {"nouser", there + "database=bk\n", "缺少设置项 user"},
            {"letters", "[server]\nHost=127.0.0.1\nport=" + port + "\nDatabase=stolen\nuser=desk\n",
             "第 2 行是未知的设置项 Host"},
            {"password", there + "database=bk\nuser=desk\npassword=secret\n", "第 7 行是未知的设置项 password"},
            {"group", there + "database=bk\nuser=desk\n[client]\n", "第 7 行是未知的段 [client]"},
            {"outside", "host=127.0.0.1\n" + there + "database=bk\nuser=desk\n", "第 1 行的设置项 host 不在 [server] 段中"},
            {"twice", there + "database=bk\nuser=desk\nhost=db\n", "第 7 行的设置项 host 重复"},
            {"words", there + "database=bk\nuser desk\n", "第 6 行不是“设置项=值”的形式: user desk"},
            {"port", "[server]\nhost=127.0.0.1\nport=54x\ndatabase=bk\nuser=desk\n", "中 port 的值 54x 不是端口号"},
            {"mode", "[server]\nhost=127.0.0.1\nsslmode=maybe\ndatabase=bk\nuser=desk\n", "中 sslmode 的值 maybe 无效"},
            {"cafile", there + "database=bk\nuser=desk\nsslrootcert=none.crt\n", "中 sslrootcert 指定的文件"},
            {"hosts", "[server]\nhost=127.0.0.1,127.0.0.2\ndatabase=bk\nuser=desk\n", "中 host 的值 127.0.0.1,127.0.0.2 含逗号"},
        };
        for (const auto &c : cases) {
            const QString path = dir.filePath(QString::fromLatin1(c.name) + ".ini");
            writeFile(path, c.text);
            const QString problem = ReadServerSettings(path).problem;
            QVERIFY2(problem.startsWith("数据库服务器的设置文件 " + QDir::toNativeSeparators(path) + " "),
                     qPrintable(problem));
            QVERIFY2(problem.contains(QString::fromUtf8(c.says)), qPrintable(problem));
            db::Connection connection;
            connection.setConnectionString(ConnectionTextFor(path));
            QVERIFY_THROWS_EXCEPTION(db::DbError, connection.open());
        }
        QCOMPARE(listener.connections(), 0);

        // The listener does hear a file that names it.
        const QString named = dir.filePath("named.ini");
        writeFile(named, there + "database=bk\nuser=desk\n");
        db::Connection connection;
        connection.setConnectionString(ConnectionTextFor(named));
        QVERIFY_THROWS_EXCEPTION(db::DbError, connection.open());
        QCOMPARE(listener.connections(), 1);
        for (const char *name : {"PGHOST", "PGHOSTADDR", "PGPORT", "PGUSER", "PGDATABASE", "PGSSLMODE"})
            QVERIFY2(qEnvironmentVariableIsEmpty(name), name);
    }

    // A database path is a path, whatever characters it holds: never read as connection keys.
    void aDatabasePathIsNeverReadAsKeys()
    {
        ConnectionListener listener;
        QVERIFY(listener.ok());
        QTemporaryDir dir;
        const QString keys = QStringLiteral(";Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=stolen;User ID=thief;"
                                            "SSL Mode=disable")
                                 .arg(listener.port());
        QVERIFY(QDir(dir.path()).mkpath("单位;甲"));
        const QString paths[] = {dir.filePath("x" + keys), dir.filePath("单位;甲/bkdata.mdb"),
                                 dir.filePath("\"quoted\" 'x'" + keys + "\""), dir.filePath(" blank ")};
        for (const QString &path : paths) {
            QString error;
            QVERIFY2(bkdata::createDatabase(path, {}, &error), qPrintable(error));
            const QString text = ConnectionTextFor(path);
            const db::ConnectionTextParts parts = db::parseConnectionText(text);
            QVERIFY(!parts.isServer());
            QCOMPARE(parts.dataSource, path);
            QCOMPARE(parts.password, QString("qelmaz"));
            db::Connection connection;
            connection.setConnectionString(text);
            connection.open();
            connection.execute("insert into dwinfo (dwmc) values ('甲')");
            const BackupResult copy = WriteBackup(connection, BackupReason::ClearOrders);
            QVERIFY2(copy.written(), qPrintable(copy.error));
            QCOMPARE(QFileInfo(copy.path).absolutePath(), BackupFolder(path));
            connection.close();
            QCOMPARE(RowsInFile(path, "dwinfo"), 1);
        }
        QCOMPARE(listener.connections(), 0);
    }
};

QTEST_MAIN(TestData)
#include "tst_data.moc"
