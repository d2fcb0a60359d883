#include "catalogue/CatalogueImport.h"

#include "data/CatalogueCode.h"
#include "data/Udm.h"

#include <algorithm>
#include <cmath>

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A message about one cell: %1 row, %2 column, %3 its header, %4 its content.
QString cellMessage(const QString &pattern, int row, int column, const QString &header, const QString &cellText)
{
    return pattern.arg(row).arg(column).arg(header, cellText);
}

bool isTypeColumn(const QString &header)
{
    return header.compare(QLatin1String("MLLX"), Qt::CaseInsensitive) == 0;
}

bool isPrice(const QString &header)
{
    return !isTypeColumn(header);
}

// The non-postal catalogues share one table, told apart by the type column: a sheet without that
// column writes the type the clerk chose.
bool addsTypeColumn(const QString &table, const QStringList &headers)
{
    return table == QLatin1String("nopost") && std::none_of(headers.begin(), headers.end(), isTypeColumn);
}

} // namespace

ImportColumnKind ImportColumnKindOf(const QString &header)
{
    static const QStringList numeric = {QStringLiteral("QNJ"), QStringLiteral("DJ"),  QStringLiteral("YJ"),
                                        QStringLiteral("JJ"),  QStringLiteral("BNJ"), QStringLiteral("MLLX")};
    const QString name = header.toUpper();
    if (numeric.contains(name))
        return ImportColumnKind::Number;
    if (name == QLatin1String("BKDH"))
        return ImportColumnKind::Code;
    return ImportColumnKind::Text;
}

bool IsPlainColumnName(const QString &header)
{
    if (header.isEmpty() || isAsciiDigit(header.front()))
        return false;
    for (const QChar c : header)
        if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != QLatin1Char('_'))
            return false;
    return true;
}

bool IsReservedColumnName(const QString &header)
{
    static const QStringList words = {
        QStringLiteral("ADD"),      QStringLiteral("ALL"),    QStringLiteral("ALTER"),  QStringLiteral("AND"),
        QStringLiteral("AS"),       QStringLiteral("ASC"),    QStringLiteral("BETWEEN"), QStringLiteral("BY"),
        QStringLiteral("CASE"),     QStringLiteral("CHECK"),  QStringLiteral("COLUMN"), QStringLiteral("CONSTRAINT"),
        QStringLiteral("CREATE"),   QStringLiteral("CROSS"),  QStringLiteral("DEFAULT"), QStringLiteral("DELETE"),
        QStringLiteral("DESC"),     QStringLiteral("DISTINCT"), QStringLiteral("DROP"), QStringLiteral("ELSE"),
        QStringLiteral("END"),      QStringLiteral("EXISTS"), QStringLiteral("FOREIGN"), QStringLiteral("FROM"),
        QStringLiteral("FULL"),     QStringLiteral("GROUP"),  QStringLiteral("HAVING"), QStringLiteral("IN"),
        QStringLiteral("INDEX"),    QStringLiteral("INNER"),  QStringLiteral("INSERT"), QStringLiteral("INTO"),
        QStringLiteral("IS"),       QStringLiteral("JOIN"),   QStringLiteral("KEY"),    QStringLiteral("LEFT"),
        QStringLiteral("LIKE"),     QStringLiteral("LIMIT"),  QStringLiteral("MOD"),    QStringLiteral("NOT"),
        QStringLiteral("NULL"),     QStringLiteral("ON"),     QStringLiteral("OR"),     QStringLiteral("ORDER"),
        QStringLiteral("OUTER"),    QStringLiteral("PRIMARY"), QStringLiteral("REFERENCES"), QStringLiteral("RIGHT"),
        QStringLiteral("SELECT"),   QStringLiteral("SET"),    QStringLiteral("TABLE"),  QStringLiteral("THEN"),
        QStringLiteral("UNION"),    QStringLiteral("UNIQUE"), QStringLiteral("UPDATE"), QStringLiteral("USER"),
        QStringLiteral("VALUES"),   QStringLiteral("WHEN"),   QStringLiteral("WHERE"),  QStringLiteral("WITH")};
    return words.contains(header.toUpper());
}

