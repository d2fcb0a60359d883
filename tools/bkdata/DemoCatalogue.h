#pragma once
// The demo catalogue: postal titles for every period (with publication-day texts the issue counting
// reads), entries of the other catalogue types, and three units.

#include <QStringList>

namespace bkdata {

// Insert statements for the demo data, plus `extraPostalRows` generated postal titles.
QStringList demoStatements(int extraPostalRows);

} // namespace bkdata
