#include "catalogue/RegisterImport.h"

#include "calendar/IrregularIssueCheck.h"
#include "data/Udm.h"

#include <cmath>

namespace {

const QString CodeTitle = QStringLiteral("报刊代号");
const QString KindTitle = QStringLiteral("类别");
const QString FirstTitle = QStringLiteral("起日");
const QString LastTitle = QStringLiteral("止日");
const QString RemarkTitle = QStringLiteral("说明");

// A date cell as text the register reads: date cells and whole numbers in the range of this
// century's serial day numbers are dates written by a spreadsheet, everything else its text.
QString dateCellText(const sheet::CellValue &cell)
{
    if (cell.isNumber()) {
        const double serial = cell.numberPayload();
        constexpr double From1901 = 367, To2099 = 73415;
        if (serial >= From1901 && serial <= To2099 && std::floor(serial) == serial)
            return sheet::serialDateText(serial);
    }
    return cell.toText().trimmed();
}

sheet::CellValue cellAt(const sheet::Worksheet &sheet, int row, int column)
{
    return column > 0 ? sheet.Cells(row, column).Value() : sheet::CellValue();
}

} // namespace

QString FindRegisterColumns(const QStringList &titles, RegisterSheetColumns *columns)
{
    *columns = {};
    for (int c = 0; c < titles.size(); ++c) {
        const QString title = titles.at(c).trimmed();
        int *slot = title == CodeTitle     ? &columns->code
                    : title == KindTitle   ? &columns->kind
                    : title == FirstTitle  ? &columns->first
                    : title == LastTitle   ? &columns->last
                    : title == RemarkTitle ? &columns->remark
                                           : nullptr;
        if (slot && *slot == 0)
            *slot = c + 1;
    }
    QStringList missing;
    if (columns->code == 0)
        missing << CodeTitle;
    if (columns->kind == 0)
        missing << KindTitle;
    if (columns->first == 0)
        missing << FirstTitle;
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("第1行缺少列“%1”(应有报刊代号、类别、起日、止日、说明各列),没有导入...")
        .arg(missing.join(QStringLiteral("”、“")));
}

RegisterSheetRow ReadRegisterRow(const sheet::Worksheet &sheet, int row, const RegisterSheetColumns &columns,
                                 int year)
{
    RegisterSheetRow read;
    const sheet::CellValue code = cellAt(sheet, row, columns.code);
    const sheet::CellValue kind = cellAt(sheet, row, columns.kind);
    const sheet::CellValue first = cellAt(sheet, row, columns.first);
    const sheet::CellValue last = cellAt(sheet, row, columns.last);
    const sheet::CellValue remark = cellAt(sheet, row, columns.remark);
    read.blank = code.isEmpty() && kind.isEmpty() && first.isEmpty() && last.isEmpty() && remark.isEmpty();
    read.code = code.toText().trimmed();
    read.entry.kind = kind.toText().trimmed();
    read.entry.remark = remark.toText().trimmed();
    if (read.blank)
        return read;
    if (read.code.isEmpty()) {
        read.problem = QStringLiteral("报刊代号为空");
        return read;
    }
    const QString firstText = dateCellText(first);
    // A blank 止日 (no cell, or only blanks) is a one-day entry, as in the register window.
    const QString lastText = dateCellText(last).isEmpty() ? firstText : dateCellText(last);
    read.entry.first = ReadRegisterDate(firstText, year);
    read.entry.last = ReadRegisterDate(lastText, year);
    if (firstText.isEmpty())
        read.problem = QStringLiteral("起日为空");
    else if (!read.entry.first.isValid())
        read.problem = QStringLiteral("起日“%1”不是有效的日期").arg(firstText);
    else if (!read.entry.last.isValid())
        read.problem = QStringLiteral("止日“%1”不是有效的日期").arg(lastText);
    return read;
}

RegisterOutcome ImportRegisterRow(int catalogueType, int year, const RegisterSheetRow &row)
{
    if (!row.problem.isEmpty())
        return {RegisterOutcome::Kind::Refused, row.problem};
    const TitleRef title{catalogueType, row.code};
    CatalogueTitle catalogue;
    const int found = FindCatalogueTitle(title, &catalogue);
    if (found < 0)
        return {RegisterOutcome::Kind::Failed, GP.LastError};
    if (found == 0)
        return {RegisterOutcome::Kind::Refused, QStringLiteral("报刊代号“%1”不在本目录中").arg(row.code)};
    return RegisterIrregularIssue(title, catalogue, year, row.entry);
}

QString RegisterRowMessage(int row, const QString &problem)
{
    return QStringLiteral("第%1行:%2,导入在此行停止,此前各行已经导入...").arg(row).arg(problem);
}

QString RegisterImportSummary(int written, int alreadyThere)
{
    return QStringLiteral("导入登记完毕,新增%1条,已登记%2条...").arg(written).arg(alreadyThere);
}

QString RegisterImportStopped(int row, int written, int alreadyThere)
{
    return QStringLiteral("导入登记在第%1行停止,新增%2条,已登记%3条...").arg(row).arg(written).arg(alreadyThere);
}
