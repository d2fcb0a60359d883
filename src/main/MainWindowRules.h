#pragma once
// Small rules of the main window that need no window: where it goes on the screen and what its
// status line says.

#include <QRect>
#include <QString>

// The window's frame: the screen's top-left corner, the screen's width, and the height of the work
// area (the screen without the task bar) plus 3 pixels.
QRect MainWindowGeometry(const QRect &screen, const QRect &workArea);

// The status line for row `recNo` of `count` rows on the tab captioned `tabCaption`:
// "  邮发报刊目录  12/3456".
QString CatalogueStatusText(const QString &tabCaption, int recNo, int count);

// The catalogue tabs shown while the catalogue type table has no row.
QStringList DesignTimeTabs();
