#include "calendar/Vocabulary.h"

#include <QStringList>

namespace {

// The month range of each fixed term, in term order (月 has none).
QStringList termMonthTexts()
{
    return {QStringLiteral("1,12"), QStringLiteral("1,6"), QStringLiteral("7,12"), QStringLiteral("1,3"),
            QStringLiteral("4,6"),  QStringLiteral("7,9"), QStringLiteral("10,12")};
}

} // namespace

int PeriodIndex(const QString &kq)
{
    const QStringList periods = PeriodListText.split(QLatin1Char(','));
    for (int i = 0; i < periods.size(); ++i) {
        if (periods.at(i).compare(kq, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TermMonthsByName(const QString &term)
{
    const int index = TermListText.split(QLatin1Char(',')).indexOf(term);
    const QStringList months = termMonthTexts();
    return index >= 0 && index < months.size() ? months.at(index) : QString();
}

int TermIndexByMonths(const QString &months)
{
    return termMonthTexts().indexOf(months);
}

QString OfferedTermListText(int periodIndex, int catalogueType)
{
    if (catalogueType != 0)
        return WholeYearTermListText;
    if (periodIndex < 0)
        return QString();
    if (periodIndex >= 20) // 年刊, 不定
        return WholeYearTermListText;
    if (periodIndex >= 17) // 双月刊, 季刊, 半年刊
        return HalfYearTermListText;
    return TermListText;
}
