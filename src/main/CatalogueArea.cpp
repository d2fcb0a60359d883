// The catalogue half of the main window: query bar, tabs, catalogue grid, loading, search, quick
// locate, status line and row painting.

#include "catalogue/SearchData.h"
#include "catalogue/TitleReadings.h"
#include "catalogue/UbkmlFrm.h"
#include "catalogue/UbkmlxgFrm.h"
#include "main/CatalogueQueries.h"
#include "main/MainWindowRules.h"
#include "main/UbkMainFrm.h"
#include "platform/Dialogs.h"
#include "platform/UserAction.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TPickComboBox.h"
#include "widgets/TRadioGroup.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>

namespace {

const QColor FrameColor(0x33, 0x66, 0x99);

QPushButton *pictureButton(const QString &caption, QStyle::StandardPixmap picture, QWidget *parent)
{
    auto *button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setAutoDefault(false);
    button->setFixedHeight(25);
    return button;
}

} // namespace

void TbkMainFrm::buildQueryBar()
{
    FlatPanel1 = new TFlatPanel(this);
    FlatPanel1->setObjectName(QStringLiteral("FlatPanel1"));
    FlatPanel1->setBorderColor(FrameColor);
    FlatPanel1->setFixedHeight(41);
    auto *row = new QHBoxLayout(FlatPanel1);
    row->setContentsMargins(8, 2, 8, 2);
    row->setSpacing(6);

    Label1 = new QLabel(QStringLiteral("查询条件"), FlatPanel1);
    dhmcBox = new TPickComboBox(FlatPanel1);
    dhmcBox->setObjectName(QStringLiteral("dhmcBox"));
    dhmcBox->addItems({QStringLiteral("报刊代号"), QStringLiteral("报刊名称"), QStringLiteral("刊号/ISSN")});
    dhmcBox->setCurrentIndex(-1);
    dhmcBox->setToolTip(QStringLiteral("请输入报刊代号或报刊名称"));
    dhmcBox->setFixedWidth(90);
    Edit1 = new QLineEdit(FlatPanel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(160);
    CheckBox1 = new TFlatCheckBox(QStringLiteral("模糊查询"), FlatPanel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setCaptionLeft(true);
    CheckBox1->setEnabled(false);
    Label2 = new QLabel(QStringLiteral("刊期"), FlatPanel1);
    kqCbox = new QComboBox(FlatPanel1);
    kqCbox->setObjectName(QStringLiteral("kqCbox"));
    kqCbox->setEditable(true);
    kqCbox->setInsertPolicy(QComboBox::NoInsert);
    kqCbox->setCompleter(nullptr);
    kqCbox->setFixedWidth(80);
    kqCbox->setMaxVisibleItems(22);
    bkzl = new TRadioGroup(FlatPanel1);
    bkzl->setObjectName(QStringLiteral("bkzl"));
    bkzl->setFrame(TRadioGroup::Frame::TopLine);
    bkzl->setBorderColor(FrameColor);
    bkzl->setColumns(3);
    bkzl->setItems({QStringLiteral("全部"), QStringLiteral("杂志"), QStringLiteral("报纸")});
    bkzl->setItemIndex(0);
    bkzl->setFixedSize(170, 30);
    cxBtn = pictureButton(QStringLiteral("查询"), QStyle::SP_FileDialogContentsView, FlatPanel1);
    cxBtn->setObjectName(QStringLiteral("cxBtn"));
    locaBtn = new QPushButton(QStringLiteral("快速定位"), FlatPanel1);
    locaBtn->setObjectName(QStringLiteral("locaBtn"));
    locaBtn->setAutoDefault(false);
    locaBtn->setFixedHeight(25);
    MlxgBtn = pictureButton(QStringLiteral("目录修改"), QStyle::SP_FileDialogDetailedView, FlatPanel1);
    MlxgBtn->setObjectName(QStringLiteral("MlxgBtn"));
    MlxgBtn->setVisible(false);
    MlxgBtn->setEnabled(false);
    MljcBtn = pictureButton(QStringLiteral("目录检查"), QStyle::SP_MessageBoxWarning, FlatPanel1);
    MljcBtn->setObjectName(QStringLiteral("MljcBtn"));
    MljcBtn->setVisible(false);
    BitBtn1 = pictureButton(QStringLiteral("目录导入"), QStyle::SP_DialogOpenButton, FlatPanel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setVisible(false);
    RegisterBtn = pictureButton(QStringLiteral("停刊合刊"), QStyle::SP_FileDialogInfoView, FlatPanel1);
    RegisterBtn->setObjectName(QStringLiteral("RegisterBtn"));
    RegisterBtn->setToolTip(QStringLiteral("登记当前报刊本年度的停刊、休刊、合刊,非全年订阅的款额按登记计算"));
    RegisterBtn->setVisible(false);

    for (QWidget *w : std::initializer_list<QWidget *>{Label1, dhmcBox, Edit1, CheckBox1, Label2, kqCbox})
        row->addWidget(w);
    row->addSpacing(6);
    row->addWidget(bkzl);
    for (QPushButton *b : {cxBtn, locaBtn, MlxgBtn, RegisterBtn, MljcBtn, BitBtn1}) {
        b->setMinimumWidth(80);
        row->addWidget(b);
    }
    row->addStretch(1);

    platform::ConnectAction(dhmcBox, &TPickComboBox::Change, this, &TbkMainFrm::dhmcBoxChange);
    platform::ConnectAction(cxBtn, &QPushButton::clicked, this, &TbkMainFrm::cxBtnClick);
    TypeAheadTimer = new QTimer(this);
    TypeAheadTimer->setSingleShot(true);
    TypeAheadTimer->setInterval(TypeAheadDelayMs);
    platform::ConnectAction(TypeAheadTimer, &QTimer::timeout, this, &TbkMainFrm::TypeAheadSearch);
    platform::ConnectAction(Edit1, &QLineEdit::textEdited, this, &TbkMainFrm::Edit1TextEdited);
    platform::ConnectAction(locaBtn, &QPushButton::clicked, this, &TbkMainFrm::locaBtnClick);
    platform::ConnectAction(MlxgBtn, &QPushButton::clicked, this, &TbkMainFrm::MlxgBtnClick);
    platform::ConnectAction(BitBtn1, &QPushButton::clicked, this, &TbkMainFrm::BitBtn1Click);
    platform::ConnectAction(MljcBtn, &QPushButton::clicked, this, &TbkMainFrm::MljcBtnClick);
    platform::ConnectAction(RegisterBtn, &QPushButton::clicked, this, &TbkMainFrm::RegisterBtnClick);
}

void TbkMainFrm::buildCatalogue()
{
    FTab = new TFlatTabControl(this);
    FTab->setObjectName(QStringLiteral("FTab"));
    FTab->setBorderColor(FrameColor);
    FTab->setUnselectedColor(QColor(0x70, 0x67, 0x36));
    FTab->setFixedHeight(403);
    FTab->setTabs(DesignTimeTabs());
    FTab->installEventFilter(this);
    platform::ConnectAction(FTab, &TFlatTabControl::Change, this, &TbkMainFrm::FTabChange);

    brow = new TDataGrid(FTab);
    brow->setObjectName(QStringLiteral("brow"));
    brow->setDataSource(&ds);
    const auto centre = Qt::AlignHCenter;
    brow->setColumns({
        MakeColumn(QStringLiteral("bkdh"), QStringLiteral("报刊代号"), 60),
        MakeColumn(QStringLiteral("bkmc"), QStringLiteral("报刊名称"), 250),
        MakeColumn(QStringLiteral("kq"), QStringLiteral("刊期"), 80, centre),
        MakeColumn(QStringLiteral("cbrq"), QStringLiteral("出版日期"), 150, centre),
        MakeColumn(QStringLiteral("qnj"), QStringLiteral("年价"), 80, std::nullopt, QStringLiteral("0.00")),
        MakeColumn(QStringLiteral("dj"), QStringLiteral("单价"), 70, std::nullopt, QStringLiteral("0.00")),
        MakeColumn(QStringLiteral("yj"), QStringLiteral("月价"), 70),
        MakeColumn(QStringLiteral("jj"), QStringLiteral("季价"), 50, std::nullopt, QStringLiteral("0.00")),
        MakeColumn(QStringLiteral("bnj"), QStringLiteral("半年价"), 55, std::nullopt, QStringLiteral("0.00")),
        MakeColumn(QStringLiteral("cn"), QStringLiteral("国内统一刊号"), 80, centre),
        MakeColumn(QStringLiteral("issn"), QStringLiteral("国际标准刊号"), 90, centre),
        MakeColumn(QStringLiteral("bkfl"), QStringLiteral("报刊分类"), 250),
        MakeColumn(QStringLiteral("bz"), QStringLiteral("备注"), 120),
        MakeColumn(QStringLiteral("bkjb"), QStringLiteral("刊物级别"), 60),
        MakeColumn(QStringLiteral("fbkj"), QStringLiteral("出版地"), 60),
    });
    brow->OnDrawColumnCell = [this](TDrawCellArgs &args) {
        GridDrawColumnCell(args);
        markRegisteredTitle(args);
    };
}

int TbkMainFrm::currentTab() const
{
    return FTab->TabIndex();
}

QString TbkMainFrm::currentTabCaption() const
{
    return FTab->tabCaption(FTab->TabIndex());
}

int TbkMainFrm::LoadCatalogue(const QString &filter)
{
    ds.setDataSet(nullptr);
    const int rows = OpenQuery(CatalogueStatement(currentTab(), filter), ADO);
    if (rows >= 0)
        return rows;
    const QString failure = GP.LastError;
    const int listed = OpenQuery(TolerantCatalogueStatement(currentTab(), filter), ADO);
    if (listed < 0)
        GP.LastError = failure;
    return listed;
}

void TbkMainFrm::FTabChange()
{
    ddado.close();
    const bool postal = currentTab() == 0;
    bkzl->setEnabled(postal);
    if (!MlxgBtn->isHidden())
        MlxgBtn->setEnabled(!postal);
    bkzl->setItemIndex(0);
    loadRegisterMarks();

    const int n = LoadCatalogue(QString());
    if (n <= 0) {
        platform::ShowDbError(this, GP.LastError);
        return;
    }
    ds.setDataSet(&ADO);
    if (SelectedUnit())
        LoadOrders();
    brow->setFocus();
}

QString TbkMainFrm::searchFilter(int field, const QString &text) const
{
    QString filter;
    if (field >= 0 && !text.isEmpty()) {
        if (field == SearchByTitle)
            filter += TitleSearchCondition(text);
        else if (field == SearchBySerial)
            filter += SerialCondition(text);
        else
            filter += CodeCondition(text);
    }
    if (bkzl->ItemIndex() == 1 || bkzl->ItemIndex() == 2)
        filter += KindCondition(bkzl->Items().at(bkzl->ItemIndex()));
    const int period = PickedIndex(kqCbox);
    if (period >= 0)
        filter += PeriodCondition(kqCbox->itemText(period));
    return filter;
}

void TbkMainFrm::cxBtnClick()
{
    TypeAheadTimer->stop();
    const int field = PickedIndex(dhmcBox);
    const QString t = Edit1->text().trimmed();
    if (field >= 0 && t.isEmpty()) {
        platform::ShowHint(this, QStringLiteral("请输入代号,或报刊名称..."));
        return;
    }
    const int n = LoadCatalogue(searchFilter(field, t));
    if (n > 0)
        ds.setDataSet(&ADO);
    else if (n < 0)
        platform::ShowHint(this, GP.LastError);
    else
        platform::ShowHint(this, QStringLiteral("未搜索到相关信息..."));
}

void TbkMainFrm::Edit1TextEdited()
{
    if (PickedIndex(dhmcBox) == SearchByTitle)
        TypeAheadTimer->start();
}

void TbkMainFrm::TypeAheadSearch()
{
    // The search of 查询 on what is typed so far; an emptied text shows every title of the other
    // conditions again. Nothing found leaves the grid empty without a word; a failure is told.
    if (PickedIndex(dhmcBox) != SearchByTitle)
        return;
    const int n = LoadCatalogue(searchFilter(SearchByTitle, Edit1->text().trimmed()));
    if (n > 0)
        ds.setDataSet(&ADO);
    else if (n < 0)
        platform::ShowHint(this, GP.LastError);
}

void TbkMainFrm::locaBtnClick()
{
    if (!ADO.active() || ADO.isEmpty())
        return;
    const int field = PickedIndex(dhmcBox);
    const QString t = Edit1->text().trimmed();
    if (field < 0 || t.isEmpty()) {
        platform::ShowHint(this, QStringLiteral("请选择输入报刊代号或报刊名称..."));
        dhmcBox->setFocus();
        return;
    }
    bool found = false;
    if (field == SearchBySerial) {
        found = locateBySerial(t);
    } else {
        const QString name = field == SearchByTitle ? QStringLiteral("bkmc") : QStringLiteral("bkdh");
        found = ADO.locate(name, t, CheckBox1->isChecked());
        // A title not found by its characters may be found by its pinyin or initials.
        if (!found && field == SearchByTitle && IsReadingSearchText(t)) {
            const int located = locateByReading(t, CheckBox1->isChecked());
            if (located < 0) {
                platform::ShowHint(this, GP.LastError);
                return;
            }
            found = located > 0;
        }
    }
    if (!found)
        platform::ShowHint(this, QStringLiteral("未发现符合条件的记录..."));
}

int TbkMainFrm::locateByReading(const QString &text, bool partial)
{
    QHash<QString, QStringList> readings;
    if (LoadTitleReadings(&readings) < 0)
        return -1;
    const QString key = ReadingSearchKey(text);
    const int column = ADO.fieldIndex(QStringLiteral("bkmc"));
    for (int row = 0; row < ADO.recordCount(); ++row) {
        for (const QString &form : readings.value(ADO.value(row, column).toString())) {
            if (partial ? form.startsWith(key) : form == key) {
                ADO.setRecNo(row + 1);
                return 1;
            }
        }
    }
    return 0;
}

bool TbkMainFrm::locateBySerial(const QString &text)
{
    const QString key = SerialSearchKey(text);
    if (key.isEmpty())
        return false;
    const int cn = ADO.fieldIndex(QStringLiteral("cn"));
    const int issn = ADO.fieldIndex(QStringLiteral("issn"));
    for (int row = 0; row < ADO.recordCount(); ++row) {
        for (const int column : {cn, issn}) {
            if (column >= 0 && SerialNumberForms(ADO.value(row, column).toString()).contains(key)) {
                ADO.setRecNo(row + 1);
                return true;
            }
        }
    }
    return false;
}

void TbkMainFrm::dhmcBoxChange()
{
    if (dhmcBox->currentText().isEmpty()) {
        const QSignalBlocker blocker(dhmcBox);
        dhmcBox->setCurrentIndex(-1);
        Edit1->clear();
    }
    const int field = PickedIndex(dhmcBox);
    if (field < 0)
        return;
    Edit1->clear();
    TypeAheadTimer->stop();
    const bool byTitle = field == SearchByTitle;
    CheckBox1->setChecked(byTitle);
    CheckBox1->setEnabled(byTitle);
}

void TbkMainFrm::ADOAfterScroll()
{
    if (!ADO.active() || ADO.isEmpty())
        return;
    StatusPanel->setText(CatalogueStatusText(currentTabCaption(), ADO.recNo(), ADO.recordCount()));
}

void TbkMainFrm::GridDrawColumnCell(TDrawCellArgs &args)
{
    const db::Query *query = args.grid->dataSet();
    if (!query || !query->active() || query->isEmpty() || args.selected)
        return;
    if ((args.row + 1) % 2 == 0)
        args.background = QApplication::palette().brush(QPalette::ToolTipBase);
}

void TbkMainFrm::BitBtn1Click()
{
    ShowImportForm<TbkmlFrm>();
}

void TbkMainFrm::MlxgBtnClick()
{
    ShowCatalogEditForm<TbkmlxgFrm>(this, ADO);
}
