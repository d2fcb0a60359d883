#include "platform/EnterClicksButton.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

namespace platform {

namespace {

class EnterClicksButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (!button || !(qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button)))
            return false;
        if (!button->hasFocus() || !button->isEnabled() || !button->isVisible())
            return false;
        if (key->isAutoRepeat())
            return true; // a held key clicks once
        button->click();
        return true;
    }
};

} // namespace

void InstallEnterClicksButton(QCoreApplication *application)
{
    static const char *const Installed = "tavrinEnterClicksButton";
    if (!application || application->property(Installed).toBool())
        return;
    application->setProperty(Installed, true);
    application->installEventFilter(new EnterClicksButton(application));
}

} // namespace platform
