#include "orders/FormPlacement.h"

#include "main/UbkMainFrm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void CentreOnMainWindow(QWidget *form)
{
    QRect around;
    if (bkMainFrm && bkMainFrm->isVisible())
        around = bkMainFrm->frameGeometry();
    else if (const QScreen *screen = QGuiApplication::primaryScreen())
        around = screen->availableGeometry();
    if (around.isValid())
        form->move(around.center() - QPoint(form->width() / 2, form->height() / 2));
}
