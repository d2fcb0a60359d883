#pragma once
// The settings file that points a desk at a PostgreSQL server instead of the database file: an INI
// file (tavrin.ini beside the program, or the file that --database names) with a [server] group:
//
//   [server]
//   host=db.example.org
//   port=5432
//   database=bkdata
//   user=desk1
//   sslmode=prefer
//
// host may also be the folder of a Unix socket; sslmode is libpq's (disable, allow, prefer - the
// default -, require, verify-ca, verify-full).
// A password is never kept there: libpq reads the user's ~/.pgpass, or the login asks for it.

#include <QString>

struct ServerSettings {
    QString host;
    QString port;
    QString database;
    QString user;
    QString sslMode = QStringLiteral("prefer");
};

// The settings file's name beside the program.
inline QString ServerSettingsFileName()
{
    return QStringLiteral("tavrin.ini");
}

// A database path that names a settings file (ending in .ini) rather than a database file.
bool IsServerSettingsPath(const QString &path);

// Reads a settings file; missing keys stay empty (libpq then uses its defaults).
ServerSettings ReadServerSettings(const QString &settingsPath);

// The connection text for a server (a password only when one is given; it is kept percent-encoded).
QString ServerConnectionText(const ServerSettings &settings, const QString &password = QString());
