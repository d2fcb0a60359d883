#include "orders/GuardedWrite.h"

#include "data/Udm.h"
#include "db/DbError.h"

GuardedWriteResult GuardedWrite(const QString &check, const std::function<bool(const db::Query &rows)> &allowed,
                                const QString &statement)
{
    if (!EnsureConnected(/*forWriting=*/true))
        return GuardedWriteResult::Failed;
    try {
        const bool written = RunTransaction([&] {
            // Read inside the transaction: this is the state the statement meets.
            db::Query rows;
            OpenRows(check, rows);
            if (!allowed(rows))
                return false;
            dm->ADOConnection.execute(statement);
            return true;
        });
        return written ? GuardedWriteResult::Written : GuardedWriteResult::Refused;
    } catch (const db::DbError &e) {
        GP.LastError = QStringLiteral("提交时出现异常->") + e.message();
        return GuardedWriteResult::Failed;
    }
}
