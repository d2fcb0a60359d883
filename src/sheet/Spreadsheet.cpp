#include "Spreadsheet.h"

#include "FileFormats.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <functional>

namespace sheet {

namespace {

const QString kLocalGeneral = QStringLiteral("G/通用格式");
constexpr int kMaxTextLength = 32767;

void checkBook(const std::shared_ptr<detail::BookState> &book)
{
    if (!book || book->closed)
        throw SheetError(QStringLiteral("工作簿已关闭"));
}

void checkSheet(const std::shared_ptr<detail::BookState> &book, const std::shared_ptr<SheetModel> &sheet)
{
    checkBook(book);
    if (!sheet || sheet->removed)
        throw SheetError(QStringLiteral("工作表已删除"));
}

QString unusedSheetName(const WorkbookModel &model)
{
    for (int n = int(model.sheets.size()) + 1;; ++n) {
        const QString name = QStringLiteral("Sheet%1").arg(n);
        if (model.indexOf(name) < 0)
            return name;
    }
}

} // namespace

// ---------------------------------------------------------------- RangeFont

RangeFont::RangeFont(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet, int row, int column)
    : m_book(std::move(book)), m_sheet(std::move(sheet)), m_row(row), m_column(column)
{
}

static const CellStyle &styleAt(const detail::BookState &book, const SheetModel &sheet, int row, int column)
{
    const CellData *cell = sheet.find(row, column);
    return book.model.styles.at(cell ? cell->style : 0);
}

static void restyle(detail::BookState &book, SheetModel &sheet, int row, int column,
                    const std::function<void(CellStyle &)> &change)
{
    CellData &cell = sheet.touch(row, column);
    CellStyle style = book.model.styles.at(cell.style);
    change(style);
    cell.style = book.model.styles.intern(style);
}

QString RangeFont::Name() const
{
    checkSheet(m_book, m_sheet);
    return styleAt(*m_book, *m_sheet, m_row, m_column).fontName;
}

void RangeFont::setName(const QString &name)
{
    checkSheet(m_book, m_sheet);
    if (name.trimmed().isEmpty() || name.size() > 31)
        throw SheetError(QStringLiteral("字体名称“%1”无效").arg(name));
    restyle(*m_book, *m_sheet, m_row, m_column, [&](CellStyle &s) { s.fontName = name; });
}

double RangeFont::Size() const
{
    checkSheet(m_book, m_sheet);
    return styleAt(*m_book, *m_sheet, m_row, m_column).fontSize;
}

void RangeFont::setSize(double points)
{
    checkSheet(m_book, m_sheet);
    if (!(points >= 1 && points <= 409))
        throw SheetError(QStringLiteral("字号 %1 无效（应在1到409之间）").arg(points));
    // Font heights are kept in twentieths of a point.
    const double size = std::round(points * 20) / 20;
    restyle(*m_book, *m_sheet, m_row, m_column, [&](CellStyle &s) { s.fontSize = size; });
}

// ---------------------------------------------------------------- Range

Range::Range(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet, int row, int column)
    : m_book(std::move(book)), m_sheet(std::move(sheet)), m_row(row), m_column(column)
{
}

CellData &Range::touch() const
{
    checkSheet(m_book, m_sheet);
    return m_sheet->touch(m_row, m_column);
}

CellValue Range::Value() const
{
    checkSheet(m_book, m_sheet);
    const CellData *cell = m_sheet->find(m_row, m_column);
    return cell ? cell->value : CellValue();
}

void Range::setValue(const QString &text)
{
    checkSheet(m_book, m_sheet);
    if (text.size() > kMaxTextLength)
        throw SheetError(QStringLiteral("单元格文本超过%1个字符").arg(kMaxTextLength));
    CellData &cell = touch();
    if (text.isEmpty()) {
        // An emptied cell without a format of its own is no longer part of the sheet.
        if (cell.style == 0)
            m_sheet->erase(m_row, m_column);
        else
            cell.value = CellValue();
        return;
    }
    if (m_book->model.styles.at(cell.style).numberFormat != QLatin1String("@")) {
        if (auto number = typedNumber(text)) {
            cell.value = CellValue::number(*number);
            return;
        }
    }
    cell.value = CellValue::text(text);
}

void Range::setValue(double number)
{
    if (!std::isfinite(number))
        throw SheetError(QStringLiteral("单元格数值无效"));
    touch().value = CellValue::number(number);
}

void Range::setValue(const CellValue &value)
{
    if (value.isText() && value.textPayload().size() > kMaxTextLength)
        throw SheetError(QStringLiteral("单元格文本超过%1个字符").arg(kMaxTextLength));
    if (!std::isfinite(value.numberPayload()))
        throw SheetError(QStringLiteral("单元格数值无效"));
    touch().value = value;
}

RangeFont Range::Font() const
{
    checkSheet(m_book, m_sheet);
    return RangeFont(m_book, m_sheet, m_row, m_column);
}

QString Range::NumberFormatLocal() const
{
    checkSheet(m_book, m_sheet);
    const QString &format = styleAt(*m_book, *m_sheet, m_row, m_column).numberFormat;
    return format == kGeneralFormat ? kLocalGeneral : format;
}

void Range::setNumberFormatLocal(const QString &format)
{
    checkSheet(m_book, m_sheet);
    if (format.size() > 255)
        throw SheetError(QStringLiteral("数字格式“%1”过长").arg(format));
    const QString code = (format.isEmpty() || format == kLocalGeneral) ? kGeneralFormat : format;
    restyle(*m_book, *m_sheet, m_row, m_column, [&](CellStyle &s) { s.numberFormat = code; });
}

// ---------------------------------------------------------------- Column

Column::Column(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet, int column)
    : m_book(std::move(book)), m_sheet(std::move(sheet)), m_column(column)
{
}

double Column::ColumnWidth() const
{
    checkSheet(m_book, m_sheet);
    auto it = m_sheet->columnWidths.find(m_column);
    return it == m_sheet->columnWidths.end() ? kDefaultColumnWidth : it->second;
}

void Column::setColumnWidth(double characters)
{
    checkSheet(m_book, m_sheet);
    if (!(characters >= 0 && characters <= 255))
        throw SheetError(QStringLiteral("列宽 %1 无效（应在0到255之间）").arg(characters));
    m_sheet->columnWidths[m_column] = characters;
}

// ---------------------------------------------------------------- Worksheet

Worksheet::Worksheet(std::shared_ptr<detail::BookState> book, std::shared_ptr<SheetModel> sheet)
    : m_book(std::move(book)), m_sheet(std::move(sheet))
{
}

void Worksheet::check() const
{
    checkSheet(m_book, m_sheet);
}

QString Worksheet::Name() const
{
    check();
    return m_sheet->name;
}

void Worksheet::setName(const QString &name)
{
    check();
    const QString problem = sheetNameProblem(name);
    if (!problem.isEmpty())
        throw SheetError(problem);
    for (const auto &other : m_book->model.sheets)
        if (other != m_sheet && other->name.compare(name, Qt::CaseInsensitive) == 0)
            throw SheetError(QStringLiteral("工作表名称“%1”已被使用").arg(name));
    m_sheet->name = name;
}

void Worksheet::Delete()
{
    check();
    auto &sheets = m_book->model.sheets;
    if (sheets.size() <= 1)
        throw SheetError(QStringLiteral("工作簿中至少要保留一个工作表"));
    const int index = Index() - 1;
    sheets.erase(sheets.begin() + index);
    m_sheet->removed = true;
    int &active = m_book->model.activeSheet;
    if (index < active)
        --active;
    active = std::clamp(active, 0, int(sheets.size()) - 1);
}

Range Worksheet::Cells(int row, int column) const
{
    check();
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
        throw SheetError(QStringLiteral("单元格位置(%1,%2)超出工作表范围").arg(row).arg(column));
    return Range(m_book, m_sheet, row, column);
}

Column Worksheet::Columns(int column) const
{
    check();
    if (column < 1 || column > kMaxColumns)
        throw SheetError(QStringLiteral("列号 %1 超出工作表范围").arg(column));
    return Column(m_book, m_sheet, column);
}

Area Worksheet::UsedRange() const
{
    check();
    const CellExtent e = m_sheet->extent();
    if (e.isEmpty())
        return Area(1, 1, 1, 1);
    return Area(e.firstRow, e.firstColumn, e.lastRow - e.firstRow + 1, e.lastColumn - e.firstColumn + 1);
}

int Worksheet::Index() const
{
    check();
    const auto &sheets = m_book->model.sheets;
    return int(std::find(sheets.begin(), sheets.end(), m_sheet) - sheets.begin()) + 1;
}

const SheetModel &Worksheet::model() const
{
    check();
    return *m_sheet;
}

// ---------------------------------------------------------------- SheetCollection

SheetCollection::SheetCollection(std::shared_ptr<detail::BookState> book) : m_book(std::move(book)) {}

int SheetCollection::Count() const
{
    checkBook(m_book);
    return int(m_book->model.sheets.size());
}

Worksheet SheetCollection::add()
{
    checkBook(m_book);
    WorkbookModel &model = m_book->model;
    model.addSheet(unusedSheetName(model));
    model.activeSheet = int(model.sheets.size()) - 1;
    return Worksheet(m_book, model.sheets.back());
}

Worksheet SheetCollection::Item(int index) const
{
    checkBook(m_book);
    const auto &sheets = m_book->model.sheets;
    if (index < 1 || index > int(sheets.size()))
        throw SheetError(QStringLiteral("工作表序号 %1 超出范围（共%2个工作表）").arg(index).arg(sheets.size()));
    return Worksheet(m_book, sheets[index - 1]);
}

Worksheet SheetCollection::Item(const QString &name) const
{
    checkBook(m_book);
    const int index = m_book->model.indexOf(name);
    if (index < 0)
        throw SheetError(QStringLiteral("找不到工作表“%1”").arg(name));
    return Worksheet(m_book, m_book->model.sheets[index]);
}

// ---------------------------------------------------------------- Window

Window::Window(std::shared_ptr<detail::BookState> book) : m_book(std::move(book)) {}

QString Window::Caption() const
{
    checkBook(m_book);
    return m_book->caption.isEmpty() ? m_book->name : m_book->caption;
}

void Window::setCaption(const QString &caption)
{
    checkBook(m_book);
    m_book->caption = caption;
}

// ---------------------------------------------------------------- Workbook

Workbook::Workbook(std::shared_ptr<sheet::Application> app, std::shared_ptr<detail::BookState> book)
    : m_app(std::move(app)), m_book(std::move(book))
{
}

void Workbook::check() const
{
    checkBook(m_book);
}

SheetCollection Workbook::Sheets() const
{
    check();
    return SheetCollection(m_book);
}

Worksheet Workbook::ActiveSheet() const
{
    check();
    const auto &model = m_book->model;
    return Worksheet(m_book, model.sheets.at(std::clamp(model.activeSheet, 0, int(model.sheets.size()) - 1)));
}

Worksheet Workbook::WorkSheets(const QString &name) const
{
    return Sheets().Item(name);
}

Worksheet Workbook::WorkSheets(int index) const
{
    return Sheets().Item(index);
}

void Workbook::SaveAs(const QString &fileName)
{
    check();
    saveWorkbook(m_book->model, fileName);
    const QFileInfo info(fileName);
    m_book->fullName = info.absoluteFilePath();
    m_book->name = info.fileName();
}

void Workbook::Close()
{
    check();
    m_book->closed = true;
    if (m_app)
        m_app->forget(m_book);
}

std::shared_ptr<sheet::Application> Workbook::Application() const
{
    check();
    return m_app;
}

QString Workbook::Name() const
{
    check();
    return m_book->name;
}

QString Workbook::FullName() const
{
    check();
    return m_book->fullName.isEmpty() ? m_book->name : m_book->fullName;
}

const WorkbookModel &Workbook::model() const
{
    check();
    return m_book->model;
}

// ---------------------------------------------------------------- WorkbookCollection

WorkbookCollection::WorkbookCollection(std::shared_ptr<sheet::Application> app) : m_app(std::move(app)) {}

Workbook WorkbookCollection::Add()
{
    m_app->check();
    auto book = std::make_shared<detail::BookState>();
    for (int i = 1; i <= 3; ++i)
        book->model.addSheet(QStringLiteral("Sheet%1").arg(i));
    book->name = QStringLiteral("工作簿%1").arg(++m_app->m_booksMade);
    m_app->m_books.push_back(book);
    return Workbook(m_app, book);
}

Workbook WorkbookCollection::open(const QString &fileName)
{
    m_app->check();
    return addFileBook(loadWorkbook(fileName), fileName);
}

Workbook WorkbookCollection::adopt(const WorkbookModel &saved, const QString &fileName)
{
    m_app->check();
    return addFileBook(CopyWorkbook(saved), fileName);
}

Workbook WorkbookCollection::addFileBook(WorkbookModel model, const QString &fileName)
{
    auto book = std::make_shared<detail::BookState>();
    book->model = std::move(model);
    const QFileInfo info(fileName);
    book->fullName = info.absoluteFilePath();
    book->name = info.fileName();
    m_app->m_books.push_back(book);
    return Workbook(m_app, book);
}

void WorkbookCollection::Close()
{
    m_app->check();
    for (auto &book : m_app->m_books)
        book->closed = true;
    m_app->m_books.clear();
}

int WorkbookCollection::Count() const
{
    m_app->check();
    return int(m_app->m_books.size());
}

// ---------------------------------------------------------------- Application

Application::Application(const QString &progId) : m_progId(progId) {}

void Application::check() const
{
    if (m_quit)
        throw SheetError(QStringLiteral("电子表格程序已经退出"));
}

std::shared_ptr<detail::BookState> Application::activeBook() const
{
    check();
    if (m_books.empty())
        throw SheetError(QStringLiteral("没有打开的工作簿"));
    return m_books.back();
}

void Application::forget(const std::shared_ptr<detail::BookState> &book)
{
    m_books.erase(std::remove(m_books.begin(), m_books.end(), book), m_books.end());
}

WorkbookCollection Application::Workbooks()
{
    check();
    return WorkbookCollection(shared_from_this());
}

SheetCollection Application::WorkSheets()
{
    return ActiveWorkBook().Sheets();
}

Worksheet Application::WorkSheets(int index)
{
    return ActiveWorkBook().Sheets().Item(index);
}

Worksheet Application::WorkSheets(const QString &name)
{
    return ActiveWorkBook().Sheets().Item(name);
}

Workbook Application::ActiveWorkBook()
{
    return Workbook(shared_from_this(), activeBook());
}

Window Application::ActiveWindow()
{
    return Window(activeBook());
}

bool Application::Visible() const
{
    check();
    return m_visible;
}

void Application::setVisible(bool visible)
{
    check();
    m_visible = visible;
}

bool Application::DisplayAlerts() const
{
    check();
    return m_displayAlerts;
}

void Application::setDisplayAlerts(bool on)
{
    check();
    m_displayAlerts = on;
}

void Application::Quit()
{
    check();
    for (auto &book : m_books)
        book->closed = true;
    m_books.clear();
    m_quit = true;
}

} // namespace sheet
