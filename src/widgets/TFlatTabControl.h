#pragma once
// A flat tab control: a row of tabs above a framed client area. It does not switch pages: the window
// shows in the client area whatever belongs to the selected tab, and places its children there itself.

#include <QColor>
#include <QStringList>
#include <QWidget>

class QTabBar;

class TFlatTabControl : public QWidget {
    Q_OBJECT
public:
    explicit TFlatTabControl(QWidget *parent = nullptr);

    QStringList Tabs() const;
    void setTabs(const QStringList &captions); // replaces the tabs without emitting Change
    int TabIndex() const;
    void setTabIndex(int index); // selecting a different tab emits Change
    QString tabCaption(int index) const;
    int tabCount() const;

    void setBorderColor(const QColor &color);
    void setUnselectedColor(const QColor &color);
    QTabBar *tabBar() const { return m_bar; }
    int tabHeight() const;

signals:
    // The selected tab changed, by the user or by setTabIndex.
    void Change();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void restyle();

    QTabBar *m_bar;
    QColor m_border = QColor(0x33, 0x66, 0x99);
    QColor m_unselected = QColor(0x70, 0x67, 0x36);
    bool m_replacing = false;
};
