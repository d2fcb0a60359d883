#pragma once
// What runs before 系统初始, 清空全部记录 and a catalogue import delete anything (the import window and
// the main window's order area use it): on the database file a copy is written (a failure stops the
// action with its message); on a server the program copies nothing and the clerk confirms that the
// office's own server backup is current (default 否).

#include "data/Backup.h"

class QWidget;

// True when the action may go on; `result` (optional) receives what was written.
bool BackupBeforeDeleting(QWidget *owner, BackupReason reason, BackupResult *result = nullptr);
