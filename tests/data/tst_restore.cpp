// Restoring a safety copy: the rows of before a reset come back, the replaced state is copied first,
// and a copy that does not open with the program's password, is damaged or lacks a table is refused
// with nothing changed; the same from a terminal (bkdata --restore); the chosen copy is never pruned and
// a failed restore leaves the copies as they were; the copy of a day's first login.

#include "ConnectionListener.h"
#include "TestDatabase.h"
#include "data/Restore.h"
#include "data/Udm.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {

const QStringList kResetStatements{QStringLiteral("delete from post"), QStringLiteral("delete from nopost"),
                                   QStringLiteral("delete from torder"), QStringLiteral("delete from dwinfo")};

int rows(const QString &table)
{
    return CountRows(QStringLiteral("select * from ") + table);
}

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run bkdata(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(BKDATA_EXE), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The demo's rows of every table, as "table:count" — what must not change when a restore is refused.
QStringList state()
{
    QStringList counts;
    for (const QString &table : ProgramTables())
        counts << table + QLatin1Char(':') + QString::number(rows(table));
    return counts;
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT
private slots:
    void restoreBringsBackTheRowsOfBeforeAReset()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        QVERIFY(ExecSql(QStringLiteral("insert into torder (dwid,mllx,bkdh,qdy,zdy,fs,ke) values (1,0,'1-1',1,12,2,360)")));
        const QStringList before = state();
        const BackupResult reset = WriteBackup(BackupReason::SystemReset);
        QVERIFY2(reset.written(), qPrintable(reset.error));
        QVERIFY(ExecSqlBatch(kResetStatements));
        QVERIFY(ExecSql(QStringLiteral("insert into dwinfo (dwmc) values ('重置后的单位')")));
        const QStringList replaced = state();

        const RestoreResult result = RestoreBackup(dm->ADOConnection, reset.path);
        QVERIFY2(result.restored && result.error.isEmpty(), qPrintable(result.error));
        QVERIFY(dm->ADOConnection.connected());
        QCOMPARE(state(), before);
        QCOMPARE(CountRows(QStringLiteral("select * from dwinfo where dwmc='重置后的单位'")), 0);
        // the replaced state was copied first, and that copy can itself be restored
        const QList<BackupEntry> copies = ListBackups(tdb.path());
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies.first().reason, BackupReason::BeforeRestore);
        QCOMPARE(copies.first().path, result.safetyCopy);
        QCOMPARE(RowsInFile(result.safetyCopy, QStringLiteral("dwinfo")), 1);
        QVERIFY(RestoreBackup(dm->ADOConnection, result.safetyCopy).restored);
        QCOMPARE(state(), replaced);
        // the connection goes on writing after the restores
        QVERIFY(ExecSql(QStringLiteral("insert into dwinfo (dwmc) values ('之后')")));
        QCOMPARE(RowsInFile(tdb.path(), QStringLiteral("dwinfo")), 2);
    }

    void unusableCopiesAreRefusedWithNothingChanged()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        const BackupResult good = WriteBackup(BackupReason::ClearOrders);
        QVERIFY(good.written());
        QVERIFY(ExecSql(QStringLiteral("delete from torder")));
        QVERIFY(ExecSql(QStringLiteral("insert into dwinfo (dwmc) values ('之后的单位')")));
        const QStringList now = state();
        const QString folder = BackupFolder(tdb.path());

        // damaged: pages in the middle overwritten
        const QString damaged = QDir(folder).filePath(QStringLiteral("bkdata-20200101-080000-000-reset.mdb"));
        QVERIFY(QFile::copy(good.path, damaged));
        {
            QFile file(damaged);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.size() > 8192);
            file.seek(file.size() / 2);
            file.write(QByteArray(4096, '\x5a'));
        }
        // another password, and no database at all
        const QString foreign = QDir(folder).filePath(QStringLiteral("bkdata-20200101-080001-000-reset.mdb"));
        QProcess sqlcipher;
        sqlcipher.start(QStringLiteral("sqlcipher"),
                        {foreign, QStringLiteral("pragma key='other'; create table post(a); create table x(b);")});
        QVERIFY(sqlcipher.waitForFinished(30000) && sqlcipher.exitCode() == 0);
        const QString text = QDir(folder).filePath(QStringLiteral("bkdata-20200101-080002-000-reset.mdb"));
        {
            QFile file(text);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("这不是数据库\n");
        }
        // A copy of the good one, changed by `statements` (the program's password stays).
        const auto changedCopy = [&](const char *name, const QStringList &statements) {
            const QString path = QDir(folder).filePath(QString::fromLatin1(name));
            QFile::copy(good.path, path);
            db::Connection connection;
            connection.setConnectionString(ConnectionTextFor(path));
            connection.open();
            for (const QString &statement : statements)
                connection.execute(statement);
            return path;
        };
        // one table missing; the tables there, a column missing
        const QString partial = changedCopy("bkdata-20200101-080003-000-reset.mdb", {QStringLiteral("drop table rqdzb")});
        const QString narrow = changedCopy("bkdata-20200101-080004-000-reset.mdb",
                                           {QStringLiteral("create table narrow as select id, dwmc, lxr from dwinfo"),
                                            QStringLiteral("drop table dwinfo"),
                                            QStringLiteral("alter table narrow rename to dwinfo")});
        QFile::remove(partial + QStringLiteral("-wal"));
        QFile::remove(partial + QStringLiteral("-shm"));
        const int copiesBefore = int(ListBackups(tdb.path()).size());

        const struct {
            QString path;
            QString says;
        } refused[] = {{damaged, QStringLiteral("备份文件")},
                       {foreign, QStringLiteral("不能用本系统的密码打开")},
                       {text, QStringLiteral("不能用本系统的密码打开")},
                       {partial, QStringLiteral("备份文件缺少数据表 rqdzb")},
                       {narrow, QStringLiteral("备份文件的数据表 dwinfo 缺少列 phone")},
                       {QDir(folder).filePath(QStringLiteral("none.mdb")), QStringLiteral("备份文件不存在")},
                       {tdb.path(), QStringLiteral("不能用数据库文件本身恢复")}};
        for (const auto &r : refused) {
            const RestoreResult result = RestoreBackup(dm->ADOConnection, r.path);
            QVERIFY2(!result.restored, qPrintable(r.path));
            QVERIFY2(result.error.contains(r.says), qPrintable(result.error));
            QVERIFY(result.safetyCopy.isEmpty());
            QCOMPARE(state(), now);
            QCOMPARE(int(ListBackups(tdb.path()).size()), copiesBefore);
        }
        QVERIFY(CheckBackup(good.path, QStringLiteral("qelmaz")).isEmpty());
        QVERIFY(!CheckBackup(good.path, QStringLiteral("wrong")).isEmpty());
    }

    // The database file itself, reached through a link or a detour of "..", is no copy to restore.
    void theDatabaseByAnotherPathIsNoCopy_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("link") << QStringLiteral("link");
        QTest::newRow("..") << QStringLiteral("..");
    }

    void theDatabaseByAnotherPathIsNoCopy()
    {
        QFETCH(QString, how);
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        QVERIFY(ExecSql(QStringLiteral("insert into dwinfo (dwmc) values ('之后的单位')")));
        const QStringList now = state();
        const QDir folder(tdb.folder());
        QString other;
        if (how == QLatin1String("link")) {
            other = folder.filePath(QStringLiteral("link.mdb"));
            QVERIFY(QFile::link(tdb.path(), other));
        } else {
            QVERIFY(folder.mkdir(QStringLiteral("sub")));
            other = folder.filePath(QStringLiteral("sub/../") + QFileInfo(tdb.path()).fileName());
        }
        const RestoreResult result = RestoreBackup(dm->ADOConnection, other);
        QVERIFY(!result.restored);
        QCOMPARE(result.error, QStringLiteral("不能用数据库文件本身恢复"));
        QVERIFY(ListBackups(tdb.path()).isEmpty());
        QCOMPARE(state(), now);
    }

    // A day's copy is the copy of its first login: copies written that day for other reasons do not
    // stand for it.
    void copiesOfOtherReasonsAreNoDailyCopy()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        QVERIFY(WriteBackup(BackupReason::ClearOrders).written());
        const QList<BackupEntry> before = ListBackups(tdb.path());
        QCOMPARE(before.size(), 1);
        const BackupResult daily = WriteDailyBackup(dm->ADOConnection, before.constFirst().time.date());
        QVERIFY2(daily.written(), qPrintable(daily.error));
        QCOMPARE(ListBackups(tdb.path()).size(), 2);
    }

    // bkdata --restore BACKUP [FILE]: the same checks and the same copy of the replaced state.
    void restoreFromATerminal()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        const QStringList before = state();
        const BackupResult reset = WriteBackup(BackupReason::SystemReset);
        QVERIFY(reset.written());
        QVERIFY(ExecSqlBatch(kResetStatements));
        dm->ADOConnection.close();

        const QString garbage = QDir(tdb.folder()).filePath(QStringLiteral("garbage.mdb"));
        {
            QFile file(garbage);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(20000, 'x'));
        }
        Run run = bkdata({QStringLiteral("--restore"), garbage, tdb.path()});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QStringLiteral("nothing was restored")), qPrintable(run.err));
        QCOMPARE(RowsInFile(tdb.path(), QStringLiteral("dwinfo")), 0);
        QCOMPARE(ListBackups(tdb.path()).size(), 1);

        run = bkdata({QStringLiteral("--restore"), reset.path, tdb.path()});
        QCOMPARE(run.code, 0);
        QVERIFY2(run.out.contains(QStringLiteral("restored")), qPrintable(run.out));
        QCOMPARE(state(), before);
        const QList<BackupEntry> copies = ListBackups(tdb.path());
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies.first().reason, BackupReason::BeforeRestore);
        QVERIFY(run.out.contains(QDir::toNativeSeparators(copies.first().path)));

        // a lost database file becomes the checked copy
        const QString lost = QDir(tdb.folder()).filePath(QStringLiteral("new/bkdata.mdb"));
        run = bkdata({QStringLiteral("--restore"), reset.path, lost});
        QCOMPARE(run.code, 0);
        QCOMPARE(RowsInFile(lost, QStringLiteral("dwinfo")), RowsInFile(reset.path, QStringLiteral("dwinfo")));
    }

    // Restoring the oldest of 30 copies: the copy of the replaced state does not push out the one chosen.
    void theOldestOfThirtyCopiesIsRestoredAndStays()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        const QStringList first = state();
        QVERIFY(WriteBackup(BackupReason::ClearOrders).written());
        QVERIFY(ExecSql(QStringLiteral("insert into dwinfo (dwmc) values ('后来的单位')")));
        for (int i = 1; i < kKeptBackups; ++i)
            QVERIFY(WriteBackup(BackupReason::ClearOrders).written());
        const QList<BackupEntry> copies = ListBackups(tdb.path());
        QCOMPARE(copies.size(), kKeptBackups);

        const QString oldest = copies.last().path;
        const RestoreResult result = RestoreBackup(dm->ADOConnection, oldest);
        QVERIFY2(result.restored && result.error.isEmpty(), qPrintable(result.error));
        QCOMPARE(state(), first);
        QVERIFY(QFile::exists(oldest));
        QCOMPARE(ListBackups(tdb.path()).first().path, result.safetyCopy);
        QVERIFY(RestoreBackup(dm->ADOConnection, oldest).restored); // and it can be restored again
    }

    // A restore that fails leaves no copy behind and removes none: forty of them leave the copies of
    // the days before as they were.
    void failedRestoresLeaveTheCopiesAsTheyWere()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        const BackupResult good = WriteBackup(BackupReason::ClearOrders);
        QVERIFY(good.written());
        const QString folder = BackupFolder(tdb.path());
        const QDateTime now = QDateTime::currentDateTime();
        for (int i = 1; i <= 40; ++i) { // this morning's copies and one of each day before
            const QDateTime time = i <= 30 ? now.addSecs(-i) : now.addDays(30 - i);
            QVERIFY(QFile::copy(good.path, QDir(folder).filePath(BackupFileName(time, BackupReason::SystemReset))));
        }
        QStringList before;
        for (const BackupEntry &entry : ListBackups(tdb.path()))
            before << entry.path;
        const QStringList current = state();

        // The connection is in the middle of reading: the database's pages cannot be replaced now.
        dm->ADOConnection.execute(QStringLiteral("begin"));
        QCOMPARE(rows(QStringLiteral("dwinfo")), 3);
        for (int attempt = 0; attempt < 40; ++attempt) {
            const RestoreResult result = RestoreBackup(dm->ADOConnection, good.path);
            QVERIFY(!result.restored);
            QVERIFY2(result.error.startsWith(QStringLiteral("数据恢复失败,数据未改变->")), qPrintable(result.error));
            QVERIFY(result.safetyCopy.isEmpty());
        }
        dm->ADOConnection.execute(QStringLiteral("commit"));
        QStringList after;
        for (const BackupEntry &entry : ListBackups(tdb.path()))
            after << entry.path;
        QCOMPARE(after, before);
        QCOMPARE(state(), current);
    }

    // A copy whose last transactions are still in its write-ahead log (-wal beside it) is restored
    // whole, into a new file and over a database; a target path full of connection keys is only a path.
    void aCopyWithTransactionsInItsLogIsRestoredWhole()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        dm->ADOConnection.close();
        ConnectionListener listener;
        QVERIFY(listener.ok());
        const QDir folder(tdb.folder());
        const QString live = folder.filePath(QStringLiteral("live.mdb"));
        const QString copy = folder.filePath(QStringLiteral("copy.mdb"));
        QVERIFY(QFile::copy(tdb.path(), live));
        {
            db::Connection writer;
            writer.setConnectionString(ConnectionTextFor(live));
            writer.open();
            for (int i = 0; i < 5; ++i)
                writer.execute(QStringLiteral("insert into dwinfo (dwmc) values ('日志中的单位%1')").arg(i));
            // what a file copy of the database and its log while a desk works holds
            QVERIFY(QFileInfo(live + QStringLiteral("-wal")).size() > 0);
            QVERIFY(QFile::copy(live, copy));
            QVERIFY(QFile::copy(live + QStringLiteral("-wal"), copy + QStringLiteral("-wal")));
        }
        const QString keys = QStringLiteral("x;Provider=PostgreSQL;Host=127.0.0.1;Port=%1;Database=stolen;"
                                            "User ID=thief;SSL Mode=disable")
                                 .arg(listener.port());
        for (const QString &target : {folder.filePath(QStringLiteral("new/bkdata.mdb")), tdb.path(),
                                      folder.filePath(keys), folder.filePath(keys)}) {
            const Run run = bkdata({QStringLiteral("--restore"), copy, target});
            QVERIFY2(run.code == 0, qPrintable(run.err));
            QCOMPARE(RowsInFile(target, QStringLiteral("dwinfo")), 8);
        }
        QCOMPARE(listener.connections(), 0);
    }

    void theFirstLoginOfADayLeavesOneCopy()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        const QDate today = QDate::currentDate();
        BackupResult first = WriteDailyBackup(dm->ADOConnection, today);
        QVERIFY2(first.written(), qPrintable(first.error));
        QCOMPARE(ListBackups(tdb.path()).first().reason, BackupReason::DailyLogin);
        QCOMPARE(BackupReasonText(BackupReason::DailyLogin), QStringLiteral("每日首次登录"));
        QCOMPARE(WriteDailyBackup(dm->ADOConnection, today).status, BackupResult::Status::NotApplicable);
        // other copies of the day do not count; a new day does
        QVERIFY(WriteBackup(BackupReason::ClearOrders).written());
        QVERIFY(WriteDailyBackup(dm->ADOConnection, today.addDays(1)).written());
        QCOMPARE(ListBackups(tdb.path()).size(), 3);
    }
};

QTEST_MAIN(TestRestore)
#include "tst_restore.moc"
