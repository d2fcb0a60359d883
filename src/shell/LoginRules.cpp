#include "shell/LoginRules.h"

#include <algorithm>

QString RoleCode(int role)
{
    switch (role) {
    case RoleAdministrator: return QStringLiteral("9260");
    case RoleSystem: return QStringLiteral("TRAVEN");
    default: return QString();
    }
}

bool CodeAccepted(int role, const QString &typed)
{
    return typed.trimmed().toUpper() == RoleCode(role);
}

int DefaultWorkYear(const QDate &today)
{
    const int year = today.year();
    return today > QDate(year, 6, 30) ? year + 1 : year;
}

int ClampWorkYear(int year)
{
    return std::clamp(year, kFirstWorkYear, kLastWorkYear);
}
