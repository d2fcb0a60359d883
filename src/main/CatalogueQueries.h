#pragma once
// The statements of the main window, built as text. A catalogue tab's position is its catalogue type:
// tab 0 lists table post, tab n > 0 the rows of nopost with mllx = n. Search conditions each begin with
// " and"; the catalogue statement drops the first four characters of the whole filter, so that the
// first condition opens the where clause. Text values pass through SqlText().

#include <QString>

// The catalogue of `tab`, filtered by `filter` (a run of conditions, or empty), sorted by the two
// numbers of the code: the first times 10000 plus the second.
QString CatalogueStatement(int tab, const QString &filter);
// The same rows when the statement above fails on a malformed code (the conversions refuse it): well-
// formed codes in the same order, the others after them by their text. One bad entry hides no other.
QString TolerantCatalogueStatement(int tab, const QString &filter);

// The search conditions.
QString CodeCondition(const QString &code);   // the exact code
QString TitleCondition(const QString &part);  // the title contains `part`, ignoring letter case
// The 报刊名称 search: TitleCondition, or for a text of Latin letters (and blanks) also a title whose
// pinyin or initials hold it.
QString TitleSearchCondition(const QString &part);
// The 刊号/ISSN search: the 国内统一刊号 or the ISSN is `number`, blanks, hyphens and case aside.
QString SerialCondition(const QString &number);
QString KindCondition(const QString &kind);   // 杂志 or 报纸
QString PeriodCondition(const QString &period);

// The search field items of the query bar, in list order.
enum SearchField { SearchByCode = 0, SearchByTitle = 1, SearchBySerial = 2 };

// The order lines of unit `unitId` under catalogue type `tab`, with the title and yearly price that
// the catalogue table holds for each code, oldest first.
QString OrdersStatement(int tab, qint32 unitId);

// The catalogue types, which give the tabs.
inline const QString CatalogueTypesStatement = QStringLiteral("select * from bkmllx  order by id");
