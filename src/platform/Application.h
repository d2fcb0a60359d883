#pragma once
// The application object: sets the application title and version, the Chinese font substitutions and
// Qt's Chinese translations, makes a focused button answer Enter in every window (EnterClicksButton.h),
// and turns any exception that escapes an event handler into the general error display, which ends only
// that user action (the program keeps running).

#include <QApplication>
#include <QString>

namespace platform {

// The application title, also the caption of the general error display.
inline const QString kApplicationTitle = QStringLiteral("Tavrin系统");

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// The text of an exception for the general error display: std::exception's what() as UTF-8
// (the database and spreadsheet layers' errors carry their message there).
QString ExceptionMessage(const std::exception &error);

} // namespace platform
