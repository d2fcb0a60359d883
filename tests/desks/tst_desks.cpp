// Several desks on one database. Runs on the engine that TAVRIN_TEST_ENGINE names; the server stop
// in the middle of an import runs on a private cluster of its own (the shared one serves other tests).

#include "TestDatabase.h"

#include "ServerSchema.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "orders/OrderLineStatements.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QtTest>

#include <memory>

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
    if (OpenQuery(sql, q) < 1)
        return -1;
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

    void serverStoppedInTheMiddleOfAnImport()
    {
        if (!TestDatabase::onServer())
            QSKIP("a server engine test");
        if (skipProcesses())
            QSKIP("desk processes are skipped in this run");
        if (qEnvironmentVariableIsEmpty("TAVRIN_PG_CLUSTER_SCRIPT"))
            QSKIP("TAVRIN_PG_CLUSTER_SCRIPT (scripts/test sets it) names the cluster script");
        bool ok = false;
        const QString cluster = clusterScript({"create", "--fast"}, &ok);
        QVERIFY(ok);
        auto cleanup = qScopeGuard([&] { clusterScript({"destroy", cluster}, &ok); });

        QTemporaryDir dir;
        const QString settingsPath = dir.filePath(ServerSettingsFileName());
        {
            QSettings settings(settingsPath, QSettings::IniFormat);
            settings.setValue("server/host", cluster);
            settings.setValue("server/database", "postgres");
            settings.setValue("server/user", "postgres");
            settings.setValue("server/sslmode", "disable");
        }
        {
            db::Connection server;
            server.setConnectionString(ConnectionTextFor(settingsPath));
            server.open();
            QString error;
            QVERIFY2(bkdata::createServerSchema(server, {}, &error), qPrintable(error));
        }
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
        clusterScript({"halt", cluster}, &ok);
        QVERIFY(ok);
        QVERIFY(import.waitForFinished(60000));
        QCOMPARE(import.exitCode(), 1); // the import stopped with the engine's message
        const QString failure = QString::fromUtf8(import.readAllStandardError());
        while (import.canReadLine())
            reported = import.readLine().trimmed().split(' ').value(1).toInt();
        QVERIFY2(!failure.isEmpty(), "no failure message");
        clusterScript({"resume", cluster}, &ok);
        QVERIFY(ok);

        delete dm;
        dm = new Tdm;
        GP.DatabasePath = settingsPath;
        GP.ConnectionText = ConnectionTextFor(settingsPath);
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
