#pragma once
// The program's command line, read before any window system is touched, so that --help and
// --version answer without a display, and a start without one ends with one plain line.
//   tavrin [--database PATH] [--help] [--version]
// Options of Qt's own (-platform, -style, ...) are left to Qt.

#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString database; // --database PATH: the database file, or a server's settings file (.ini)
    QString error;    // for Action::Error: what is wrong, one line
};

CommandLine ReadCommandLine(const QStringList &arguments);

QString HelpText();
QString VersionText();

// One line saying that no display can be reached, or empty when the program may try. Looks at the
// environment (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM) and at a -platform argument.
QString MissingDisplayLine(const QStringList &arguments);

// Installs a message handler that, while the application object connects to the display, turns Qt's
// failure to find one into one plain line on standard error and ends the process with code 1.
// RestoreMessages() puts back the previous handler once the application object exists.
void WatchDisplayConnection();
void RestoreMessages();
