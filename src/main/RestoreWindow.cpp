#include "main/RestoreWindow.h"

#include "data/Restore.h"
#include "data/Udm.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

} // namespace

QString BackupSizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024)
        return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MB");
    return QString::number((bytes + 1023) / 1024) + QStringLiteral(" KB");
}

TRestoreFrm::TRestoreFrm(const QString &databasePath, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_databasePath(databasePath)
{
    setObjectName(QStringLiteral("restoreFrm"));
    setWindowTitle(QStringLiteral("数据恢复"));
    setFont(QFont(QStringLiteral("宋体"), 9));
    setFixedSize(520, 340);

    folderLabel = new QLabel(this);
    folderLabel->setObjectName(QStringLiteral("folderLabel"));
    folderLabel->setGeometry(12, 10, 496, 18);

    list = new QTableWidget(0, 3, this);
    list->setObjectName(QStringLiteral("list"));
    list->setGeometry(12, 32, 496, 252);
    list->setHorizontalHeaderLabels({QStringLiteral("备份时间"), QStringLiteral("原因"), QStringLiteral("大小")});
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->setVisible(false);
    list->setColumnWidth(0, 170);
    list->setColumnWidth(1, 150);
    list->horizontalHeader()->setStretchLastSection(true);

    restoreBtn = new QPushButton(QStringLiteral("恢复"), this);
    restoreBtn->setObjectName(QStringLiteral("restoreBtn"));
    restoreBtn->setGeometry(322, 298, 85, 29);
    closeBtn = new QPushButton(QStringLiteral("关闭"), this);
    closeBtn->setObjectName(QStringLiteral("closeBtn"));
    closeBtn->setGeometry(423, 298, 85, 29);

    platform::ConnectAction(restoreBtn, &QPushButton::clicked, this, &TRestoreFrm::restoreBtnClick);
    connect(closeBtn, &QPushButton::clicked, this, &QDialog::reject);
    fillList();
}

void TRestoreFrm::fillList()
{
    m_entries = ListBackups(m_databasePath);
    folderLabel->setText(QStringLiteral("备份位置：") + QDir::toNativeSeparators(BackupFolder(m_databasePath)));
    list->setRowCount(int(m_entries.size()));
    for (int row = 0; row < m_entries.size(); ++row) {
        const BackupEntry &entry = m_entries.at(row);
        list->setItem(row, 0, new QTableWidgetItem(entry.time.toString(kTimeFormat)));
        list->setItem(row, 1, new QTableWidgetItem(BackupReasonText(entry.reason)));
        auto *size = new QTableWidgetItem(BackupSizeText(entry.size));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        list->setItem(row, 2, size);
    }
    // Nothing is chosen until the clerk picks a copy.
    list->setCurrentCell(-1, -1);
    list->clearSelection();
    restoreBtn->setEnabled(!m_entries.isEmpty());
    if (m_entries.isEmpty())
        folderLabel->setText(folderLabel->text() + QStringLiteral("（没有备份）"));
}

void TRestoreFrm::restoreBtnClick()
{
    const int row = list->currentRow();
    if (row < 0 || row >= m_entries.size() || list->selectedItems().isEmpty()) {
        platform::ShowHint(this, QStringLiteral("请选择要恢复的备份..."));
        return;
    }
    const BackupEntry entry = m_entries.at(row);
    const QString question = QStringLiteral("确定要用 %1 的备份(%2)恢复数据吗?\n现有数据将先备份,然后被替换。")
                                 .arg(entry.time.toString(kTimeFormat), BackupReasonText(entry.reason));
    if (!platform::Confirm(this, question))
        return;
    if (!dm) {
        platform::ShowError(this, QStringLiteral("数据恢复失败->the data module does not exist"));
        return;
    }
    const RestoreResult result = RestoreBackup(dm->ADOConnection, entry.path);
    if (!result.restored) {
        platform::ShowError(this, result.error);
        fillList();
        return;
    }
    QString notice = QStringLiteral("数据恢复完毕,恢复前的数据已备份到:\n") + QDir::toNativeSeparators(result.safetyCopy);
    if (!result.error.isEmpty())
        notice += QLatin1Char('\n') + result.error;
    platform::ShowInfo(this, notice);
    accept();
}

bool ShowRestoreForm(const QString &databasePath)
{
    return platform::ShowModalForm<TRestoreFrm>(databasePath) == QDialog::Accepted;
}
