#pragma once
// The login's steps that differ between the database file and a server: the first check (is there a
// database to open) and opening the connection, which on a server may ask for the password.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// Empty when the database named by `databasePath` can be opened; else the message for the clerk: the
// database file, or the settings file of a server, is missing, or the settings file is refused (then
// no connection is tried).
QString MissingDatabaseMessage(const QString &databasePath);

// Opens dm->ADOConnection from GP.ConnectionText. A server that wants a password which neither the
// text nor the user's password file (~/.pgpass) gives makes the clerk type it (ServerPasswordDialog);
// it is then kept in GP.ConnectionText, in memory only, for reconnecting. A password the server
// refuses is asked for again (and forgotten). False when the clerk cancels; throws db::DbError with the engine's message when the database cannot be opened.
bool OpenDatabaseAtLogin(QWidget *owner);

// Asks for the server password of `user`.
class ServerPasswordDialog : public QDialog {
    Q_OBJECT
public:
    ServerPasswordDialog(const QString &user, const QString &server, QWidget *owner = nullptr);
    QString password() const;
    // Says that the password typed before was refused.
    void setRefused();
    QLineEdit *passwordEdit;
    QLabel *promptLabel;
};
