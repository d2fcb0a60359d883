#pragma once
// The look at the database file that the login takes before the program opens it for work (opening
// for work already writes: it switches the file to its journal mode). Only reading is done here, so a
// file that is refused is left exactly as it was.
//
// Refused are: an empty file; a plain, unencrypted database of the engine; a file that does not open
// with the program's password (another program's file, another password); a database that lacks one
// of the program's six tables (bkmllx, post, nopost, dwinfo, torder, rqdzb; tables added later are not
// required, so a database from before they existed is accepted and gets them on first start) or one of
// the columns the program uses in them (ProgramSchema.h); and a
// database that fails the engine's quick integrity check (damaged). The check is bounded: one that
// has not finished within a second lets the file pass (a desk's file of 50 MB takes a fraction of
// that). The failure text puts a Chinese sentence first and the engine's own text after it; a damaged
// file's text names the backup folder.
//
// Only the encrypted file engine is looked at; a connection text without a Data Source (a server
// engine) passes, as does a file that does not exist (opening reports that in its own words).

#include <QString>
#include <QStringList>

struct DatabaseFileCheck {
    bool ok = true;
    QString failure; // when !ok: why, for "连接数据库失败->" + failure
};

DatabaseFileCheck CheckDatabaseFile(const QString &connectionText);
