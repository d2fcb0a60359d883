// Restoring a safety copy: the rows of before a reset come back, the replaced state is copied first,
// and a copy that does not open with the program's password, is damaged or lacks a table is refused
// with nothing changed; the same from a terminal (bkdata --restore); the copy of a day's first login.

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
        // the program's password, one table missing
        const QString partial = QDir(folder).filePath(QStringLiteral("bkdata-20200101-080003-000-reset.mdb"));
        QVERIFY(QFile::copy(good.path, partial));
        {
            db::Connection connection;
            connection.setConnectionString(ConnectionTextFor(partial));
            connection.open();
            connection.execute(QStringLiteral("drop table rqdzb"));
        }
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
