#include "shell/ServerLogin.h"

#include "data/DatabaseLocation.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"
#include "db/PasswordNeeded.h"
#include "platform/Dialogs.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString MissingDatabaseMessage(const QString &databasePath)
{
    if (QFileInfo(databasePath).isFile()) {
        if (!IsServerSettingsPath(databasePath))
            return QString();
        const QString problem = ReadServerSettings(databasePath).problem;
        return problem.isEmpty() ? QString() : QStringLiteral("连接数据库失败->") + problem;
    }
    if (IsServerSettingsPath(databasePath))
        return QStringLiteral("找不到数据库服务器的设置文件") + databasePath + QStringLiteral(",请与系统员联系...");
    return QStringLiteral("系统目录无数据库文件,请与系统员联系...\n\n") + MissingDatabaseDetails(databasePath);
}

bool OpenDatabaseAtLogin(QWidget *owner)
{
    dm->ADOConnection.setConnectionString(GP.ConnectionText);
    try {
        dm->ADOConnection.open();
        return true;
    } catch (const db::PasswordNeeded &) {
    }
    // Asked until the server takes the password or the clerk gives up; a refused password is never
    // kept for the next try.
    const ServerSettings settings = ReadServerSettings(GP.DatabasePath);
    for (bool refused = false;; refused = true) {
        ServerPasswordDialog ask(settings.user, settings.host, owner);
        if (refused)
            ask.setRefused();
        if (platform::ExecModal(&ask) != QDialog::Accepted) {
            GP.ConnectionText = ServerConnectionText(settings);
            return false;
        }
        GP.ConnectionText = ServerConnectionText(settings, ask.password());
        dm->ADOConnection.setConnectionString(GP.ConnectionText);
        try {
            dm->ADOConnection.open();
            return true;
        } catch (const db::PasswordNeeded &) {
            GP.ConnectionText = ServerConnectionText(settings);
        }
    }
}

void ServerPasswordDialog::setRefused()
{
    promptLabel->setText(QStringLiteral("密码不正确,请重新输入。\n") + promptLabel->text());
}

ServerPasswordDialog::ServerPasswordDialog(const QString &user, const QString &server, QWidget *owner)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Tavrin系统"));
    auto *layout = new QVBoxLayout(this);
    promptLabel = new QLabel(QStringLiteral("请输入数据库服务器%1上用户%2的密码:").arg(server, user), this);
    layout->addWidget(promptLabel);
    passwordEdit = new QLineEdit(this);
    passwordEdit->setEchoMode(QLineEdit::Password);
    layout->addWidget(passwordEdit);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString ServerPasswordDialog::password() const
{
    return passwordEdit->text();
}
