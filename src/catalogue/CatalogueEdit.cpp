#include "catalogue/CatalogueEdit.h"

#include "catalogue/CatalogueImport.h"
#include "catalogue/SearchData.h"

#include <exception>

bool HasCurrentEntry(const db::Query *query)
{
    return query && query->active() && !query->isEmpty() && query->recNo() > 0;
}

bool PostCatalogueChanges(db::Query &query, db::Connection &connection, const QList<CatalogueFieldChange> &changes,
                          QString *error)
{
    // The window offers no change of the code; should one come, it must keep the catalogue sortable.
    for (const CatalogueFieldChange &change : changes) {
        if (change.field.compare(QLatin1String("bkdh"), Qt::CaseInsensitive) == 0
            && !IsCatalogueCode(change.value.toString())) {
            if (error)
                *error = QStringLiteral("报刊代号“%1”无效(应为以“-”相连的两个整数,如 4-2)").arg(change.value.toString());
            return false;
        }
    }
    bool began = false;
    try {
        for (const CatalogueFieldChange &change : changes)
            query.setFieldValue(change.field, change.value);
        connection.beginTrans();
        began = true;
        query.post();
        query.updateRecord();
        connection.commitTrans();
        // A corrected title gets what the search needs (should that fail, the next login adds it).
        RefreshSearchData();
        return true;
    } catch (const std::exception &failure) {
        if (began && connection.inTransaction()) {
            try {
                connection.rollbackTrans();
            } catch (const std::exception &) {
                // the engine has already ended the transaction
            }
        }
        query.cancel();
        if (error)
            *error = QString::fromUtf8(failure.what());
        return false;
    }
}
