#pragma once
// What the search needs of the catalogue texts, computed once and kept in table bkjs, one row per
// distinct text: lb 1 for a title (yw the title as the catalogue holds it, py its spellings, szm its
// initials), lb 2 for a serial number (yw a 国内统一刊号 or ISSN as held, py the forms it is found
// by). Each list is written between "|" marks ("|renminribao|"), so a search text (letters only) is
// found inside one entry and a whole entry is found with its marks. Rows are keyed by the text, not
// by the code: two entries with the same title share their row, and a corrected title simply needs
// the row of its new text.
//
// The rows are added for texts that lack one at login, after a catalogue import and after an entry's
// correction; rows of texts no catalogue holds any more are removed at login.

#include <QHash>
#include <QString>
#include <QStringList>

// The statements that give a database the table and its index; each may run again on a database
// that has them.
QStringList SearchDataTableStatements();
// Runs them (at login, before anything searches). False with GP.LastError on failure. On a server,
// as for the register table, they run only when the table is missing.
bool EnsureSearchDataTable();
// Adds the rows the catalogue texts lack and, with `prune`, removes the rows of texts no catalogue
// holds. False with GP.LastError on failure; `added` gets the number of rows written.
bool RefreshSearchData(bool prune = false, int *added = nullptr);

// The statements RefreshSearchData writes for these texts (rows of at most `chunk` texts each).
QStringList SearchDataInserts(const QStringList &titles, const QStringList &serials, int chunk = 200);

// The conditions of a search, without a leading " and": the title reads with `key` inside its
// spellings or initials (ReadingSearchKey); the 国内统一刊号 or the ISSN has the form `key`
// (SerialSearchKey).
QString TitleReadingCondition(const QString &key);
QString SerialNumberCondition(const QString &key);

// Every title's spellings and initials, for finding among the rows already loaded. The number of
// titles, -1 on failure with GP.LastError.
int LoadTitleReadings(QHash<QString, QStringList> *readings);
