// Several desks on one database. Runs on the engine that TAVRIN_TEST_ENGINE names; the server stop
// in the middle of an import runs on a private cluster of its own (the shared one serves other tests).

#include "TestDatabase.h"

#include "ServerSchema.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"
#include "db/Connection.h"
#include "main/CatalogueQueries.h"
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
