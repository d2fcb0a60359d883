// Renders the login dialog into a PNG file, as it opens or with a role chosen (0 to 2) and the
// code typed: login_screenshot <file.png> [role]

#include "platform/Application.h"
#include "shell/uloginfrm.h"
#include "widgets/CaptionLabel.h"

#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: login_screenshot <file.png> [role]\n");
        return 2;
    }
    Tloginfrm form;
    form.show();
    if (argc > 2) {
        form.Cbox->setCurrentIndex(QByteArray(argv[2]).toInt());
        form.password->setText(QStringLiteral("traven"));
    }
    QApplication::processEvents();
    const QPixmap picture = form.grab();
    std::printf("%dx%d\n", picture.width(), picture.height());
    return picture.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
