// Tavrin系统: one copy per user; a second start brings the running copy to the front and ends.

#include "data/DatabaseLocation.h"
#include "platform/Application.h"
#include "platform/SingleInstance.h"
#include "shell/CommandLine.h"
#include "shell/ProgramEntry.h"

#include <QFileInfo>

#include <cstdio>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = ReadCommandLine(arguments);
    switch (line.action) {
    case CommandLine::Action::Help: print(stdout, HelpText()); return 0;
    case CommandLine::Action::Version: print(stdout, VersionText()); return 0;
    case CommandLine::Action::Error: print(stderr, line.error + QLatin1Char('\n')); return 2;
    case CommandLine::Action::Run: break;
    }
    if (const QString missing = MissingDisplayLine(arguments); !missing.isEmpty()) {
        print(stderr, missing + QLatin1Char('\n'));
        return 1;
    }

    platform::SingleInstance guard;
    if (!guard.claim()) {
        guard.signalRunningCopy();
        return 0;
    }
    WatchDisplayConnection();
    platform::Application app(argc, argv);
    RestoreMessages();

    const DatabaseLocation location = ChooseDatabaseLocation(line.database);
    SetDatabaseLocation(location);
    if (location.serverFile.isEmpty() && !QFileInfo(location.filePath).isFile())
        print(stderr, MissingDatabaseHint(location.filePath) + QLatin1Char('\n'));
    return RunTavrin(&guard);
}
