#pragma once
// What the cells read from one file may take in memory. The readers count every cell they
// make at what it costs (its place in the sheet's grid and the characters of its text) and
// stop at the budget, so that a file is refused as too large long before it can exhaust the
// memory, however few bytes it takes on disk.

#include "SheetError.h"
#include "WorkbookModel.h"

#include <QString>
#include <cstdint>
#include <utility>

namespace sheet {

class CellBudget {
public:
    // Thrown by the readers at the budget; the caller names the file (tooLargeMessage).
    struct Exceeded {};

    static constexpr std::int64_t kBytes = 48ll * 1024 * 1024;

    // A new cell in a sheet's grid: its node in the map, with the allocator's own share.
    void addCell() { spend(kCellBytes); }
    // The characters of a text put in a cell.
    void addText(const QString &text)
    {
        if (!text.isEmpty())
            spend(kTextHeaderBytes + 2 * std::int64_t(text.size()));
    }

    // The message for a file whose cells went past the budget.
    static QString exceededText(const QString &fileName)
    {
        return tooLargeText(fileName, QStringLiteral("其中的单元格需要超过%1 MB内存的上限").arg(kBytes / (1024 * 1024)));
    }

private:
    static constexpr std::int64_t kCellBytes = std::int64_t(sizeof(std::pair<const std::uint64_t, CellData>)) + 48;
    static constexpr std::int64_t kTextHeaderBytes = 32;

    void spend(std::int64_t bytes)
    {
        m_spent += bytes;
        if (m_spent > kBytes)
            throw Exceeded{};
    }

    std::int64_t m_spent = 0;
};

} // namespace sheet
