#include "export/ExportWindows.h"

#include "platform/Dialogs.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace {

QWidget *bareWindow(QWidget *owner, QSize size, QPalette::ColorRole background)
{
    auto *window = new QWidget(owner, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                          | Qt::WindowStaysOnTopHint);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(QString());
    window->setFont(QFont(QStringLiteral("宋体"), 9));
    window->setFixedSize(size);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, palette.color(background));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->geometry().center() - window->rect().center());
    return window;
}

QFrame *fillingPanel(QWidget *window, QFrame::Shape shape, QFrame::Shadow shadow)
{
    auto *panel = new QFrame(window);
    panel->setFrameStyle(shape | shadow);
    panel->setGeometry(window->rect());
    return panel;
}

QLabel *labelAt(QWidget *parent, int x, int y, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

} // namespace

QString StartNoticeText(bool excel)
{
    return excel ? QStringLiteral("正在启动Excel环境，请稍候……") : QStringLiteral("正在启动WPS环境，请稍候……");
}

QString ProgressNoticeText(int recordCount)
{
    return QStringLiteral("共计:") + QString::number(recordCount) + QStringLiteral("条记录,正在导出数据，请稍候……");
}

QWidget *BuildStartWindow(QWidget *owner, bool excel)
{
    QWidget *window = bareWindow(owner, QSize(250, 100), QPalette::ToolTipBase);
    QFrame *panel = fillingPanel(window, QFrame::WinPanel, QFrame::Raised);
    labelAt(panel, 25, 15, StartNoticeText(excel));
    return window;
}

ProgressWindowParts BuildProgressWindow(QWidget *owner, int recordCount)
{
    ProgressWindowParts parts;
    parts.window = bareWindow(owner, QSize(300, 150), QPalette::Button);
    QFrame *panel = fillingPanel(parts.window, QFrame::NoFrame, QFrame::Plain);
    labelAt(panel, 25, 20, ProgressNoticeText(recordCount));
    parts.bar = new QProgressBar(panel);
    parts.bar->setGeometry(20, 45, 260, 18);
    parts.bar->setTextVisible(false);
    parts.stopButton = new QPushButton(QStringLiteral("停止"), panel);
    parts.stopButton->setGeometry(200, 80, 65, 25);
    parts.stopButton->setEnabled(false);
    return parts;
}

void ShowAndPaint(QWidget *window)
{
    if (!window)
        return;
    window->show();
    window->repaint();
    platform::ProcessMessages();
}
