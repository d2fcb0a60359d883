#pragma once
// Where the order windows open: centred on the program's main window (the visible top-level main
// window of the application; on the screen when there is none). No window of this folder knows the
// main window's class.

class QWidget;

void CentreOnMainWindow(QWidget *form);
