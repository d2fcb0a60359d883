#include "data/ServerSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

QString DefaultDatabasePath(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QString settings = folder.filePath(ServerSettingsFileName());
    return QFileInfo(settings).isFile() ? settings : folder.filePath(QStringLiteral("bkdata.mdb"));
}

bool IsServerSettingsPath(const QString &path)
{
    return path.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive);
}

ServerSettings ReadServerSettings(const QString &settingsPath)
{
    QSettings file(settingsPath, QSettings::IniFormat);
    file.beginGroup(QStringLiteral("server"));
    ServerSettings settings;
    settings.host = file.value(QStringLiteral("host")).toString().trimmed();
    settings.port = file.value(QStringLiteral("port")).toString().trimmed();
    settings.database = file.value(QStringLiteral("database")).toString().trimmed();
    settings.user = file.value(QStringLiteral("user")).toString().trimmed();
    const QString sslMode = file.value(QStringLiteral("sslmode")).toString().trimmed();
    if (!sslMode.isEmpty())
        settings.sslMode = sslMode;
    return settings;
}

QString ServerConnectionText(const ServerSettings &settings, const QString &password)
{
    // The connection text is split at semicolons: a value holding one cannot be passed on.
    auto clean = [](QString value) { return value.remove(QLatin1Char(';')); };
    QString text = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4;SSL Mode=%5")
                       .arg(clean(settings.host), clean(settings.port), clean(settings.database),
                            clean(settings.user), clean(settings.sslMode));
    if (!password.isEmpty())
        text += QStringLiteral(";Password=") + QString::fromLatin1(QUrl::toPercentEncoding(password));
    return text;
}

QString DatabasePathFor(const QStringList &arguments, const QString &programFolder)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString path;
        if (argument == QLatin1String("--database") && i + 1 < arguments.size())
            path = arguments.at(i + 1);
        else if (argument.startsWith(QLatin1String("--database=")))
            path = argument.mid(int(qstrlen("--database=")));
        if (!path.isEmpty())
            return QFileInfo(path).absoluteFilePath();
    }
    return DefaultDatabasePath(programFolder);
}
