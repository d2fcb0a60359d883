#pragma once
// A write that depends on what the database holds at the moment it is written: an order line only
// for a unit that is still in dwinfo, a unit deleted only while it has no order lines, a unit name
// only while no other unit carries it. Another desk may change the table between the clerk's look
// and the click, so the check and the statement run inside one transaction: the file's holds the
// write lock from its start; the server's is serialisable and runs again from the check when
// another desk's transaction came between them.

#include "db/Query.h"

#include <QString>

#include <functional>

enum class GuardedWriteResult {
    Written, // the check allowed it and the statement ran
    Refused, // the check refused it; nothing was written
    Failed   // a statement failed; nothing was written and GP.LastError says why
};

// Opens `check` into a query handed to `allowed` (an empty result reaches it as a closed, empty
// query) and runs `statement` only when `allowed` says so. Failures are reported with the text of
// ExecSql ("提交时出现异常->"), a failed check included.
GuardedWriteResult GuardedWrite(const QString &check, const std::function<bool(const db::Query &rows)> &allowed,
                                const QString &statement);
