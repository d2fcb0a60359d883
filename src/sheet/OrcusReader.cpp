// Reads .xlsx and .ods through liborcus's import interfaces: liborcus parses the file
// and calls these classes for every string, style and cell, which we put into our own
// model (liborcus's document model is not used). Text files (.csv) are split into fields
// here and go through the same interfaces.

#include "CellBudget.h"
#include "Codecs.h"
#include "NumberFormats.h"
#include "SheetError.h"
#include "OrcusStyles.h"
#include "XlsxPackage.h"

#include <orcus/config.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <orcus/spreadsheet/import_interface_view.hpp>

#include <QHash>
#include <QStringDecoder>
#include <cctype>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>
#include <memory>
#include <vector>

namespace sheet {

namespace iface = orcus::spreadsheet::iface;
using orcus::spreadsheet::col_t;
using orcus::spreadsheet::row_t;

using namespace orcusimport;

namespace {

struct Damaged {
    QString why;
};

// Cell references in A1 notation ("B7", "$B$7", "A1:C9"), as .xlsx files use them.
class A1References : public iface::import_reference_resolver {
public:
    orcus::spreadsheet::src_address_t resolve_address(std::string_view address) override
    {
        orcus::spreadsheet::src_address_t result{0, 0, 0};
        size_t i = 0;
        auto skipDollar = [&] {
            if (i < address.size() && address[i] == '$')
                ++i;
        };
        skipDollar();
        long column = 0, row = 0;
        size_t letters = 0;
        for (; i < address.size() && std::isalpha(static_cast<unsigned char>(address[i])); ++i, ++letters)
            column = column * 26 + (std::toupper(static_cast<unsigned char>(address[i])) - 'A' + 1);
        skipDollar();
        size_t digits = 0;
        for (; i < address.size() && std::isdigit(static_cast<unsigned char>(address[i])); ++i, ++digits)
            row = row * 10 + (address[i] - '0');
        if (letters == 0 || letters > 3 || digits == 0 || digits > 7 || i != address.size() || row < 1
            || row > kMaxRows || column > kMaxColumns)
            throw Damaged{QStringLiteral("单元格地址“%1”无效").arg(fromUtf8(address))};
        result.row = row_t(row - 1);
        result.column = col_t(column - 1);
        return result;
    }
    orcus::spreadsheet::src_range_t resolve_range(std::string_view range) override
    {
        const size_t colon = range.find(':');
        if (colon == std::string_view::npos) {
            const auto single = resolve_address(range);
            return {single, single};
        }
        return {resolve_address(range.substr(0, colon)), resolve_address(range.substr(colon + 1))};
    }
};

class Importer;

// Receives the cells of one sheet.
class SheetImport : public iface::import_sheet,
                    private iface::import_sheet_properties,
                    private iface::import_formula,
                    private iface::import_array_formula,
                    private iface::import_sheet_view {
public:
    SheetImport(Importer &owner, SheetModel &model, int position) : m_owner(owner), m_model(model), m_position(position) {}

    iface::import_sheet_properties *get_sheet_properties() override { return this; }
    iface::import_formula *get_formula() override { return this; }
    iface::import_array_formula *get_array_formula() override { return this; }
    iface::import_sheet_view *get_sheet_view() override { return this; }

    void set_auto(row_t row, col_t col, std::string_view s) override;
    void set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t id) override;
    void set_value(row_t row, col_t col, double value) override { put(row, col, CellValue::number(value)); }
    void set_bool(row_t row, col_t col, bool value) override { put(row, col, CellValue::boolean(value)); }
    void set_date_time(row_t row, col_t col, int year, int month, int day, int hour, int minute, double second) override
    {
        put(row, col, CellValue::date(serialFromDateTime(year, month, day, hour, minute, second)));
    }
    void set_format(row_t row, col_t col, size_t xf) override;
    void set_format(row_t, col_t, row_t, col_t, size_t) override {}
    void fill_down_cells(row_t row, col_t col, row_t count) override;
    orcus::spreadsheet::range_size_t get_sheet_size() const override { return {kMaxRows, kMaxColumns}; }

private:
    CellData &cell(row_t row, col_t col);
    void put(row_t row, col_t col, const CellValue &value);

