#pragma once
// Enter and exit of panels inside one window, as the focus moves between the window's controls.
// Like the window's own record of its focused control, focus leaving for another window (a message
// box, another program) and coming back to the same control is no move at all; only a change of the
// focused control within the window counts. When it moves from one control to another, the panels
// holding the old control but not the new one are left first, then the panels holding the new
// control but not the old one are entered.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class TFocusAreas : public QObject {
    Q_OBJECT
public:
    explicit TFocusAreas(QWidget *window);
    ~TFocusAreas() override;

    void watch(QWidget *panel, std::function<void()> onEnter, std::function<void()> onExit);
    // Forget the focused control (the window is closing).
    void stop();

private:
    void focusChanged(QWidget *now);
    bool holds(QWidget *panel, QWidget *control) const;

    struct Area {
        QPointer<QWidget> panel;
        std::function<void()> onEnter;
        std::function<void()> onExit;
    };
    QWidget *m_window;
    QList<Area> m_areas;
    QPointer<QWidget> m_focused;
    QMetaObject::Connection m_connection;
};