int FirstBadHeader(const QStringList &headers)
{
    for (int i = 0; i < headers.size(); ++i)
        if (!IsPlainColumnName(headers.at(i)) || IsReservedColumnName(headers.at(i)))
            return i;
    return -1;
}

DuplicateHeader FirstDuplicateHeader(const QStringList &headers)
{
    for (int second = 1; second < headers.size(); ++second)
        for (int first = 0; first < second; ++first)
            if (headers.at(first).compare(headers.at(second), Qt::CaseInsensitive) == 0)
                return {first, second};
    return {};
}

bool IsCatalogueCode(const QString &code)
{
    qint64 key = 0;
    return CatalogueSortKey(code, key) && key <= 2147483647;
}

QString ImportTargetTable(int catalogueType)
{
    return catalogueType == 0 ? QStringLiteral("post") : QStringLiteral("nopost");
}

QString ImportInsertHead(const QString &table, const QStringList &headers)
{
    return QStringLiteral("insert into ") + table + QStringLiteral(" (") + headers.join(QLatin1Char(','))
        + (addsTypeColumn(table, headers) ? QStringLiteral(",mllx") : QString()) + QLatin1Char(')');
}

QString NumericCellSql(const sheet::CellValue &cell)
{
    std::optional<double> number;
    if (cell.isNumber())
        number = cell.numberPayload();
    else if (cell.isText())
        number = sheet::typedNumber(cell.textPayload());
    // NaN and infinities are no numbers a price or a type can be.
    if (!number || !std::isfinite(*number))
        return QString();
    return sheet::plainNumberText(*number);
}

ImportRowStatements BuildImportRow(const QString &table, const QString &insertHead, const QStringList &headers,
                                   const QVector<sheet::CellValue> &cells, int catalogueType)
{
    const bool nonPostal = table == QLatin1String("nopost");
    ImportRowStatements row;
    QStringList values;
    for (int c = 0; c < headers.size(); ++c) {
        const sheet::CellValue cell = cells.value(c);
        const ImportColumnKind kind = ImportColumnKindOf(headers.at(c));
        const auto refuse = [&](ImportCellFault fault) {
            row.badColumn = c;
            row.fault = fault;
            row.statements.clear();
            return row;
        };
        if (kind == ImportColumnKind::Number) {
            if (cell.isEmpty() && nonPostal && isTypeColumn(headers.at(c)))
                return refuse(ImportCellFault::WrongType); // an entry of no catalogue
            if (cell.isEmpty()) {
                values << QStringLiteral("null");
                continue;
            }
            if (cell.isNumber() && std::isnan(cell.numberPayload()))
                return refuse(ImportCellFault::NoValue);
            const QString number = NumericCellSql(cell);
            if (number.isEmpty())
                return refuse(ImportCellFault::NotANumber);
            if (isPrice(headers.at(c)) && number.toDouble() < 0)
                return refuse(ImportCellFault::NegativePrice);
            if (nonPostal && isTypeColumn(headers.at(c)) && number.toDouble() != catalogueType)
                return refuse(ImportCellFault::WrongType);
            values << number;
            continue;
        }
        if (kind == ImportColumnKind::Code) {
            const QString code = cell.toText().trimmed();
            if (!IsCatalogueCode(code))
                return refuse(ImportCellFault::BadCode);
            // A code is unique only within its catalogue type.
            row.statements << QStringLiteral("delete from ") + table + QStringLiteral(" where bkdh='") + SqlText(code)
                    + QLatin1Char('\'')
                    + (nonPostal ? QStringLiteral(" and mllx=") + QString::number(catalogueType) : QString());
            values << QLatin1Char('\'') + SqlText(code) + QLatin1Char('\'');
            continue;
        }
        const QString text = cell.toText();
        if (text.contains(QChar(0)))
            return refuse(ImportCellFault::NulCharacter);
        values << (cell.isEmpty() ? QStringLiteral("null") : QLatin1Char('\'') + SqlText(text) + QLatin1Char('\''));
    }
    if (addsTypeColumn(table, headers))
        values << QString::number(catalogueType);
    row.statements << insertHead + QStringLiteral(" values (") + values.join(QLatin1Char(',')) + QLatin1Char(')');
    return row;
}

