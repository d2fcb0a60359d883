#pragma once
// The in-memory workbook: named sheets in order, each a sparse grid of cells with a
// value and a style (font name, font size, number format), column widths, the active
// sheet. The spreadsheet application's members and the file codecs both work on this model.

#include "CellValue.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace sheet {

// Largest grid any supported format holds (the .xlsx limits); .xls holds less and its
// writer refuses what does not fit.
constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;
// Width of a column nobody set, in characters of the default font.
constexpr double kDefaultColumnWidth = 8.43;
// Number format of a cell nobody formatted.
inline const QString kGeneralFormat = QStringLiteral("General");

// Files store a column's width with the padding around its text: a width of n
// characters of a 7-pixel digit takes n * 7 + 5 pixels, stored as pixels / 7 (in
// 1/256 units in .xls). These turn the characters of ColumnWidth into the stored
// width and back, as Excel does (so 12 characters are stored as 12.7109375).
double storedColumnWidth(double characters);
double columnWidthFromStored(double stored);

struct CellStyle {
    QString fontName;
    double fontSize = 11;
    QString numberFormat = kGeneralFormat;
    bool operator==(const CellStyle &o) const
    {
        return fontSize == o.fontSize && fontName == o.fontName && numberFormat == o.numberFormat;
    }
};

// The distinct styles of one workbook; cells refer to them by number. Style 0 is the
// workbook's default (its "Normal" font, General format).
class StyleTable {
public:
    explicit StyleTable(const CellStyle &defaults = defaultStyle());
    static CellStyle defaultStyle();

    std::uint32_t intern(const CellStyle &style);
    const CellStyle &at(std::uint32_t index) const { return m_styles.at(index); }
    std::uint32_t size() const { return static_cast<std::uint32_t>(m_styles.size()); }

private:
    struct Hash {
        size_t operator()(const CellStyle &s) const;
    };
    std::vector<CellStyle> m_styles;
    std::unordered_map<CellStyle, std::uint32_t, Hash> m_index;
};

struct CellData {
    CellValue value;
    std::uint32_t style = 0;
};

// A rectangle of used cells, 1-based and inclusive; empty when the sheet has no cells.
struct CellExtent {
    int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
    bool isEmpty() const { return lastRow == 0; }
};

class SheetModel {
public:
    explicit SheetModel(const QString &name = QString()) : name(name) {}

    QString name;
    // Column widths in characters, by 1-based column; columns not listed have the default.
    std::map<int, double> columnWidths;
    // Set when the sheet leaves its workbook, so that handles still pointing at it fail.
    bool removed = false;

    // The cell at (row, column), 1-based, or nullptr when it was never written.
    const CellData *find(int row, int column) const;
    // The cell at (row, column), created empty with the default style when missing.
    CellData &touch(int row, int column);
    void erase(int row, int column) { m_cells.erase(keyOf(row, column)); }
    CellExtent extent() const;
    size_t cellCount() const { return m_cells.size(); }

    // Cells in row-major order: key = row << 16 | column.
    const std::map<std::uint64_t, CellData> &cells() const { return m_cells; }
    static int rowOf(std::uint64_t key) { return int(key >> 16); }
    static int columnOf(std::uint64_t key) { return int(key & 0xFFFF); }
    static std::uint64_t keyOf(int row, int column) { return (std::uint64_t(row) << 16) | std::uint64_t(column); }

private:
    std::map<std::uint64_t, CellData> m_cells;
};

// Why a sheet cannot have this name (empty, over 31 characters, one of : \ / ? * [ ],
// an apostrophe at either end), or an empty text when it can. Uniqueness is the
// workbook's matter.
QString sheetNameProblem(const QString &name);
bool isForbiddenInSheetName(QChar ch);

class WorkbookModel {
public:
    explicit WorkbookModel(const CellStyle &defaults = StyleTable::defaultStyle()) : styles(defaults) {}

    std::vector<std::shared_ptr<SheetModel>> sheets;
    int activeSheet = 0; // 0-based position in sheets
    StyleTable styles;

    SheetModel &addSheet(const QString &name);
    // Position of the sheet with that name (letter case ignored), or -1.
    int indexOf(const QString &name) const;
};

// A copy that shares no sheet with `model`: changing one leaves the other as it was.
WorkbookModel CopyWorkbook(const WorkbookModel &model);

} // namespace sheet
