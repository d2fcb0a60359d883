// A tiny program guarded like tavrin itself: the first copy shows a minimised window and reports
// "ready"; when a later start asks it to come forward it reports the window's state and ends.
// A later start exits 0 once the first copy confirmed, 3 when no copy answered.
//
//   instance_probe <guard key>

#include "platform/Application.h"
#include "platform/SingleInstance.h"

#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    platform::SingleInstance guard(QString::fromLocal8Bit(argv[1]));
    if (!guard.claim())
        return guard.signalRunningCopy() ? 0 : 3;

    platform::Application app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("probe"));
    window.showMinimized();
    guard.listen([&window] {
        platform::RaiseWindow(&window);
        std::printf("raised %s\n", window.isMinimized() ? "minimized" : "restored");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
