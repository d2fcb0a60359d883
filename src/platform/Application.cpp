#include "platform/Application.h"

#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/EnterClicksButton.h"
#include "platform/Translations.h"
#include "platform/UserAction.h"

#include <exception>

namespace platform {

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(kApplicationTitle);
    setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    InstallFontSubstitutions();
    InstallEnterClicksButton(this);
    InstallQtTranslations();
}

QString ExceptionMessage(const std::exception &error)
{
    return QString::fromUtf8(error.what());
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    // An error that no handler caught ends the user action that raised it, not the program.
    bool handled = false;
    RunAction([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace platform
