// bkdata: creates the program's database file, or restores one from a safety copy.
//   bkdata [--demo] [--postal-rows N] [FILE]
//   bkdata --restore BACKUP [FILE]
// FILE defaults to where the program looks for its database: bkdata.mdb beside this program, or for an
// installed copy the user's data folder (~/.local/share/tavrin). An existing file is never overwritten;
// missing folders on the way are made.

#include "CreateDatabase.h"
#include "data/DatabaseLocation.h"
#include "data/Restore.h"
#include "data/Udm.h"
#include "db/Connection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

void say(std::FILE *stream, const QString &text)
{
    std::fputs(("bkdata: " + text + QLatin1Char('\n')).toUtf8().constData(), stream);
}

// Restores `backup` into the database file `path`, as 数据恢复 does: a copy that does not open with the
// program's password or lacks a table is refused, and the state replaced is copied first. A missing
// database file becomes a copy of the checked backup.
int restore(const QString &backup, const QString &path)
{
    const QString text = ConnectionTextFor(path);
    if (!QFileInfo(path).isFile()) {
        const QString problem = CheckBackup(backup, db::parseConnectionText(text).password);
        if (!problem.isEmpty()) {
            say(stderr, problem + QStringLiteral("; nothing was restored"));
            return 1;
        }
        if (!QFile::copy(backup, path)) {
            say(stderr, QStringLiteral("cannot write ") + QDir::toNativeSeparators(path));
            return 1;
        }
        say(stdout, QStringLiteral("restored %1 from %2 (there was no database)")
                        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backup)));
        return 0;
    }
    db::Connection connection;
    connection.setConnectionString(text);
    try {
        connection.open();
    } catch (const std::exception &error) {
        say(stderr, QStringLiteral("cannot open %1: %2").arg(path, QString::fromUtf8(error.what())));
        return 1;
    }
    const RestoreResult result = RestoreBackup(connection, backup);
    if (!result.restored) {
        say(stderr, result.error + QStringLiteral("; nothing was restored"));
        return 1;
    }
    say(stdout, QStringLiteral("restored %1 from %2; the state it replaced is in %3")
                    .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backup),
                         QDir::toNativeSeparators(result.safetyCopy)));
    if (!result.error.isEmpty())
        say(stderr, result.error);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Creates the encrypted database file of Tavrin系统."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("demo"), QStringLiteral("Add a demo catalogue and three units.")});
    parser.addOption({QStringLiteral("postal-rows"), QStringLiteral("Add N generated postal titles (with --demo)."),
                      QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("restore"),
                      QStringLiteral("Restore FILE from the safety copy BACKUP (the replaced state is copied first)."),
                      QStringLiteral("BACKUP")});
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("The database file (default: where the program looks for it)."));
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    const QString path = args.isEmpty() ? ChooseDatabaseLocation(QString()).filePath : args.first();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (parser.isSet(QStringLiteral("restore")))
        return restore(parser.value(QStringLiteral("restore")), path);
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
