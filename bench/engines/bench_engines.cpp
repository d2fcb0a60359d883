// The two database engines side by side, on the statements the desks run most:
//  - the postal catalogue of 10,000 titles loaded with the catalogue's sort statement;
//  - the order list of a unit with 500 lines;
//  - one order line saved (median and worst of 200);
//  - a 10,000-title catalogue import, one entry per transaction in bulk-writing mode, as the import runs;
//  - four desk processes saving 250 lines each at once (tests/desks' desk_probe);
//  - with --desks: 1, 2, 4 and 8 desk processes, each saving lines of its own unit at once, alone and
//    while another process imports a catalogue: saves per second and the median save.
// The server is the cluster whose socket folder TAVRIN_BENCH_PGHOST names (scripts/bench-engines starts
// a private one with the ordinary settings, flushing every commit to disk).

#include "CreateDatabase.h"
#include "ServerSchema.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"
#include "orders/OrderLineStatements.h"
#include "../common/LoadTiming.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

namespace {

const QString kSortedLoad = QStringLiteral(
    "select * from post order by  clng(mid(bkdh,1,instr(bkdh,'-')-1))*10000+"
    "clng(mid(bkdh,instr(bkdh,'-')+1,len(bkdh)-instr(bkdh,'-')+1)) ");

const QString kOrders = QStringLiteral(
    "select torder.*,a.bkmc,a.qnj from  torder left join (select bkdh,bkmc,qnj from post group by bkdh,bkmc,qnj) "
    "as a on torder.bkdh=a.bkdh where dwid=1 and torder.mllx=0 order by joindate");

struct Figures {
    double catalogueLoad = 0, ordersLoad = 0, saveMedian = 0, saveWorst = 0, import = 0, desks = 0;
};

void useDatabase(const QString &path)
{
    delete dm;
    dm = new Tdm;
    GP.DatabasePath = path;
    GP.ConnectionText = ConnectionTextFor(path);
    GP.WorkYear = 2010;
}

// A fresh database of this engine with the demo data and `titles` generated postal titles; returns its path.
QString freshDatabase(bool server, const QTemporaryDir &dir, const QString &name, int titles)
{
    bkdata::CreateOptions options;
    options.demo = true;
    options.demoPostalRows = titles;
    QString error;
    if (!server) {
        const QString path = dir.filePath(name + QStringLiteral(".mdb"));
        if (!bkdata::createDatabase(path, options, &error))
            qFatal("%s", qPrintable(error));
        return path;
    }
    const QString socket = qEnvironmentVariable("TAVRIN_BENCH_PGHOST");
    ServerSettings admin;
    admin.host = socket;
    admin.database = QStringLiteral("postgres");
    admin.user = QStringLiteral("postgres");
    admin.sslMode = QStringLiteral("disable");
    db::Connection c;
    c.setConnectionString(ServerConnectionText(admin));
    c.open();
    c.execute(QStringLiteral("drop database if exists %1 with (force)").arg(name));
    c.execute(QStringLiteral("create database %1").arg(name));
    const QString path = dir.filePath(name + QStringLiteral(".ini"));
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("server/host"), socket);
    settings.setValue(QStringLiteral("server/database"), name);
    settings.setValue(QStringLiteral("server/user"), QStringLiteral("postgres"));
    settings.setValue(QStringLiteral("server/sslmode"), QStringLiteral("disable"));
    settings.sync();
    db::Connection target;
    target.setConnectionString(ConnectionTextFor(path));
    target.open();
    if (!bkdata::createServerSchema(target, options, &error))
        qFatal("%s", qPrintable(error));
    return path;
}

NewOrderLine line(int i)
{
    NewOrderLine l;
    l.unitId = 1;
    l.code = QStringLiteral("%1-%2").arg(101 + i % 50).arg(i % 100 + 1);
    l.period = QStringLiteral("月刊");
    l.copies = 1 + i % 3;
    l.amount = 8.0 * l.copies;
    return l;
}

Figures measure(bool server, const QTemporaryDir &dir)
{
    Figures f;
    const QString prefix = server ? QStringLiteral("bench_server") : QStringLiteral("bench_file");

    useDatabase(freshDatabase(server, dir, prefix + QStringLiteral("_load"), 10000));
    timeLoad(kSortedLoad, 1); // connect and warm the cache
    f.catalogueLoad = timeLoad(kSortedLoad, 7);

    for (int i = 0; i < 500; ++i)
        if (!ExecSql(OrderInsertSql(line(i))))
            qFatal("insert failed: %s", qPrintable(GP.LastError));
    f.ordersLoad = timeLoad(kOrders, 7);

    std::vector<double> saves;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        if (!ExecSql(OrderInsertSql(line(i))))
            qFatal("insert failed: %s", qPrintable(GP.LastError));
        saves.push_back(ms(t));
    }
    f.saveMedian = median(saves);
    f.saveWorst = *std::max_element(saves.begin(), saves.end());

    useDatabase(freshDatabase(server, dir, prefix + QStringLiteral("_import"), 0));
    CountRows(QStringLiteral("select * from post")); // connect
    dm->ADOConnection.setBulkWriting(true);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 10000; ++i) {
        const QString code = QStringLiteral("%1-%2").arg(1 + i / 100).arg(i % 100 + 1);
        const QStringList batch{
            QStringLiteral("delete from post where bkdh='%1'").arg(code),
            QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj,bkzl) values ('%1','测试报刊%2','月刊',"
                           "'每月的10号出版',96,8,'杂志')")
                .arg(code)
                .arg(i)};
        if (!ExecSqlBatch(batch))
            qFatal("import failed: %s", qPrintable(GP.LastError));
    }
    dm->ADOConnection.setBulkWriting(false);
    f.import = ms(t);

    const QString desksPath = freshDatabase(server, dir, prefix + QStringLiteral("_desks"), 0);
    delete dm;
    dm = nullptr;
    const QString probe = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_probe"));
    std::vector<std::unique_ptr<QProcess>> desks;
    t.restart();
    for (int desk = 0; desk < 4; ++desk) {
        auto p = std::make_unique<QProcess>();
        p->start(probe, {QStringLiteral("orders"), desksPath, QString::number(desk), QStringLiteral("250"),
                         QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
        desks.push_back(std::move(p));
    }
    for (auto &p : desks)
        if (!p->waitForFinished(600000) || p->exitCode() != 0)
            qFatal("desk failed: %s", p->readAllStandardError().constData());
    f.desks = ms(t);
    return f;
}

QString probePath()
{
    const QString named = qEnvironmentVariable("TAVRIN_BENCH_PROBE");
    return named.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("desk_probe")) : named;
}

