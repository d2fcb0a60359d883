#include "widgets/TFlatPanel.h"

#include <QPainter>

TFlatPanel::TFlatPanel(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
}

void TFlatPanel::setBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void TFlatPanel::setBorderVisible(bool visible)
{
    m_borderVisible = visible;
    update();
}

void TFlatPanel::setColor(const QColor &color)
{
    setAutoFillBackground(color.isValid());
    if (color.isValid()) {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, color);
        setPalette(pal);
    }
    update();
}

void TFlatPanel::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void TFlatPanel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    if (m_borderVisible) {
        p.setPen(m_border);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!m_caption.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignCenter, m_caption);
    }
}

TFlatGroupBox::TFlatGroupBox(const QString &caption, QWidget *parent) : TFlatPanel(parent)
{
    setCaption(caption);
}

void TFlatGroupBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QFontMetrics fm(font());
    const int top = fm.height() / 2;
    p.setPen(BorderColor());
    p.drawRect(rect().adjusted(0, top, -1, -1));
    if (!Caption().isEmpty()) {
        const QRect text(8, 0, fm.horizontalAdvance(Caption()) + 6, fm.height());
        p.fillRect(text, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(text, Qt::AlignCenter, Caption());
    }
}
