#include "calendar/SubscriptionAmount.h"

#include "calendar/IssueSchedule.h"
#include "calendar/Vocabulary.h"
#include "data/Udm.h"

#include <cmath>

namespace {

// The price of one copy for the term, or the failure text of the issue count.
struct CopyPrice {
    double price = 0;
    QString failure;
    bool failed = false;
};

CopyPrice issuePrice(int startMonth, int endMonth, const TitlePrices &title)
{
    const int issues = CountIssues(title.title, title.kq, title.cbrq, startMonth, endMonth);
    if (issues < 0)
        return {0, GP.LastError, true};
    return {title.dj * issues, {}, false};
}

// A term price when the title has one, else the month price over the months, else the issues.
CopyPrice priceOrFallback(double termPrice, int startMonth, int endMonth, const TitlePrices &title)
{
    if (termPrice != 0)
        return {termPrice, {}, false};
    if (title.yj != 0)
        return {title.yj * (endMonth - startMonth + 1), {}, false};
    return issuePrice(startMonth, endMonth, title);
}

} // namespace

double RoundToFen(double amount)
{
    // First to a ten-thousandth of a fen, which removes the binary error of a decimal product, then
    // to the fen.
    const double fen = std::round(amount * 1e6) / 1e4;
    return std::round(fen) / 100;
}

AmountResult SubscriptionAmount(int termIndex, int startMonth, int endMonth, std::optional<int> copies,
                                const TitlePrices &title)
{
    CopyPrice price;
    switch (termIndex) {
    case TermWholeYear:
        price.price = title.qnj; // used unchecked, also when it is 0
        break;
    case TermFirstHalf:
    case TermSecondHalf:
        price = priceOrFallback(title.bnj, startMonth, endMonth, title);
        break;
    case TermQuarter1:
    case TermQuarter2:
    case TermQuarter3:
    case TermQuarter4:
        price = priceOrFallback(title.jj, startMonth, endMonth, title);
        break;
    case TermMonths:
        // A free month range takes the yearly price only when it is the whole year; a range that
        // happens to cover a half year or a quarter is not priced by those prices.
        if (startMonth == 1 && endMonth == 12)
            price.price = title.qnj;
        else
            price = priceOrFallback(0, startMonth, endMonth, title);
        break;
    default:
        return {};
    }

    if (price.failed)
        return {AmountResult::Kind::Failure, 0, price.failure};
    if (!copies)
        return {AmountResult::Kind::Empty, 0, {}};
    return {AmountResult::Kind::Amount, RoundToFen(price.price * *copies), {}};
}
