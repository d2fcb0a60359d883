#include "orders/GuardedWrite.h"

#include "data/Udm.h"
#include "db/DbError.h"

namespace {

void rollBack()
{
    try {
        dm->ADOConnection.rollbackTrans();
    } catch (const db::DbError &) {
        // the engine already ended the transaction
    }
}

} // namespace

GuardedWriteResult GuardedWrite(const QString &check, const std::function<bool(const db::Query &rows)> &allowed,
                                const QString &statement)
{
    db::Query rows;
    // Opening the check first also opens the connection when it is not open yet.
    if (OpenQuery(check, rows) < 0)
        return GuardedWriteResult::Failed;
    try {
        dm->ADOConnection.beginTrans();
    } catch (const db::DbError &e) {
        GP.LastError = QStringLiteral("提交时出现异常->") + e.message();
        return GuardedWriteResult::Failed;
    }
    // Read again under the lock: this is the state the statement meets.
    if (OpenQuery(check, rows) < 0) {
        rollBack();
        return GuardedWriteResult::Failed;
    }
    if (!allowed(rows)) {
        rollBack();
        return GuardedWriteResult::Refused;
    }
    if (!ExecSql(statement)) {
        rollBack();
        return GuardedWriteResult::Failed;
    }
    try {
        dm->ADOConnection.commitTrans();
    } catch (const db::DbError &e) {
        rollBack();
        GP.LastError = QStringLiteral("提交时出现异常->") + e.message();
        return GuardedWriteResult::Failed;
    }
    return GuardedWriteResult::Written;
}
