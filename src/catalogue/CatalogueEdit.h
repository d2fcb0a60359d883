#pragma once
// Writing a correction of one catalogue entry through the catalogue query that shows it: the current
// row is edited, posted inside a transaction of its own and committed; on any failure the transaction
// is rolled back and the row shows its old values again.

#include "db/Connection.h"
#include "db/Query.h"

#include <QList>
#include <QString>
#include <QVariant>

struct CatalogueFieldChange {
    QString field;
    QVariant value;
};

// Whether `query` is open on a current row that can be corrected.
bool HasCurrentEntry(const db::Query *query);

// Assigns `changes` to the current row of `query`, then posts and commits inside a transaction on
// `connection`. False with the error's text in `error` when any step fails.
bool PostCatalogueChanges(db::Query &query, db::Connection &connection, const QList<CatalogueFieldChange> &changes,
                          QString *error);
