#pragma once
// The rules of the login that need no window: roles, codes and the default processing year.

#include <QDate>
#include <QString>

// Positions in the role list, equal to the UserRole they grant.
enum LoginRole { RoleOperator = 0, RoleAdministrator = 1, RoleSystem = 2 };

// The processing years the login offers.
constexpr int kFirstWorkYear = 2009;
constexpr int kLastWorkYear = 2025;

// The code a role needs ("" for 操作员).
QString RoleCode(int role);

// A typed code counts without its leading and trailing blanks and in upper case.
bool CodeAccepted(int role, const QString &typed);

// This year up to 30 June, next year from 1 July on (not yet clamped into the offered years).
int DefaultWorkYear(const QDate &today);

// A year clamped into kFirstWorkYear..kLastWorkYear.
int ClampWorkYear(int year);
