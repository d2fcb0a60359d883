// Writes .xlsx through libxlsxwriter. Every cell carries its own format, since the
// library's default format (Calibri 11) cannot be changed to the workbook's default.

#include "Codecs.h"
#include "SheetError.h"

#include <xlsxwriter.h>

#include <QFile>
#include <algorithm>
#include <memory>
#include <vector>

namespace sheet {

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook *workbook) const
    {
        if (workbook)
            workbook_close(workbook);
    }
};

QString failure(const QString &path, const QString &why)
{
    return QStringLiteral("无法保存文件“%1”：%2").arg(path, why);
}

void check(lxw_error error, const QString &fileName)
{
    if (error != LXW_NO_ERROR)
        throw SheetError(failure(fileName, QString::fromUtf8(lxw_strerror(error))));
}

} // namespace

void writeXlsx(const WorkbookModel &model, const QString &path, const QString &fileName)
{
    if (model.sheets.empty())
        throw SheetError(QStringLiteral("工作簿中没有工作表，无法保存"));
    lxw_workbook_options options{};
    const QByteArray file = QFile::encodeName(path);
    std::unique_ptr<lxw_workbook, WorkbookCloser> workbook(workbook_new_opt(file.constData(), &options));
    if (!workbook)
        throw SheetError(failure(fileName, QStringLiteral("无法创建工作簿")));

    std::vector<lxw_format *> formats(model.styles.size(), nullptr);
    auto formatOf = [&](std::uint32_t style) {
        lxw_format *&format = formats.at(style);
        if (!format) {
            const CellStyle &s = model.styles.at(style);
            format = workbook_add_format(workbook.get());
            format_set_font_name(format, s.fontName.toUtf8().constData());
            format_set_font_size(format, s.fontSize);
            if (s.numberFormat != kGeneralFormat)
                format_set_num_format(format, s.numberFormat.toUtf8().constData());
        }
        return format;
    };

    for (const auto &sheet : model.sheets) {
        const QString problem = sheetNameProblem(sheet->name);
        if (!problem.isEmpty())
            throw SheetError(failure(fileName, problem));
    }
    const int active = std::clamp(model.activeSheet, 0, int(model.sheets.size()) - 1);
    for (size_t i = 0; i < model.sheets.size(); ++i) {
        const SheetModel &sheet = *model.sheets[i];
        lxw_worksheet *ws = workbook_add_worksheet(workbook.get(), sheet.name.toUtf8().constData());
        if (!ws)
            throw SheetError(failure(fileName, QStringLiteral("工作表名称“%1”不能用于.xlsx文件").arg(sheet.name)));
        if (int(i) == active)
            worksheet_activate(ws);
        for (const auto &[column, width] : sheet.columnWidths)
            check(worksheet_set_column(ws, lxw_col_t(column - 1), lxw_col_t(column - 1), width, nullptr), fileName);
        for (const auto &[key, cell] : sheet.cells()) {
            const auto row = lxw_row_t(SheetModel::rowOf(key) - 1);
            const auto col = lxw_col_t(SheetModel::columnOf(key) - 1);
            lxw_format *format = formatOf(cell.style);
            const CellValue &v = cell.value;
            switch (v.type()) {
            case CellValue::Type::Text:
                check(worksheet_write_string(ws, row, col, v.textPayload().toUtf8().constData(), format), fileName);
                break;
            case CellValue::Type::Number:
            case CellValue::Type::Date:
                check(worksheet_write_number(ws, row, col, v.numberPayload(), format), fileName);
                break;
            case CellValue::Type::Boolean:
                check(worksheet_write_boolean(ws, row, col, v.numberPayload() != 0, format), fileName);
                break;
            case CellValue::Type::Error:
                check(worksheet_write_formula_str(ws, row, col, ("=" + v.textPayload()).toUtf8().constData(), format,
                                                  v.textPayload().toUtf8().constData()), fileName);
                break;
            case CellValue::Type::Empty:
                check(worksheet_write_blank(ws, row, col, format), fileName);
                break;
            }
        }
    }
    const lxw_error error = workbook_close(workbook.release());
    check(error, fileName);
}

} // namespace sheet
