#pragma once
// Test hooks of the desktop services. Once installed, no message box, file dialog or modal window
// is shown for real: each is recorded, and answered from what the test queued beforehand.
//
//   platform::TestHooks::install();
//   platform::TestHooks::queueAnswer(platform::Answer::No);          // the next 是/否 question
//   platform::TestHooks::queueFileName("/tmp/x.xls");                // the next file dialog
//   platform::TestHooks::queueForm([](QDialog *f) { ...; f->accept(); });   // the next modal form
//   ... run the code ...
//   QCOMPARE(platform::TestHooks::lastMessage().text, QString("密码输入错误..."));
//
// Defaults when nothing is queued: a question is answered Yes, a file dialog is cancelled (empty
// name), a modal form is shown, recorded and closed with QDialog::Rejected.

#include "platform/Dialogs.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace platform {

struct ShownMessage {
    QString caption;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    Answer answer = Answer::Ok;
    QPointer<QWidget> owner;    // null when shown without owner (or the owner is gone)
    QString ownerClass;         // class name of the owner at the time, empty without owner
};

struct ShownFileDialog {
    bool save = false;
    FileDialogRequest request;
    QPointer<QWidget> owner;
    QString folder;             // the folder the dialog opened in
    int filterIndex = 0;        // the filter entry chosen with the answer
    QString answer;             // the file name given back, empty for cancelled
};

struct ShownForm {
    QString formClass;          // class name of the window
    QString title;
    int result = 0;
};

struct Tone {
    int frequencyHz = 0;
    int durationMs = 0;
};

class TestHooks {
public:
    static void install();      // also clears everything recorded and queued
    static void uninstall();
    static bool installed();
    static void clear();        // forget recorded and queued items

    static void queueAnswer(Answer answer);
    // Empty: the dialog is cancelled. `filterIndex`: the filter entry chosen in a save dialog.
    static void queueFileName(const QString &fileName, int filterIndex = 0);
    // The handler gets the shown (non-modal, never blocking) form; it may click, type and close it
    // with done()/accept()/reject(). A form still open afterwards is rejected.
    static void queueForm(std::function<void(QDialog *form)> handler);

    static QList<ShownMessage> messages();
    static ShownMessage lastMessage();   // default-constructed when none was shown
    static int messageCount();
    static QList<ShownFileDialog> fileDialogs();
    static QList<ShownForm> forms();
    static QList<Tone> tones();

    // Used by the desktop services themselves.
    static Answer takeAnswer(const ShownMessage &shown);
    // The queued name as `settle` (name, filter index) turns it into the dialog's answer.
    static QString takeFileName(const ShownFileDialog &shown,
                                const std::function<QString(const QString &, int)> &settle);
    static int runForm(QDialog *form);
    static void recordTone(int frequencyHz, int durationMs);
};

} // namespace platform
