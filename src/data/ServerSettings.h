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
//   sslrootcert=/etc/tavrin/root.crt
//
// host, database and user must be there; port (default 5432), sslmode (libpq's: disable, allow, prefer
// - the default -, require, verify-ca, verify-full) and sslrootcert (the certificate authorities that
// vouch for the server, a file relative to the settings file's folder unless absolute; default: the
// clerk's ~/.postgresql/root.crt, when there is one) may be left out. host is one server: a name, an
// address, or the folder of a Unix socket. Key names are written in small letters, one key a line;
// a value is taken as it stands after '=' (blanks at either end dropped). Blank lines and lines that
// start with ';' or '#' are skipped. Anything else (another group, an unknown or repeated key, a line
// without '=', a file that is no text) makes the whole file refused, and no connection is tried:
// nothing from the environment or the client library's defaults fills in what the file does not say.
// A password is never kept there: libpq reads the user's ~/.pgpass, or the login asks for it.

#include <QString>

struct ServerSettings {
    QString host;
    QString port = QStringLiteral("5432");
    QString database;
    QString user;
    QString sslMode = QStringLiteral("prefer");
    QString sslRootCert; // absolute; empty: the client library's ~/.postgresql/root.crt
    // Why the file is refused, naming it and the key or line at fault; empty for a usable file.
    QString problem;
};

// The settings file's name beside the program.
inline QString ServerSettingsFileName()
{
    return QStringLiteral("tavrin.ini");
}

// A database path that names a settings file (ending in .ini) rather than a database file.
bool IsServerSettingsPath(const QString &path);

// Reads a settings file. When it is refused, `problem` says why and the other fields must not be used.
ServerSettings ReadServerSettings(const QString &settingsPath);

// The connection text for a server (a password only when one is given; it is kept percent-encoded).
// For refused settings the text names no server, and opening it fails without connecting anywhere.
QString ServerConnectionText(const ServerSettings &settings, const QString &password = QString());
