#include "widgets/TFlatTabControl.h"

#include <QPainter>
#include <QTabBar>

TFlatTabControl::TFlatTabControl(QWidget *parent) : QWidget(parent), m_bar(new QTabBar(this))
{
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->setUsesScrollButtons(true);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int) {
        if (!m_replacing)
            emit Change();
    });
    restyle();
}

QStringList TFlatTabControl::Tabs() const
{
    QStringList captions;
    for (int i = 0; i < m_bar->count(); ++i)
        captions << m_bar->tabText(i);
    return captions;
}

void TFlatTabControl::setTabs(const QStringList &captions)
{
    m_replacing = true;
    while (m_bar->count() > 0)
        m_bar->removeTab(m_bar->count() - 1);
    for (const QString &caption : captions)
        m_bar->addTab(caption);
    m_replacing = false;
}

int TFlatTabControl::TabIndex() const
{
    return m_bar->currentIndex();
}

void TFlatTabControl::setTabIndex(int index)
{
    m_bar->setCurrentIndex(index);
}

QString TFlatTabControl::tabCaption(int index) const
{
    return m_bar->tabText(index);
}

int TFlatTabControl::tabCount() const
{
    return m_bar->count();
}

void TFlatTabControl::setBorderColor(const QColor &color)
{
    m_border = color;
    restyle();
}

void TFlatTabControl::setUnselectedColor(const QColor &color)
{
    m_unselected = color;
    restyle();
}

int TFlatTabControl::tabHeight() const
{
    return m_bar->sizeHint().height();
}

void TFlatTabControl::restyle()
{
    m_bar->setStyleSheet(
        QStringLiteral("QTabBar::tab { border: 1px solid %1; border-bottom: none; padding: 3px 12px;"
                       " margin-right: 1px; }"
                       "QTabBar::tab:selected { background: palette(window); color: palette(window-text); }"
                       "QTabBar::tab:!selected { background: %2; color: white; margin-top: 2px; }")
            .arg(m_border.name(), m_unselected.name()));
    update();
}

void TFlatTabControl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_bar->setGeometry(2, 0, width() - 4, tabHeight());
}

void TFlatTabControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(m_border);
    p.drawRect(QRect(0, tabHeight() - 1, width() - 1, height() - tabHeight()));
}
