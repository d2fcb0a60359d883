// The database file before and during work: the login's look at it refuses empty, foreign, plain,
// wrongly keyed, incomplete and damaged files without writing a byte to them; and the engine's
// messages for the faults a desk meets come with a Chinese sentence first and the engine's text after.

#include "ReadOnlyPath.h"
#include "CreateDatabase.h"
#include "TestDatabase.h"
#include "data/Backup.h"
#include "data/DatabaseCheck.h"
#include "data/Restore.h"
#include "data/Udm.h"
#include "db/EngineMessages.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <sqlite3.h>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A database file made directly with the engine: `key` empty for a plain one.
void makeDatabase(const QString &path, const QByteArray &key, const char *sql)
{
    sqlite3 *handle = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &handle,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
             SQLITE_OK);
    if (!key.isEmpty())
        sqlite3_key(handle, key.constData(), int(key.size()));
    QCOMPARE(sqlite3_exec(handle, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(handle);
}

#define TITLE_COLUMNS "(bkdh text, bkmc text, kq text, cbrq text, qnj real, dj real, yj real, jj real, bnj real, " \
                      "cn text, issn text, bkfl text, bz text, bkjb text, fbkj text, bkzl text, mllx integer)"
const char *const kSixTables = "create table bkmllx (id integer primary key, mc text);"
                               "create table post " TITLE_COLUMNS "; create table nopost " TITLE_COLUMNS ";"
                               "create table dwinfo (id integer primary key, dwmc text, lxr text, phone text);"
                               "create table torder (id integer primary key, dwid integer, mllx integer, bkdh text, "
                               "kq text, qdy integer, zdy integer, fs integer, ke real, joindate text);"
                               "create table rqdzb (cbrq text, week integer, weeknum integer);";

// Counts the waits for a lock and gives up after a few tries, so a test never waits the busy timeout.
int lockWaits = 0;
int countWait(void *, int count)
{
    if (count == 0)
        ++lockWaits;
    return count < 3 ? 1 : 0;
}

// The message of opening the database and writing to it; empty when that works.
QString failureOfAWrite(const QString &path)
{
    db::Connection connection;
    connection.setConnectionString(ConnectionTextFor(path));
    try {
        connection.open();
        connection.execute("insert into dwinfo (dwmc) values ('甲')");
    } catch (const db::DbError &e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestDatabaseCheck : public QObject {
    Q_OBJECT
private slots:
    void sentencesForTheFaultsOfADesk()
    {
        using db::EngineFault;
        QCOMPARE(db::explainedEngineText(EngineFault::None, "near x: syntax error"), QString("near x: syntax error"));
        QCOMPARE(db::explainedEngineText(EngineFault::Locked, "database is locked"),
                 QString("数据库正被其他程序使用(已锁定),请稍后再试（database is locked）"));
        QCOMPARE(db::fileEngineFault(SQLITE_BUSY, QString()), EngineFault::Locked);
        QCOMPARE(db::fileEngineFault(SQLITE_READONLY, QString()), EngineFault::ReadOnlyFile);
        QCOMPARE(db::fileEngineFault(SQLITE_CORRUPT, QString()), EngineFault::Damaged);
        QCOMPARE(db::fileEngineFault(SQLITE_FULL, QString()), EngineFault::DiskFull);
        QCOMPARE(db::fileEngineFault(SQLITE_NOTADB, QString()), EngineFault::NotOurDatabase);
        QCOMPARE(db::fileEngineFault(SQLITE_CANTOPEN, QString()), EngineFault::CannotOpen);
        QCOMPARE(db::fileEngineFault(SQLITE_CONSTRAINT, QString()), EngineFault::None);
        for (EngineFault fault : {EngineFault::Locked, EngineFault::ReadOnlyFile, EngineFault::ReadOnlyFolder,
                                  EngineFault::CannotOpen, EngineFault::Damaged, EngineFault::PlainDatabase,
                                  EngineFault::NotOurDatabase, EngineFault::DiskFull})
            QVERIFY(!db::engineFaultSentence(fault).isEmpty());
    }

    // Empty, foreign, plain, wrongly keyed and incomplete files (a table or a used column missing) are
    // refused and stay byte for byte.
    void foreignFilesAreRefusedAndNeverWritten()
    {
        QTemporaryDir dir;
        const struct {
            const char *name;
            QString expected;
        } cases[] = {
            {"empty.mdb", "数据库文件是空的,不是本系统的数据库"},
            {"text.mdb", "数据库密码不符,或该文件不是本系统的数据库（file is encrypted or is not a database）"},
            {"plain.mdb", "该文件是未加密的SQLite数据库,不是本系统的数据库"},
            {"otherkey.mdb", "数据库密码不符,或该文件不是本系统的数据库（file is encrypted or is not a database）"},
            {"fivetables.mdb", "该文件不是本系统的数据库(缺少数据表 torder)"},
            {"other.mdb", "该文件不是本系统的数据库(缺少数据表 bkmllx, post, nopost, dwinfo, torder, rqdzb)"},
            {"columns.mdb", "该文件不是本系统的数据库(数据表 post 缺少列 bkzl, mllx; 数据表 rqdzb 缺少列 weeknum)"},
        };
        writeBytes(dir.filePath("empty.mdb"), QByteArray());
        writeBytes(dir.filePath("text.mdb"), QByteArray("单位,联系人\r\n青禾机械厂,林秀梅\r\n").repeated(200));
        makeDatabase(dir.filePath("plain.mdb"), QByteArray(), kSixTables);
        makeDatabase(dir.filePath("otherkey.mdb"), "secret", kSixTables);
        makeDatabase(dir.filePath("fivetables.mdb"), "qelmaz",
                     "create table bkmllx (id integer); create table post (bkdh text); create table nopost (bkdh text);"
                     "create table dwinfo (id integer); create table rqdzb (cbrq text);");
        makeDatabase(dir.filePath("other.mdb"), "qelmaz", "create table notes (x text); insert into notes values ('a');");
        makeDatabase(dir.filePath("columns.mdb"), "qelmaz",
                     (QByteArray(kSixTables) + "drop table post; create table post (bkdh text, bkmc text, kq text, "
                      "cbrq text, qnj real, dj real, yj real, jj real, bnj real, cn text, issn text, bkfl text, bz text, "
                      "bkjb text, fbkj text); drop table rqdzb; create table rqdzb (cbrq text, week integer);")
                         .constData());
        for (const auto &c : cases) {
            const QString path = dir.filePath(QString::fromLatin1(c.name));
            const QByteArray before = bytesOf(path);
            const DatabaseFileCheck check = CheckDatabaseFile(ConnectionTextFor(path));
            QVERIFY2(!check.ok, c.name);
            QCOMPARE(check.failure, c.expected);
            QCOMPARE(bytesOf(path), before);
            QVERIFY2(!QFile::exists(path + "-wal") && !QFile::exists(path + "-journal"), c.name);
        }
    }

    // The six tables with the columns the program uses are required, no more: a later table (added on first start) does not matter, and
    // a database made by the program passes.
    void theProgramsDatabasesPass()
    {
        QTemporaryDir dir;
        makeDatabase(dir.filePath("seven.mdb"), "qelmaz",
                     (QByteArray(kSixTables) + "create table irregular (id integer);").constData());
        QVERIFY(CheckDatabaseFile(ConnectionTextFor(dir.filePath("seven.mdb"))).ok);
        TestDatabase demo(/*demo=*/true);
        QVERIFY(demo.ok());
        QVERIFY(ExecSql("insert into dwinfo (dwmc) values ('新')")); // still in the write-ahead log
        const DatabaseFileCheck check = CheckDatabaseFile(GP.ConnectionText);
        QVERIFY2(check.ok, qPrintable(check.failure));
        // No file, no engine file: opening says what is wrong.
        QVERIFY(CheckDatabaseFile(ConnectionTextFor(dir.filePath("none.mdb"))).ok);
        QVERIFY(CheckDatabaseFile("Provider=PostgreSQL;Host=desk").ok);
    }

    // The login's look and the check of a copy to restore judge a database of the program alike: its
    // tables count whatever the letter case of their names, and a file that opens with the password
    // but fails the integrity check is damaged.
    void theLoginAndTheRestoreJudgeAFileAlike_data()
    {
        QTest::addColumn<QByteArray>("change");
        QTest::addColumn<QString>("loginSays");   // empty: accepted
        QTest::addColumn<QString>("restoreSays"); // empty: accepted
        QByteArray capitals;
        for (const QString &table : ProgramTables())
            capitals += "alter table " + table.toLatin1() + " rename to renamed; alter table renamed rename to "
                        + table.toUpper().toLatin1() + ";";
        QTest::newRow("as made") << QByteArray() << QString() << QString();
        QTest::newRow("tables in capitals") << capitals << QString() << QString();
        QTest::newRow("tables in capitals, one missing")
            << capitals + "drop table TORDER;" << "该文件不是本系统的数据库(缺少数据表 torder)" << "备份文件缺少数据表 torder";
        // Every page opens with the password, but two tables claim one page and another page is lost.
        QTest::newRow("two tables on one page")
            << QByteArray("create table later (a text); create table other (b text); insert into later values ('x');"
                          "pragma writable_schema=on; update sqlite_master set rootpage=(select rootpage from "
                          "sqlite_master where name='later') where name='other';")
            << "数据库文件已损坏,请从备份中恢复" << "备份文件已损坏";
    }

    void theLoginAndTheRestoreJudgeAFileAlike()
    {
        QFETCH(QByteArray, change);
        QFETCH(QString, loginSays);
        QFETCH(QString, restoreSays);
        QTemporaryDir dir;
        const QString path = dir.filePath("bkdata.mdb");
        QString error;
        QVERIFY2(bkdata::createDatabase(path, {}, &error), qPrintable(error));
        if (!change.isEmpty())
            makeDatabase(path, "qelmaz", change.constData());

        const DatabaseFileCheck login = CheckDatabaseFile(ConnectionTextFor(path));
        QCOMPARE(login.ok, loginSays.isEmpty());
        QVERIFY2(login.failure.startsWith(loginSays), qPrintable(login.failure));
        const QString restore = CheckBackup(path, QStringLiteral("qelmaz"));
        QCOMPARE(restore.isEmpty(), restoreSays.isEmpty());
        QVERIFY2(restore.startsWith(restoreSays), qPrintable(restore));
    }

    // Flipped bytes in a page: refused as damaged, the backups named, nothing written.
    void aDamagedFileIsRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("bkdata.mdb");
        bkdata::CreateOptions options;
        options.demo = true;
        options.demoPostalRows = 400;
        QString error;
        QVERIFY2(bkdata::createDatabase(path, options, &error), qPrintable(error));
        QByteArray bytes = bytesOf(path);
        QVERIFY(bytes.size() > 8 * 4096);
        for (int i = 0; i < 64; ++i)
            bytes[5 * 4096 + 200 + i] = char(bytes[5 * 4096 + 200 + i] ^ 0x5A);
        writeBytes(path, bytes);

        const DatabaseFileCheck check = CheckDatabaseFile(ConnectionTextFor(path));
        QVERIFY(!check.ok);
        QVERIFY2(check.failure.startsWith("数据库文件已损坏,请从备份中恢复（"), qPrintable(check.failure));
        QVERIFY2(check.failure.endsWith(",备份文件在 " + QDir::toNativeSeparators(BackupFolder(path))),
                 qPrintable(check.failure));
        QCOMPARE(bytesOf(path), bytes);
    }

    // Another program holds the database: the clerk reads why, with the engine's text after it.
    void aLockSpeaksChinese()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        db::Connection other;
        other.setConnectionString(GP.ConnectionText);
        other.open();
        other.execute("begin immediate");
        lockWaits = 0;
        sqlite3_busy_handler(dm->ADOConnection.handle(), countWait, nullptr);
        QVERIFY(!ExecSql("insert into dwinfo (dwmc) values ('甲')"));
        QCOMPARE(GP.LastError, QString("提交时出现异常->数据库正被其他程序使用(已锁定),请稍后再试（database is locked）"));
        QVERIFY(!ExecSqlBatch({"insert into dwinfo (dwmc) values ('甲')"}));
        QCOMPARE(GP.LastError, QString("提交失败->数据库正被其他程序使用(已锁定),请稍后再试（database is locked）"));
        QCOMPARE(lockWaits, 2);
        other.rollbackTrans();
    }

    void aFullDiskSpeaksChinese()
    {
        TestDatabase tdb;
        QVERIFY(tdb.ok());
        const int pages = CountRows("select * from post"); // connect
        QVERIFY(pages >= 0);
        dm->ADOConnection.execute("pragma max_page_count=20");
        bool full = false;
        for (int i = 0; i < 200 && !full; ++i)
            full = !ExecSql(QString("insert into post (bkdh,bkmc) values ('1-%1','%2')").arg(i).arg(QString(2000, 'x')));
        QVERIFY(full);
        QCOMPARE(GP.LastError, QString("提交时出现异常->磁盘已满,无法写入数据库,请腾出磁盘空间（database or disk is full）"));
    }

    // Opening a plain database, or one keyed otherwise, says which it is.
    void openingForeignFilesSpeaksChinese()
    {
        QTemporaryDir dir;
        makeDatabase(dir.filePath("plain.mdb"), QByteArray(), kSixTables);
        makeDatabase(dir.filePath("otherkey.mdb"), "secret", kSixTables);
        for (const auto &[name, sentence] : {std::pair{"plain.mdb", "该文件是未加密的SQLite数据库,不是本系统的数据库（"},
                                             std::pair{"otherkey.mdb", "数据库密码不符,或该文件不是本系统的数据库（"}}) {
            db::Connection connection;
            connection.setConnectionString(ConnectionTextFor(dir.filePath(QString::fromLatin1(name))));
            try {
                connection.open();
                QFAIL("opened");
            } catch (const db::DbError &e) {
                QVERIFY2(e.message().startsWith(QString::fromUtf8(sentence)), qPrintable(e.message()));
                QVERIFY(e.message().endsWith("file is encrypted or is not a database）"));
            }
        }
    }

    // A read-only file and a read-only folder (no room for the engine's journal files) say so.
    void readOnlyFileAndFolderSpeakChinese()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("desk");
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath("bkdata.mdb");
        {
            TestDatabase made;
            QVERIFY(made.ok());
            delete dm;
            dm = nullptr;
            QVERIFY(QFile::copy(made.path(), path));
        }
        {
            ReadOnlyPath readOnly(path);
            if (!readOnly.ok())
                QSKIP("this machine cannot make a file read-only for this user");
            const QString message = failureOfAWrite(path);
            QVERIFY2(message.startsWith("数据库文件是只读的,无法写入,请检查文件属性（"), qPrintable(message));
            QVERIFY2(message.contains("readonly database"), qPrintable(message));
        }
        // The engine keeps the journal files it could make beside a read-only file; they go.
        QFile::remove(path + "-wal");
        QFile::remove(path + "-shm");
        {
            ReadOnlyPath readOnly(folder);
            if (!readOnly.ok())
                QSKIP("this machine cannot make a folder read-only for this user");
            const QString message = failureOfAWrite(path);
            QVERIFY2(message.startsWith("数据库所在的文件夹是只读的,无法建立数据库的日志文件,请检查文件夹权限（"),
                     qPrintable(message));
        }
    }
};

QTEST_MAIN(TestDatabaseCheck)
#include "tst_database_check.moc"
