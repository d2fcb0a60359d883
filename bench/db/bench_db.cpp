// Prints what the database layer costs on this machine:
//  - a 10,000-title postal catalogue loaded with the catalogue's sort statement, against the same rows
//    loaded without ORDER BY;
//  - 10,000 titles each written by its own batch (delete by code + insert, as the catalogue import does),
//    against all of them in one batch;
//  - the login's look at a database of about 50 MB (its tables, the engine's quick integrity check),
//    against reading every catalogue row once.

#include "CreateDatabase.h"
#include "data/DatabaseCheck.h"
#include "data/Udm.h"
#include "../common/LoadTiming.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <sqlite3.h>
#include <cstdio>
#include <vector>

namespace {

const QString kSortedLoad = QStringLiteral(
    "select * from post order by  clng(mid(bkdh,1,instr(bkdh,'-')-1))*10000+"
    "clng(mid(bkdh,instr(bkdh,'-')+1,len(bkdh)-instr(bkdh,'-')+1)) ");

QStringList rowStatements(int i)
{
    const QString code = QStringLiteral("%1-%2").arg(1 + i / 100).arg(i % 100 + 1);
    return {QStringLiteral("delete from post where bkdh='%1'").arg(code),
            QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj,bkzl) values ('%1','测试报刊%2','月刊',"
                           "'每月的10号出版',96,8,'杂志')")
                .arg(code)
                .arg(i)};
}

bool openFresh(const QTemporaryDir &dir, const QString &name, int demoRows)
{
    const QString path = QDir(dir.path()).filePath(name);
    QString error;
    bkdata::CreateOptions options;
    options.demo = demoRows > 0;
    options.demoPostalRows = demoRows;
    if (!bkdata::createDatabase(path, options, &error))
        qFatal("%s", qPrintable(error));
    delete dm;
    dm = new Tdm;
    GP.DatabasePath = path;
    GP.ConnectionText = ConnectionTextFor(path);
    GP.WorkYear = 2010;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int rows = 10000;

    openFresh(dir, QStringLiteral("load.mdb"), rows);
    timeLoad(QStringLiteral("select * from post"), 1); // warm the cache
    const double unsorted = timeLoad(QStringLiteral("select * from post"), 7);
    const double sorted = timeLoad(kSortedLoad, 7);
    std::printf("catalogue load, %d+ rows: sorted %.1f ms, unsorted %.1f ms, ratio %.2f (targets: <= 150 ms, <= 3x)\n",
                rows, sorted, unsorted, sorted / unsorted);

    auto perRowBatches = [&](const QString &name, bool bulk) {
        openFresh(dir, name, 0);
        CountRows(QStringLiteral("select * from post")); // connect
        dm->ADOConnection.setBulkWriting(bulk);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < rows; ++i)
            if (!ExecSqlBatch(rowStatements(i)))
                qFatal("batch failed: %s", qPrintable(GP.LastError));
        dm->ADOConnection.setBulkWriting(false);
        return t.nsecsElapsed() / 1e6;
    };
    const double perRowDurable = perRowBatches(QStringLiteral("durable.mdb"), false);
    const double perRow = perRowBatches(QStringLiteral("bulk.mdb"), true);
    QElapsedTimer t;

    openFresh(dir, QStringLiteral("one.mdb"), 0);
    QStringList all;
    for (int i = 0; i < rows; ++i)
        all << rowStatements(i);
    t.start();
    if (!ExecSqlBatch(all))
        qFatal("batch failed: %s", qPrintable(GP.LastError));
    const double oneBatch = t.nsecsElapsed() / 1e6;
    std::printf("%d rows written: one batch per row %.0f ms in bulk-writing mode (as the import runs), "
                "%.0f ms with every commit flushed (data entry); all in one batch %.0f ms; "
                "bulk per-row / one batch %.1f (target: <= 2000 ms)\n",
                rows, perRow, perRowDurable, oneBatch, perRow / oneBatch);

    // About 50 MB: the login's check must stay under a second on it.
    openFresh(dir, QStringLiteral("large.mdb"), 350000);
    CountRows(QStringLiteral("select * from post")); // connect
    delete dm; // the login looks before the program opens the file
    dm = nullptr;
    const double megabytes = QFileInfo(GP.DatabasePath).size() / 1048576.0;
    std::vector<double> checks;
    for (int i = 0; i < 3; ++i) {
        t.start();
        if (!CheckDatabaseFile(GP.ConnectionText).ok)
            qFatal("the check refused the database");
        checks.push_back(t.nsecsElapsed() / 1e6);
    }
    dm = new Tdm;
    // The login's check gives up after a second; the whole quick check shows what it would take.
    t.start();
    CountRows(QStringLiteral("select * from bkmllx")); // connect
    if (sqlite3_exec(dm->ADOConnection.handle(), "pragma quick_check(1)", nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("quick check failed");
    const double whole = t.nsecsElapsed() / 1e6;
    t.start();
    if (CountRows(QStringLiteral("select bkmc from post where bkmc like '%x%'")) < 0)
        qFatal("scan failed: %s", qPrintable(GP.LastError));
    const double scan = t.nsecsElapsed() / 1e6;
    std::printf("login check of a %.0f MB database: %.0f ms (target: < 1000 ms; the whole quick check %.0f ms); "
                "reading every catalogue row %.0f ms; quick check / reading %.2f\n",
                megabytes, median(checks), whole, scan, whole / scan);
    delete dm;
    dm = nullptr;
    return 0;
}
