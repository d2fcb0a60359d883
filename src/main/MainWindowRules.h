#pragma once
// Small rules of the main window that need no window: where it goes on the screen and what its
// status line says.

#include <QMargins>
#include <QRect>
#include <QString>

// The window's frame: the screen's top-left corner, the screen's width, and the height of the work
// area (the screen without the task bar) plus 3 pixels.
QRect MainWindowGeometry(const QRect &screen, const QRect &workArea);

// The window's own area (inside the window manager's title bar and borders, `frame`) when its frame
// is to cover `wanted` as far as the work area reaches: no part of the frame, the title bar with its
// close button least of all, lies outside the work area.
QRect ClientAreaWithinWorkArea(const QRect &wanted, const QMargins &frame, const QRect &workArea);

// The status line for row `recNo` of `count` rows on the tab captioned `tabCaption`:
// "  邮发报刊目录  12/3456".
QString CatalogueStatusText(const QString &tabCaption, int recNo, int count);

// The catalogue tabs shown while the catalogue type table has no row.
QStringList DesignTimeTabs();
