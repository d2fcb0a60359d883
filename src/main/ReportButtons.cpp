// The main window's report buttons: 目录检查 beside 目录修改, 打印订单 and 订阅汇总 in the order area.
// Each window gets what it works on from here and reports back by signals.

#include "main/UbkMainFrm.h"

#include "catalogue/UmljcFrm.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "reports/PrintPreview.h"
#include "reports/OrderPrint.h"
#include "reports/UdyhzFrm.h"
#include "widgets/TFlatTabControl.h"

#include <QDate>

void TbkMainFrm::MljcBtnClick()
{
    if (m_checkWindow) {
        if (m_checkWindow->catalogueType() == currentTab()) {
            m_checkWindow->RunCheck();
            m_checkWindow->raise();
            m_checkWindow->activateWindow();
            return;
        }
        m_checkWindow->close();
    }
    auto *window = new TmljcFrm(currentTab(), currentTabCaption(), this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    platform::ConnectAction(window, &TmljcFrm::entryChosen, this, &TbkMainFrm::SelectCatalogueEntry);
    m_checkWindow = window;
    window->show();
}

void TbkMainFrm::SelectCatalogueEntry(int catalogueType, const QString &bkdh)
{
    if (catalogueType != currentTab())
        FTab->setTabIndex(catalogueType);
    if (catalogueType != currentTab())
        return; // no such tab any more
    if (!ADO.active() || !ADO.locate(QStringLiteral("bkdh"), bkdh)) {
        const int n = LoadCatalogue(QString());
        if (n < 0) {
            platform::ShowDbError(this, GP.LastError);
            return;
        }
        if (n > 0)
            ds.setDataSet(&ADO);
        if (n == 0 || !ADO.locate(QStringLiteral("bkdh"), bkdh)) {
            platform::ShowHint(this, QStringLiteral("当前目录中未发现该报刊..."));
            return;
        }
    }
    activateWindow();
    brow->setFocus();
}

void TbkMainFrm::PrintBtnClick()
{
    const TMyRc *unit = SelectedUnit();
    if (!unit) {
        platform::ShowHint(this, QStringLiteral("   请选择订阅报刊的单位...    "));
        return;
    }
    UnitOrdersContext context;
    context.catalogueType = currentTab();
    context.typeCaption = currentTabCaption();
    context.unitId = unit->id;
    context.unitName = SelectedUnitName();
    context.contact = unit->lxr;
    context.phone = unit->phone;
    context.workYear = GP.WorkYear;
    context.printed = QDate::currentDate();
    PreviewUnitOrders(this, context);
}

void TbkMainFrm::DyhzBtnClick()
{
    SummaryWindowContext context;
    context.typeCaptions = FTab->Tabs();
    context.catalogueType = currentTab();
    context.workYear = GP.WorkYear;
    context.today = QDate::currentDate();
    ShowSummaryForm(context);
}
