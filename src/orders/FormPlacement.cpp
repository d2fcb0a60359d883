#include "orders/FormPlacement.h"

#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

namespace {

const QWidget *visibleMainWindow()
{
    for (const QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<const QMainWindow *>(window) && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

void CentreOnMainWindow(QWidget *form)
{
    QRect around;
    if (const QWidget *main = visibleMainWindow())
        around = main->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        around = screen->availableGeometry();
    if (around.isValid())
        form->move(around.center() - QPoint(form->width() / 2, form->height() / 2));
}