    // column widths and the rest of the sheet properties
    void set_column_width(col_t col, double width, orcus::length_unit_t unit) override;
    void set_column_hidden(col_t col, bool hidden) override
    {
        if (hidden && col >= 0 && col < kMaxColumns)
            m_model.columnWidths[col + 1] = 0;
    }
    void set_row_height(row_t, double, orcus::length_unit_t) override {}
    void set_row_hidden(row_t, bool) override {}
    void set_merge_cell_range(const orcus::spreadsheet::range_t &) override {}

    // formula cells keep their cached results
    void set_position(row_t row, col_t col) override
    {
        m_formulaRow = row;
        m_formulaCol = col;
        m_formulaResult.reset();
    }
    void set_formula(orcus::spreadsheet::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override { m_formulaResult = CellValue::text(fromUtf8(value)); }
    void set_result_value(double value) override { m_formulaResult = CellValue::number(value); }
    void set_result_bool(bool value) override { m_formulaResult = CellValue::boolean(value); }
    void set_result_empty() override { m_formulaResult = CellValue::text(QString()); }
    void commit() override
    {
        if (m_formulaResult)
            put(m_formulaRow, m_formulaCol, *m_formulaResult);
    }
    void set_range(const orcus::spreadsheet::range_t &) override {}
    void set_result_string(row_t row, col_t col, std::string_view value) override { put(row, col, CellValue::text(fromUtf8(value))); }
    void set_result_value(row_t row, col_t col, double value) override { put(row, col, CellValue::number(value)); }
    void set_result_bool(row_t row, col_t col, bool value) override { put(row, col, CellValue::boolean(value)); }
    void set_result_empty(row_t row, col_t col) override { put(row, col, CellValue::text(QString())); }

    void set_sheet_active() override;
    void set_split_pane(double, double, const orcus::spreadsheet::address_t &, orcus::spreadsheet::sheet_pane_t) override {}
    void set_frozen_pane(col_t, row_t, const orcus::spreadsheet::address_t &, orcus::spreadsheet::sheet_pane_t) override {}
    void set_selected_range(orcus::spreadsheet::sheet_pane_t, orcus::spreadsheet::range_t) override {}

    Importer &m_owner;
    SheetModel &m_model;
    int m_position;
    row_t m_formulaRow = 0;
    col_t m_formulaCol = 0;
    std::optional<CellValue> m_formulaResult;
};

// Collects a whole workbook into a draft whose cells hold cell format numbers in
// place of styles; finish() turns it into the model.
class Importer : public iface::import_factory {
public:
    WorkbookModel draft;
    SharedStrings strings;
    Styles styles;
    GlobalSettings settings;
    A1References references;
    CellBudget budget;
    std::vector<std::unique_ptr<SheetImport>> sheets;

    iface::import_global_settings *get_global_settings() override { return &settings; }
    iface::import_shared_strings *get_shared_strings() override { return &strings; }
    iface::import_styles *get_styles() override { return &styles; }
    iface::import_reference_resolver *get_reference_resolver(orcus::spreadsheet::formula_ref_context_t) override
    {
        return &references;
    }

    iface::import_sheet *append_sheet(orcus::spreadsheet::sheet_t, std::string_view name) override
    {
        SheetModel &model = draft.addSheet(fromUtf8(name));
        sheets.push_back(std::make_unique<SheetImport>(*this, model, int(sheets.size())));
        return sheets.back().get();
    }
    iface::import_sheet *get_sheet(std::string_view name) override
    {
        const int index = draft.indexOf(fromUtf8(name));
        return index < 0 ? nullptr : sheets[size_t(index)].get();
    }
    iface::import_sheet *get_sheet(orcus::spreadsheet::sheet_t index) override
    {
        return index < 0 || size_t(index) >= sheets.size() ? nullptr : sheets[size_t(index)].get();
    }
    void finalize() override {}

