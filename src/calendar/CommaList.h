#pragma once
// Reading a comma list as the publication-date descriptions write them: items are separated by
// commas or blanks, an item in double quotes may hold either (two quotes inside stand for one),
// two commas in a row or a comma at the end give an empty item, and an empty text gives no item.

#include <QString>
#include <QStringList>

QStringList SplitCommaList(const QString &text);

// True when every item is a whole number written in the digits 0 to 9 (and there is at least one).
bool AllWholeNumbers(const QStringList &items);
