#include "orders/FocusAreas.h"

#include <QApplication>

TFocusAreas::TFocusAreas(QWidget *window) : QObject(window), m_window(window)
{
    m_connection = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget *, QWidget *now) { focusChanged(now); });
}

TFocusAreas::~TFocusAreas()
{
    stop();
}

void TFocusAreas::stop()
{
    disconnect(m_connection);
    m_focused = nullptr;
}

void TFocusAreas::watch(QWidget *panel, std::function<void()> onEnter, std::function<void()> onExit)
{
    m_areas.append(Area{panel, std::move(onEnter), std::move(onExit)});
}

bool TFocusAreas::holds(QWidget *panel, QWidget *control) const
{
    return panel && control && (panel == control || panel->isAncestorOf(control));
}

void TFocusAreas::focusChanged(QWidget *now)
{
    if (!now || now->window() != m_window)
        return; // another window: the window keeps its focused control
    QWidget *before = m_focused;
    if (before == now)
        return;
    m_focused = now;
    // The handlers may move the focus again; that nested move is handled on its own.
    const QList<Area> areas = m_areas;
    for (const Area &area : areas)
        if (holds(area.panel, before) && !holds(area.panel, now) && area.onExit)
            area.onExit();
    if (m_focused != now)
        return; // an exit handler sent the focus elsewhere
    for (const Area &area : areas)
        if (!holds(area.panel, before) && holds(area.panel, now) && area.onEnter)
            area.onEnter();
}
