// A catalogue import killed part-way (the process ends at once, as at a power cut of the program)
// leaves whole rows and a sound database, and a second import of the same file then finishes.
// The import runs in import_child; this test watches the rows arrive through a connection of its own
// and kills the child at several points.

#include "CatalogueTestSupport.h"
#include "CatalogueTests.h"
#include "TestDatabase.h"
#include "data/Udm.h"

#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int kRows = 2000;

QString codeOf(int i)
{
    return QStringLiteral("%1-%2").arg(1 + i / 100).arg(i % 100 + 1);
}

// The rows as written: every column of row i derived from i, so a half-written row shows.
QList<CellRow> catalogueRows()
{
    QList<CellRow> rows{Texts({"BKDH", "BKMC", "KQ", "CBRQ", "QNJ", "DJ", "BZ", "MLLX"})};
    for (int i = 0; i < kRows; ++i)
        rows << CellRow{T(codeOf(i)), T(QStringLiteral("刊%1").arg(i)), T("月刊"), T("每月的10号出版"),
                        N(100 + i), N(i % 50 + 1), T(QStringLiteral("备注%1").arg(i)), N(0)};
    return rows;
}

// The first fault found in the rows of post, or an empty text.
QString faultInRows(db::Connection &connection, int *count)
{
    db::Query query;
    query.setConnection(&connection);
    query.setSql("select bkdh,bkmc,kq,cbrq,qnj,dj,bz,mllx from post");
    query.open();
    QSet<QString> seen;
    *count = 0;
    for (query.first(); !query.eof(); query.next()) {
        ++*count;
        const QString code = query.fieldText("bkdh");
        const QStringList parts = code.split('-');
        const int i = (parts.value(0).toInt() - 1) * 100 + parts.value(1).toInt() - 1;
        if (seen.contains(code))
            return "twice: " + code;
        seen.insert(code);
        if (codeOf(i) != code || query.fieldText("bkmc") != QStringLiteral("刊%1").arg(i)
            || query.fieldText("kq") != "月刊" || query.fieldText("cbrq") != "每月的10号出版"
            || query.fieldFloat("qnj") != 100 + i || query.fieldFloat("dj") != i % 50 + 1
            || query.fieldText("bz") != QStringLiteral("备注%1").arg(i) || query.fieldText("mllx") != "0")
            return "not whole: " + code;
    }
    return QString();
}

QString integrity(db::Connection &connection)
{
    db::Query query;
    query.setConnection(&connection);
    query.setSql("pragma integrity_check");
    query.open();
    return query.fieldText(query.fieldNames().value(0));
}

} // namespace

class ImportKillTest : public QObject {
    Q_OBJECT

private slots:
    void killedImportsLeaveWholeRowsAndASecondImportFinishes()
    {
        QTemporaryDir dir;
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        const QString book = dir.filePath("catalogue.xls");
        WriteWorkbook(book, {{"目录", catalogueRows()}});
        delete dm; // the child is the only writer
        dm = nullptr;

        db::Connection watch;
        watch.setConnectionString(ConnectionTextFor(tdb.path()));
        // Each round imports the file again from its start: its progress shows in the row ids handed
        // out (a replaced entry gets a new one), not in the number of rows.
        const auto lastRowId = [&] {
            watch.open();
            db::Query query;
            query.setConnection(&watch);
            query.setSql("select ifnull(max(rowid),0) from post");
            query.open();
            const qint64 id = query.fieldIntAt(0);
            watch.close();
            return id;
        };
        for (int killAfter : {1, 300, 900}) {
            const qint64 start = lastRowId();
            QProcess child;
            child.start(QStringLiteral(IMPORT_CHILD), {tdb.path(), book, "0"});
            QVERIFY(child.waitForStarted(30000));
            // Kill once the import has written that many rows (or more: it does not wait for us).
            QVERIFY2(QTest::qWaitFor([&] { return lastRowId() - start >= killAfter || child.state() == QProcess::NotRunning; },
                                     120000),
                     "the import did not get going");
            const int killAt = killAfter;
            if (child.state() != QProcess::Running) // it outran the watch: a finished import is checked as well
                qInfo("round %d ended by itself: %s", killAt, child.readAllStandardOutput().constData());
            child.kill();
            child.waitForFinished(30000);

            watch.open();
            QCOMPARE(integrity(watch), QString("ok"));
            int count = 0;
            const QString fault = faultInRows(watch, &count);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
            QVERIFY(count >= qMin(killAt, kRows));
            qInfo("killed after %d rows or more of a round: %d whole rows", killAt, count);
            watch.close();
        }

        QProcess second;
        second.start(QStringLiteral(IMPORT_CHILD), {tdb.path(), book, "0"});
        QVERIFY(second.waitForFinished(300000));
        const QString closing = QString::fromUtf8(second.readAllStandardOutput());
        QVERIFY2(closing.startsWith("导入目录完毕...\n"), qPrintable(closing));
        QCOMPARE(second.exitCode(), 0);
        watch.open();
        QCOMPARE(integrity(watch), QString("ok"));
        int count = 0;
        const QString fault = faultInRows(watch, &count);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(count, kRows);
        watch.close();
    }
};

int runImportKillTest(int argc, char **argv)
{
    ImportKillTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ImportKillTest.moc"
