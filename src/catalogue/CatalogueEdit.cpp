#include "catalogue/CatalogueEdit.h"

#include <exception>

bool HasCurrentEntry(const db::Query *query)
{
    return query && query->active() && !query->isEmpty() && query->recNo() > 0;
}

bool PostCatalogueChanges(db::Query &query, db::Connection &connection, const QList<CatalogueFieldChange> &changes,
                          QString *error)
{
    bool began = false;
    try {
        for (const CatalogueFieldChange &change : changes)
            query.setFieldValue(change.field, change.value);
        connection.beginTrans();
        began = true;
        query.post();
        query.updateRecord();
        connection.commitTrans();
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
