// Safety copies of the database: written with the engine's online backup (also what is still in the
// write-ahead log), encrypted with the same password, named by time and reason, listed newest first,
// the newest 30 and the history of the last days and months kept, what interrupted copies left removed,
// and a copy that cannot be written reported as a failure with nothing left behind.

#include "ReadOnlyPath.h"
#include "TestDatabase.h"
#include "data/Backup.h"
#include "data/Udm.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {


QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void namesAndReasons()
    {
        const QDateTime time(QDate(2026, 12, 9), QTime(15, 30, 12, 45));
        QCOMPARE(BackupFileName(time, BackupReason::SystemReset), QStringLiteral("bkdata-20261209-153012-045-reset.mdb"));
        QCOMPARE(BackupFileName(time, BackupReason::ClearOrders), QStringLiteral("bkdata-20261209-153012-045-clear.mdb"));
        QCOMPARE(BackupFileName(time, BackupReason::CatalogueImport), QStringLiteral("bkdata-20261209-153012-045-import.mdb"));
        QCOMPARE(BackupFileName(time, BackupReason::BeforeRestore), QStringLiteral("bkdata-20261209-153012-045-restore.mdb"));
        for (BackupReason r : {BackupReason::SystemReset, BackupReason::ClearOrders, BackupReason::CatalogueImport,
                               BackupReason::BeforeRestore})
            QCOMPARE(BackupReasonFromTag(BackupReasonTag(r)), std::optional<BackupReason>(r));
        QCOMPARE(BackupReasonText(BackupReason::SystemReset), QStringLiteral("系统初始"));
        QCOMPARE(BackupReasonText(BackupReason::CatalogueImport), QStringLiteral("目录导入"));
        QVERIFY(!BackupReasonFromTag(QStringLiteral("other")));
        QCOMPARE(BackupFolder(QStringLiteral("/srv/desk/bkdata.mdb")), QStringLiteral("/srv/desk/backup"));
    }

    // The copy holds what was committed, also rows still in the write-ahead log, opens with the
    // password only, and is one file; the program's own connection goes on working.
    void copyOpensWithThePasswordAndHoldsTheRows()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        QVERIFY(ExecSql(QStringLiteral("insert into dwinfo (dwmc,lxr,phone) values ('新单位','王','1')")));
        QVERIFY(QFileInfo(tdb.path() + QStringLiteral("-wal")).size() > 0);
        const int posts = CountRows(QStringLiteral("select * from post"));
        QVERIFY(posts > 0);

        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
        const BackupResult result = WriteBackup(BackupReason::SystemReset);
        QVERIFY2(result.written(), qPrintable(result.error));
        QCOMPARE(QFileInfo(result.path).absolutePath(), QDir(tdb.folder()).filePath(QStringLiteral("backup")));
        QVERIFY(QRegularExpression(QStringLiteral("^bkdata-\\d{8}-\\d{6}-\\d{3}-reset\\.mdb$"))
                    .match(QFileInfo(result.path).fileName())
                    .hasMatch());
        QCOMPARE(filesIn(BackupFolder(tdb.path())), QStringList{QFileInfo(result.path).fileName()});

        QCOMPARE(RowsInFile(result.path, QStringLiteral("dwinfo")), 4);
        QCOMPARE(RowsInFile(result.path, QStringLiteral("post")), posts);
        QCOMPARE(RowsInFile(result.path, QStringLiteral("dwinfo"), QStringLiteral("wrong")), -1);
        // Encrypted: the file does not start with the plain engine's header.
        QFile copy(result.path);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QVERIFY(!copy.read(16).startsWith("SQLite format 3"));
        copy.close();

        const QList<BackupEntry> listed = ListBackups(tdb.path());
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().path, result.path);
        QCOMPARE(listed.first().reason, BackupReason::SystemReset);
        QCOMPARE(listed.first().size, QFileInfo(result.path).size());
        QVERIFY(listed.first().time >= before.addSecs(-1) && listed.first().time <= QDateTime::currentDateTime());

        QVERIFY(ExecSql(QStringLiteral("delete from dwinfo")));
        QCOMPARE(CountRows(QStringLiteral("select * from dwinfo")), 0);
        QCOMPARE(RowsInFile(result.path, QStringLiteral("dwinfo")), 4);
    }

    // The newest 30 stay; older copies go; files of other names in the folder are left alone.
    void theNewestThirtyAreKept()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        const QString folder = BackupFolder(tdb.path());
        QVERIFY(QDir().mkpath(folder));
        const QDateTime start(QDate(2020, 1, 1), QTime(8, 0));
        for (int i = 0; i < 32; ++i) {
            QFile old(QDir(folder).filePath(BackupFileName(start.addSecs(i * 3600), BackupReason::ClearOrders)));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        for (const char *other : {"notes.txt", "bkdata-x.mdb", "bkdata-20200101-070000-000-reset.mdb.part"}) {
            QFile file(QDir(folder).filePath(QString::fromLatin1(other)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // What an interrupted copy left an hour ago goes; a copy being written now (above) stays.
        const QStringList leftovers{QStringLiteral("bkdata-20200101-060000-000-reset.mdb.part"),
                                    QStringLiteral("bkdata-20200101-060000-000-reset.mdb.part-journal")};
        for (const QString &name : leftovers) {
            QFile file(QDir(folder).filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
            QVERIFY(file.flush());
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        }
        QCOMPARE(ListBackups(tdb.path()).size(), 32);

        const BackupResult first = WriteBackup(BackupReason::CatalogueImport);
        const BackupResult second = WriteBackup(BackupReason::CatalogueImport); // the same millisecond or not
        QVERIFY(first.written() && second.written());
        QVERIFY(first.path != second.path);

        const QList<BackupEntry> kept = ListBackups(tdb.path());
        QCOMPARE(kept.size(), kKeptBackups);
        QCOMPARE(kept.at(0).path, second.path);
        QCOMPARE(kept.at(1).path, first.path);
        for (int i = 1; i < kept.size(); ++i)
            QVERIFY(kept.at(i - 1).time >= kept.at(i).time);
        // The four oldest went: 08:00 to 11:00 of the first day.
        QCOMPARE(kept.last().time, start.addSecs(4 * 3600));
        for (const char *other : {"notes.txt", "bkdata-x.mdb", "bkdata-20200101-070000-000-reset.mdb.part"})
            QVERIFY(QFile::exists(QDir(folder).filePath(QString::fromLatin1(other))));
        for (const QString &name : leftovers)
            QVERIFY2(!QFile::exists(QDir(folder).filePath(name)), qPrintable(name));
    }

    // Besides the newest 30, the newest copy of each of the last 30 days and of each of the last 12
    // months is kept: a busy day does not push out the history.
    void historyIsKept()
    {
        const QDateTime now(QDate(2026, 12, 10), QTime(12, 0));
        QList<BackupEntry> copies;
        auto add = [&copies](const QDateTime &time) {
            copies.append({time, BackupReason::ClearOrders, 1, BackupFileName(time, BackupReason::ClearOrders)});
        };
        for (int i = 0; i < 40; ++i) // a busy day: 40 copies this morning
            add(now.addSecs(-3600 - i * 60));
        for (int day = 1; day <= 45; ++day) { // two a day on the 45 days before
            add(QDateTime(now.date().addDays(-day), QTime(9, 0)));
            add(QDateTime(now.date().addDays(-day), QTime(8, 0)));
        }
        for (int month = 2; month <= 14; ++month) // one in the middle of each month before those
            add(QDateTime(QDate(2026, 12, 15).addMonths(-month), QTime(10, 0)));
        std::sort(copies.begin(), copies.end(), [](const BackupEntry &a, const BackupEntry &b) { return a.time > b.time; });

        QStringList pruned;
        for (const BackupEntry &entry : BackupsToPrune(copies, now))
            pruned << entry.path;
        auto kept = [&pruned](const QDateTime &time) {
            return !pruned.contains(BackupFileName(time, BackupReason::ClearOrders));
        };
        for (int i = 0; i < 40; ++i)
            QCOMPARE(kept(now.addSecs(-3600 - i * 60)), i < 30);
        for (int day = 1; day <= 45; ++day) {
            const QDate date = now.date().addDays(-day);
            // the last 30 days keep their newest copy, and an older month its newest copy
            const bool newestOfMonth = day == 40; // 31 October
            QCOMPARE(kept(QDateTime(date, QTime(9, 0))), day <= 29 || newestOfMonth);
            QVERIFY(!kept(QDateTime(date, QTime(8, 0))));
        }
        for (int month = 2; month <= 14; ++month) // October has a newer copy; 12 months reach back to January
            QCOMPARE(kept(QDateTime(QDate(2026, 12, 15).addMonths(-month), QTime(10, 0))), month >= 3 && month <= 11);
        QCOMPARE(copies.size() - pruned.size(), 30 + 29 + 1 + 9);
    }

    // Names of the copies' pattern that carry a reason the program does not know, or a time that does
    // not exist, are no copies: not listed, so never pruned.
    void namesOfNoCopyAreNotListed()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        const QString folder = BackupFolder(tdb.path());
        QVERIFY(QDir().mkpath(folder));
        for (const char *name : {"bkdata-20200101-080000-000-other.mdb", "bkdata-20201301-080000-000-reset.mdb",
                                 "bkdata-20200101-250000-000-clear.mdb"}) {
            QFile file(QDir(folder).filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(ListBackups(tdb.path()).isEmpty());
    }

    // No copy possible: a failure with the reason, nothing half-written left, the database unchanged.
    void aCopyThatCannotBeWrittenFails()
    {
        TestDatabase tdb(/*demo=*/true);
        QVERIFY(tdb.ok());
        const QString folder = BackupFolder(tdb.path());
        {
            // Where the folder should be there is a file.
            QFile blocker(folder);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        BackupResult result = WriteBackup(BackupReason::SystemReset);
        QVERIFY(result.failed());
        QVERIFY(!result.error.isEmpty());
        QVERIFY(result.path.isEmpty());
        QCOMPARE(BackupFailureMessage(QStringLiteral("系统初始"), result),
                 QStringLiteral("数据库备份失败,系统初始未执行->") + result.error);
        QVERIFY(QFile::remove(folder));

        ReadOnlyPath readOnly(folder);
        if (!readOnly.ok())
            QSKIP("this machine cannot make a folder read-only for this user");
        result = WriteBackup(BackupReason::SystemReset);
        QVERIFY(result.failed());
        QVERIFY(!result.error.isEmpty());
        QVERIFY(filesIn(folder).isEmpty());
        QCOMPARE(CountRows(QStringLiteral("select * from dwinfo")), 3);
    }

    // A closed connection (a lost link) is opened again for the copy, as for any action; one that
    // cannot be opened fails the copy and writes nothing.
    void closedConnectionFails()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        dm->ADOConnection.close();
        const QString text = GP.ConnectionText;
        GP.ConnectionText = ConnectionTextFor(QDir(tdb.folder()).filePath(QStringLiteral("missing.mdb")));
        QVERIFY(WriteBackup(BackupReason::ClearOrders).failed());
        QVERIFY(!QDir(BackupFolder(tdb.path())).exists());
        GP.ConnectionText = text;
        const BackupResult reopened = WriteBackup(BackupReason::ClearOrders);
        QVERIFY2(!reopened.failed(), qPrintable(reopened.error));
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
