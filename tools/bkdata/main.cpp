// bkdata: creates the program's database file.
//   bkdata [--demo] [--postal-rows N] [FILE]
// FILE defaults to where the program looks for its database: bkdata.mdb beside this program, or for an
// installed copy the user's data folder (~/.local/share/tavrin). An existing file is never overwritten;
// missing folders on the way are made.

#include "CreateDatabase.h"
#include "data/DatabaseLocation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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
    const QString path = args.isEmpty() ? ChooseDatabaseLocation(QString()).filePath : args.first();
    QDir().mkpath(QFileInfo(path).absolutePath());
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
