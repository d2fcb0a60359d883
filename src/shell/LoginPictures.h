#pragma once
// The pictures of the login dialog, drawn in code.

#include <QIcon>
#include <QPixmap>

QPixmap LoginPanelPicture();   // 32 × 32: a person before a key, for the title panel
QIcon OkButtonGlyph();         // green tick
QIcon ExitButtonGlyph();       // red door arrow
