#include "db/ServerTarget.h"

#include "db/Connection.h"
#include "db/DbError.h"

#include <libpq-fe.h>

#include <QByteArray>
#include <QStringList>

namespace db {

namespace {

void dropClientEnvironment()
{
    PQconninfoOption *options = PQconndefaults();
    if (!options)
        return;
    for (const PQconninfoOption *option = options; option->keyword; ++option) {
        if (!option->envvar)
            continue;
        const QByteArray name(option->envvar);
        if (name != "PGPASSWORD" && name != "PGPASSFILE")
            qunsetenv(name.constData());
    }
    PQconninfoFree(options);
    // Read as a fallback for sslmode, and the folder of the service file.
    qunsetenv("PGREQUIRESSL");
    qunsetenv("PGSYSCONFDIR");
}

} // namespace

void checkServerTarget(const ConnectionTextParts &parts)
{
    QStringList missing;
    if (parts.host.isEmpty())
        missing << QStringLiteral("Host");
    if (parts.database.isEmpty())
        missing << QStringLiteral("Database");
    if (parts.user.isEmpty())
        missing << QStringLiteral("User ID");
    if (!missing.isEmpty())
        throw DbError(QStringLiteral("the connection text names no %1: nothing was connected")
                          .arg(missing.join(QStringLiteral(", "))));
    dropClientEnvironment();
}

} // namespace db
