// Tavrin系统: one copy per user; a second start brings the running copy to the front and ends.

#include "platform/Application.h"
#include "platform/SingleInstance.h"
#include "shell/ProgramEntry.h"

int main(int argc, char **argv)
{
    platform::SingleInstance guard;
    if (!guard.claim()) {
        guard.signalRunningCopy();
        return 0;
    }
    platform::Application app(argc, argv);
    return RunTavrin(&guard);
}
