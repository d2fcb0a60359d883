// The register of irregular issues seen from the catalogue: the button that opens the register
// window for the current title, and the mark on the codes of titles with entries in the processing
// year (their amounts for part of the year follow the register).

#include "catalogue/IrregularIssueWindow.h"
#include "data/Udm.h"
#include "main/UbkMainFrm.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"

#include <QPainter>
#include <QPolygon>

namespace {

const QColor MarkColor(0x99, 0x33, 0x00);

} // namespace

void TbkMainFrm::loadRegisterMarks()
{
    // A register that cannot be read marks nothing; counting reports its own failures.
    if (LoadRegisteredCodes(currentTab(), GP.WorkYear, &m_registeredCodes) < 0)
        m_registeredCodes.clear();
    brow->viewport()->update();
}

void TbkMainFrm::markRegisteredTitle(TDrawCellArgs &args) const
{
    if (m_registeredCodes.isEmpty() || args.column != 0 || !ADO.active())
        return;
    const QString code = db::Query::displayText(ADO.value(args.row, ADO.fieldIndex(QStringLiteral("bkdh"))));
    if (!m_registeredCodes.contains(code))
        return;
    // The code in bold and the mark colour, with a small triangle in the cell's top right corner.
    args.defaultDrawing = false;
    QPainter *p = args.painter;
    p->save();
    p->fillRect(args.rect, args.background);
    QFont bold = args.font;
    bold.setBold(true);
    p->setFont(bold);
    p->setPen(args.selected ? args.textColor : MarkColor);
    p->drawText(args.rect.adjusted(2, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, code);
    const QRect r = args.rect;
    p->setPen(Qt::NoPen);
    p->setBrush(MarkColor);
    p->drawPolygon(QPolygon({QPoint(r.right() - 6, r.top()), QPoint(r.right(), r.top()), QPoint(r.right(), r.top() + 6)}));
    p->restore();
}

void TbkMainFrm::RegisterBtnClick()
{
    if (!ADO.active() || ADO.isEmpty()) {
        platform::ShowHint(this, QStringLiteral("当前目录中没有可登记的报刊..."));
        return;
    }
    RegisterWindowContext context;
    context.title = {currentTab(), ADO.fieldText(QStringLiteral("bkdh"))};
    context.titleName = ADO.fieldText(QStringLiteral("bkmc"));
    context.typeCaption = currentTabCaption();
    context.year = GP.WorkYear;
    IrregularIssueWindow window(context);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    platform::ConnectAction(&window, &IrregularIssueWindow::registerChanged, this, &TbkMainFrm::loadRegisterMarks);
    platform::ExecModal(&window);
}
