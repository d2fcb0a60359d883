#include "WorkbookModel.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace sheet {

namespace {
constexpr double kDigitPixels = 7;
constexpr double kPaddingPixels = 5;
} // namespace

double storedColumnWidth(double characters)
{
    if (characters <= 0)
        return 0;
    const double pixels = characters < 1 ? std::floor(characters * (kDigitPixels + kPaddingPixels) + 0.5)
                                         : std::floor(characters * kDigitPixels + 0.5) + kPaddingPixels;
    return std::floor(pixels / kDigitPixels * 256) / 256;
}

double columnWidthFromStored(double stored)
{
    if (!(stored > 0))
        return 0;
    const double pixels = std::floor(stored * kDigitPixels + 0.5);
    const double characters = pixels < kDigitPixels + kPaddingPixels
                                  ? pixels / (kDigitPixels + kPaddingPixels)
                                  : (pixels - kPaddingPixels) / kDigitPixels;
    return std::floor(characters * 100 + 0.5) / 100;
}

StyleTable::StyleTable(const CellStyle &defaults)
{
    intern(defaults);
}

CellStyle StyleTable::defaultStyle()
{
    return CellStyle{QStringLiteral("宋体"), 11, kGeneralFormat};
}

size_t StyleTable::Hash::operator()(const CellStyle &s) const
{
    return qHashMulti(0, s.fontName, s.fontSize, s.numberFormat);
}

std::uint32_t StyleTable::intern(const CellStyle &style)
{
    auto it = m_index.find(style);
    if (it != m_index.end())
        return it->second;
    const auto index = static_cast<std::uint32_t>(m_styles.size());
    m_styles.push_back(style);
    m_index.emplace(style, index);
    return index;
}

const CellData *SheetModel::find(int row, int column) const
{
    auto it = m_cells.find(keyOf(row, column));
    return it == m_cells.end() ? nullptr : &it->second;
}

CellData &SheetModel::touch(int row, int column)
{
    const auto key = keyOf(row, column);
    // Writers and readers mostly go in row-major order: try the end first.
    if (m_cells.empty() || m_cells.rbegin()->first < key)
        return m_cells.emplace_hint(m_cells.end(), key, CellData{})->second;
    return m_cells[key];
}

CellExtent SheetModel::extent() const
{
    CellExtent e;
    if (m_cells.empty())
        return e;
    e.firstRow = rowOf(m_cells.begin()->first);
    e.lastRow = rowOf(m_cells.rbegin()->first);
    e.firstColumn = kMaxColumns;
    for (const auto &[key, cell] : m_cells) {
        const int column = columnOf(key);
        e.firstColumn = std::min(e.firstColumn, column);
        e.lastColumn = std::max(e.lastColumn, column);
    }
    return e;
}

bool isForbiddenInSheetName(QChar ch)
{
    return QStringLiteral(":\\/?*[]").contains(ch) || ch.unicode() < 0x20;
}

QString sheetNameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("工作表名称不能为空");
    if (name.size() > 31)
        return QStringLiteral("工作表名称“%1”超过31个字符").arg(name);
    for (QChar ch : name)
        if (isForbiddenInSheetName(ch))
            return QStringLiteral("工作表名称“%1”含有不允许的字符 : \\ / ? * [ ]").arg(name);
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return QStringLiteral("工作表名称“%1”不能以单引号开始或结束").arg(name);
    return QString();
}

WorkbookModel CopyWorkbook(const WorkbookModel &model)
{
    WorkbookModel copy = model;
    for (std::shared_ptr<SheetModel> &sheet : copy.sheets)
        sheet = std::make_shared<SheetModel>(*sheet);
    return copy;
}

SheetModel &WorkbookModel::addSheet(const QString &name)
{
    sheets.push_back(std::make_shared<SheetModel>(name));
    return *sheets.back();
}

int WorkbookModel::indexOf(const QString &name) const
{
    for (size_t i = 0; i < sheets.size(); ++i)
        if (sheets[i]->name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

} // namespace sheet
