// bkdata: creates the program's database file.
//   bkdata [--demo] [--postal-rows N] [FILE]
// FILE defaults to bkdata.mdb beside this program. An existing file is never overwritten.

#include "CreateDatabase.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Creates the encrypted database file of Tavrin系统."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("demo"), QStringLiteral("Add a demo catalogue and three units.")});
    parser.addOption({QStringLiteral("postal-rows"), QStringLiteral("Add N generated postal titles (with --demo)."),
                      QStringLiteral("N"), QStringLiteral("0")});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to create."));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString path = args.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bkdata.mdb"))
                                        : args.first();
    bkdata::CreateOptions options;
    options.demo = parser.isSet(QStringLiteral("demo"));
    options.demoPostalRows = parser.value(QStringLiteral("postal-rows")).toInt();
    QString error;
    if (!bkdata::createDatabase(path, options, &error)) {
        std::fprintf(stderr, "bkdata: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("bkdata: created %s%s\n", qPrintable(QDir::toNativeSeparators(path)),
                options.demo ? " with the demo catalogue" : "");
    return 0;
}
