#include "shell/ProgramEntry.h"

#include "data/ServerSettings.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "platform/Dialogs.h"
#include "platform/SingleInstance.h"
#include "shell/uloginfrm.h"

#include <QApplication>
#include <QPointer>

int RunTavrin(platform::SingleInstance *guard)
{
    QPointer<TbkMainFrm> mainForm = new TbkMainFrm();
    // --database names the database file or a server's settings file (.ini); without it a settings
    // file tavrin.ini beside the program points this desk at a server, else bkdata.mdb is opened.
    GP.DatabasePath = DatabasePathFor(QCoreApplication::arguments(), QCoreApplication::applicationDirPath());
    GP.ConnectionText = ConnectionTextFor(GP.DatabasePath);
    if (guard)
        guard->listen([mainForm] { platform::RaiseWindow(mainForm); });
    dm = new Tdm();

    if (platform::ShowModalForm<Tloginfrm>(nullptr) == QDialog::Accepted) {
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
