#pragma once
// Where the order windows open: centred on the main window (on the screen when there is none).

class QWidget;

void CentreOnMainWindow(QWidget *form);
