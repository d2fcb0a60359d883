#include "data/ServerSettings.h"

#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QStringList>
#include <QUrl>

namespace {

// A settings file is a few lines; anything much larger is not one.
constexpr qint64 kMaxSettingsBytes = 64 * 1024;

const char *const kKeys[] = {"host", "port", "database", "user", "sslmode", "sslrootcert"};
const char *const kRequiredKeys[] = {"host", "database", "user"};
const char *const kSslModes[] = {"disable", "allow", "prefer", "require", "verify-ca", "verify-full"};

template <std::size_t N>
bool oneOf(const QString &text, const char *const (&names)[N])
{
    for (const char *name : names)
        if (text == QLatin1String(name))
            return true;
    return false;
}

// The file's text; false with `problem` set when it cannot be read or is no text.
bool readText(const QString &path, QString *text, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("无法读取");
        return false;
    }
    const QByteArray bytes = file.read(kMaxSettingsBytes + 1);
    QStringDecoder utf8(QStringDecoder::Utf8);
    *text = utf8.decode(bytes);
    bool binary = bytes.size() > kMaxSettingsBytes || utf8.hasError();
    for (const QChar c : std::as_const(*text))
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            binary = true;
    if (binary) {
        *problem = QStringLiteral("不是文本文件");
        return false;
    }
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return true;
}

QString shortened(const QString &text)
{
    return text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
}

// Reads the [server] group into `values` (key -> value); empty on success, else what is wrong.
QString readGroup(const QString &text, QHash<QString, QString> *values)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool inServer = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        const QString at = QStringLiteral("第 %1 行").arg(i + 1);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString group = line.mid(1, line.size() - 2).trimmed();
            if (group != QLatin1String("server"))
                return at + QStringLiteral("是未知的段 [%1],只能有 [server] 段").arg(shortened(group));
            inServer = true;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            return at + QStringLiteral("不是“设置项=值”的形式: %1").arg(shortened(line));
        const QString key = line.left(eq).trimmed();
        if (!oneOf(key, kKeys))
            return at + QStringLiteral("是未知的设置项 %1(设置项只有 host、port、database、user、sslmode、sslrootcert,"
                                       "用小写字母)")
                            .arg(shortened(key));
        if (!inServer)
            return at + QStringLiteral("的设置项 %1 不在 [server] 段中").arg(key);
        if (values->contains(key))
            return at + QStringLiteral("的设置项 %1 重复").arg(key);
        values->insert(key, line.mid(eq + 1).trimmed());
    }
    for (const char *required : kRequiredKeys)
        if (values->value(QLatin1String(required)).isEmpty())
            return QStringLiteral("缺少设置项 %1([server] 段中必须写明 host、database 和 user)")
                .arg(QLatin1String(required));
    return QString();
}

// What is wrong with the values read, or empty.
QString checkValues(ServerSettings *settings, const QString &settingsPath)
{
    if (settings->host.contains(QLatin1Char(',')))
        return QStringLiteral("中 host 的值 %1 含逗号,只能写一台服务器").arg(shortened(settings->host));
    bool isNumber = false;
    const int port = settings->port.toInt(&isNumber);
    if (!isNumber || port < 1 || port > 65535 || settings->port.startsWith(QLatin1Char('+')))
        return QStringLiteral("中 port 的值 %1 不是端口号(1-65535)").arg(shortened(settings->port));
    if (!oneOf(settings->sslMode, kSslModes))
        return QStringLiteral("中 sslmode 的值 %1 无效(可用 disable、allow、prefer、require、verify-ca、verify-full)")
            .arg(shortened(settings->sslMode));
    if (!settings->sslRootCert.isEmpty()) {
        settings->sslRootCert = QFileInfo(settings->sslRootCert).isAbsolute()
            ? settings->sslRootCert
            : QFileInfo(settingsPath).absoluteDir().absoluteFilePath(settings->sslRootCert);
        if (!QFileInfo(settings->sslRootCert).isFile())
            return QStringLiteral("中 sslrootcert 指定的文件 %1 不存在")
                .arg(QDir::toNativeSeparators(settings->sslRootCert));
    }
    return QString();
}

} // namespace

bool IsServerSettingsPath(const QString &path)
{
    return path.endsWith(QLatin1String(".ini"), Qt::CaseInsensitive);
}

ServerSettings ReadServerSettings(const QString &settingsPath)
{
    ServerSettings settings;
    QString text;
    QString problem;
    QHash<QString, QString> values;
    if (readText(settingsPath, &text, &problem))
        problem = readGroup(text, &values);
    if (problem.isEmpty()) {
        settings.host = values.value(QStringLiteral("host"));
        settings.database = values.value(QStringLiteral("database"));
        settings.user = values.value(QStringLiteral("user"));
        if (const QString port = values.value(QStringLiteral("port")); !port.isEmpty())
            settings.port = port;
        if (const QString mode = values.value(QStringLiteral("sslmode")); !mode.isEmpty())
            settings.sslMode = mode;
        settings.sslRootCert = values.value(QStringLiteral("sslrootcert"));
        problem = checkValues(&settings, settingsPath);
    }
    if (!problem.isEmpty()) {
        settings = ServerSettings();
        settings.problem = QStringLiteral("数据库服务器的设置文件 ") + QDir::toNativeSeparators(settingsPath)
            + QLatin1Char(' ') + problem;
    }
    return settings;
}

QString ServerConnectionText(const ServerSettings &settings, const QString &password)
{
    if (!settings.problem.isEmpty())
        return QStringLiteral("Provider=PostgreSQL");
    const auto value = db::connectionTextValue;
    QString text = QStringLiteral("Provider=PostgreSQL;Host=%1;Port=%2;Database=%3;User ID=%4;SSL Mode=%5")
                       .arg(value(settings.host), value(settings.port), value(settings.database),
                            value(settings.user), value(settings.sslMode));
    if (!settings.sslRootCert.isEmpty())
        text += QStringLiteral(";SSL Root Certificate=") + value(settings.sslRootCert);
    if (!password.isEmpty())
        text += QStringLiteral(";Password=") + QString::fromLatin1(QUrl::toPercentEncoding(password));
    return text;
}
