#include "CreateDatabase.h"

#include "DemoCatalogue.h"

#include "db/Sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bkdata {

namespace {

const char *const kPassword = "qelmaz";

// The seven tables and the search data of the catalogue texts (filled at the first login). Text
// columns hold what the program writes between quotes, numeric ones the rest;
// ids are assigned on insert and only grow; an order line's joindate is filled at insert, to the
// millisecond, so lines keep the order in which they were entered.
const char *const kSchema = R"SQL(
create table bkmllx (id integer primary key, mc text);
create table post (
  bkdh text not null, bkmc text, kq text, cbrq text,
  qnj real, dj real, yj real, jj real, bnj real,
  cn text, issn text, bkfl text, bz text, bkjb text, fbkj text, bkzl text, mllx integer);
create index post_bkdh on post (bkdh);
create table nopost (
  bkdh text not null, bkmc text, kq text, cbrq text,
  qnj real, dj real, yj real, jj real, bnj real,
  cn text, issn text, bkfl text, bz text, bkjb text, fbkj text, bkzl text, mllx integer);
create index nopost_bkdh on nopost (bkdh);
create index nopost_mllx on nopost (mllx);
create table dwinfo (id integer primary key autoincrement, dwmc text, lxr text, phone text);
create table torder (
  id integer primary key autoincrement, dwid integer, mllx integer, bkdh text, kq text,
  qdy integer, zdy integer, fs integer, ke real,
  joindate text default (strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')));
create index torder_dwid on torder (dwid, mllx);
create table rqdzb (cbrq text, week integer, weeknum integer);
create table tkhkb (
  mllx integer not null, bkdh text not null, nd integer not null,
  lb text not null, qr text not null, zr text not null, sm text);
create index tkhkb_title on tkhkb (mllx, bkdh, nd, qr);
create table bkjs (lb integer not null, yw text not null, py text, szm text);
create index bkjs_yw on bkjs (lb, yw);
insert into bkmllx (id, mc) values (0, '邮发报刊目录');
insert into bkmllx (id, mc) values (1, '非邮发报刊目录');
insert into bkmllx (id, mc) values (2, '人大资料报刊目录');
insert into bkmllx (id, mc) values (3, '图书目录');
)SQL";

bool run(sqlite3 *handle, const QByteArray &sql, QString *error)
{
    if (sqlite3_exec(handle, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    *error = QString::fromUtf8(sqlite3_errmsg(handle));
    return false;
}

bool fill(sqlite3 *handle, const CreateOptions &options, QString *error)
{
    if (!run(handle, "pragma journal_mode=WAL; begin;", error) || !run(handle, kSchema, error))
        return false;
    if (options.demo) {
        for (const QString &statement : demoStatements(options.demoPostalRows))
            if (!run(handle, statement.toUtf8(), error))
                return false;
    }
    return run(handle, "commit;", error);
}

} // namespace

bool createDatabase(const QString &path, const CreateOptions &options, QString *error)
{
    QString ignored;
    if (!error)
        error = &ignored;
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("%1 exists already; it is not overwritten").arg(path);
        return false;
    }
    // Built beside the target and renamed at the end, so a failure leaves no file behind.
    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    sqlite3 *handle = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(building).constData(), &handle,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        == SQLITE_OK;
    if (!ok)
        *error = handle ? QString::fromUtf8(sqlite3_errmsg(handle)) : QStringLiteral("out of memory");
    if (ok && sqlite3_key(handle, kPassword, int(qstrlen(kPassword))) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(handle));
        ok = false;
    }
    ok = ok && fill(handle, options, error);
    // Leave a single file: fold the write-ahead log back before renaming.
    ok = ok && run(handle, "pragma wal_checkpoint(TRUNCATE);", error);
    sqlite3_close(handle);
    if (ok && !QFile::rename(building, path)) {
        *error = QStringLiteral("cannot create %1").arg(path);
        ok = false;
    }
    if (!ok) {
        QFile::remove(building);
        QFile::remove(building + QStringLiteral("-wal"));
        QFile::remove(building + QStringLiteral("-shm"));
    }
    return ok;
}

} // namespace bkdata
