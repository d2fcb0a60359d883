#include "calendar/IssueCount.h"

#include "calendar/CommaList.h"
#include "calendar/DateTable.h"
#include "calendar/Vocabulary.h"
#include "data/Udm.h"

#include <QDate>
#include <QList>

// Descriptions come from imported catalogues. Every list that is spliced into a statement as numbers
// is checked to hold whole numbers only, and every date text goes through SqlText, so no description
// can change what a statement means; a description that fails the check reads as 出版日期错.

namespace {

const QString DateFailure = QStringLiteral("出版日期错");

IssueCountQuery statement(const QString &sql)
{
    return {IssueCountQuery::Kind::Statement, sql};
}

IssueCountQuery failure(const QString &text = DateFailure)
{
    return {IssueCountQuery::Kind::Failure, text};
}

// The characters from a 1-based position onward.
QString fromPosition(const QString &text, int position)
{
    return text.mid(position - 1);
}

// The characters in front of the first occurrence of the marker; empty when it does not occur.
QString cutBefore(const QString &text, const QString &marker)
{
    const qsizetype at = text.indexOf(marker);
    return at < 0 ? QString() : text.left(at);
}

QString monthRestriction(int startMonth, int endMonth)
{
    return QStringLiteral(" and month(cbrq) between ") + QString::number(startMonth) + QStringLiteral(" and ")
           + QString::number(endMonth);
}

QString cdateOf(const QString &dateText)
{
    return QStringLiteral("cdate('") + SqlText(dateText) + QStringLiteral("')");
}

QString cdateOf(const QDate &date)
{
    return cdateOf(CalendarDateText(date));
}

QDate lastDayOfMonth(int year, int month)
{
    const QDate first(year, month, 1);
    return QDate(year, month, first.daysInMonth());
}

// A weekday list as written ("2,5", "1, 4"): whole numbers separated by commas, blanks around them.
bool isWeekdayList(const QString &text)
{
    QStringList items = text.split(QLatin1Char(','));
    for (QString &item : items) {
        while (item.startsWith(QLatin1Char(' ')))
            item.remove(0, 1);
        while (item.endsWith(QLatin1Char(' ')))
            item.chop(1);
    }
    return AllWholeNumbers(items);
}

IssueCountQuery everyDay(int startMonth, int endMonth)
{
    return statement(QStringLiteral("select cbrq from rqdzb where month(cbrq) between ")
                     + QString::number(startMonth) + QStringLiteral(" and ") + QString::number(endMonth));
}

IssueCountQuery weekdayList(const QString &cbrq, int startMonth, int endMonth)
{
    const QString weekdays = cutBefore(fromPosition(cbrq, 3), QStringLiteral("出版"));
    if (!isWeekdayList(weekdays))
        return failure();
    return statement(QStringLiteral("select cbrq from rqdzb  where week in (") + weekdays + QStringLiteral(") ")
                     + monthRestriction(startMonth, endMonth));
}

IssueCountQuery fortnightly(const QString &cbrq, int startMonth, int endMonth)
{
    QString parity;
    if (cbrq.startsWith(QStringLiteral("双")))
        parity = QStringLiteral(" and (weeknum mod 2)=0 ");
    else if (cbrq.startsWith(QStringLiteral("单")))
        parity = QStringLiteral(" and (weeknum mod 2)<>0 ");

    const QString weekday = fromPosition(cbrq, 6).left(1);
    if (!AllWholeNumbers({weekday}))
        return failure();
    return statement(QStringLiteral("select cbrq from rqdzb  where week=") + weekday + parity
                     + QStringLiteral(" and  month(cbrq) between ") + QString::number(startMonth)
                     + QStringLiteral(" and ") + QString::number(endMonth));
}

IssueCountQuery dayOfMonth(const QString &kq, const QString &cbrq, int startMonth, int endMonth, int workYear)
{
    if (cbrq.isEmpty())
        return failure(DateFailure + QString::number(cbrq.size()));

    const QString begin = QStringLiteral("select cbrq from rqdzb  where   month(cbrq) between ")
                          + QString::number(startMonth) + QStringLiteral(" and ") + QString::number(endMonth);
    const int dayListPosition = kq == QStringLiteral("月刊") ? 4 : 3;
    const QStringList days = SplitCommaList(cutBefore(fromPosition(cbrq, dayListPosition), QStringLiteral("号出版")));
    if (!AllWholeNumbers(days))
        return failure();

    // An issue set on a day that a month lacks appears on that month's last day.
    const QDate lastOfFebruary = lastDayOfMonth(workYear, 2);
    QString condition = QStringLiteral(" (day(cbrq) in (") + days.join(QLatin1Char(',')) + QStringLiteral(") ");
    if (days.contains(QStringLiteral("29")) && lastOfFebruary.day() == 28)
        condition += QStringLiteral(" or cbrq=") + cdateOf(lastOfFebruary) + QLatin1Char(' ');
    if (days.contains(QStringLiteral("30")))
        condition += QStringLiteral(" or cbrq=") + cdateOf(lastOfFebruary) + QLatin1Char(' ');
    if (days.contains(QStringLiteral("31"))) {
        condition += QStringLiteral(" or cbrq in (");
        for (int month : {2, 4, 6, 9})
            condition += cdateOf(lastDayOfMonth(workYear, month)) + QLatin1Char(',');
        condition += cdateOf(QDate(workYear, 11, 30)) + QStringLiteral(") ");
    }
    condition += QStringLiteral(") ");
    return statement(begin + QStringLiteral(" and  ") + condition);
}

// One date per chosen month on the given day, or on the month's last day when the day text is no
// whole number or the month has no such day.
IssueCountQuery dayInMonths(const QList<int> &months, const QString &dayText, int startMonth, int endMonth,
                            int workYear)
{
    bool isNumber = false;
    const int day = dayText.trimmed().toInt(&isNumber);
    QStringList items;
    for (int month : months) {
        const QDate last = lastDayOfMonth(workYear, month);
        const bool exists = isNumber && day >= 1 && day <= last.day();
        items << cdateOf(exists ? QDate(workYear, month, day) : last);
    }
    return statement(QStringLiteral("select cbrq from rqdzb where cbrq in(") + items.join(QLatin1Char(','))
                     + QStringLiteral(") ") + monthRestriction(startMonth, endMonth));
}

IssueCountQuery oddOrEvenMonth(const QString &cbrq, int startMonth, int endMonth, int workYear)
{
    const QString dayText = cutBefore(fromPosition(cbrq, 4), QStringLiteral("号出版"));
    QList<int> months;
    if (cbrq.startsWith(QStringLiteral("单")))
        months = {1, 3, 5, 7, 9, 11};
    else if (cbrq.startsWith(QStringLiteral("双")))
        months = {2, 4, 6, 8, 10, 12};
    else
        return failure();
    return dayInMonths(months, dayText, startMonth, endMonth, workYear);
}

IssueCountQuery quarterMonth(const QString &cbrq, int startMonth, int endMonth, int workYear)
{
    const QString dayText = cutBefore(fromPosition(cbrq, 5), QStringLiteral("号出版"));
    const QString part = cbrq.mid(1, 1);
    QList<int> months;
    if (part == QStringLiteral("初"))
        months = {1, 4, 7, 10};
    else if (part == QStringLiteral("中"))
        months = {2, 5, 8, 11};
    else if (part == QStringLiteral("末"))
        months = {3, 6, 9, 12};
    else
        return failure();
    return dayInMonths(months, dayText, startMonth, endMonth, workYear);
}

IssueCountQuery dateList(const QString &cbrq, int startMonth, int endMonth)
{
    const QStringList dates = SplitCommaList(cutBefore(cbrq, QStringLiteral("出版")));
    // The engine would take "in()" as an empty list and count nothing; no dates is a wrong description.
    if (cbrq.isEmpty() || dates.isEmpty())
        return failure();
    QStringList items;
    for (const QString &date : dates)
        items << cdateOf(date);
    return statement(QStringLiteral("select cbrq from rqdzb where cbrq in(") + items.join(QLatin1Char(','))
                     + QStringLiteral(") ") + monthRestriction(startMonth, endMonth));
}

IssueCountQuery singleDate(const QString &cbrq)
{
    IssueCountQuery query = statement(QStringLiteral("select cbrq from rqdzb where cbrq=")
                                      + cdateOf(cutBefore(cbrq, QStringLiteral("出版"))));
    query.monthRestricted = false;
    return query;
}

} // namespace

