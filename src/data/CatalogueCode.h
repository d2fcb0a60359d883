#pragma once
// Catalogue codes (报刊代号): two whole numbers joined by "-" (1-1, 82-151). The catalogue lists its
// entries by the first number × 10000 + the second.

#include <QString>

// The sort key of a code; false for a code that is not two whole numbers (at most nine digits each,
// so that the engine's long integers hold them) joined by "-".
bool CatalogueSortKey(const QString &bkdh, qint64 &key);
