// A catalogue import in a process of its own, for the test that kills it part-way:
//   import_child <database file> <workbook> <catalogue type>
// It imports through the import window as the clerk does (file chosen, type picked, 开始导入) and
// prints the closing message; the exit code is 0 when the import went through to its end.

#include "catalogue/UbkmlFrm.h"
#include "data/Udm.h"
#include "platform/Application.h"
#include "platform/TestHooks.h"
#include "widgets/TRadioGroup.h"

#include <cstdio>

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    platform::TestHooks::install();
    if (argc < 4) {
        std::fprintf(stderr, "usage: import_child <database> <workbook> <type>\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    dm = new Tdm;
    GP.DatabasePath = database;
    GP.ConnectionText = ConnectionTextFor(database);
    GP.WorkYear = 2010;
    // Opened as the login leaves it.
    dm->ADOConnection.setConnectionString(GP.ConnectionText);
    dm->ADOConnection.open();
    int result = 1;
    {
        TbkmlFrm window;
        window.show();
        platform::TestHooks::queueFileName(QString::fromLocal8Bit(argv[2]));
        window.BitBtn1Click();
        window.mllxBox->setItemIndex(QByteArray(argv[3]).toInt());
        window.BitBtn2Click();
        const QString closing = platform::TestHooks::lastMessage().text;
        std::printf("%s\n", closing.toUtf8().constData());
        result = closing.startsWith(QStringLiteral("导入目录完毕...")) ? 0 : 1;
    }
    delete dm;
    dm = nullptr;
    return result;
}
