#include "catalogue/UbkmlxgFrm.h"

#include "catalogue/CatalogueEdit.h"
#include "catalogue/CentreOnScreen.h"
#include "data/Udm.h"
#include "platform/UserAction.h"
#include "widgets/TFlatCheckBox.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TNumberEdit.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace {

constexpr int FieldLeft = 112;
constexpr int RowHeight = 23;
const int RowTop[] = {14, 53, 88, 123, 158, 193, 228};

// A ticked box opens its field, puts the focus into it and selects the field's whole content, so
// that what the clerk types next replaces the old value; an unticked one closes the field.
void enableByTick(const QCheckBox *box, QWidget *field)
{
    field->setEnabled(box->isChecked());
    if (!box->isChecked())
        return;
    field->setFocus(Qt::OtherFocusReason);
    // A number edit shows its plain value once it has the focus: select after that.
    auto *edit = qobject_cast<QLineEdit *>(field);
    if (auto *combo = qobject_cast<QComboBox *>(field))
        edit = combo->lineEdit();
    if (edit)
        edit->selectAll();
}

} // namespace

void ShowNoCatalogueEntry(QWidget *owner)
{
    platform::ShowHint(owner, QStringLiteral("当前目录中没有可修改的记录..."));
}

TbkmlxgFrm::TbkmlxgFrm(db::Query &catalogue, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      m_catalogue(catalogue)
{
    setObjectName(QStringLiteral("bkmlxgFrm"));
    setWindowTitle(QStringLiteral("目录信息修改"));
    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(12);
    setFont(songti);
    setFixedSize(405, 318);
    buildControls();
    CentreOnScreen(this);

    platform::ConnectAction(bkmcBox, &QCheckBox::toggled, this, &TbkmlxgFrm::bkmcBoxClick);
    platform::ConnectAction(fbkjBox, &QCheckBox::toggled, this, &TbkmlxgFrm::fbkjBoxClick);
    platform::ConnectAction(kqbox, &QCheckBox::toggled, this, &TbkmlxgFrm::kqboxClick);
    platform::ConnectAction(cbrqbox, &QCheckBox::toggled, this, &TbkmlxgFrm::cbrqboxClick);
    platform::ConnectAction(qnjbox, &QCheckBox::toggled, this, &TbkmlxgFrm::qnjboxClick);
    platform::ConnectAction(djbox, &QCheckBox::toggled, this, &TbkmlxgFrm::djboxClick);
    platform::ConnectAction(BitBtn1, &QPushButton::clicked, this, &TbkmlxgFrm::BitBtn1Click);
    platform::ConnectAction(BitBtn2, &QPushButton::clicked, this, &TbkmlxgFrm::BitBtn2Click);
}

void TbkmlxgFrm::buildControls()
{
    auto label = [this](int row, const QString &caption) {
        auto *l = new QLabel(caption, this);
        l->setGeometry(44, RowTop[row], FieldLeft - 48, RowHeight);
        return l;
    };
    auto tick = [this](int row, const char *name) {
        auto *box = new TFlatCheckBox(QString(), this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(22, RowTop[row], 18, RowHeight);
        return box;
    };
    auto place = [](QWidget *field, int row, int width, const char *name) {
        field->setObjectName(QLatin1String(name));
        field->setGeometry(FieldLeft, RowTop[row], width, RowHeight);
        field->setEnabled(false);
    };

    label(0, QStringLiteral("报刊代号"));
    Panbkdh = new TFlatPanel(this);
    Panbkdh->setObjectName(QStringLiteral("Panbkdh"));
    Panbkdh->setGeometry(FieldLeft, RowTop[0] - 1, 161, 25);
    QFont heiti(QStringLiteral("黑体"));
    heiti.setPixelSize(16);
    heiti.setBold(true);
    Panbkdh->setFont(heiti);

    bkmcBox = tick(1, "bkmcBox");
    label(1, QStringLiteral("报刊名称"));
    bkmc = new QLineEdit(this);
    place(bkmc, 1, 275, "bkmc");

    fbkjBox = tick(2, "fbkjBox");
    label(2, QStringLiteral("出版地"));
    fbkj = new QLineEdit(this);
    place(fbkj, 2, 90, "fbkj");

    kqbox = tick(3, "kqbox");
    label(3, QStringLiteral("刊期"));
    kq = new QComboBox(this);
    kq->setEditable(true);
    kq->setInsertPolicy(QComboBox::NoInsert);
    kq->setCompleter(nullptr);
    place(kq, 3, 88, "kq");

    cbrqbox = tick(4, "cbrqbox");
    label(4, QStringLiteral("出版日期"));
    cbrq = new QLineEdit(this);
    place(cbrq, 4, 202, "cbrq");

    qnjbox = tick(5, "qnjbox");
    label(5, QStringLiteral("年价"));
    qnj = new TNumberEdit(this, -1, QStringLiteral("0.00"));
    qnj->clear(); // a price field opens empty until a price is filled in
    place(qnj, 5, 73, "qnj");

    djbox = tick(6, "djbox");
    label(6, QStringLiteral("单价"));
    dj = new TNumberEdit(this, -1, QStringLiteral("0.00"));
    dj->clear();
    place(dj, 6, 73, "dj");

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(8, 264, 389, 2);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("保存"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(206, 277, 85, 28);
    BitBtn1->setAutoDefault(false);
    BitBtn2 = new QPushButton(style()->standardIcon(QStyle::SP_DialogResetButton), QStringLiteral("重置"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(302, 277, 85, 28);
    BitBtn2->setAutoDefault(false);
}

QList<TFlatCheckBox *> TbkmlxgFrm::boxes() const
{
    return {bkmcBox, fbkjBox, kqbox, cbrqbox, qnjbox, djbox};
}

void TbkmlxgFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        platform::RunAction([this] { FormShow(); });
    }
}

void TbkmlxgFrm::FormShow()
{
    db::Query &query = dm->ADOQuery1;
    if (OpenQuery(QStringLiteral("select kq from nopost group by kq"), query) > 0) {
        for (query.first(); !query.eof(); query.next())
            kq->addItem(query.fieldText(QStringLiteral("kq")));
        query.close();
    }
    FillFromCurrentRow();
}

void TbkmlxgFrm::FillFromCurrentRow()
{
    const db::Query *entry = &m_catalogue;
    if (!HasCurrentEntry(entry))
        return;
    Panbkdh->setCaption(entry->fieldText(QStringLiteral("bkdh")));
    bkmc->setText(entry->fieldText(QStringLiteral("bkmc")));
    if (!entry->isNull(QStringLiteral("fbkj")))
        fbkj->setText(entry->fieldText(QStringLiteral("fbkj")));
    kq->setCurrentIndex(-1);
    kq->setEditText(QString());
    if (!entry->isNull(QStringLiteral("kq"))) {
        const int item = kq->findText(entry->fieldText(QStringLiteral("kq")));
        if (item >= 0)
            kq->setCurrentIndex(item);
    }
    if (!entry->isNull(QStringLiteral("cbrq")))
        cbrq->setText(entry->fieldText(QStringLiteral("cbrq")));
    if (const double price = entry->fieldFloat(QStringLiteral("qnj")); price != 0)
        qnj->setValue(price);
    if (const double price = entry->fieldFloat(QStringLiteral("dj")); price != 0)
        dj->setValue(price);
}

void TbkmlxgFrm::bkmcBoxClick()
{
    enableByTick(bkmcBox, bkmc);
}

void TbkmlxgFrm::fbkjBoxClick()
{
    enableByTick(fbkjBox, fbkj);
}

void TbkmlxgFrm::kqboxClick()
{
    enableByTick(kqbox, kq);
}

void TbkmlxgFrm::cbrqboxClick()
{
    enableByTick(cbrqbox, cbrq);
}

void TbkmlxgFrm::qnjboxClick()
{
    enableByTick(qnjbox, qnj);
}

void TbkmlxgFrm::djboxClick()
{
    enableByTick(djbox, dj);
}

bool TbkmlxgFrm::checksPass()
{
    struct Check {
        QCheckBox *box;
        bool failed;
        QWidget *field;
        const char16_t *message;
    };
    const Check checks[] = {
        {bkmcBox, bkmc->text().trimmed().isEmpty(), bkmc, u"请输入报刊名称..."},
        {fbkjBox, fbkj->text().trimmed().isEmpty(), fbkj, u"请输入出版地..."},
        {kqbox, kq->currentText().trimmed().isEmpty(), kq, u"请选择刊期..."},
        {cbrqbox, cbrq->text().trimmed().isEmpty(), cbrq, u"请输入出版日期..."},
        {qnjbox, !(qnj->Value() > 0), qnj, u"全年价格输入错误..."},
        {djbox, !(dj->Value() > 0), dj, u"全年价格输入错误..."},
    };
    for (const Check &check : checks) {
        if (check.box->isChecked() && check.failed) {
            platform::ShowHint(this, QString::fromUtf16(check.message));
            check.field->setFocus();
            return false;
        }
    }
    return true;
}

void TbkmlxgFrm::BitBtn1Click()
{
    if (!checksPass())
        return;
    QList<CatalogueFieldChange> changes;
    if (bkmcBox->isChecked())
        changes.append({QStringLiteral("bkmc"), bkmc->text().trimmed()});
    if (fbkjBox->isChecked())
        changes.append({QStringLiteral("fbkj"), fbkj->text().trimmed()});
    if (kqbox->isChecked())
        changes.append({QStringLiteral("kq"), kq->currentText().trimmed()});
    if (cbrqbox->isChecked())
        changes.append({QStringLiteral("cbrq"), cbrq->text().trimmed()});
    if (qnjbox->isChecked())
        changes.append({QStringLiteral("qnj"), qnj->Value()});
    if (djbox->isChecked())
        changes.append({QStringLiteral("dj"), dj->Value()});
    if (changes.isEmpty()) {
        close();
        return;
    }
    db::Query *entry = &m_catalogue;
    if (!HasCurrentEntry(entry)) {
        ShowNoCatalogueEntry(this);
        return;
    }
    QString error;
    if (!PostCatalogueChanges(*entry, dm->ADOConnection, changes, &error)) {
        platform::ShowError(this, QStringLiteral("修改信息出现异常-->") + error);
        return;
    }
    emit entryEdited();
    platform::MessageBox(this, QStringLiteral("修改成功!!!!..."), QStringLiteral("提示信息"),
                         platform::Icon::Information);
    close();
}

void TbkmlxgFrm::BitBtn2Click()
{
    FillFromCurrentRow();
    for (TFlatCheckBox *box : boxes())
        box->setChecked(false);
    for (QWidget *field : std::initializer_list<QWidget *>{bkmc, fbkj, kq, cbrq, qnj, dj})
        field->setEnabled(false);
}