QString BadHeaderMessage(int column, const QString &header)
{
    if (IsPlainColumnName(header) && IsReservedColumnName(header))
        return QStringLiteral("第1行第%1列的列名“%2”是数据库的保留字,不是目录的列名,导入在此停止...").arg(column).arg(header);
    return QStringLiteral("第1行第%1列的列名“%2”不是有效的列名(只能由字母、数字和下划线组成),导入在此停止...")
        .arg(column)
        .arg(header);
}

QString NotANumberMessage(int row, int column, const QString &header, const QString &cellText)
{
    return cellMessage(QStringLiteral("第%1行第%2列(%3)的内容“%4”不是数字,导入在此行停止,此前各行已经导入..."), row, column,
                       header, cellText);
}

QString DuplicateHeaderMessage(int firstColumn, const QString &firstHeader, int secondColumn,
                               const QString &secondHeader)
{
    return QStringLiteral("第1行第%1列的列名“%2”与第%3列的列名“%4”是同一列,导入在此停止,没有导入任何行...")
        .arg(firstColumn)
        .arg(firstHeader)
        .arg(secondColumn)
        .arg(secondHeader);
}

QString NegativePriceMessage(int row, int column, const QString &header, const QString &cellText)
{
    return cellMessage(
        QStringLiteral("第%1行第%2列(%3)的内容“%4”不是有效的价格(价格不能为负数),导入在此行停止,此前各行已经导入..."), row,
        column, header, cellText);
}

QString BadCodeMessage(int row, int column, const QString &header, const QString &cellText)
{
    return cellMessage(QStringLiteral("第%1行第%2列(%3)的报刊代号“%4”无效(应为以“-”相连的两个整数,如 4-2),"
                                      "导入在此行停止,此前各行已经导入..."),
                       row, column, header, cellText);
}

QString WrongTypeMessage(int row, int column, const QString &header, const QString &cellText)
{
    return cellMessage(QStringLiteral("第%1行第%2列(%3)的目录类型“%4”与所选的目录类型不符,导入在此行停止,此前各行已经导入..."),
                       row, column, header, cellText);
}

QString CellTextForMessage(const sheet::CellValue &cell)
{
    if (cell.isNumber() && !std::isfinite(cell.numberPayload())) {
        if (std::isnan(cell.numberPayload()))
            return QStringLiteral("NaN");
        return cell.numberPayload() > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    }
    return cell.toText();
}

QString CellFaultMessage(ImportCellFault fault, int row, int column, const QString &header, const QString &cellText)
{
    switch (fault) {
    case ImportCellFault::NegativePrice: return NegativePriceMessage(row, column, header, cellText);
    case ImportCellFault::BadCode: return BadCodeMessage(row, column, header, cellText);
    case ImportCellFault::WrongType: return WrongTypeMessage(row, column, header, cellText);
    case ImportCellFault::NoValue:
        return QStringLiteral("第%1行第%2列(%3)没有数值(多为没有保存计算结果的公式,请在Excel或WPS中重新计算并保存后再导入),"
                              "导入在此行停止,此前各行已经导入...")
            .arg(row)
            .arg(column)
            .arg(header);
    case ImportCellFault::NulCharacter:
        return QStringLiteral("第%1行第%2列(%3)的内容含有空字符(NUL),不能导入,导入在此行停止,此前各行已经导入...")
            .arg(row)
            .arg(column)
            .arg(header);
    case ImportCellFault::NotANumber:
    case ImportCellFault::None: break;
    }
    return NotANumberMessage(row, column, header, cellText);
}

QString ImportStoppedMessage(int row, int importedRows)
{
    return QStringLiteral("导入目录在第%1行停止,已导入%2行...").arg(row).arg(importedRows);
}
