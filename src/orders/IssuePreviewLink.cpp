#include "orders/IssuePreviewLink.h"

#include "data/Udm.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QString WeekdayNames[] = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"), QStringLiteral("四"),
                                QStringLiteral("五"), QStringLiteral("六"), QStringLiteral("日")};

QString shortDate(const QDate &date)
{
    return QStringLiteral("%1月%2日").arg(date.month()).arg(date.day());
}

} // namespace

IssuePreviewLink::IssuePreviewLink(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("IssuePreviewLink"));
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("单击查看计入款额的出版日期"));
    QPalette link = palette();
    link.setColor(QPalette::WindowText, QColor(0, 0, 0x80)); // navy, like the dialog's other links
    setPalette(link);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

bool IssuePreviewLink::HasRegisterEntries(const TitleRef &title)
{
    QList<IrregularIssue> entries;
    return LoadIrregularIssues(title, GP.WorkYear, &entries) > 0;
}

QString IssuePreviewLink::PartialYearNotice(bool registered)
{
    if (registered)
        return QStringLiteral("非全年订阅,款额已按【停刊、休刊、合刊】登记计算,实际款额以邮局为准");
    return QStringLiteral("非全年订阅,款额计算未考虑【停刊、休刊、合刊】情况,实际款额以邮局为准");
}

QString IssuePreviewLink::WholeYearNotice()
{
    return QStringLiteral("全年订阅,款额按年价计算,出版期数已按【停刊、休刊、合刊】登记计算,实际款额以邮局为准");
}

void IssuePreviewLink::showFor(const TitleRef &title, const QString &kq, const QString &cbrq, int startMonth,
                               int endMonth)
{
    m_startMonth = startMonth;
    m_endMonth = endMonth;
    m_preview = PreviewIssues(title, kq, cbrq, startMonth, endMonth);
    if (m_preview.count < 0 || startMonth > endMonth) {
        clear();
        return;
    }
    setText(QStringLiteral("共%1期").arg(m_preview.count));
    if (m_popup && m_popup->isVisible())
        showList();
}

void IssuePreviewLink::clearPreview()
{
    m_preview = IssuePreview();
    clear();
    if (m_popup)
        m_popup->hide();
}

QString IssuePreviewLink::DayLine(const ScheduledDay &day, const QList<IrregularIssue> &entries)
{
    const QString date = day.date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 周")
        + WeekdayNames[day.date.dayOfWeek() - 1];
    const IrregularIssue *entry = day.entry >= 0 && day.entry < entries.size() ? &entries.at(day.entry) : nullptr;
    switch (day.mark) {
    case ScheduledDay::Mark::Regular:
        return date;
    case ScheduledDay::Mark::Omitted:
        return date + QStringLiteral("  ") + (entry ? entry->kind : QString()) + QStringLiteral(",不计");
    case ScheduledDay::Mark::CombinedFirst:
        return date + QStringLiteral("  合刊(") + (entry ? shortDate(entry->first) + QStringLiteral("至")
                                                            + shortDate(entry->last) : QString())
            + QStringLiteral("),计1期");
    case ScheduledDay::Mark::CombinedLater:
        return date + QStringLiteral("  并入合刊,不计");
    }
    return date;
}

void IssuePreviewLink::showList()
{
    if (text().isEmpty())
        return;
    if (!m_popup) {
        m_popup = new QFrame(this, Qt::Popup);
        m_popup->setObjectName(QStringLiteral("IssueListPopup"));
        m_popup->setFrameShape(QFrame::Box);
        auto *column = new QVBoxLayout(m_popup);
        column->setContentsMargins(4, 4, 4, 4);
        auto *heading = new QLabel(m_popup);
        heading->setObjectName(QStringLiteral("heading"));
        column->addWidget(heading);
        m_list = new QListWidget(m_popup);
        m_list->setObjectName(QStringLiteral("dayList"));
        m_list->setSelectionMode(QAbstractItemView::NoSelection);
        column->addWidget(m_list);
        m_popup->resize(300, 320);
    }
    auto *heading = m_popup->findChild<QLabel *>(QStringLiteral("heading"));
    const QString months = m_startMonth == m_endMonth ? QStringLiteral("%1月").arg(m_startMonth)
                                                      : QStringLiteral("%1月至%2月").arg(m_startMonth).arg(m_endMonth);
    heading->setText(QStringLiteral("%1年%2出版日期,共%3期").arg(GP.WorkYear).arg(months).arg(m_preview.count));
    m_list->clear();
    for (const ScheduledDay &day : m_preview.days) {
        auto *item = new QListWidgetItem(DayLine(day, m_preview.entries), m_list);
        if (!day.isIssue()) {
            item->setForeground(QColor(0x80, 0x80, 0x80));
            QFont struck = item->font();
            struck.setStrikeOut(true);
            item->setFont(struck);
        } else if (day.mark == ScheduledDay::Mark::CombinedFirst) {
            item->setForeground(QColor(0x99, 0x33, 0x00));
        }
    }
    // Below the link, kept inside the screen (above the link when there is no room below).
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + m_popup->height() > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - m_popup->width())));
        at.setY(qMax(area.top(), at.y()));
    }
    m_popup->move(at);
    m_popup->show();
}

void IssuePreviewLink::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        showList();
    QLabel::mouseReleaseEvent(event);
}