struct DeskRun {
    double savesPerSecond = 0, medianMs = 0;
};

// `desks` processes save `saves` lines each, desk d for unit d+1 only; with `import`, a catalogue
// import runs beside them all the while.
DeskRun runDesks(const QString &path, int desks, int saves, bool import)
{
    QProcess importer;
    if (import) {
        importer.start(probePath(), {QStringLiteral("import"), path, QStringLiteral("100000")});
        importer.waitForReadyRead(30000); // its first entry is in
    }
    std::vector<std::unique_ptr<QProcess>> running;
    for (int desk = 0; desk < desks; ++desk) {
        auto p = std::make_unique<QProcess>();
        p->start(probePath(), {QStringLiteral("orders"), path, QString::number(desk), QString::number(saves),
                               QString::number(desk + 1)});
        running.push_back(std::move(p));
    }
    qint64 first = std::numeric_limits<qint64>::max(), last = 0;
    std::vector<double> medians;
    for (auto &p : running) {
        if (!p->waitForFinished(600000) || p->exitCode() != 0)
            qFatal("desk failed: %s", p->readAllStandardError().constData());
        for (const QByteArray &line : p->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 3 && parts.at(0) == "latency")
                medians.push_back(parts.at(1).toDouble());
            if (parts.size() == 3 && parts.at(0) == "span") {
                first = std::min(first, parts.at(1).toLongLong());
                last = std::max(last, parts.at(2).toLongLong());
            }
        }
    }
    if (import) {
        importer.kill();
        importer.waitForFinished();
    }
    DeskRun run;
    if (last > first)
        run.savesPerSecond = desks * saves * 1000.0 / double(last - first);
    if (!medians.empty())
        run.medianMs = median(medians);
    return run;
}

// Saves per second and the median save of 1, 2, 4 and 8 desks on the server, alone and during an import.
void measureDesks(const QTemporaryDir &dir)
{
    const int saves = 300;
    std::printf("%-8s %18s %12s %24s %12s\n", "desks", "saves/s alone", "median", "saves/s during import", "median");
    double one = 0;
    for (int desks : {1, 2, 4, 8}) {
        DeskRun alone, importing;
        for (bool import : {false, true}) {
            const QString path = freshDatabase(true, dir, QStringLiteral("bench_desks"), 0);
            useDatabase(path);
            for (int unit = 4; unit <= 8; ++unit)
                if (!ExecSql(QStringLiteral("insert into dwinfo (dwmc) values ('单位%1')").arg(unit)))
                    qFatal("unit: %s", qPrintable(GP.LastError));
            delete dm;
            dm = nullptr;
            (import ? importing : alone) = runDesks(path, desks, saves, import);
        }
        if (desks == 1)
            one = alone.savesPerSecond;
        std::printf("%-8d %18.0f %9.2f ms %24.0f %9.2f ms   (%.2fx one desk alone)\n", desks, alone.savesPerSecond,
                    alone.medianMs, importing.savesPerSecond, importing.medianMs,
                    one > 0 ? alone.savesPerSecond / one : 0.0);
    }
    std::printf("target: 8 desks alone >= 3x one desk\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const bool withServer = !qEnvironmentVariableIsEmpty("TAVRIN_BENCH_PGHOST");
    if (app.arguments().contains(QStringLiteral("--desks"))) {
        if (!withServer)
            qFatal("--desks needs a server: set TAVRIN_BENCH_PGHOST, or run scripts/bench-engines --desks");
        measureDesks(dir);
        return 0;
    }
    const Figures file = measure(false, dir);
    Figures server;
    if (withServer)
        server = measure(true, dir);
    std::printf("%-52s %12s %12s %8s\n", "", "file", "server", "ratio");
    auto row = [&](const char *what, double a, double b) {
        if (withServer)
            std::printf("%-52s %9.1f ms %9.1f ms %8.2f\n", what, a, b, b / a);
        else
            std::printf("%-52s %9.1f ms %12s\n", what, a, "-");
    };
    row("catalogue load, 10,000 titles, sort statement", file.catalogueLoad, server.catalogueLoad);
    row("order list of a unit with 500 lines", file.ordersLoad, server.ordersLoad);
    row("one order line saved, median of 200", file.saveMedian, server.saveMedian);
    row("one order line saved, worst of 200", file.saveWorst, server.saveWorst);
    row("catalogue import, 10,000 titles", file.import, server.import);
    row("4 desks x 250 saves at once (processes)", file.desks, server.desks);
    if (withServer)
        std::printf("targets on the server: save median <= 10 ms, catalogue load <= 2x the file's, import <= 10 s\n");
    else
        std::printf("no server: set TAVRIN_BENCH_PGHOST, or run scripts/bench-engines\n");
    delete dm;
    dm = nullptr;
    return 0;
}
