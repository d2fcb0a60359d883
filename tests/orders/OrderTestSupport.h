#pragma once
// What the order window tests share: the statements the database ran, rows read back as text, the
// main window started as after a login, and the clerk's way of moving the focus and typing.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;
class QComboBox;
class TbkMainFrm;
class TestDatabase;
class TdybkFrm;
class QAbstractButton;

// Records every INSERT, UPDATE and DELETE the connection of the data module runs while it lives.
class StatementLog {
public:
    StatementLog();
    ~StatementLog();
    QStringList writes() const { return m_writes; }
    void clear() { m_writes.clear(); }

private:
    QStringList m_writes;
};

// The rows of a SELECT, each as its fields joined by "|", NULL written as "<null>".
QStringList rowsOf(const QString &sql);
// One value of a SELECT (first row, first field), "<null>" for NULL, empty without rows.
QString valueOf(const QString &sql);

// The main window shown as after a login with `role` on the test database.
std::unique_ptr<TbkMainFrm> startMainWindow(const TestDatabase &database, int role = 0);

// Clicks `button` of the main window (订阅报刊 or 修改记录) and hands the subscription dialog it opens,
// active and focused, to `drive`; fails the test when no dialog came.
void driveSubscription(QAbstractButton *button, const std::function<void(TdybkFrm *)> &drive);

// Activates a window just shown (a dialog handed to a queued form handler) and waits until it has
// the keyboard, so that focus moves behave as on the desktop.
void waitUntilActive(QWidget *window);
// Picks an entry of a combo box from its list, as a click on the list does.
void pickItem(QComboBox *box, const QString &item);
// Gives `widget` the focus in its active window and lets the focus events run.
void focusOn(QWidget *widget);
// Presses Tab in the focused control.
void pressTab();
// Types `text` key by key into the focused control `widget` (any characters, not only ASCII).
void typeText(QWidget *widget, const QString &text);
// Replaces the text of a line edit as a clerk does: focus, select all, type.
void typeInto(QWidget *edit, const QString &text);
