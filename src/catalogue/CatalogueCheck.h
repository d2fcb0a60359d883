#pragma once
// The catalogue check (目录检查): finds the entries of one catalogue type that will price wrongly or
// cannot be listed before a clerk meets them at the desk. No widgets: the check window, the import and
// the benchmark all run it.
//
// What counts as a problem:
// - a period (刊期) that is not in the period list;
// - a publication-day text (出版日期) that the issue counting cannot read for its period, or that
//   yields no issue in the processing year, when a term the catalogue offers for the title prices by
//   issues (a partial term without a matching or month price): such a term would fail (出版日期错) or
//   price at 0;
// - a code that is not two whole numbers joined by "-" (the catalogue cannot be sorted, so it does not
//   load), or a code used twice in the type;
// - prices that contradict each other: 半年价 above 年价, 季价 above 半年价, 月价 above 季价, or a 年价
//   that differs from 单价 × the issues of the year by more than 10 % of the latter;
// - a price with more than two decimals: amounts are counted in fen, so a line priced by it is
//   rounded to the fen (a warning, not an error);
// - no 年价 (a whole year would be priced at 0);
// - on the postal catalogue (type 0) a kind (报纸/杂志) that disagrees with the first number of the
//   code (odd for newspapers, even for magazines): a warning, not an error.

#include <QString>
#include <QVector>

#include <functional>

// One catalogue entry as the check reads it; a NULL price reads as 0 (no such price).
struct CheckedEntry {
    QString bkdh; // 报刊代号
    QString bkmc; // 报刊名称
    QString kq;   // 刊期
    QString cbrq; // 出版日期
    QString bkzl; // 报刊类别: 报纸 or 杂志
    double qnj = 0, dj = 0, yj = 0, jj = 0, bnj = 0;
};

// The kinds of problem, in the order the check list sorts them.
enum class CheckProblem {
    BadCode,        // 代号格式错
    DuplicateCode,  // 代号重复
    UnknownPeriod,  // 刊期错
    UnreadableDays, // 出版日期错
    NoYearPrice,    // 无年价
    PriceConflict,  // 价格矛盾
    PriceDecimals,  // 价格小数位 (warning)
    KindVsCode,     // 类别与代号不符 (warning)
};

// The short name of a problem as the check list shows it.
QString CheckProblemName(CheckProblem problem);

struct CheckFinding {
    int entry = -1; // index into the checked entries
    CheckProblem problem = CheckProblem::BadCode;
    bool warning = false;
    QString detail; // what exactly is wrong, for the clerk
};

struct CatalogueCheckContext {
    int catalogueType = 0;
    int workYear = 0;
    // Counts the rows of an issue-counting statement over the calendar; -1 when the statement fails
    // (a date the engine cannot read). Empty: only what the statement builder refuses is found.
    std::function<int(const QString &statement)> countRows;
    // Whether the calendar holds the processing year. Without it, the checks that need a true count
    // (days yielding no issue in the year, 年价 against 单价 × issues) are skipped.
    bool calendarReady = false;
};

// The findings for the entries, grouped per entry in the entries' order; an entry may have several.
QVector<CheckFinding> CheckCatalogue(const QVector<CheckedEntry> &entries, const CatalogueCheckContext &context);

// The statement that reads the entries of a catalogue type (table post for 0, nopost with mllx else).
QString CheckedEntriesSql(int catalogueType);
// Reads the entries of a catalogue type through the data module. False on a database failure
// (GP.LastError says why); an empty catalogue is no failure.
bool LoadCheckedEntries(int catalogueType, QVector<CheckedEntry> &entries);
// The context the program runs the check with: the calendar counted through CountRows when it holds
// the processing year.
CatalogueCheckContext ProgramCheckContext(int catalogueType);

// How many entries have at least one finding, and how many of those have warnings only.
struct CheckCounts {
    int entries = 0;
    int warningOnly = 0;
};
CheckCounts CountFlaggedEntries(const QVector<CheckFinding> &findings);

// What the catalogue import adds to its closing message after checking the imported type: a line
// saying how many entries the check flags. Empty when the entries cannot be read.
QString ImportCheckNote(int catalogueType);
