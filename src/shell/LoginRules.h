#pragma once
// The rules of the login that need no window: roles, codes and the processing years offered.

#include <QDate>
#include <QString>

// Positions in the role list, equal to the UserRole they grant.
enum LoginRole { RoleOperator = 0, RoleAdministrator = 1, RoleSystem = 2 };

// The first processing year the login offers, and the least last one.
constexpr int kFirstWorkYear = 2009;
constexpr int kLeastLastWorkYear = 2025;

// The last processing year offered on `today`: next year (subscriptions for it are taken from
// autumn on), but never before 2025.
int LastWorkYear(const QDate &today);

// Whether `year` lies in kFirstWorkYear..LastWorkYear(today).
bool WorkYearOffered(int year, const QDate &today);

// The refusal of a typed year outside the offered years.
QString WorkYearRefusal(const QDate &today);

// The code a role needs ("" for 操作员).
QString RoleCode(int role);

// A typed code counts without its leading and trailing blanks and in upper case.
bool CodeAccepted(int role, const QString &typed);

// This year up to 30 June, next year from 1 July on (not yet clamped into the offered years).
int DefaultWorkYear(const QDate &today);

// A year clamped into kFirstWorkYear..LastWorkYear(today).
int ClampWorkYear(int year, const QDate &today);
