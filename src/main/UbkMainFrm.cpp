#include "main/UbkMainFrm.h"

#include "data/DatabaseLocation.h"
#include "calendar/Vocabulary.h"
#include "main/CatalogueQueries.h"
#include "main/MainWindowRules.h"
#include "platform/Desktop.h"
#include "platform/UserAction.h"
#include "widgets/TFlatPanel.h"
#include "widgets/TFlatTabControl.h"
#include "widgets/TPickComboBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

TbkMainFrm *bkMainFrm = nullptr;

namespace {

constexpr int QueryBarHeight = 41;
constexpr int TabControlHeight = 403;

QRect screenGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

} // namespace

TbkMainFrm::TbkMainFrm(QWidget *parent) : QMainWindow(parent), ds(this), ddds(this, &ddado)
{
    bkMainFrm = this;
    setObjectName(QStringLiteral("bkMainFrm"));
    ADO.setObjectName(QStringLiteral("ADO"));
    ddado.setObjectName(QStringLiteral("ddado"));

    // Creation step.
    setWindowTitle(QStringLiteral("Tavrin系统"));
    const DatabaseLocation database = CurrentDatabaseLocation();
    // With a server's settings file the database is that server: GP.DatabasePath names the file.
    GP.DatabasePath = database.serverFile.isEmpty() ? database.filePath : database.serverFile;
    GP.ServerFile = database.serverFile;
    GP.ConnectionText = ConnectionTextFor(GP.DatabasePath);
    GP.UserRole = 0;

    QFont songti(QStringLiteral("宋体"));
    songti.setPixelSize(12);
    setFont(songti);

    auto *client = new QWidget(this);
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(3, 3, 3, 2);
    column->setSpacing(0);
    buildQueryBar();
    buildCatalogue();
    buildOrderArea();
    column->addWidget(FlatPanel1);
    column->addSpacing(5);
    column->addWidget(FTab);
    column->addSpacing(3);
    column->addWidget(FlatPanel2, 1);
    setCentralWidget(client);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel = new QLabel(StatusBar1);
    StatusPanel->setObjectName(QStringLiteral("StatusPanel"));
    StatusBar1->addWidget(StatusPanel, 1);
    setStatusBar(StatusBar1);
    // A connection made anew after a lost link is told here, for a while.
    SetConnectionNotice([this](const QString &text) { StatusBar1->showMessage(text, 20000); });

    ADO.afterScroll = [this] { ADOAfterScroll(); };

    // cxBtn is the window's default button: Enter runs it unless a button has the focus.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        platform::ConnectAction(shortcut, &QShortcut::activated, this, &TbkMainFrm::pressDefaultButton);
    }

    setGeometry(MainWindowGeometry(screenGeometry(), platform::ScreenWorkArea()));
}

TbkMainFrm::~TbkMainFrm()
{
    // A window destroyed without its close step still releases its unit records.
    ClearUnitList(dwbox);
    SetConnectionNotice(nullptr);
    ADO.afterScroll = nullptr;
    ds.setDataSet(nullptr);
    ADO.close();
    ddado.close();
    if (bkMainFrm == this)
        bkMainFrm = nullptr;
}

void TbkMainFrm::pressDefaultButton()
{
    if (auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget()); button && isAncestorOf(button)) {
        button->click();
        return;
    }
    if (cxBtn->isEnabled() && cxBtn->isVisible())
        cxBtn->click();
}

void TbkMainFrm::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        platform::RunAction([this] { FormShow(); });
    QMainWindow::showEvent(event);
    // The frame's size arrives from the window manager some time after the window is mapped.
    for (int ms : {0, 100, 300, 1000, 2000})
        QTimer::singleShot(ms, this, &TbkMainFrm::fitFrameIntoWorkArea);
}

// The window manager frames the window after it is shown and then moves or resizes it.
void TbkMainFrm::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    fitFrameIntoWorkArea();
}

void TbkMainFrm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    fitFrameIntoWorkArea();
}

void TbkMainFrm::fitFrameIntoWorkArea()
{
    if (m_frameFitted || !isVisible())
        return;
    const QRect inner = geometry();
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    if (frame.isNull())
        return; // not framed (yet)
    m_frameFitted = true; // once: afterwards the clerk places the window
    const QRect workArea = platform::ScreenWorkArea();
    const QRect client = ClientAreaWithinWorkArea(MainWindowGeometry(screenGeometry(), workArea), frame, workArea);
    if (client != inner)
        setGeometry(client);
}

void TbkMainFrm::FormShow()
{
    // 1. The role's buttons.
    if (GP.UserRole == 1) {
        MlxgBtn->setVisible(true);
        MljcBtn->setVisible(true);
    } else if (GP.UserRole == 2) {
        MlxgBtn->setVisible(true);
        MljcBtn->setVisible(true);
        BitBtn1->setVisible(true);
        loadBtn->setVisible(true);
        restoreBtn->setVisible(true);
    }
    RegisterBtn->setVisible(GP.UserRole == 1 || GP.UserRole == 2);
    // 2. The period filter.
    kqCbox->clear();
    kqCbox->addItems(PeriodListText.split(QLatin1Char(',')));
    kqCbox->setCurrentIndex(-1);
    // 3. One tab per catalogue type.
    db::Query &types = dm->ADOQuery1;
    if (OpenQuery(CatalogueTypesStatement, types) >= 1) {
        QStringList captions;
        types.first();
        while (!types.eof()) {
            captions << types.fieldText(QStringLiteral("mc"));
            types.next();
        }
        FTab->setTabs(captions);
        types.close();
        types.clearSql();
    }
    // 4. The units; the only one is chosen.
    LoadUnitList(dwbox);
    if (dwbox->count() == 1) {
        const QSignalBlocker blocker(dwbox);
        dwbox->setCurrentIndex(0);
        showUnitContact(SelectedUnit());
    }
    // 5. Tab 0, whose change handler runs even when it was already selected.
    {
        const QSignalBlocker blocker(FTab);
        FTab->setTabIndex(0);
    }
    FTabChange();
    // 6. The chosen unit's orders, also when the catalogue failed to load.
    if (SelectedUnit())
        LoadOrders();
}

void TbkMainFrm::closeEvent(QCloseEvent *event)
{
    FormCloseQuery();
    event->accept();
}

void TbkMainFrm::FormCloseQuery()
{
    ClearUnitList(dwbox);
    ADO.close();
    ddado.close();
}

bool TbkMainFrm::eventFilter(QObject *watched, QEvent *event)
{
    // The catalogue grid keeps its place inside the tab control.
    if (watched == FTab && event->type() == QEvent::Resize)
        brow->setGeometry(2, 25, FTab->width() - 6, FTab->height() - 28);
    return QMainWindow::eventFilter(watched, event);
}

QString TbkMainFrm::statusText() const
{
    return StatusPanel->text();
}
