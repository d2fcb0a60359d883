// The database engine layer: the Jet dialect, its functions, the statement shapes the windows use,
// the query object, and the database file that bkdata makes.

#include "CreateDatabase.h"
#include "ServerSchema.h"
#include "TestDatabase.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "db/JetDialect.h"
#include "db/Query.h"

#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using db::DbError;
using db::Query;

class TestDb : public QObject {
    Q_OBJECT

    // The first column of the one row of a SELECT, as text.
    QString scalar(const QString &sql)
    {
        Query q;
        q.setConnection(&dm->ADOConnection);
        q.setSql(sql);
        q.open();
        return q.displayText(q.value(0, 0));
    }

    bool fails(const QString &sql, QString *message = nullptr)
    {
        try {
            scalar(sql);
            return false;
        } catch (const DbError &e) {
            if (message)
                *message = e.message();
            return true;
        }
    }

private slots:
    void rewriterLeavesLiteralsAlone()
    {
        QCOMPARE(db::rewriteJetSql("select 7 mod 3"), QString("select 7 % 3"));
        QCOMPARE(db::rewriteJetSql("select (weeknum MOD 2)=0"), QString("select (weeknum % 2)=0"));
        // words that only contain "mod", and mod inside literals, stay
        QCOMPARE(db::rewriteJetSql("select model, 'a mod b', \"x mod y\" from t"),
                 QString("select model, 'a mod b', 'x mod y' from t"));
        // a double-quoted text holding an apostrophe becomes a valid single-quoted one
        QCOMPARE(db::rewriteJetSql("insert into t values(\"O'Neil\")"), QString("insert into t values('O''Neil')"));
        // a doubled double quote inside stands for one
        QCOMPARE(db::rewriteJetSql("select \"say \"\"hi\"\"\""), QString("select 'say \"hi\"'"));
        // a double quote inside a single-quoted text is not a literal start
        QCOMPARE(db::rewriteJetSql("select 'a\"b' mod 2"), QString("select 'a\"b' % 2"));
        QCOMPARE(db::rewriteJetSql("select 'it''s mod' mod 2"), QString("select 'it''s mod' % 2"));
    }

    void secondStatementsAreFoundOutsideQuotesAndComments()
    {
        QVERIFY(db::holdsSecondStatement("delete from t; delete from u"));
        QVERIFY(!db::holdsSecondStatement("delete from t where a='x;y' ;  "));
        QVERIFY(!db::holdsSecondStatement("select \"a;b\" from t -- ; drop table t\n"));
        QVERIFY(!db::holdsSecondStatement("select 1 /* ; select 2 */"));
        QVERIFY(!db::holdsSecondStatement("create function f() returns int as $$ begin; return 1; end $$"));
        QVERIFY(db::holdsSecondStatement("select 1; $$x$$"));
        QVERIFY(!db::holdsSecondStatement("update t set a=$1 where b=$2"));
    }

