#pragma once
// Where the program keeps its database. A copy run from its build or unpacked folder keeps
// bkdata.mdb beside the program; an installed copy (program in a system folder such as /usr/bin)
// keeps it in the user's data folder (XDG: ~/.local/share/tavrin). `--database PATH` names it
// instead: a file, or a settings file (.ini) that describes a database server.

#include <QString>

struct DatabaseLocation {
    QString filePath;     // the database file of the file engine
    QString serverFile;   // a settings file naming a database server; empty: the file engine
    bool explicitlyNamed = false; // named by --database rather than found by the rules
};

// True when `programDir` is a system folder of installed programs.
bool IsInstalledProgramDir(const QString &programDir);

// The location for a program in `programDir`, with `named` from --database (empty: none) and
// `userDataDir` the user's data folder (~/.local/share).
DatabaseLocation ChooseDatabaseLocation(const QString &programDir, const QString &named,
                                        const QString &userDataDir);
// The same for this process: the program's folder and the user's real data folder.
DatabaseLocation ChooseDatabaseLocation(const QString &named);

// The location this run uses; set once at start-up (the default: bkdata.mdb beside the program).
void SetDatabaseLocation(const DatabaseLocation &location);
DatabaseLocation CurrentDatabaseLocation();

// Where the program looked for a missing database file and how to create one there (the login's
// message shows it too).
QString MissingDatabaseDetails(const QString &filePath);
// The same for standard error, naming the program.
QString MissingDatabaseHint(const QString &filePath);
