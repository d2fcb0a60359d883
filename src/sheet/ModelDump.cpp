#include "ModelDump.h"

#include <QStringList>

namespace sheet {

namespace {

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar ch : text) {
        switch (ch.unicode()) {
        case '"': out += QStringLiteral("\\\""); break;
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        default: out += ch;
        }
    }
    return out + QLatin1Char('"');
}

QString valueText(const CellValue &v)
{
    switch (v.type()) {
    case CellValue::Type::Empty: return QStringLiteral("empty:");
    case CellValue::Type::Text: return QStringLiteral("text:") + quoted(v.textPayload());
    case CellValue::Type::Number: return QStringLiteral("number:") + v.toText();
    case CellValue::Type::Boolean: return QStringLiteral("bool:") + v.toText();
    case CellValue::Type::Date: return QStringLiteral("date:") + v.toText();
    case CellValue::Type::Error: return QStringLiteral("error:") + v.textPayload();
    }
    return QString();
}

QString styleText(const CellStyle &s)
{
    return QStringLiteral("font=%1/%2 format=%3").arg(s.fontName, plainNumberText(s.fontSize), s.numberFormat);
}

} // namespace

QString dumpWorkbook(const WorkbookModel &model, bool everyStyle)
{
    QStringList lines;
    lines << QStringLiteral("sheets %1 active %2").arg(model.sheets.size()).arg(model.activeSheet + 1);
    lines << QStringLiteral("default ") + styleText(model.styles.at(0));
    for (size_t i = 0; i < model.sheets.size(); ++i) {
        const SheetModel &sheet = *model.sheets[i];
        const int number = int(i) + 1;
        lines << QStringLiteral("sheet %1 %2").arg(number).arg(sheet.name);
        for (const auto &[column, width] : sheet.columnWidths)
            lines << QStringLiteral("width %1/%2 %3").arg(number).arg(column).arg(plainNumberText(width));
        for (const auto &[key, cell] : sheet.cells()) {
            QString line = QStringLiteral("%1/%2/%3:").arg(number).arg(SheetModel::rowOf(key)).arg(SheetModel::columnOf(key))
                           + valueText(cell.value);
            if (everyStyle || cell.style != 0)
                line += QLatin1Char(' ') + styleText(model.styles.at(cell.style));
            lines << line;
        }
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace sheet
