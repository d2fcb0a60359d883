#include "data/DatabaseLocation.h"

#include "data/ServerSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace {

const QString kFileName = QStringLiteral("bkdata.mdb");

std::optional<DatabaseLocation> &current()
{
    static std::optional<DatabaseLocation> location;
    return location;
}

QString cleanDir(const QString &dir)
{
    return QDir::cleanPath(QDir(dir).absolutePath());
}

} // namespace

bool IsInstalledProgramDir(const QString &programDir)
{
    const QString dir = cleanDir(programDir);
    for (const QString &system : {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin"), QStringLiteral("/bin"),
                                  QStringLiteral(TAVRIN_INSTALL_BINDIR)})
        if (dir == cleanDir(system))
            return true;
    return dir.startsWith(QStringLiteral("/opt/"));
}

DatabaseLocation ChooseDatabaseLocation(const QString &programDir, const QString &named, const QString &userDataDir)
{
    DatabaseLocation location;
    if (IsInstalledProgramDir(programDir))
        location.filePath = QDir(userDataDir).filePath(QStringLiteral("tavrin/") + kFileName);
    else
        location.filePath = QDir(programDir).filePath(kFileName);
    // A server's settings file beside the program points the desk at that server.
    const QString settings = QDir(programDir).filePath(ServerSettingsFileName());
    if (named.isEmpty() && QFileInfo(settings).isFile())
        location.serverFile = cleanDir(settings);
    if (!named.isEmpty()) {
        location.explicitlyNamed = true;
        const QString path = QFileInfo(named).absoluteFilePath();
        if (path.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive))
            location.serverFile = path;
        else
            location.filePath = path;
    }
    return location;
}

DatabaseLocation ChooseDatabaseLocation(const QString &named)
{
    return ChooseDatabaseLocation(QCoreApplication::applicationDirPath(), named,
                                  QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

void SetDatabaseLocation(const DatabaseLocation &location)
{
    current() = location;
}

DatabaseLocation CurrentDatabaseLocation()
{
    if (current())
        return *current();
    DatabaseLocation beside;
    beside.filePath = QDir(QCoreApplication::applicationDirPath()).filePath(kFileName);
    return beside;
}

QString MissingDatabaseHint(const QString &filePath)
{
    return QStringLiteral("Tavrin系统: ") + MissingDatabaseDetails(filePath);
}

QString MissingDatabaseDetails(const QString &filePath)
{
    const QString path = QDir::toNativeSeparators(filePath);
    return QStringLiteral("数据库文件 %1 不存在。\n"
                          "  建立带演示目录的数据库: bkdata --demo %1\n"
                          "  建立空数据库:           bkdata %1\n"
                          "  或以 --database 路径 指定别处的数据库文件。")
        .arg(path);
}
