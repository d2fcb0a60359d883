#pragma once
// The two small windows of the grid export: the start-up notice shown while the spreadsheet
// application starts, and the progress window with its record count, progress bar and 停止 button.
// Both are top-level, without title text or title-bar buttons, fixed in size, centred on the screen,
// in 宋体 9 pt, and shown without being modal.

#include <QString>

class QProgressBar;
class QPushButton;
class QWidget;

// "正在启动Excel环境，请稍候……" for Excel, else "正在启动WPS环境，请稍候……".
QString StartNoticeText(bool excel);
// "共计:" + count + "条记录,正在导出数据，请稍候……"
QString ProgressNoticeText(int recordCount);

// 250 × 100, tooltip background, a raised panel with the notice.
QWidget *BuildStartWindow(QWidget *owner, bool excel);

struct ProgressWindowParts {
    QWidget *window = nullptr;
    QProgressBar *bar = nullptr;
    QPushButton *stopButton = nullptr; // "停止", disabled when built
};
// 300 × 150, button-face background, the notice, the bar and the stop button.
ProgressWindowParts BuildProgressWindow(QWidget *owner, int recordCount);

// Shows a built window and lets it paint before the work goes on.
void ShowAndPaint(QWidget *window);
