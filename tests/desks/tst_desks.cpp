// Several desks on one database. Runs on the engine that TAVRIN_TEST_ENGINE names; the server stop
// in the middle of an import runs on a private cluster of its own (the shared one serves other tests).

#include "DeskWrites.h"
#include "TestDatabase.h"

#include "ServerSchema.h"
#include "data/ServerSettings.h"
#include "data/Backup.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "db/Engine.h"
#include "orders/GuardedWrite.h"
#include "main/CatalogueQueries.h"
#include "orders/OrderLineStatements.h"

#include <QDir>
#include <QProcess>
#include <QThread>
#include <QScopeGuard>
#include <QSettings>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

QString probe()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_probe"));
}

bool skipProcesses()
{
    return !qEnvironmentVariableIsEmpty("TAVRIN_SKIP_DESK_PROCESSES");
}

qint64 number(const QString &sql)
{
    db::Query q;
    if (OpenQuery(sql, q) < 1) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(GP.LastError));
        return -1;
    }
    return q.fieldIntAt(0);
}

// Runs a cluster script command (create prints the folder).
QString clusterScript(const QStringList &args, bool *ok)
{
    QProcess p;
    p.start(qEnvironmentVariable("TAVRIN_PG_CLUSTER_SCRIPT"), args);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok)
        qWarning("pg-cluster %s: %s", qPrintable(args.join(' ')), p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A cluster of the test's own (its server is stopped and crashed; the shared one serves other tests),
// with the program's tables in database postgres and a settings file naming it for `user`.
class PrivateCluster {
public:
    PrivateCluster()
    {
        bool ok = false;
        m_folder = clusterScript({"create", "--fast"}, &ok);
        if (!ok) {
            m_folder.clear();
            return;
        }
        try {
            db::Connection server;
            server.setConnectionString(ConnectionTextFor(settingsFor("postgres")));
            server.open();
            QString error;
            m_ok = bkdata::createServerSchema(server, {}, &error);
            if (!m_ok)
                qWarning("%s", qPrintable(error));
        } catch (const db::DbError &e) {
            qWarning("%s", qPrintable(e.message()));
        }
    }
    ~PrivateCluster()
    {
        bool ok = false;
        if (!m_folder.isEmpty())
            clusterScript({"destroy", m_folder}, &ok);
    }
    bool ok() const { return m_ok; }
    // halt, crash or resume
    bool server(const QString &command)
    {
        bool ok = false;
        clusterScript({command, m_folder}, &ok);
        return ok;
    }
    QString settingsFor(const QString &user)
    {
        const QString path = QDir(m_dir.path()).filePath(user + QStringLiteral(".ini"));
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue("server/host", m_folder);
        settings.setValue("server/database", "postgres");
        settings.setValue("server/user", user);
        settings.setValue("server/sslmode", "disable");
        return path;
    }

private:
    QTemporaryDir m_dir;
    QString m_folder;
    bool m_ok = false;
};

// The data module of a desk on the database that `path` names.
void deskOn(const QString &path)
{
    delete dm;
    dm = new Tdm;
    GP.DatabasePath = path;
    GP.ConnectionText = ConnectionTextFor(path);
}

// Ends every other session on the test process's database, as a restart of the server does to a desk.
int endOtherSessions(const QString &where = QStringLiteral("true"))
{
    db::Connection admin;
    admin.setConnectionString(TestDatabase::serverAdminConnectionText(TestDatabase::serverDatabaseName()));
    admin.open();
    const db::ResultSet ended = admin.engine().select(
        QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname = current_database() "
                       "and pid <> pg_backend_pid() and ")
            + where,
        QString());
    return int(ended.rows.size());
}

// A desk_probe clerk at the order grid, driven one command at a time.
class GridDesk {
public:
    explicit GridDesk(const QString &path)
    {
        m_process.start(probe(), {"desk", path});
    }
    ~GridDesk()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(60000);
    }
    bool started() { return m_process.waitForStarted(); }
    void send(const QString &command) { m_process.write((command + '\n').toUtf8()); }
    // The desk's answer to the command sent before (empty when it ended without one).
    QString reply()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(60000))
                return QString();
        }
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }

private:
    QProcess m_process;
};

// One read of a title's catalogue row as the main window's code search makes it.
struct TitleRead {
    int rows = 0;
    QString values; // "name kind yearly half quarter month issue"
};

