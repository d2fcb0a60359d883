// Renders the order export's save dialog (Qt's own dialog, in Chinese, the Excel 2007 filter chosen
// and a name typed) and the 数据恢复 window over a demo database with two safety copies into PNG files:
//   standard_windows_screenshot <folder>
// Run it on an X server (xvfb-run -a) to see the windows as a clerk does.

#include "TestDatabase.h"
#include "data/Backup.h"
#include "data/Udm.h"
#include "main/RestoreWindow.h"
#include "platform/Application.h"
#include "platform/FileDialogs.h"

#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTableWidget>
#include <QThread>

#include <cstdio>

namespace {

bool save(QWidget &window, const QString &file)
{
    window.show();
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
    const QPixmap picture = window.grab();
    std::printf("%s %dx%d\n", qPrintable(file), picture.width(), picture.height());
    return picture.save(file);
}

} // namespace

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: standard_windows_screenshot <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    TestDatabase demo(/*demo=*/true);
    if (!demo.ok())
        return 1;

    platform::FileDialogRequest request;
    request.title = QStringLiteral("请选择输出文件名");
    request.defaultExt = QStringLiteral("xls");
    request.filter = QStringLiteral("Excel文件(*.Xls)|*.xls|Excel 2007文件(*.Xlsx)|*.xlsx");
    request.fileName = demo.folder() + QStringLiteral("/《青禾机械厂》订单");
    request.overwritePrompt = true;
    const auto dialog = platform::MakeFileDialog(nullptr, request, true);
    dialog->selectNameFilter(dialog->nameFilters().at(1));
    dialog->resize(640, 400);
    bool ok = save(*dialog, folder.filePath(QStringLiteral("file-dialog-chinese.png")));
    dialog->hide();

    WriteBackup(BackupReason::DailyLogin);
    QThread::msleep(5);
    WriteBackup(BackupReason::SystemReset);
    ExecSql(QStringLiteral("delete from dwinfo"));
    TRestoreFrm restore(demo.path());
    restore.list->selectRow(1);
    ok = save(restore, folder.filePath(QStringLiteral("restore.png"))) && ok;
    return ok ? 0 : 1;
}
