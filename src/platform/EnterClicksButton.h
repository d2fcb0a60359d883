#pragma once
// Clerks enter lines from the keyboard: in every window of the program a focused push button or tool
// button answers Enter (and the keypad's Enter) as it answers Space, by a click. Installed once on
// the application object; a window that handles Enter on its own buttons first keeps doing so.

class QCoreApplication;

namespace platform {

void InstallEnterClicksButton(QCoreApplication *application);

} // namespace platform