TitleRead readTitle(const QString &code)
{
    TitleRead read;
    db::Query q;
    read.rows = OpenQuery(CatalogueStatement(0, CodeCondition(code)), q);
    if (read.rows == 1) {
        QStringList values;
        for (const char *field : {"bkmc", "bkzl", "qnj", "bnj", "jj", "yj", "dj"})
            values << q.fieldText(QString::fromLatin1(field));
        read.values = values.join(' ');
    }
    return read;
}

} // namespace

class TestDesks : public QObject {
    Q_OBJECT

private slots:
    void fourDesksEnterLinesAtOnce()
    {
        if (skipProcesses())
            QSKIP("desk processes are skipped in this run");
        TestDatabase tdb(/*demo=*/true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        // Five units (three from the demo): every desk writes for all of them.
        QVERIFY(ExecSql("insert into dwinfo (dwmc) values ('第四单位')"));
        QVERIFY(ExecSql("insert into dwinfo (dwmc) values ('第五单位')"));
        QStringList units;
        for (qint64 id = 1; id <= 5; ++id)
            units << QString::number(id);
        const int desks = 4, lines = 250;
        std::vector<std::unique_ptr<QProcess>> running;
        for (int desk = 0; desk < desks; ++desk) {
            auto p = std::make_unique<QProcess>();
            p->start(probe(), QStringList{"orders", tdb.path(), QString::number(desk), QString::number(lines)} + units);
            QVERIFY(p->waitForStarted());
            running.push_back(std::move(p));
        }
        QMap<int, qint64> expected;
        for (auto &p : running) {
            QVERIFY(p->waitForFinished(300000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
            for (const QByteArray &line : p->readAllStandardOutput().split('\n')) {
                const QList<QByteArray> parts = line.split(' ');
                if (parts.size() == 2)
                    expected[parts.at(0).toInt()] += parts.at(1).toLongLong();
            }
        }
        QCOMPARE(number("select count(*) from torder"), qint64(desks * lines));
        QCOMPARE(number("select count(*) from (select distinct id from torder) as a"), qint64(desks * lines));
        QCOMPARE(number("select min(id) from torder"), qint64(1));
        QCOMPARE(number("select max(id) from torder"), qint64(desks * lines));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QCOMPARE(number(QString("select sum(fs) from torder where dwid=%1").arg(it.key())), it.value());
    }

    // Two clerks subscribe one unit to one title at the same moment. Each is asked about a line that
    // exists for what its own grid shows; both lines are stored, none lost. Once both are there, each
    // desk's grid shows both and both desks ask.
    void twoDesksSubscribeTheSameTitleAtOnce()
    {
        if (skipProcesses())
            QSKIP("desk processes are skipped in this run");
        TestDatabase tdb(/*demo=*/true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        GridDesk first(tdb.path()), second(tdb.path());
        QVERIFY(first.started());
        QVERIFY(second.started());
        const QStringList codes{"1-1", "1-2", "1-9", "3-1", "2-1", "4-2"};
        int rounds = 0;
        for (int unit = 1; unit <= 3; ++unit) {
            for (const QString &code : codes) {
                const QString pair = QString(" %1 %2").arg(unit).arg(code);
                // both look before either writes
                first.send("look" + pair);
                second.send("look" + pair);
                QCOMPARE(first.reply(), QString("saw 0 no-ask"));
                QCOMPARE(second.reply(), QString("saw 0 no-ask"));
                first.send("add" + pair);
                second.send("add" + pair);
                QCOMPARE(first.reply(), QString("written"));
                QCOMPARE(second.reply(), QString("written"));
                QCOMPARE(number(QString("select count(*) from torder where dwid=%1 and bkdh='%2'").arg(unit).arg(code)),
                         qint64(2));
                ++rounds;
            }
        }
        QCOMPARE(number("select count(*) from torder"), qint64(2 * rounds));
        QCOMPARE(number("select count(*) from (select distinct id from torder) as a"), qint64(2 * rounds));

        // Now each grid shows both lines and both desks ask; one clerk says no, the other goes on.
        first.send("look 2 3-1");
        second.send("look 2 3-1");
        QCOMPARE(first.reply(), QString("saw 2 ask"));
        QCOMPARE(second.reply(), QString("saw 2 ask"));
        second.send("add 2 3-1");
        QCOMPARE(second.reply(), QString("written"));
        // The first desk's grid is from before: it asks about the two lines it shows, and the next look
        // shows the third.
        first.send("look 2 3-1");
        QCOMPARE(first.reply(), QString("saw 3 ask"));
        QCOMPARE(number("select count(*) from torder where dwid=2 and bkdh='3-1'"), qint64(3));
        QCOMPARE(number("select count(*) from torder"), qint64(2 * rounds + 1));
    }

    // A catalogue import on one desk changes a title's name and prices, entry by entry, while another
    // desk keeps reading the title's row: every read finds the one row with all old or all new values.
    void titleReadWhileAnotherDeskImports()
    {
        if (skipProcesses())
            QSKIP("desk processes are skipped in this run");
        TestDatabase tdb(/*demo=*/true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        const QString code = QStringLiteral("9-1");
        const QString oldValues = QStringLiteral("旧价报刊 杂志 96 48 24 8 8");
        const QString newValues = QStringLiteral("新价报刊 报纸 120 60 30 10 10");
        {
            QProcess once;
            once.start(probe(), {"reprice", tdb.path(), code, "1"});
            QVERIFY(once.waitForFinished(60000));
            QVERIFY2(once.exitCode() == 0, once.readAllStandardError().constData());
        }
        QCOMPARE(readTitle(code).values, oldValues);

        const int rounds = 300;
        QProcess import;
        import.start(probe(), {"reprice", tdb.path(), code, QString::number(rounds)});
        QVERIFY(import.waitForStarted());
        int reads = 0;
        while (import.state() != QProcess::NotRunning) {
            const TitleRead read = readTitle(code);
            QVERIFY2(read.rows == 1, qPrintable(QString("read %1: %2 rows (%3)").arg(reads).arg(read.rows).arg(GP.LastError)));
            QVERIFY2(read.values == oldValues || read.values == newValues,
                     qPrintable(QString("read %1 mixes old and new: %2").arg(reads).arg(read.values)));
            ++reads;
            import.waitForFinished(0);
        }
        QVERIFY2(import.exitCode() == 0, import.readAllStandardError().constData());
        QVERIFY(reads > 0);
        // the last round (an odd one) leaves the new values
        QCOMPARE(readTitle(code).values, newValues);
        QCOMPARE(number("select count(*) from post where bkdh='9-1'"), qint64(1));
    }

    void unitDeletedOnAnotherDesk()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        if (!TestDatabase::onServer())
            QSKIP("the file has one desk");
        db::Connection other;
        other.setConnectionString(GP.ConnectionText);
        other.open();
        other.execute("delete from dwinfo where id=2");
        NewOrderLine line;
        line.unitId = 2;
        line.code = "1-1";
        line.period = "日报";
        // a statement that skips the desk's own check is refused by the server itself
        QVERIFY(!ExecSql(OrderInsertSql(line)));
        QCOMPARE(GP.LastError, QString("提交时出现异常->该单位已不存在,请刷新单位信息..."));
        QCOMPARE(number("select count(*) from torder"), qint64(0));
        // the other units go on as before
        line.unitId = 1;
        QVERIFY2(ExecSql(OrderInsertSql(line)), qPrintable(GP.LastError));
        // an order line of a unit that goes is not changed either
        other.execute("delete from dwinfo where id=1");
        QVERIFY(!ExecSql("update torder set fs=5 where dwid=1"));
        QCOMPARE(number("select sum(fs) from torder"), qint64(1));
    }

    // Two desks add units of the same new names at the same moment: each name is written once, the
    // other desk is refused, and units of different names do not stop each other.
    void twoDesksAddTheSameUnitNameAtOnce()
    {
        if (skipProcesses())
            QSKIP("desk processes are skipped in this run");
        TestDatabase tdb(/*demo=*/true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        GridDesk first(tdb.path()), second(tdb.path());
        QVERIFY(first.started());
        QVERIFY(second.started());
        const int names = 25;
        for (int i = 0; i < names; ++i) {
            first.send(QString("unit 同名单位%1 -").arg(i));
            second.send(QString("unit 同名单位%1 -").arg(i));
            QStringList replies{first.reply(), second.reply()};
            replies.sort();
            QCOMPARE(replies, QStringList({"refused", "written"}));
            first.send(QString("unit 甲单位%1 -").arg(i));
            second.send(QString("unit 乙单位%1 -").arg(i));
            QCOMPARE(first.reply(), QString("written"));
            QCOMPARE(second.reply(), QString("written"));
        }
        QCOMPARE(number("select count(*) from dwinfo"), qint64(3 + 3 * names));
        QCOMPARE(number("select count(*) from (select distinct dwmc from dwinfo) as a"), qint64(3 + 3 * names));
    }

    // A desk inside an open transaction holds back no other unit's line; a line that has to wait for a
    // row another desk holds gives up after a few seconds with a message, and writes nothing.
    void waitsAreBoundedAndOtherUnitsGoOn()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        if (!TestDatabase::onServer())
            QSKIP("the file has one writer at a time");
        db::Connection other;
        other.setConnectionString(GP.ConnectionText);
        other.open();
        other.beginTrans();
        other.execute(OrderInsertSql(deskOrderLine(1, "1-1")));
        QCOMPARE(subscribe(2, "1-2"), GuardedWriteResult::Written);
        QCOMPARE(subscribe(1, "1-9"), GuardedWriteResult::Written);
        other.engine().select("select id from dwinfo where id=3 for update", QString());
        QCOMPARE(subscribe(3, "3-1"), GuardedWriteResult::Failed);
        QVERIFY2(GP.LastError.startsWith("提交时出现异常->等待数据库服务器超时"), qPrintable(GP.LastError));
        QVERIFY2(GP.LastError.endsWith("）"), qPrintable(GP.LastError));
        other.commitTrans();
        QCOMPARE(number("select count(*) from torder where dwid=3"), qint64(0));
        QCOMPARE(number("select count(*) from torder"), qint64(3));
    }

    // The server ends the desk's session (a restart, an administrator): the next read and the next
    // write make the connection anew and say so in the status line; a commit cut off midway is
    // looked up on the new connection and written exactly once.
    void lostLinkIsMadeAnew()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        if (!TestDatabase::onServer())
            QSKIP("a server engine test");
        QStringList notices;
        SetConnectionNotice([&](const QString &text) { notices << text; });
        auto forget = qScopeGuard([] { SetConnectionNotice(nullptr); });
        QCOMPARE(number("select count(*) from dwinfo"), qint64(3));
        QCOMPARE(endOtherSessions(), 1);
        db::Query grid;
        QCOMPARE(OpenQuery(OrdersStatement(0, 1), grid), 0); // no lines: a load that succeeded
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.last().contains("已自动重新连接"), qPrintable(notices.last()));
        QCOMPARE(endOtherSessions(), 1);
        QCOMPARE(subscribe(1, "1-1"), GuardedWriteResult::Written);
        QCOMPARE(notices.size(), 2);
        QCOMPARE(number("select count(*) from torder"), qint64(1));

        // A commit that takes a while (a deferred check) is cut off while it runs.
        {
            db::Connection admin;
            admin.setConnectionString(TestDatabase::serverAdminConnectionText(TestDatabase::serverDatabaseName()));
            admin.open();
            admin.engine().execute("create function slow_commit() returns trigger language plpgsql as "
                                   "$$ begin perform pg_sleep(1); return null; end $$");
            admin.engine().execute("create constraint trigger slow_commit after insert on torder deferrable "
                                   "initially deferred for each row execute function slow_commit()");
        }
        std::atomic<int> cut{0};
        std::thread cutter([&] {
            for (int i = 0; i < 100 && cut == 0; ++i) {
                QThread::msleep(50);
                cut = endOtherSessions("query = 'commit' and state = 'active'");
            }
        });
        const GuardedWriteResult written = subscribe(2, "1-2");
        cutter.join();
        QCOMPARE(cut.load(), 1);
        QCOMPARE(written, GuardedWriteResult::Written);
        QCOMPARE(number("select count(*) from torder where dwid=2"), qint64(1));
        QCOMPARE(number("select count(*) from torder"), qint64(2));
    }

    // What a clerk's own role says (read-only sessions, no waits bounded) does not reach the desk; the
    // role may not change the group or the catalogue types, and says so in the clerk's words. After the
    // server stopped and started again, the next action (a safety copy first) connects by itself. An
    // import is on disk when bulk writing ends: a crash right after it loses nothing.
    void clerkRolesAndServerFaults()
    {
        if (!TestDatabase::onServer())
            QSKIP("a server engine test");
        if (qEnvironmentVariableIsEmpty("TAVRIN_PG_CLUSTER_SCRIPT"))
            QSKIP("TAVRIN_PG_CLUSTER_SCRIPT (scripts/test sets it) names the cluster script");
        PrivateCluster cluster;
        QVERIFY(cluster.ok());
        {
            db::Connection owner;
            owner.setConnectionString(ConnectionTextFor(cluster.settingsFor("postgres")));
            owner.open();
            for (const QString &statement : bkdata::roleStatements({"clerk1", "clerk2"}, "postgres"))
                owner.engine().execute(statement);
            for (const char *setting : {"default_transaction_read_only = on", "lock_timeout = 0",
                                        "statement_timeout = 0", "synchronous_commit = off"})
                owner.engine().execute(QString("alter role clerk1 set ") + setting);
        }
        deskOn(cluster.settingsFor("clerk1"));
        GP.WorkYear = 2010;
        QVERIFY2(ExecSql("insert into dwinfo (dwmc) values ('第一单位')"), qPrintable(GP.LastError));
        QCOMPARE(subscribe(1, "1-1"), GuardedWriteResult::Written);
        QVERIFY(!ExecSql("revoke tavrin_desks from clerk2"));
        QVERIFY2(GP.LastError.startsWith("提交时出现异常->数据库服务器拒绝了本操作(没有权限),请与系统员联系（"),
                 qPrintable(GP.LastError));
        QVERIFY(!ExecSql("delete from bkmllx"));
        QCOMPARE(GP.LastError, QString("提交时出现异常->数据库服务器拒绝了本操作(没有权限),请与系统员联系"
                                       "（permission denied for table bkmllx）"));

        QVERIFY(cluster.server("halt"));
        db::Query grid;
        QCOMPARE(OpenQuery(OrdersStatement(0, 1), grid), -1);
        QVERIFY2(GP.LastError.contains("无法连接数据库服务器"), qPrintable(GP.LastError));
        QVERIFY(cluster.server("resume"));
        const BackupResult backup = WriteBackup(BackupReason::CatalogueImport);
        QVERIFY2(!backup.failed(), qPrintable(backup.error));
        QCOMPARE(OpenQuery(OrdersStatement(0, 1), grid), 1);

        const int titles = 2000;
        dm->ADOConnection.setBulkWriting(true);
        for (int i = 0; i < titles; ++i)
            QVERIFY2(ExecSqlBatch({QString("insert into post (bkdh, bkmc) values ('%1-%2', '报刊%3')")
                                       .arg(1 + i / 100).arg(i % 100 + 1).arg(i)}),
                     qPrintable(GP.LastError));
        dm->ADOConnection.setBulkWriting(false);
        QVERIFY(cluster.server("crash"));
        QVERIFY(cluster.server("resume"));
        QCOMPARE(number("select count(*) from post"), qint64(titles));
        delete dm;
        dm = nullptr;
    }

    void serverStoppedInTheMiddleOfAnImport()
    {
        if (!TestDatabase::onServer())
            QSKIP("a server engine test");
        if (skipProcesses())
            QSKIP("desk processes are skipped in this run");
        if (qEnvironmentVariableIsEmpty("TAVRIN_PG_CLUSTER_SCRIPT"))
            QSKIP("TAVRIN_PG_CLUSTER_SCRIPT (scripts/test sets it) names the cluster script");
        PrivateCluster cluster;
        QVERIFY(cluster.ok());
        const QString settingsPath = cluster.settingsFor("postgres");
        const int titles = 3000;
        QProcess import;
        import.start(probe(), {"import", settingsPath, QString::number(titles)});
        QVERIFY(import.waitForStarted());
        int reported = 0;
        while (reported < 400 && import.waitForReadyRead(60000)) {
            while (import.canReadLine())
                reported = import.readLine().trimmed().split(' ').value(1).toInt();
        }
        QVERIFY(reported >= 400);
        QVERIFY(cluster.server("halt"));
        QVERIFY(import.waitForFinished(60000));
        QCOMPARE(import.exitCode(), 1); // the import stopped with the engine's message
        const QString failure = QString::fromUtf8(import.readAllStandardError());
        while (import.canReadLine())
            reported = import.readLine().trimmed().split(' ').value(1).toInt();
        QVERIFY2(!failure.isEmpty(), "no failure message");
        QVERIFY(cluster.server("resume"));

        deskOn(settingsPath);
        // Whole entries only: every row complete, no code twice, and every reported entry there
        // (the one in flight may or may not have been committed).
        const qint64 rows = number("select count(*) from post");
        QVERIFY2(rows >= reported && rows <= reported + 1, qPrintable(QString("%1 rows, %2 reported").arg(rows).arg(reported)));
        QCOMPARE(number("select count(*) from post where bkmc is null or kq is null or cbrq is null or qnj is null "
                        "or dj is null or bkzl is null"),
                 qint64(0));
        QCOMPARE(number("select count(*) from (select distinct bkdh from post) as a"), rows);

        // the next import runs to the end
        QProcess again;
        again.start(probe(), {"import", settingsPath, QString::number(titles)});
        QVERIFY(again.waitForFinished(300000));
        QVERIFY2(again.exitCode() == 0, again.readAllStandardError().constData());
        QCOMPARE(number("select count(*) from post"), qint64(titles));
        delete dm;
        dm = nullptr;
    }
};

QTEST_GUILESS_MAIN(TestDesks)
#include "tst_desks.moc"