    void functionsBehaveAsJet()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        // clng rounds half to even and refuses what is not a number
        QCOMPARE(scalar("select clng(2.5)"), QString("2"));
        QCOMPARE(scalar("select clng(3.5)"), QString("4"));
        QCOMPARE(scalar("select clng(-2.5)"), QString("-2"));
        QCOMPARE(scalar("select clng(' 12 ')"), QString("12"));
        QCOMPARE(scalar("select clng('7.5')"), QString("8"));
        QVERIFY(fails("select clng('1a')"));
        QVERIFY(fails("select clng('')"));
        QVERIFY(fails("select clng(3000000000)"));
        // mid counts characters; a length past the end gives the rest
        QCOMPARE(scalar("select mid('82-151', 4, 10)"), QString("151"));
        QCOMPARE(scalar("select mid('每周2,5出版', 3)"), QString("2,5出版"));
        QCOMPARE(scalar("select mid('abc', 5, 2)"), QString(""));
        QVERIFY(fails("select mid('abc', 0, 1)"));
        QVERIFY(fails("select mid('abc', 1, -1)"));
        // instr: two arguments, and four with a start and compare mode 0 (binary)
        QCOMPARE(scalar("select instr('82-151', '-')"), QString("3"));
        QCOMPARE(scalar("select instr('abc', 'x')"), QString("0"));
        QCOMPARE(scalar("select Instr(1, 'Hello', 'h', 0)"), QString("0"));
        QCOMPARE(scalar("select Instr(1, LCase('Hello'), LCase('H'), 0)"), QString("1"));
        QCOMPARE(scalar("select instr(3, 'abcabc', 'b', 0)"), QString("5"));
        QCOMPARE(scalar("select instr(2, '中文中文', '中', 1)"), QString("3"));
        QCOMPARE(scalar("select len('报刊目录')"), QString("4"));
        QCOMPARE(scalar("select lcase('ABC中')"), QString("abc中"));
        // cdate reads the date forms and gives the canonical text; month and day read it back
        QCOMPARE(scalar("select cdate('2010-2-8')"), QString("2010-02-08"));
        QCOMPARE(scalar("select cdate('2010/12/31')"), QString("2010-12-31"));
        QCOMPARE(scalar("select cdate('2010.1.1')"), QString("2010-01-01"));
        QCOMPARE(scalar("select cdate('2012年2月29日')"), QString("2012-02-29"));
        GP.WorkYear = 2012;
        db::setCdateDefaultYear(2012);
        QCOMPARE(scalar("select cdate('6-30')"), QString("2012-06-30"));
        QCOMPARE(scalar("select cdate('12月20日')"), QString("2012-12-20"));
        QCOMPARE(scalar("select month(cdate('2010-11-30'))*100 + day('2010-11-30')"), QString("1130"));
        QString message;
        QVERIFY(fails("select cdate('2010-2-30')", &message));
        QVERIFY(message.contains("2010-2-30"));
        QVERIFY(fails("select cdate('明天')"));
        QCOMPARE(scalar("select cdate(null) is null"), QString("1"));
    }

    void statementShapesOfTheWindows()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        db::Connection &c = dm->ADOConnection;
        c.execute("insert into dwinfo (dwmc) values ('甲单位')");
        c.execute("insert into post (bkdh,bkmc,qnj,bkzl) values ('1-1','甲报',120,'报纸')");
        c.execute("insert into post (bkdh,bkmc,qnj,bkzl) values ('2-1','乙刊',60,'杂志')");
        c.execute("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) values (1,0,'1-1',1,12,2,240)");
        c.execute("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) values (1,0,'1-1',1,12,1,120)");
        c.execute("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) values (1,0,'9-9',1,6,1,10)");
        QCOMPARE(scalar("select count(*) from (select * from post) as a"), QString("2"));

        Query q;
        q.setConnection(&c);
        q.setSql("select torder.*,a.bkmc,a.qnj from  torder left join (select bkdh,bkmc,qnj from post "
                 "group by bkdh,bkmc,qnj) as a on torder.bkdh=a.bkdh where dwid=1 and torder.mllx=0 order by joindate");
        q.open();
        QCOMPARE(q.recordCount(), 3);
        q.last();
        QCOMPARE(q.fieldText("bkdh"), QString("9-9"));
        QVERIFY(q.isNull("bkmc")); // a line whose title left the catalogue
        QCOMPARE(q.fieldText("ke"), QString("10"));

        q.setSql("select a.*,b.bkmc,b.qnj,b.bkzl from (select bkdh,qdy,zdy,sum(fs) as fs,sum(ke) as ke from torder "
                 "where mllx=0 and dwid=1 group by bkdh,qdy,zdy) as a inner join (select bkdh,bkmc,qnj,bkzl from post "
                 "group by bkdh,bkmc,qnj,bkzl) as b on a.bkdh=b.bkdh");
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.fieldInt("fs"), 3);
        QCOMPARE(q.fieldFloat("ke"), 360.0);
        QCOMPARE(q.fieldText("bkzl"), QString("报纸"));

        q.setSql("select bkmllx.*,a.rec from bkmllx left join (select count(*)as rec,mllx from torder where dwid=1 "
                 "group by mllx) as a on bkmllx.id=a.mllx order by bkmllx.id");
        q.open();
        QCOMPARE(q.recordCount(), 4);
        QCOMPARE(q.fieldInt("rec"), 3);
        q.next();
        QVERIFY(q.isNull("rec"));

        // the catalogue's sort key: 1-9 before 1-10 before 2-1
        c.execute("insert into post (bkdh,bkmc) values ('1-10','丙')");
        c.execute("insert into post (bkdh,bkmc) values ('1-9','丁')");
        q.setSql("select * from post order by  clng(mid(bkdh,1,instr(bkdh,'-')-1))*10000+clng(mid(bkdh,instr(bkdh,'-')+1,"
                 "len(bkdh)-instr(bkdh,'-')+1)) ");
        q.open();
        QStringList codes;
        for (q.first(); !q.eof(); q.next())
            codes << q.fieldText("bkdh");
        QCOMPARE(codes, QStringList({"1-1", "1-9", "1-10", "2-1"}));

        // keywords in any case, Jet's double-quoted literal, and a second statement refused
        c.execute("DELETE FROM torder WHERE bkdh=\"9-9\"");
        QCOMPARE(scalar("select count(*) from torder"), QString("2"));
        QVERIFY_THROWS_EXCEPTION(DbError, c.execute("delete from torder; delete from post"));
        QCOMPARE(scalar("select count(*) from torder"), QString("2"));
        QCOMPARE(scalar("select count(*) from post"), QString("4"));
        // ids and joindate are filled on insert, in order
        q.setSql("select id, joindate from torder order by id");
        q.open();
        const QString firstJoin = q.fieldText("joindate");
        q.next();
        QVERIFY(q.fieldInt("id") > 1);
        QVERIFY(q.fieldText("joindate") >= firstJoin);
        // to the millisecond in the file, to the microsecond on a server (lines of several desks)
        QVERIFY2(QDateTime::fromString(firstJoin.left(23), "yyyy-MM-dd HH:mm:ss.zzz").isValid(), qPrintable(firstJoin));
    }

    void queryObjectMovesLocatesAndNotifies()
    {
        TestDatabase tdb(true);
        QVERIFY(tdb.ok());
        Query q;
        q.setConnection(&dm->ADOConnection);
        int scrolls = 0;
        q.afterScroll = [&] { ++scrolls; };
        QSignalSpy reset(&q, &Query::dataSetChanged);
        q.setSql("select * from dwinfo order by id");
        q.open();
        QCOMPARE(scrolls, 1); // after an open that found rows
        QCOMPARE(reset.count(), 1);
        QCOMPARE(q.recordCount(), 3);
        QCOMPARE(q.recNo(), 1);
        q.prior();
        QVERIFY(q.bof());
        QCOMPARE(q.recNo(), 1);
        q.last();
        QCOMPARE(q.recNo(), 3);
        QVERIFY(q.fieldText("lxr").isEmpty()); // NULL reads as empty text
        q.next();
        QVERIFY(q.eof());
        QCOMPARE(q.recNo(), 3);
        QVERIFY_THROWS_EXCEPTION(DbError, q.fieldText("nosuchfield"));

        QVERIFY(q.locate("dwmc", "云栖第三中学"));
        QCOMPARE(q.recNo(), 2);
        QVERIFY(q.locate("dwmc", "北岸", true));
        QCOMPARE(q.recNo(), 3);
        QVERIFY(!q.locate("dwmc", "北岸")); // whole value only
        QCOMPARE(q.recNo(), 3);
        QVERIFY(ExecSql("update dwinfo set lxr='Lin' where dwmc='青禾机械厂'"));
        q.open();
        QVERIFY(!q.locate("lxr", "lin"));                // letter case counts
        QVERIFY(!q.locate("lxr", "LI", true));
        QVERIFY(q.locate("lxr", "LI", true, true));      // unless asked not to
        QCOMPARE(q.recNo(), 1);
        q.last();

        const Query::Bookmark mark = q.bookmark();
        q.disableControls();
        QSignalSpy moved(&q, &Query::currentRowChanged);
        for (q.first(); !q.eof(); q.next()) {
        }
        QCOMPARE(moved.count(), 0); // bound controls stay quiet while disabled
        q.gotoBookmark(mark);
        q.enableControls();
        QCOMPARE(moved.count(), 1);
        QCOMPARE(q.recNo(), 3);

        q.close();
        QVERIFY(!q.active());
        QCOMPARE(q.recordCount(), 0);
        QVERIFY_THROWS_EXCEPTION(DbError, q.fieldText("dwmc"));
    }

    void editedRowIsWrittenInsideTheOpenTransaction()
    {
        TestDatabase tdb(true);
        QVERIFY(tdb.ok());
        db::Connection &c = dm->ADOConnection;
        Query q;
        q.setConnection(&c);
        q.setSql("select * from nopost where mllx=1 order by bkdh");
        q.open();
        QVERIFY(!q.updateTable().isEmpty());
        const QString code = q.fieldText("bkdh");
        const double before = q.fieldFloat("qnj");

        c.beginTrans();
        q.edit();
        q.setFieldValue("qnj", 99.5);
        q.setFieldValue("bz", "O'Neil \"引\"");
        q.post();
        QCOMPARE(scalar("select qnj from nopost where bkdh='" + code + "'"), QString("99.5"));
        c.rollbackTrans();
        QCOMPARE(scalar("select qnj from nopost where bkdh='" + code + "'"), QString::number(before, 'g', 15));

        c.beginTrans();
        q.setFieldValue("bz", "O'Neil \"引\"");
        q.post();
        c.commitTrans();
        QCOMPARE(scalar("select bz from nopost where bkdh='" + code + "'"), QString("O'Neil \"引\""));

        const double shown = q.fieldFloat("qnj");
        q.setFieldValue("qnj", 1.0);
        QVERIFY(q.modified());
        q.cancel();
        QCOMPARE(q.fieldFloat("qnj"), shown);

        // a joined result cannot be edited
        q.setSql("select torder.*, a.bkmc from torder left join post as a on torder.bkdh=a.bkdh");
        q.open();
        QVERIFY(q.updateTable().isEmpty());
    }

    void databaseFileIsEncryptedAndNeverCreated()
    {
        if (TestDatabase::onServer())
            QSKIP("the encrypted file only");
        TestDatabase tdb(true);
        QVERIFY(tdb.ok());
        // the program never creates a missing file
        db::Connection missing;
        missing.setConnectionString(ConnectionTextFor(tdb.folder() + "/none.mdb"));
        QVERIFY_THROWS_EXCEPTION(DbError, missing.open());
        QVERIFY(!QFile::exists(tdb.folder() + "/none.mdb"));
        // a wrong password shows at open, with the engine's message
        db::Connection wrong;
        wrong.setConnectionString("Jet OLEDB:Database Password=nope;Data Source=" + tdb.path());
        try {
            wrong.open();
            QFAIL("opened with a wrong password");
        } catch (const DbError &e) {
            QVERIFY2(e.message().contains("not a database"), qPrintable(e.message()));
        }
        QVERIFY(!wrong.connected());
        QVERIFY(!bkdata::createDatabase(tdb.path(), {}, nullptr)); // never overwritten

        const QString sqlite = QStandardPaths::findExecutable("sqlite3");
        const QString sqlcipher = QStandardPaths::findExecutable("sqlcipher");
        if (sqlite.isEmpty() || sqlcipher.isEmpty())
            QSKIP("sqlite3 or sqlcipher command missing");
        delete dm; // release the file before other processes read it
        dm = nullptr;
        QProcess plain;
        plain.start(sqlite, {tdb.path(), "select count(*) from post;"});
        QVERIFY(plain.waitForFinished());
        QVERIFY(plain.exitCode() != 0);
        QVERIFY(plain.readAllStandardError().contains("not a database"));

        QProcess keyed;
        keyed.start(sqlcipher, {tdb.path()});
        keyed.write("PRAGMA key='qelmaz';\n.schema\nselect id||':'||mc from bkmllx order by id;\n");
        keyed.closeWriteChannel();
        QVERIFY(keyed.waitForFinished());
        const QString out = QString::fromUtf8(keyed.readAllStandardOutput());
        for (const char *table : {"bkmllx", "post", "nopost", "dwinfo", "torder", "rqdzb"})
            QVERIFY2(out.contains(QString("CREATE TABLE %1 (").arg(table)), table);
        QVERIFY(out.contains("0:邮发报刊目录\n1:非邮发报刊目录\n2:人大资料报刊目录\n3:图书目录"));
        QVERIFY(out.contains("joindate text default"));
    }

    // A row that another connection deleted is not written back silently.
    void aRowDeletedElsewhereIsReportedAtPost()
    {
        TestDatabase tdb(true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        Query q;
        q.setConnection(&dm->ADOConnection);
        q.setSql("select * from post order by bkdh");
        q.open();
        const QString code = q.fieldText("bkdh");
        db::Connection other;
        other.setConnectionString(GP.ConnectionText);
        other.open();
        other.execute("delete from post where bkdh='" + code + "'");
        q.setFieldValue("bz", "changed");
        try {
            q.post();
            QFAIL("a vanished row was posted");
        } catch (const DbError &e) {
            QCOMPARE(e.message(), QString("the row to be saved is no longer in the table"));
        }
        QCOMPARE(scalar("select count(*) from post where bz='changed'"), QString("0"));
    }

    // On a server the row is found again by the table's key, also after the key itself was edited.
    void editedKeysFindTheirRowAgain()
    {
        TestDatabase tdb(true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        Query q;
        q.setConnection(&dm->ADOConnection);
        q.setSql("select * from nopost where mllx=1 order by bkdh");
        q.open();
        const int rows = q.recordCount();
        q.setFieldValue("bkdh", "809-9");
        q.post();
        q.setFieldValue("bz", "新代号");
        q.post();
        QCOMPARE(scalar("select bz from nopost where bkdh='809-9'"), QString("新代号"));
        QCOMPARE(scalar("select count(*) from nopost where mllx=1"), QString::number(rows));
    }

    void serverConnectionLossAndItsMessages()
    {
        if (!TestDatabase::onServer())
            QSKIP("a server engine test");
        TestDatabase tdb(true);
        QVERIFY(tdb.ok());
        // the server ends this desk's session: nothing was written then, so the action runs again on
        // a connection made anew
        QCOMPARE(CountRows("select * from dwinfo"), 3);
        db::Connection other;
        other.setConnectionString(GP.ConnectionText);
        other.open();
        other.execute("select pg_terminate_backend(pid) from pg_stat_activity where pid <> pg_backend_pid() "
                      "and datname = current_database()");
        const int opens = dm->ADOConnection.opens();
        QVERIFY2(ExecSql("delete from torder where id=0"), qPrintable(GP.LastError));
        QCOMPARE(dm->ADOConnection.opens(), opens + 1);
        QVERIFY(dm->ADOConnection.connected());
        QCOMPARE(CountRows("select * from dwinfo"), 3);

        // a database the server does not have: the connection's failure text and the server's words
        dm->ADOConnection.close();
        GP.ConnectionText.replace("Database=" + TestDatabase::serverDatabaseName(), "Database=no_such_db");
        QCOMPARE(CountRows("select * from dwinfo"), -1);
        QVERIFY2(GP.LastError.startsWith("连接数据库失败->") && GP.LastError.contains("no_such_db"),
                 qPrintable(GP.LastError));
        // a transaction that met an error is not reported as committed
        GP.ConnectionText = ConnectionTextFor(tdb.path());
        dm->ADOConnection.setConnectionString(GP.ConnectionText);
        dm->ADOConnection.open();
        dm->ADOConnection.beginTrans();
        QVERIFY_THROWS_EXCEPTION(DbError, dm->ADOConnection.execute("insert into nosuchtable values (1)"));
        QVERIFY_THROWS_EXCEPTION(DbError, dm->ADOConnection.commitTrans());
        QVERIFY(!dm->ADOConnection.inTransaction());
    }

    void bkdataMovesADeskFileToTheServer()
    {
        if (!TestDatabase::onServer())
            QSKIP("a server engine test");
        QTemporaryDir dir;
        const QString file = dir.filePath("desk.mdb");
        bkdata::CreateOptions demo;
        demo.demo = true;
        QVERIFY(bkdata::createDatabase(file, demo, nullptr));
        auto rowsOn = [](db::Connection &c, const QString &table) {
            QStringList rows;
            Query q;
            q.setConnection(&c);
            q.setSql("select * from " + table);
            q.open();
            for (q.first(); !q.eof(); q.next()) {
                QStringList fields;
                for (const QString &f : q.fieldNames())
                    fields << f + "=" + (q.isNull(f) ? "<null>" : q.fieldText(f));
                rows << fields.join('|');
            }
            rows.sort();
            return rows;
        };
        db::Connection desk;
        desk.setConnectionString(ConnectionTextFor(file));
        desk.open();
        desk.execute("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (2,0,'1-1','日报',1,12,3,1188)");
        desk.execute("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (1,0,'1-2','日报',1,6,1,180)");
        desk.execute("delete from dwinfo where id=1"); // ids with a gap and lines of a deleted unit move as they are
        desk.execute("insert into rqdzb (cbrq,week,weeknum) values ('2010-01-01',5,53)");

        TestDatabase server; // an empty server database: tables and catalogue types only
        QVERIFY(server.ok());
        QString report, error;
        QVERIFY2(bkdata::moveFileToServer(file, dm->ADOConnection, &report, &error), qPrintable(error));
        QVERIFY2(report.contains("post: 26 rows in the file, 26 on the server"), qPrintable(report));
        for (const char *table : {"bkmllx", "post", "nopost", "dwinfo", "torder", "rqdzb"})
            QCOMPARE(rowsOn(dm->ADOConnection, table), rowsOn(desk, table));
        // new ids continue above the moved ones
        QVERIFY(ExecSql("insert into dwinfo (dwmc) values ('新单位')"));
        QCOMPARE(scalar("select max(id) from dwinfo"), QString("4"));
        // a database that holds data is refused, and nothing is written
        QVERIFY(!bkdata::moveFileToServer(file, dm->ADOConnection, &report, &error));
        QVERIFY2(error.contains("holds rows already"), qPrintable(error));
        QCOMPARE(scalar("select count(*) from post"), QString("26"));
    }
};

QTEST_GUILESS_MAIN(TestDb)
#include "tst_db.moc"
