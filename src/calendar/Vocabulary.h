#pragma once
// The period vocabulary (刊期) and the subscription term vocabulary (订阅期限). A title's period
// decides which terms may be ordered and how its issues are counted; an order line keeps only its
// months, and the term follows back from them.

#include <QString>

// The periods in list order; also the items of the main window's period filter.
inline const QString PeriodListText = QStringLiteral(
    "日报,周6报,周5报,周4报,周3报,周2报,周报,旬2报,双周报,旬报,半月报,月报,周刊,旬刊,双周刊,半月刊,"
    "月刊,双月刊,季刊,半年刊,年刊,不定");

// The terms in list order. The shorter lists are prefixes of the full one, so a term's index means
// the same term in each of them.
inline const QString TermListText = QStringLiteral("全年,上半年,下半年,一季度,二季度,三季度,四季度,月");
inline const QString HalfYearTermListText = QStringLiteral("全年,上半年,下半年");
inline const QString WholeYearTermListText = QStringLiteral("全年");

// Term indexes, the same in every term list.
enum TermIndex {
    TermWholeYear = 0,  // 全年, months 1 to 12
    TermFirstHalf = 1,  // 上半年
    TermSecondHalf = 2, // 下半年
    TermQuarter1 = 3,   // 一季度
    TermQuarter2 = 4,
    TermQuarter3 = 5,
    TermQuarter4 = 6,   // 四季度
    TermMonths = 7      // 月, a month range of the user's choice
};

// Position of a period name in the period list (whole text, letter case ignored, no trimming), or -1.
int PeriodIndex(const QString &kq);

// The month range text ("1,12", "7,9", ...) of a term name; empty for 月 and for unknown names.
QString TermMonthsByName(const QString &term);

// The index 0 to 6 of the term whose month range text equals `months` exactly, or -1.
int TermIndexByMonths(const QString &months);

// The term list offered for a title. Catalogue types other than 0 offer only the whole year, whatever
// the period. On the postal catalogue (type 0): every term for 日报 to 月刊, whole and half years for
// 双月刊 to 半年刊, the whole year for 年刊 and 不定, and nothing (empty text) for an unknown period.
QString OfferedTermListText(int periodIndex, int catalogueType);