    // The finished model: cell format numbers become styles (format 0 is the default);
    // dates are the numbers whose format shows a date; widths past the last used column
    // are dropped. The draft's sheets become the model's, changed in place: the cells are
    // never held twice.
    WorkbookModel finish()
    {
        WorkbookModel model(styles.styleOfXf(0));
        model.activeSheet = draft.activeSheet;
        std::map<std::uint32_t, std::uint32_t> styleOfXf;
        for (auto &sheet : draft.sheets) {
            for (const auto &[key, cell] : sheet->cells()) {
                auto style = styleOfXf.find(cell.style);
                if (style == styleOfXf.end())
                    style = styleOfXf.emplace(cell.style, model.styles.intern(styles.styleOfXf(cell.style))).first;
                CellData &changed = sheet->touch(SheetModel::rowOf(key), SheetModel::columnOf(key));
                changed.style = style->second;
                if (changed.value.isNumber() && isDateFormat(model.styles.at(changed.style).numberFormat))
                    changed.value = CellValue::date(changed.value.numberPayload() + settings.dateOffset);
            }
            const int lastColumn = sheet->extent().lastColumn;
            sheet->columnWidths.erase(sheet->columnWidths.upper_bound(lastColumn), sheet->columnWidths.end());
            model.sheets.push_back(std::move(sheet));
        }
        draft.sheets.clear();
        if (model.sheets.empty())
            throw Damaged{QStringLiteral("找不到工作表")};
        model.activeSheet = std::clamp(model.activeSheet, 0, int(model.sheets.size()) - 1);
        return model;
    }
};

CellData &SheetImport::cell(row_t row, col_t col)
{
    if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxColumns)
        throw Damaged{QStringLiteral("单元格位置超出范围")};
    const size_t before = m_model.cellCount();
    CellData &target = m_model.touch(row + 1, col + 1);
    if (m_model.cellCount() != before)
        m_owner.budget.addCell();
    return target;
}

void SheetImport::put(row_t row, col_t col, const CellValue &value)
{
    CellData &target = cell(row, col);
    if (value.isText())
        m_owner.budget.addText(value.textPayload());
    target.value = value;
}

void SheetImport::set_auto(row_t row, col_t col, std::string_view s)
{
    const QString text = fromUtf8(s);
    if (text.isEmpty())
        return;
    // A csv field becomes a number only in its plain form: "0012" keeps its zeros.
    auto number = typedNumber(text);
    const QString digits = text.trimmed().remove(QLatin1Char('-')).remove(QLatin1Char('+'));
    const bool leadingZero = digits.size() > 1 && digits[0] == QLatin1Char('0') && digits[1] != QLatin1Char('.');
    put(row, col, number && !leadingZero ? CellValue::number(*number) : CellValue::text(text));
}

void SheetImport::set_string(row_t row, col_t col, orcus::spreadsheet::string_id_t id)
{
    if (id >= m_owner.strings.strings.size())
        throw Damaged{QStringLiteral("共享字符串序号超出范围")};
    put(row, col, CellValue::text(m_owner.strings.strings[id]));
}

void SheetImport::set_format(row_t row, col_t col, size_t xf)
{
    // Kept as the cell format's number: the styles may arrive after the cells.
    cell(row, col).style = std::uint32_t(std::min<size_t>(xf, 0xFFFFFFFFu));
}

void SheetImport::fill_down_cells(row_t row, col_t col, row_t count)
{
    const CellData *source = m_model.find(row + 1, col + 1);
    if (!source || count <= 0)
        return;
    const CellData copy = *source;
    for (row_t r = row + 1; r <= row + count; ++r)
        cell(r, col) = copy;
}

void SheetImport::set_column_width(col_t col, double width, orcus::length_unit_t unit)
{
    if (col < 0 || col >= kMaxColumns || !(width >= 0) || width > 1e6)
        return;
    double pixels = 0;
    switch (unit) {
    case orcus::length_unit_t::xlsx_column_digit:
        m_model.columnWidths[col + 1] = columnWidthFromStored(width);
        return;
    case orcus::length_unit_t::inch: pixels = width * 96; break;
    case orcus::length_unit_t::centimeter: pixels = width / 2.54 * 96; break;
    case orcus::length_unit_t::millimeter: pixels = width / 25.4 * 96; break;
    case orcus::length_unit_t::point: pixels = width / 72 * 96; break;
    case orcus::length_unit_t::twip: pixels = width / 1440 * 96; break;
    case orcus::length_unit_t::pixel: pixels = width; break;
    default: return;
    }
    m_model.columnWidths[col + 1] = columnWidthFromStored(pixels / 7);
}

void SheetImport::set_sheet_active()
{
    m_owner.draft.activeSheet = m_position;
}

const QString kXlsxKind = QStringLiteral("有效的.xlsx工作簿");
const QString kOdsKind = QStringLiteral("有效的.ods工作簿");

QString damagedText(const QString &fileName, const QString &why)
{
    return QStringLiteral("无法读取文件“%1”：文件已损坏或不是%2").arg(fileName, why);
}

// What `prepare` makes of a package, a package it refuses named in the message.
template <typename Prepare> auto checkedPackage(Prepare prepare, const QString &fileName, const QString &kind)
{
    try {
        return prepare();
    } catch (const PackageTooLarge &error) {
        throw SheetError(tooLargeText(fileName, error.message()));
    } catch (const SheetError &error) {
        throw SheetError(damagedText(fileName, kind) + QStringLiteral("（%1）").arg(error.message()));
    }
}

// Reads through `read` (which hands the file to liborcus) into `importer`, turning every failure
// into a SheetError naming the file.
WorkbookModel run(const std::function<void()> &read, Importer &importer, const QString &fileName, const QString &kind)
{
    try {
        // liborcus reports some parse failures only on standard output, then stops
        // reading: catch that text and turn it into an error.
        std::ostringstream printed;
        std::streambuf *previous = std::cout.rdbuf(printed.rdbuf());
        try {
            read();
        } catch (...) {
            std::cout.rdbuf(previous);
            throw;
        }
        std::cout.rdbuf(previous);
        const std::string output = printed.str();
        const size_t failed = output.find("parse failed");
        if (failed != std::string::npos)
            throw Damaged{QString::fromStdString(output.substr(failed)).trimmed()};
        return importer.finish();
    } catch (const Damaged &damaged) {
        throw SheetError(damagedText(fileName, kind) + QStringLiteral("（%1）").arg(damaged.why));
    } catch (const CellBudget::Exceeded &) {
        throw SheetError(CellBudget::exceededText(fileName));
    } catch (const SheetError &) {
        throw;
    } catch (const std::exception &error) {
        throw SheetError(damagedText(fileName, kind) + QStringLiteral("（%1）").arg(QString::fromUtf8(error.what())));
    }
}

// The text of a csv file in UTF-8: a byte-order mark names UTF-8, UTF-16 LE or UTF-16 BE (what
// spreadsheet programs save as "Unicode text"); without one the file is UTF-8 when it decodes as
// such, else GB18030.
QByteArray csvAsUtf8(const QByteArray &file, const QString &fileName)
{
    if (file.startsWith("\xEF\xBB\xBF"))
        return file.mid(3);
    if (file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(file.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return QString(utf16.decode(QByteArrayView(file).sliced(2))).toUtf8();
    }
    QStringDecoder check(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)QString(check.decode(file));
    if (!check.hasError())
        return file;
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid())
        throw SheetError(QStringLiteral("无法读取文件“%1”：系统不支持GB18030编码").arg(fileName));
    return QString(gb18030.decode(file)).toUtf8();
}

// The fields of a text file are separated by tabs when its first line holds more tabs than commas
// (as in "Unicode text"), else by commas.
char csvSeparatorOf(const QByteArray &utf8)
{
    const qsizetype newline = utf8.indexOf('\n');
    const QByteArrayView firstLine = QByteArrayView(utf8).first(newline < 0 ? utf8.size() : newline);
    return firstLine.count('\t') > firstLine.count(',') ? '\t' : ',';
}

// Hands the fields of a text file to its sheet, row after row. A field may be quoted ("a ""b""",
// separators and line ends inside); blanks after its closing quote are skipped, anything else there
// but a separator or the line's end makes the file no text file we read.
class CsvFields {
public:
    CsvFields(iface::import_sheet &sheet, char separator) : m_sheet(sheet), m_separator(separator) {}

