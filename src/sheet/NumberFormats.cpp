#include "NumberFormats.h"

#include <QHash>

namespace sheet {

namespace {

struct Builtin {
    int id;
    const char *code;
};

// The built-in formats whose meaning does not depend on the system's language, and the
// Chinese meaning of the date formats that do (27 to 36, 50 to 58).
const Builtin kBuiltins[] = {
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/??"},
    {14, "m/d/yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {27, "yyyy\"年\"m\"月\""},
    {28, "m\"月\"d\"日\""},
    {29, "m\"月\"d\"日\""},
    {30, "m-d-yy"},
    {31, "yyyy\"年\"m\"月\"d\"日\""},
    {32, "h\"时\"mm\"分\""},
    {33, "h\"时\"mm\"分\"ss\"秒\""},
    {34, "上午/下午h\"时\"mm\"分\""},
    {35, "上午/下午h\"时\"mm\"分\"ss\"秒\""},
    {36, "yyyy\"年\"m\"月\""},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mm:ss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
    {50, "yyyy\"年\"m\"月\""},
    {51, "m\"月\"d\"日\""},
    {52, "yyyy\"年\"m\"月\""},
    {53, "m\"月\"d\"日\""},
    {54, "m\"月\"d\"日\""},
    {55, "上午/下午h\"时\"mm\"分\""},
    {56, "上午/下午h\"时\"mm\"分\"ss\"秒\""},
    {57, "yyyy\"年\"m\"月\""},
    {58, "m\"月\"d\"日\""},
};

// Formats written by number: only those every reader agrees on.
bool isPortableBuiltin(int id)
{
    return (id >= 0 && id <= 4) || (id >= 9 && id <= 22) || (id >= 37 && id <= 40) || (id >= 45 && id <= 49);
}

} // namespace

QString builtinFormatCode(int id)
{
    for (const Builtin &b : kBuiltins)
        if (b.id == id)
            return QString::fromUtf8(b.code);
    return QString();
}

int builtinFormatId(const QString &code)
{
    static const QHash<QString, int> ids = [] {
        QHash<QString, int> map;
        for (const Builtin &b : kBuiltins)
            if (isPortableBuiltin(b.id))
                map.insert(QString::fromUtf8(b.code), b.id);
        return map;
    }();
    return ids.value(code, -1);
}

bool isDateFormat(const QString &code)
{
    if (code.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 || code == QLatin1String("@"))
        return false;
    // Only the first section (positive numbers) decides. Skip quoted text, escaped
    // characters and bracketed parts other than elapsed time ([h], [mm], [ss]).
    bool inQuote = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar ch = code.at(i);
        if (inQuote) {
            if (ch == QLatin1Char('"'))
                inQuote = false;
            continue;
        }
        switch (ch.unicode()) {
        case '"': inQuote = true; break;
        case '\\':
        case '_':
        case '*': ++i; break;
        case ';': return false;
        case '[': {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            if (close < 0)
                return false;
            const QString inner = code.mid(i + 1, close - i - 1).toLower();
            if (!inner.isEmpty() && (inner[0] == QLatin1Char('h') || inner[0] == QLatin1Char('m') || inner[0] == QLatin1Char('s')))
                return true;
            i = close;
            break;
        }
        default: {
            const QChar lower = ch.toLower();
            if (lower == QLatin1Char('y') || lower == QLatin1Char('m') || lower == QLatin1Char('d')
                || lower == QLatin1Char('h') || lower == QLatin1Char('s'))
                return true;
        }
        }
    }
    return false;
}

} // namespace sheet
