#pragma once
// "数据恢复": the 系统员 picks one of the safety copies beside the database (time, reason, size) and
// restores it after a question; the state it replaces is copied first (Restore.h).

#include "data/Backup.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;

class TRestoreFrm : public QDialog {
    Q_OBJECT
public:
    explicit TRestoreFrm(const QString &databasePath, QWidget *parent = nullptr);

    QLabel *folderLabel;
    QTableWidget *list;        // one row per copy, newest first
    QPushButton *restoreBtn;   // 恢复
    QPushButton *closeBtn;     // 关闭

    const QList<BackupEntry> &entries() const { return m_entries; }

public slots:
    void restoreBtnClick();

private:
    void fillList();

    QString m_databasePath;
    QList<BackupEntry> m_entries;
};

// Shows the window modally; true when a copy was restored.
bool ShowRestoreForm(const QString &databasePath);

// "1.5 MB", "320 KB": the size column.
QString BackupSizeText(qint64 bytes);