    void parse(const QByteArray &text)
    {
        const char *at = text.constData();
        const char *const end = at + text.size();
        row_t row = 0;
        col_t column = 0;
        QByteArray quoted;
        while (at < end) {
            if (*at == '"') {
                quoted.clear();
                for (++at; at < end; ++at) {
                    if (*at == '"' && (at + 1 == end || at[1] != '"'))
                        break;
                    if (*at == '"')
                        ++at; // a doubled quote stands for one
                    quoted += *at;
                }
                if (at == end)
                    throw Damaged{QStringLiteral("第%1行的引号没有结束").arg(row + 1)};
                for (++at; at < end && (*at == ' ' || (*at == '\t' && m_separator != '\t')); ++at) {
                }
                put(row, column, quoted.constData(), size_t(quoted.size()));
            } else {
                const char *start = at;
                while (at < end && *at != '\n' && *at != m_separator)
                    ++at;
                put(row, column, start, size_t(at - start));
            }
            if (at == end)
                break;
            if (*at == '\n') {
                ++row;
                column = 0;
            } else if (*at == m_separator) {
                ++column;
            } else {
                throw Damaged{QStringLiteral("第%1行的引号之后应为分隔符").arg(row + 1)};
            }
            ++at;
        }
    }

private:
    void put(row_t row, col_t column, const char *text, size_t size)
    {
        if (size > 0)
            m_sheet.set_auto(row, column, std::string_view(text, size));
    }

