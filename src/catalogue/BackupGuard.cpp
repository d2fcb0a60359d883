#include "catalogue/BackupGuard.h"

#include "platform/Dialogs.h"

bool BackupBeforeDeleting(QWidget *owner, BackupReason reason, BackupResult *result)
{
    const QString action = BackupReasonText(reason);
    const BackupResult backup = WriteBackup(reason);
    if (result)
        *result = backup;
    if (backup.failed()) {
        platform::ShowError(owner, BackupFailureMessage(action, backup));
        return false;
    }
    if (backup.status == BackupResult::Status::NotApplicable)
        return platform::ConfirmDefaultNo(owner, ServerBackupQuestion(action));
    return true;
}
