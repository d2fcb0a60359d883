#pragma once
// Entering one entry into the register of irregular issues: the title is looked up in its catalogue,
// the entry checked against the title's entries and publication days, and written with one INSERT.
// Used by the register window for its own entries and for each row of an imported sheet.

#include "calendar/IrregularIssues.h"

#include <QString>

// A title's counting columns as its catalogue holds them.
struct CatalogueTitle {
    QString name; // bkmc
    QString kq;
    QString cbrq;
};
// "select bkmc,kq,cbrq from post where bkdh='...'" (type 0) or from nopost of that type.
QString CatalogueTitleStatement(const TitleRef &title);
// 1 when the title is in its catalogue, 0 when not, -1 on failure with GP.LastError set.
int FindCatalogueTitle(const TitleRef &title, CatalogueTitle *found);

struct RegisterOutcome {
    enum class Kind {
        Written,           // the entry is in the register now
        AlreadyRegistered, // an entry of the same kind and dates was there; nothing written
        Refused,           // text says why; nothing written
        Failed             // the database failed; text is GP.LastError
    };
    Kind kind = Kind::Refused;
    QString text;
};
// Checks the entry for the title in `year` and writes it when it passes.
RegisterOutcome RegisterIrregularIssue(const TitleRef &title, const CatalogueTitle &catalogue, int year,
                                       const IrregularIssue &entry);
