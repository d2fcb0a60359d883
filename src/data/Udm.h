#pragma once
// The data module: the program-wide settings record, the one database connection with its shared
// scratch query, and the helpers through which all database work runs. The helpers never show
// anything: they report failures through their result and GP.LastError (which success never clears).

#include "db/Connection.h"
#include "db/Query.h"

#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;

// Program-wide settings, one instance for the whole run. It stays global because every part of the
// program reads the same processing year, role and connection, and the helpers below report through
// its LastError.
struct TGP {
    QString DatabasePath;
    QString ServerFile; // a settings file naming a database server (--database x.ini); empty: the file engine
    QString ConnectionText;
    QString LastError;
    qint32 WorkYear = 0;
    qint32 UserRole = 0; // 0 操作员, 1 管理员, 2 系统员
};
extern TGP GP;

// The record attached to each entry of a unit combo box (entry text = unit name).
struct TMyRc {
    qint32 id = 0;
    QString lxr;
    QString phone;
};

class Tdm {
public:
    Tdm();
    ~Tdm();
    db::Connection ADOConnection;
    db::Query ADOQuery1;
};
// The data module of the run; created after the main window, alive until the program ends. It stays
// global because the program holds exactly one database connection, which every helper below uses.
extern Tdm *dm;

// The connection text for a database file, or for the server that a settings file (*.ini) names (a
// refused settings file gives a text that connects nowhere; ReadServerSettings says why).
QString ConnectionTextFor(const QString &databasePath);

// A text value for splicing between single quotes into a statement: apostrophes doubled.
// Every statement builder of the program passes its text values through here.
QString SqlText(const QString &value);

// The same value as a whole text literal, between single quotes.
QString SqlQuoted(const QString &value);

// Opens the connection when it is not open (after a lost link: anew). A connection made anew is told
// to the clerk through the connection notice, with what became of a commit whose outcome the lost
// link left unknown; a write (`forWriting`) is refused once when that commit turns out written, so
// that the clerk looks before writing it again. On failure LastError says why.
bool EnsureConnected(bool forWriting = false);

// Where the program shows that the connection was made anew (the main window's status line).
void SetConnectionNotice(std::function<void(const QString &text)> show);

// Runs `work` inside one transaction and commits it; `work` returns false to write nothing (a
// refusal: rolled back, RunTransaction returns false). On a server the transaction runs again from
// its start when the server ended it for another desk's concurrent transaction, or when the link
// broke before anything was written (the connection made anew first). Throws the DbError that
// ended it otherwise; nothing is written then.
bool RunTransaction(const std::function<bool()> &work);

// SELECT into a query object as OpenQuery does (an empty result leaves it closed), throwing DbError.
void OpenRows(const QString &sql, db::Query &query);

// SELECT into a query object: row count, 0 for none (query closed, SQL emptied), -1 on failure.
int OpenQuery(const QString &sql, db::Query &query);
// One INSERT, UPDATE or DELETE; inside a transaction that is open, or else in one of its own (run
// again as RunTransaction says).
bool ExecSql(const QString &sql);
// The same, for a statement whose effect depends on what it finds: the number of rows it changed
// (0 is no success), -1 on failure.
qint64 ExecSqlCounted(const QString &sql);
// The statements in order inside one transaction; on any failure none remains in effect.
bool ExecSqlBatch(const QStringList &sqls);
// The number of rows a SELECT yields, -1 on failure (LastError is the bare engine message).
int CountRows(const QString &sql);
// Every row of a SELECT as texts (one per column, empty for NULL), in the rows' order. Returns the
// number of rows, or -1 on failure with the bare engine message in LastError (as CountRows).
int ReadRows(const QString &sql, QList<QStringList> *rows);

// Fills a combo box with the units of dwinfo (each entry owning a TMyRc), none selected.
void LoadUnitList(QComboBox *box);
// Releases the records of a unit combo box and empties it.
void ClearUnitList(QComboBox *box);
// The record attached to entry `index` of a unit combo box, or nullptr.
TMyRc *UnitRecord(QComboBox *box, int index);
