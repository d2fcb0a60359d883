#include "widgets/GridHeaders.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>

namespace {

constexpr int TitlePadding = 3;

void drawSectionFrame(const QHeaderView *header, QPainter *painter, const QRect &rect, int logicalIndex)
{
    QStyleOptionHeader opt;
    opt.initFrom(header);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.orientation = header->orientation();
    opt.position = QStyleOptionHeader::Middle;
    opt.state |= QStyle::State_Raised;
    header->style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, header);
}

} // namespace

TGridTitle::TGridTitle(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setMinimumSectionSize(8);
}

int TGridTitle::neededHeight() const
{
    const QFontMetrics fm(font());
    int height = fm.height();
    if (model()) {
        for (int section = 0; section < count(); ++section) {
            if (isSectionHidden(section))
                continue;
            const QString text = model()->headerData(section, Qt::Horizontal).toString();
            const int width = qMax(1, sectionSize(section) - 2 * TitlePadding);
            height = qMax(height, fm.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text).height());
        }
    }
    return height + 2 * TitlePadding;
}

void TGridTitle::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    drawSectionFrame(this, painter, rect, logicalIndex);
    if (!model())
        return;
    const QString text = model()->headerData(logicalIndex, Qt::Horizontal).toString();
    const int alignment = model()->headerData(logicalIndex, Qt::Horizontal, Qt::TextAlignmentRole).toInt();
    painter->save();
    painter->setFont(font());
    painter->setPen(palette().color(QPalette::ButtonText));
    painter->drawText(rect.adjusted(TitlePadding, 1, -TitlePadding, -1), alignment | Qt::TextWordWrap, text);
    painter->restore();
}

TRowIndicator::TRowIndicator(QWidget *parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setFixedWidth(IndicatorWidth);
}

void TRowIndicator::setCurrentRow(int row)
{
    if (m_current == row)
        return;
    m_current = row;
    viewport()->update();
}

void TRowIndicator::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    drawSectionFrame(this, painter, rect, logicalIndex);
    if (logicalIndex != m_current)
        return;
    const int h = qMin(8, rect.height() - 4);
    const int x = rect.center().x() - h / 4;
    const int y = rect.center().y();
    QPainterPath arrow;
    arrow.moveTo(x - h / 4, y - h / 2);
    arrow.lineTo(x + h / 4 + 1, y);
    arrow.lineTo(x - h / 4, y + h / 2);
    arrow.closeSubpath();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->fillPath(arrow, palette().color(QPalette::ButtonText));
    painter->restore();
}
