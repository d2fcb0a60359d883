#pragma once
// Writing a correction of an order line when another desk may be correcting or deleting the same line.
// The dialog read the line when it opened; the UPDATE names the values read (months, copies, amount)
// besides the id, so it changes the line only while it is still what the clerk saw. A line that was
// changed meanwhile is read again and handed back as it now is; one that was deleted is reported.

#include "orders/SubscriptionContext.h"

#include <QString>

#include <optional>

// " and qdy=4 and zdy=6 and fs=3 and ke=144": the line's columns as read (NULL as "is null"; the
// amount with every digit it was read with).
QString OrderLineUnchangedCondition(const StoredOrderLine &read);

// "update torder set <assignments without their leading comma> where id=<id>" + the condition above.
QString OrderCorrectionSql(const StoredOrderLine &read, const QString &assignments);

enum class CorrectionResult {
    Written, // the line was still as read and holds the correction now
    Changed, // another desk changed the line: nothing written, `now` holds it as it is
    Gone,    // another desk deleted the line: nothing written
    Failed   // a statement failed: nothing written, GP.LastError says why
};

// Writes `assignments` (",qdy=..,fs=.." as OrderChangedAssignments builds them) into the line `read`.
// `now` receives the line as stored when it was Changed.
CorrectionResult WriteOrderCorrection(const StoredOrderLine &read, const QString &assignments,
                                      std::optional<StoredOrderLine> *now);

// The line `id` as stored: 1 and `line` filled, 0 when it is gone, -1 on failure (GP.LastError).
int ReadOrderLine(qint64 id, StoredOrderLine *line);
