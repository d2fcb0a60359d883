#pragma once
// The program after its application object exists: main window, data module, login, message loop.

namespace platform {
class SingleInstance;
}

// Creates the main window and the data module and runs the login. After a successful login the
// main window is shown and the message loop runs until it ends; an abandoned login destroys the
// main window unshown. `guard` (may be null) starts answering later starts once the main window
// exists. Returns the process exit code, always 0.
int RunTavrin(platform::SingleInstance *guard);
