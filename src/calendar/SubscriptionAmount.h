#pragma once
// The amount of an order line (订阅款额) from the term, the months, the copies and the title's prices.
// The subscription dialog runs it on every change of the copies. Money at a desk is counted in fen:
// the line amount is rounded to the fen when it is computed, so what the dialog shows is what is
// stored, summed, exported and printed.

#include "calendar/IrregularIssues.h"

#include <QString>

#include <optional>

// The pricing columns of a catalogue row; a price of 0 (or NULL) means the title has no such price.
struct TitlePrices {
    double qnj = 0; // 年价, whole year
    double bnj = 0; // 半年价, half year
    double jj = 0;  // 季价, quarter
    double yj = 0;  // 月价, month
    double dj = 0;  // 单价, one issue
    QString kq;     // period, for counting issues
    QString cbrq;   // publication-date description, for counting issues
    TitleRef title; // catalogue type and code, whose register entries the count applies
};

struct AmountResult {
    enum class Kind {
        NoChange, // no term selected: there is no amount
        Empty,    // the copies are empty: the amount edit is cleared
        Amount,   // `amount` is the new amount
        Failure   // the issue count failed: `failure` is its text, there is no amount
    };
    Kind kind = Kind::NoChange;
    double amount = 0;
    QString failure;
};

// An amount in yuan rounded to the fen, half away from zero. A decimal amount that binary floating
// point holds a hair below its value (1.005) is taken as written.
double RoundToFen(double amount);

// termIndex is the selected index of the term list (-1 for none, see TermIndex); the months are
// those of the month edits (start <= end when a term is selected); copies is empty when the copies
// edit is. Counting issues reads the calendar and the register of irregular issues through
// CountIssues.
AmountResult SubscriptionAmount(int termIndex, int startMonth, int endMonth, std::optional<int> copies,
                                const TitlePrices &title);
