#include "platform/Dialogs.h"

#include "platform/Application.h"
#include "platform/TestHooks.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace platform {

namespace {

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

Answer showMessageBox(QWidget *owner, const QString &text, const QString &caption, Icon icon,
                      Buttons buttons)
{
    QMessageBox box(qtIcon(icon), caption, text, QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    if (buttons == Buttons::Ok) {
        QPushButton *ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
        box.exec();
        return Answer::Ok;
    }
    QPushButton *yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    // Esc or closing the box answers No: a question is never taken as Yes unasked.
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? Answer::Yes : Answer::No;
}

} // namespace

Answer MessageBox(QWidget *owner, const QString &text, const QString &caption, Icon icon,
                  Buttons buttons)
{
    if (TestHooks::installed()) {
        ShownMessage shown;
        shown.caption = caption;
        shown.text = text;
        shown.icon = icon;
        shown.buttons = buttons;
        shown.owner = owner;
        if (owner)
            shown.ownerClass = QString::fromLatin1(owner->metaObject()->className());
        return TestHooks::takeAnswer(shown);
    }
    return showMessageBox(owner, text, caption, icon, buttons);
}

void ShowHint(QWidget *owner, const QString &text)
{
    MessageBox(owner, text, QStringLiteral("提示信息"), Icon::Warning);
}

void ShowPrompt(QWidget *owner, const QString &text)
{
    MessageBox(owner, text, QStringLiteral("提示"), Icon::Warning);
}

void ShowInfo(QWidget *owner, const QString &text)
{
    MessageBox(owner, text, QStringLiteral("信息"), Icon::Information);
}

void ShowDbError(QWidget *owner, const QString &text)
{
    MessageBox(owner, text, QStringLiteral("异常信息"), Icon::Warning);
}

void ShowError(QWidget *owner, const QString &text)
{
    MessageBox(owner, text, QStringLiteral("错误信息"), Icon::Error);
}

bool Confirm(QWidget *owner, const QString &text)
{
    return MessageBox(owner, text, QStringLiteral("提示信息"), Icon::Question, Buttons::YesNo)
           != Answer::No;
}

QString ExceptionText(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void ShowException(const QString &text)
{
    MessageBox(QApplication::activeWindow(), ExceptionText(text), kApplicationTitle, Icon::Error);
}

void Beep(int frequencyHz, int durationMs)
{
    if (TestHooks::installed()) {
        TestHooks::recordTone(frequencyHz, durationMs);
        return;
    }
    QApplication::beep();
}

void ProcessMessages()
{
    QCoreApplication::processEvents();
}

int ExecModal(QDialog *form)
{
    if (TestHooks::installed())
        return TestHooks::runForm(form);
    return form->exec();
}

} // namespace platform
