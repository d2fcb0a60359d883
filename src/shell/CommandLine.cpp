#include "shell/CommandLine.h"

#include <QCommandLineParser>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {

const QString kProgram = QStringLiteral("Tavrin系统");

QtMessageHandler previousHandler = nullptr;

void displayWatcher(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QByteArray category(context.category ? context.category : "");
    // Qt's own explanations of a failed connection are replaced by one line of ours.
    if (category.startsWith("qt.qpa."))
        return;
    if (type == QtFatalMsg && message.contains(QStringLiteral("platform plugin"))) {
        const QByteArray display = qgetenv("DISPLAY");
        const QString line = kProgram + QStringLiteral(": 无法连接图形显示%1，请在图形桌面中启动本程序。\n")
                                            .arg(display.isEmpty() ? QString() : QStringLiteral(" ") + QString::fromLocal8Bit(display));
        std::fputs(line.toUtf8().constData(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

CommandLine ReadCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption database(QStringLiteral("database"), QString(), QStringLiteral("PATH"));
    parser.addOptions({help, version, database});
    CommandLine line;
    // Unknown options are Qt's own; only a --database without its value is an error of ours.
    parser.parse(arguments);
    if (parser.isSet(help)) {
        line.action = CommandLine::Action::Help;
    } else if (parser.isSet(version)) {
        line.action = CommandLine::Action::Version;
    } else if (arguments.contains(QStringLiteral("--database")) && !parser.isSet(database)) {
        line.action = CommandLine::Action::Error;
        line.error = kProgram + QStringLiteral(": --database 后面要给出数据库文件的路径");
    } else if (parser.isSet(database)) {
        line.database = parser.value(database);
        if (line.database.isEmpty()) {
            line.action = CommandLine::Action::Error;
            line.error = kProgram + QStringLiteral(": --database 后面要给出数据库文件的路径");
        }
    }
    return line;
}

QString HelpText()
{
    return QStringLiteral(
        "用法: tavrin [--database 路径]\n"
        "Tavrin系统: 邮局报刊订阅的收订、计价与订单导出。\n"
        "\n"
        "  --database 路径  使用这个数据库文件（以 .ini 结尾时为描述数据库服务器的设置文件）\n"
        "  -h, --help       显示本说明\n"
        "  -v, --version    显示版本\n"
        "\n"
        "数据库文件：从构建或解包的文件夹运行时在程序旁边（bkdata.mdb）；\n"
        "安装后的程序在用户数据文件夹（~/.local/share/tavrin/bkdata.mdb）。\n"
        "建立数据库：bkdata --demo 路径（带演示目录）或 bkdata 路径（空数据库）。\n");
}

QString VersionText()
{
    return kProgram + QStringLiteral(" ") + QStringLiteral(TAVRIN_VERSION) + QLatin1Char('\n');
}

QString MissingDisplayLine(const QStringList &arguments)
{
    QString platform = QString::fromLocal8Bit(qgetenv("QT_QPA_PLATFORM"));
    const qsizetype at = arguments.indexOf(QStringLiteral("-platform"));
    if (at >= 0 && at + 1 < arguments.size())
        platform = arguments.at(at + 1);
    // offscreen, vnc, eglfs and the like need no desktop display
    if (!platform.isEmpty() && !platform.startsWith(QStringLiteral("xcb")) && !platform.startsWith(QStringLiteral("wayland")))
        return QString();
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QString();
    return kProgram + QStringLiteral(": 没有图形显示（DISPLAY 未设置），请在图形桌面中启动本程序。");
}

void WatchDisplayConnection()
{
    previousHandler = qInstallMessageHandler(displayWatcher);
}

void RestoreMessages()
{
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}
