#pragma once
// Creates the program's database file: the seven tables, the catalogue types, and on request a demo
// catalogue with three units. Used by the bkdata tool, by scripts/run and by the tests.

#include <QString>

namespace bkdata {

struct CreateOptions {
    bool demo = false;      // add the demo catalogue and units
    int demoPostalRows = 0; // extra generated postal titles (for benchmarks); 0 = just the demo set
};

// Creates `path` encrypted with the program's password. Refuses (returns false) when the file exists.
// On failure `error` holds the reason and no file is left behind.
bool createDatabase(const QString &path, const CreateOptions &options, QString *error);

} // namespace bkdata
