#pragma once
// What the subscription dialog works on, handed in by the window that opens it: the unit, the
// catalogue type, the title's row values and, for a correction, the order line. The dialog reads
// nothing else of another window; it reports a saved line by its signal lineSaved.
//
// Other windows that show or price a title (a register of irregular issues, an order summary) take
// the same SubscribedTitle; TitleFromRow fills it from any query whose current row is a catalogue
// row of post or nopost.

#include <QString>

#include <optional>

namespace db {
class Query;
}

// One catalogue title as shown and priced: the texts and prices of a row of post or nopost. A price
// of 0 (or NULL) means the title has no such price.
struct SubscribedTitle {
    QString bkdh; // code
    QString bkmc; // name
    QString kq;   // period
    QString cbrq; // publication-day text
    QString bkfl; // classification
    QString bkjb; // level
    QString cn;   // domestic serial number
    QString issn; // international serial number
    double qnj = 0; // 年价, whole year
    double dj = 0;  // 单价, one issue
    double yj = 0;  // 月价, month
    double jj = 0;  // 季价, quarter
    double bnj = 0; // 半年价, half year
};

// An order line of torder as stored, for a correction. The months and copies keep their stored text
// (they are shown as stored); the amount is empty when the column is NULL.
struct StoredOrderLine {
    qint64 id = 0;
    QString qdy;
    QString zdy;
    QString fs;
    std::optional<double> ke;
};

struct SubscriptionContext {
    enum class Mode { NewLine, Correction };
    Mode mode = Mode::NewLine;
    std::optional<qint32> unitId; // dwinfo.id of the chosen unit; empty when none is chosen
    QString unitName;
    int catalogueType = 0;        // the catalogue tab's position = torder.mllx
    QString catalogueCaption;     // the tab's caption
    SubscribedTitle title;
    std::optional<StoredOrderLine> line; // the line corrected (Mode::Correction)
};

// The title of the current row of `catalogue` (empty values when it has none).
SubscribedTitle TitleFromRow(const db::Query &catalogue);
// The title `code` as the catalogue of `catalogueType` holds it now (table post for type 0, the rows
// of nopost of that type for the others): 1 with `title` filled, 0 when the catalogue no longer
// has it, -1 on failure (GP.LastError says why). Another desk may have imported the catalogue since
// the opener loaded it.
int ReadSubscribedTitle(int catalogueType, const QString &code, SubscribedTitle *title);
// Whether two reads of a title price a line alike: the same prices, period and publication days.
bool SamePricing(const SubscribedTitle &a, const SubscribedTitle &b);
// The order line of the current row of `orders` (nothing when it has none).
std::optional<StoredOrderLine> OrderLineFromRow(const db::Query &orders);
