#include "calendar/IrregularIssueCheck.h"

#include "db/JetDialect.h"

#include <algorithm>

namespace {

QString rangeText(const IrregularIssue &entry)
{
    return RegisterDateText(entry.first) + QStringLiteral("至") + RegisterDateText(entry.last);
}

} // namespace

QDate ReadRegisterDate(const QString &text, int year)
{
    return QDate::fromString(db::canonicalDate(text.trimmed(), year), Qt::ISODate);
}

QString IrregularIssueProblem(const IrregularIssue &entry, int year, const QList<IrregularIssue> &existing,
                              const QList<QDate> &publicationDays)
{
    if (!IrregularIssueKinds().contains(entry.kind))
        return QStringLiteral("类别“%1”不是停刊、休刊或合刊").arg(entry.kind);
    if (!entry.first.isValid())
        return QStringLiteral("起日不是有效的日期");
    if (!entry.last.isValid())
        return QStringLiteral("止日不是有效的日期");
    if (entry.first.year() != year)
        return QStringLiteral("起日%1不在处理年度%2年内").arg(RegisterDateText(entry.first)).arg(year);
    if (entry.last.year() != year)
        return QStringLiteral("止日%1不在处理年度%2年内").arg(RegisterDateText(entry.last)).arg(year);
    if (entry.last < entry.first)
        return QStringLiteral("止日%1早于起日%2").arg(RegisterDateText(entry.last), RegisterDateText(entry.first));
    for (const IrregularIssue &other : existing) {
        if (entry.first <= other.last && other.first <= entry.last)
            return QStringLiteral("%1(%2)与已登记的%3(%4)重叠")
                .arg(entry.kind, rangeText(entry), other.kind, rangeText(other));
    }
    if (entry.combined()) {
        // The combined issue is counted on its first date, which must be one of its publication days.
        const auto covered = std::find_if(publicationDays.begin(), publicationDays.end(), [&](const QDate &day) {
            return day >= entry.first && day <= entry.last;
        });
        if (covered == publicationDays.end())
            return QStringLiteral("合刊(%1)内没有该报刊的出版日期").arg(rangeText(entry));
        if (*covered != entry.first)
            return QStringLiteral("合刊的起日%1不是该报刊的出版日期(该合刊内第一个出版日期是%2)")
                .arg(RegisterDateText(entry.first), RegisterDateText(*covered));
    }
    return QString();
}

int SameIrregularIssue(const IrregularIssue &entry, const QList<IrregularIssue> &existing)
{
    for (int i = 0; i < existing.size(); ++i) {
        const IrregularIssue &other = existing.at(i);
        if (other.kind == entry.kind && other.first == entry.first && other.last == entry.last)
            return i;
    }
    return -1;
}
