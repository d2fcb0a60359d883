#include "data/ServerSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

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

