#include "shell/LoginRules.h"

#include <algorithm>

int LastWorkYear(const QDate &today)
{
    return std::max(kLeastLastWorkYear, today.year() + 1);
}

bool WorkYearOffered(int year, const QDate &today)
{
    return year >= kFirstWorkYear && year <= LastWorkYear(today);
}

QString WorkYearRefusal(const QDate &today)
{
    return QStringLiteral("处理年度输入错误,请输入%1至%2之间的年度...").arg(kFirstWorkYear).arg(LastWorkYear(today));
}

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

int ClampWorkYear(int year, const QDate &today)
{
    return std::clamp(year, kFirstWorkYear, LastWorkYear(today));
}
