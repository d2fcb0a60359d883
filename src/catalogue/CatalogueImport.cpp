#include "catalogue/CatalogueImport.h"

#include "data/Udm.h"

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
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

int FirstBadHeader(const QStringList &headers)
{
    for (int i = 0; i < headers.size(); ++i)
        if (!IsPlainColumnName(headers.at(i)))
            return i;
    return -1;
}

QString ImportTargetTable(int catalogueType)
{
    return catalogueType == 0 ? QStringLiteral("post") : QStringLiteral("nopost");
}

QString ImportInsertHead(const QString &table, const QStringList &headers)
{
    return QStringLiteral("insert into ") + table + QStringLiteral(" (") + headers.join(QLatin1Char(','))
        + QLatin1Char(')');
}

QString NumericCellSql(const sheet::CellValue &cell)
{
    if (cell.isNumber())
        return sheet::plainNumberText(cell.numberPayload());
    if (cell.isText())
        if (const auto number = sheet::typedNumber(cell.textPayload()))
            return sheet::plainNumberText(*number);
    return QString();
}

ImportRowStatements BuildImportRow(const QString &table, const QString &insertHead, const QStringList &headers,
                                   const QVector<sheet::CellValue> &cells)
{
    ImportRowStatements row;
    QStringList values;
    for (int c = 0; c < headers.size(); ++c) {
        const sheet::CellValue cell = cells.value(c);
        const ImportColumnKind kind = ImportColumnKindOf(headers.at(c));
        if (kind == ImportColumnKind::Number) {
            if (cell.isEmpty()) {
                values << QStringLiteral("null");
                continue;
            }
            const QString number = NumericCellSql(cell);
            if (number.isEmpty()) {
                row.badColumn = c;
                row.statements.clear();
                return row;
            }
            values << number;
            continue;
        }
        const QString text = cell.toText();
        if (kind == ImportColumnKind::Code)
            row.statements << QStringLiteral("delete from ") + table + QStringLiteral(" where bkdh='") + SqlText(text)
                    + QLatin1Char('\'');
        values << (cell.isEmpty() ? QStringLiteral("null") : QLatin1Char('\'') + SqlText(text) + QLatin1Char('\''));
    }
    row.statements << insertHead + QStringLiteral(" values (") + values.join(QLatin1Char(',')) + QLatin1Char(')');
    return row;
}

QString BadHeaderMessage(int column, const QString &header)
{
    return QStringLiteral("第1行第%1列的列名“%2”不是有效的列名(只能由字母、数字和下划线组成),导入在此停止...")
        .arg(column)
        .arg(header);
}

QString NotANumberMessage(int row, int column, const QString &header, const QString &cellText)
{
    return QStringLiteral("第%1行第%2列(%3)的内容“%4”不是数字,导入在此行停止,此前各行已经导入...")
        .arg(row)
        .arg(column)
        .arg(header, cellText);
}
