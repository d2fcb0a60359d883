#include "shell/ProgramEntry.h"

#include "data/Restore.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "platform/Dialogs.h"
#include "platform/SingleInstance.h"
#include "shell/uloginfrm.h"

#include <QApplication>
#include <QPointer>

#include <cstdio>

namespace {

// The first login of a day leaves a copy of the database as it was when the day's work began. A copy
// that cannot be written does not keep the clerk from working; standard error says why.
void writeDailyBackup()
{
    const BackupResult result = WriteDailyBackup(dm->ADOConnection, QDate::currentDate());
    if (result.failed())
        std::fprintf(stderr, "Tavrin系统: 每日备份未能写入->%s\n", result.error.toUtf8().constData());
}

} // namespace

int RunTavrin(platform::SingleInstance *guard)
{
    QPointer<TbkMainFrm> mainForm = new TbkMainFrm();
    if (guard)
        guard->listen([mainForm] { platform::RaiseWindow(mainForm); });
    dm = new Tdm();

    if (platform::ShowModalForm<Tloginfrm>(nullptr) == QDialog::Accepted) {
        writeDailyBackup();
        mainForm->show();
        QApplication::exec();
    } else {
        platform::ProcessMessages();
        delete mainForm;
        platform::ProcessMessages();
        QApplication::quit();
    }
    if (guard)
        guard->stopListening();
    // The main window goes before the data module whose connection its queries use.
    delete mainForm;
    delete dm;
    dm = nullptr;
    return 0;
}