    iface::import_sheet &m_sheet;
    char m_separator;
};

} // namespace

WorkbookModel readXlsx(const QByteArray &file, const QString &fileName)
{
    const PreparedXlsx prepared = checkedPackage([&] { return prepareXlsx(file); }, fileName, kXlsxKind);
    Importer importer;
    orcus::orcus_xlsx filter(&importer);
    WorkbookModel model = run([&] { filter.read_stream(std::string_view(prepared.package.constData(), size_t(prepared.package.size()))); },
                              importer, fileName, kXlsxKind);
    if (prepared.activeTab >= 0 && prepared.activeTab < int(model.sheets.size()))
        model.activeSheet = prepared.activeTab;
    return model;
}

WorkbookModel readOds(const QByteArray &file, const QString &fileName)
{
    const QByteArray package = checkedPackage([&] { return prepareOds(file); }, fileName, kOdsKind);
    Importer importer;
    orcus::orcus_ods filter(&importer);
    return run([&] { filter.read_stream(std::string_view(package.constData(), size_t(package.size()))); }, importer,
               fileName, kOdsKind);
}

WorkbookModel readCsv(const QByteArray &file, const QString &fileName, const QString &sheetName)
{
    QByteArray utf8 = csvAsUtf8(file, fileName);
    if (utf8.trimmed().isEmpty()) {
        WorkbookModel empty;
        empty.addSheet(sheetName);
        return empty;
    }
    // Lines end in LF only.
    utf8.replace("\r\n", "\n");
    utf8.replace('\r', '\n');
    Importer importer;
    WorkbookModel model = run(
        [&] { CsvFields(*importer.append_sheet(0, sheetName.toStdString()), csvSeparatorOf(utf8)).parse(utf8); },
        importer, fileName, QStringLiteral("文本文件"));
    model.sheets.front()->name = sheetName;
    return model;
}

} // namespace sheet