IssueCountQuery IssueCountStatement(const QString &kq, const QString &cbrq, int startMonth, int endMonth,
                                    int workYear)
{
    switch (PeriodIndex(kq)) {
    case 0:
        return everyDay(startMonth, endMonth);
    case 1: case 2: case 3: case 4: case 5: case 6: case 12:
        return weekdayList(cbrq, startMonth, endMonth);
    case 8: case 14:
        return fortnightly(cbrq, startMonth, endMonth);
    case 9: case 10: case 11: case 13: case 15: case 16:
        return dayOfMonth(kq, cbrq, startMonth, endMonth, workYear);
    case 7: case 17:
        return oddOrEvenMonth(cbrq, startMonth, endMonth, workYear);
    case 18:
        return quarterMonth(cbrq, startMonth, endMonth, workYear);
    case 19:
        return dateList(cbrq, startMonth, endMonth);
    case 20:
        return singleDate(cbrq);
    default: // 不定 and periods outside the list are not counted
        return {};
    }
}

bool CalendarOfWorkYear()
{
    if (CalendarHoldsYear(GP.WorkYear))
        return true;
    GP.LastError = CalendarYearFailure(GP.WorkYear);
    return false;
}

int CountIssues(const QString &kq, const QString &cbrq, int startMonth, int endMonth)
{
    const IssueCountQuery query = IssueCountStatement(kq, cbrq, startMonth, endMonth, GP.WorkYear);
    switch (query.kind) {
    case IssueCountQuery::Kind::Statement:
        // Counting in the calendar of another year gives plausible but wrong numbers: refuse it.
        if (!CalendarOfWorkYear())
            return -1;
        return CountRows(query.text);
    case IssueCountQuery::Kind::Failure:
        GP.LastError = query.text;
        return -1;
    case IssueCountQuery::Kind::NotCounted:
        break;
    }
    return 0;
}
