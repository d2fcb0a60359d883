#pragma once
// Whether an entry may go into the register of irregular issues, decided without a window or a
// database: the caller supplies the title's entries already registered and its publication days.

#include "calendar/IrregularIssues.h"

#include <QDate>
#include <QList>
#include <QString>

// A date as the register's windows and sheets accept it: yyyy-M-d, yyyy/M/d, yyyy.M.d, yyyy年M月d日,
// or a month and day alone (M-d, M/d, M月d日), taken in `year`. Invalid when it reads as none.
QDate ReadRegisterDate(const QString &text, int year);

// Why the entry cannot be registered for the title in `year`, or an empty text when it can:
// an unknown kind, a missing date, a date outside the year, the last date before the first, an
// overlap with an entry of `existing`, or a 合刊 that covers none of `publicationDays` or does not
// begin on one of them (its issue is counted on its first date). `publicationDays` ascending.
// The text names the problem without a closing "...".
QString IrregularIssueProblem(const IrregularIssue &entry, int year, const QList<IrregularIssue> &existing,
                              const QList<QDate> &publicationDays);

// The entry of `existing` with the same kind and dates, or -1 (a sheet imported twice).
int SameIrregularIssue(const IrregularIssue &entry, const QList<IrregularIssue> &existing);
