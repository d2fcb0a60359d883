#include "widgets/TRadioGroup.h"

#include <QPainter>

TRadioGroup::TRadioGroup(QWidget *parent) : QWidget(parent)
{
    m_group.setExclusive(true);
    connect(&m_group, &QButtonGroup::idClicked, this, [this](int) { emit Click(); });
}

void TRadioGroup::setItems(const QStringList &items)
{
    const int keep = ItemIndex();
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_items = items;
    for (int i = 0; i < items.size(); ++i) {
        auto *b = new QRadioButton(items.at(i), this);
        m_group.addButton(b, i);
        m_buttons << b;
        b->show();
    }
    if (keep >= 0 && keep < items.size())
        setItemIndex(keep);
    arrange();
}

void TRadioGroup::setColumns(int columns)
{
    m_columns = qMax(1, columns);
    arrange();
}

void TRadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < m_buttons.size()) {
        m_buttons.at(index)->setChecked(true);
        return;
    }
    m_group.setExclusive(false);
    for (QRadioButton *b : std::as_const(m_buttons))
        b->setChecked(false);
    m_group.setExclusive(true);
}

void TRadioGroup::setCaption(const QString &caption)
{
    m_caption = caption;
    arrange();
    update();
}

void TRadioGroup::setFrame(Frame frame)
{
    m_frame = frame;
    arrange();
    update();
}

void TRadioGroup::setBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

int TRadioGroup::captionTop() const
{
    return m_caption.isEmpty() ? 0 : fontMetrics().height() / 2;
}

void TRadioGroup::arrange()
{
    if (m_buttons.isEmpty())
        return;
    const int top = m_caption.isEmpty() ? (m_frame == Frame::None ? 0 : 2) : fontMetrics().height();
    const QRect area = rect().adjusted(m_frame == Frame::Box ? 4 : 0, top, m_frame == Frame::Box ? -4 : 0,
                                       m_frame == Frame::Box ? -2 : 0);
    const int rows = (int(m_buttons.size()) + m_columns - 1) / m_columns;
    const int columnWidth = area.width() / m_columns;
    const int rowHeight = qMax(1, area.height() / qMax(1, rows));
    for (int i = 0; i < m_buttons.size(); ++i) {
        const int row = i % rows;
        const int column = i / rows;
        QRadioButton *b = m_buttons.at(i);
        const int h = qMin(rowHeight, b->sizeHint().height());
        b->setGeometry(area.left() + column * columnWidth, area.top() + row * rowHeight + (rowHeight - h) / 2,
                       columnWidth, h);
    }
}

void TRadioGroup::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void TRadioGroup::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int top = captionTop();
    p.setPen(m_border);
    if (m_frame == Frame::Box)
        p.drawRect(rect().adjusted(0, top, -1, -1));
    else if (m_frame == Frame::TopLine)
        p.drawLine(0, top, width(), top);
    if (!m_caption.isEmpty()) {
        const QRect text(8, 0, fontMetrics().horizontalAdvance(m_caption) + 6, fontMetrics().height());
        p.fillRect(text, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(text, Qt::AlignCenter, m_caption);
    }
}
