#pragma once
// Message boxes, the general error display, file dialogs, the beep, pending window messages and the
// modal showing of windows. Everything of the program that shows a modal window, a file dialog or
// makes a sound goes through here, so that tests can answer it in advance (see TestHooks.h).

#include <QDialog>
#include <QString>

#include <memory>
#include <type_traits>
#include <utility>

class QWidget;

namespace platform {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, YesNo };       // Yes/No are shown as 是/否, OK as 确定
enum class Answer { Ok, Yes, No };

// A plain message box owned by `owner` (nullptr: no owner). Texts are shown exactly, blanks included.
Answer MessageBox(QWidget *owner, const QString &text, const QString &caption, Icon icon,
                  Buttons buttons = Buttons::Ok);

// The message boxes of the program by their purpose (caption and icon fixed here).
void ShowHint(QWidget *owner, const QString &text);      // "提示信息", warning: hints and validation
void ShowPrompt(QWidget *owner, const QString &text);    // "提示", warning: login and unit maintenance
void ShowInfo(QWidget *owner, const QString &text);      // "信息", information: success notices
void ShowDbError(QWidget *owner, const QString &text);   // "异常信息", warning: LastError of the database
void ShowError(QWidget *owner, const QString &text);     // "错误信息", error: reset, import, catalogue edit
// "提示信息", question, 是/否. True unless the answer is No (everything but No proceeds).
bool Confirm(QWidget *owner, const QString &text);

// The application's general error display: caption "Tavrin系统", error icon, owned by the active
// window. The text gets a full stop appended unless its last character is "." or sorts before it.
void ShowException(const QString &text);
QString ExceptionText(const QString &text);

// Open and save dialogs. The filter is written as "描述|*.ext" pairs joined by "|"
// ("Excel文件(*.Xls)|*.xls|Wps文件(*.Et)|*.et"); several patterns of one entry are separated by ";".
struct FileDialogRequest {
    QString title;
    QString defaultExt;            // without the dot; added when the chosen name has no extension
    QString filter;
    QString fileName;              // proposed name (may carry a folder)
    bool overwritePrompt = false;  // save: ask before replacing an existing file
    bool fileMustExist = false;    // open: refuse names of files that do not exist
    // What the file is for ("import", "orderExport", "gridExport"): the dialog opens in the folder
    // last used for it (kept in the user's settings), else in the home folder. Empty: not remembered.
    QString purpose;
};
// The chosen file name, or an empty text when the dialog was cancelled.
QString OpenFileName(QWidget *owner, const FileDialogRequest &request);
QString SaveFileName(QWidget *owner, const FileDialogRequest &request);
// "描述|*.ext|..." as a Qt name filter list ("描述 (*.ext);;...").
QString QtNameFilters(const QString &filter);
// The name a save dialog gives back for `name` typed with filter entry `filterIndex` chosen: a name
// whose extension one of the filter's entries names is kept as typed; any other name gets the chosen
// entry's extension (the default extension when that entry names none, or no entry is chosen).
QString SavedFileName(const QString &name, const QString &filter, int filterIndex, const QString &defaultExt);

// A tone of the given frequency and duration (the desktop bell on this platform).
void Beep(int frequencyHz, int durationMs);

// Lets pending window messages run (repaints, clicks on a stop button).
void ProcessMessages();

// Shows a window modally and returns its modal result (QDialog::Accepted is OK). Under test
// hooks the window is handed to the next queued form handler instead and never blocks.
int ExecModal(QDialog *form);

// The pattern of every window but the main window: create on demand, show modally, free when
// closed. Returns the modal result.
template <class T, class... Args>
int ShowModalForm(Args &&...args)
{
    static_assert(std::is_base_of_v<QDialog, T>, "a modal form is a QDialog");
    std::unique_ptr<T> form(new T(std::forward<Args>(args)...));
    form->setAttribute(Qt::WA_DeleteOnClose, false);
    return ExecModal(form.get());
}

} // namespace platform
