// bkdata: creates the program's database, or restores a database file from a safety copy.
//   bkdata [--demo] [--postal-rows N] [FILE]        the encrypted file
//   bkdata --restore BACKUP [FILE]                  a database file restored from a safety copy
//   bkdata --server SETTINGS.ini [--demo]           the schema in an empty database of a PostgreSQL server
//   bkdata --server SETTINGS.ini --move FILE        a desk's file moved to the server, in one transaction
//   bkdata --role-statements CLERK[,CLERK...] [--server SETTINGS.ini]
//                                                   prints the statements that make the desks' group and
//                                                   a login role per clerk (run after the tables exist)
// FILE defaults to where the program looks for its database: bkdata.mdb beside this program, or for an
// installed copy the user's data folder (~/.local/share/tavrin). An existing file is never overwritten
// (missing folders on the way are made); a server database that holds data is never written. The
// server's password comes from the user's ~/.pgpass (or PGPASSWORD), never from the settings file.

#include "CreateDatabase.h"
#include "ServerSchema.h"

#include "data/DatabaseLocation.h"
#include "data/Restore.h"
#include "data/ServerSettings.h"
#include "data/Udm.h"
#include "db/Connection.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

namespace {

int failed(const QString &message)
{
    std::fprintf(stderr, "bkdata: %s\n", qPrintable(message));
    return 1;
}

int onServer(const QString &settingsPath, const QString &moveFrom, const bkdata::CreateOptions &options)
{
    if (!QFileInfo(settingsPath).isFile())
        return failed(QStringLiteral("settings file not found: %1").arg(settingsPath));
    const ServerSettings settings = ReadServerSettings(settingsPath);
    if (!settings.problem.isEmpty())
        return failed(settings.problem);
    db::Connection server;
    try {
        server.setConnectionString(ServerConnectionText(settings));
        server.open();
    } catch (const db::DbError &e) {
        return failed(QStringLiteral("cannot connect to the server: %1").arg(e.message()));
    }
    QString error;
    if (!moveFrom.isEmpty()) {
        QString report;
        if (!bkdata::moveFileToServer(moveFrom, server, &report, &error))
            return failed(error);
        std::printf("bkdata: moved %s to database %s on the server\n%s\n", qPrintable(moveFrom),
                    qPrintable(settings.database), qPrintable(report));
        return 0;
    }
    if (!bkdata::createServerSchema(server, options, &error))
        return failed(error);
    std::printf("bkdata: created the tables in database %s on the server%s\n", qPrintable(settings.database),
                options.demo ? " with the demo catalogue" : "");
    return 0;
}

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
        const QString problem = RestoreToNewFile(backup, path, db::parseConnectionText(text).password);
        if (!problem.isEmpty()) {
            say(stderr, problem + QStringLiteral("; nothing was restored"));
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
    // Qt's own words of the help (usage, options, -h) in Chinese, as in the program's windows.
    QTranslator qtWords;
    if (qtWords.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtWords);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("建立Tavrin系统的数据库:加密的数据库文件,或PostgreSQL服务器上的各表;也可用备份恢复数据库文件。"));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("demo"), QStringLiteral("加入演示目录和三个单位。")});
    parser.addOption({QStringLiteral("postal-rows"), QStringLiteral("另加入N条生成的邮发报刊(与--demo同用)。"),
                      QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("restore"),
                      QStringLiteral("用备份BACKUP恢复数据库文件FILE(先备份被替换的数据)。"), QStringLiteral("BACKUP")});
    parser.addOption({QStringLiteral("server"),
                      QStringLiteral("在此设置文件所指的服务器上操作([server]节的host、port、database、user、sslmode、sslrootcert)。"),
                      QStringLiteral("SETTINGS.ini")});
    parser.addOption({QStringLiteral("move"),
                      QStringLiteral("把此数据库文件的全部记录移到服务器上(与--server同用)。"), QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("role-statements"),
                      QStringLiteral("显示建立柜台组(只能读写本系统的各表)及其中每个操作员登录角色的语句;"
                                     "在各表建立之后由数据库的所有者执行,再为每个角色设置密码。"),
                      QStringLiteral("CLERK[,CLERK...]")});
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("数据库文件(缺省为程序查找数据库的位置)。"), QStringLiteral("[FILE]"));
    parser.process(app);

    bkdata::CreateOptions options;
    options.demo = parser.isSet(QStringLiteral("demo"));
    options.demoPostalRows = parser.value(QStringLiteral("postal-rows")).toInt();
    const QString settingsPath = parser.value(QStringLiteral("server"));
    if (parser.isSet(QStringLiteral("role-statements"))) {
        const ServerSettings settings = settingsPath.isEmpty() ? ServerSettings() : ReadServerSettings(settingsPath);
        if (!settings.problem.isEmpty())
            return failed(settings.problem);
        const QString database = settingsPath.isEmpty() ? QStringLiteral("bkdata") : settings.database;
        const QStringList clerks = parser.value(QStringLiteral("role-statements")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        std::printf("-- run as the owner of database %s, after the tables exist (bkdata --server)\n", qPrintable(database));
        for (const QString &statement : bkdata::roleStatements(clerks, database))
            std::printf("%s;\n", qPrintable(statement));
        std::printf("-- then give each login role its own password in psql: \\password NAME\n"
                    "-- and let the group reach only this database (pg_hba.conf):\n"
                    "--   hostssl %s +%s 0.0.0.0/0 scram-sha-256\n",
                    qPrintable(database), qPrintable(bkdata::deskGroupName()));
        return 0;
    }
    if (!settingsPath.isEmpty())
        return onServer(settingsPath, parser.value(QStringLiteral("move")), options);
    if (parser.isSet(QStringLiteral("move")))
        return failed(QStringLiteral("--move needs --server SETTINGS.ini"));

    const QStringList args = parser.positionalArguments();
    const QString path = args.isEmpty() ? ChooseDatabaseLocation(QString()).filePath : args.first();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (parser.isSet(QStringLiteral("restore")))
        return restore(parser.value(QStringLiteral("restore")), path);
    QString error;
    if (!bkdata::createDatabase(path, options, &error))
        return failed(error);
    std::printf("bkdata: created %s%s\n", qPrintable(QDir::toNativeSeparators(path)),
                options.demo ? " with the demo catalogue" : "");
    return 0;
}
