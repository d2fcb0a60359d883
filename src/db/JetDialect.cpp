#include "db/JetDialect.h"

#include "db/Sqlite.h"

#include <QDate>
#include <QRegularExpression>

#include <atomic>
#include <cmath>

namespace db {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Copies a quoted run starting at `i` (the opening quote) up to and including its closing quote;
// a doubled quote inside stands for one. Returns the index after the run and the inner text.
int readQuoted(const QString &text, int i, QChar quote, QString *inner)
{
    int j = i + 1;
    while (j < text.size()) {
        if (text.at(j) == quote) {
            if (j + 1 < text.size() && text.at(j + 1) == quote) {
                inner->append(quote);
                j += 2;
                continue;
            }
            return j + 1;
        }
        inner->append(text.at(j));
        ++j;
    }
    return j; // unterminated: the engine will report it
}

} // namespace

QString rewriteJetSql(const QString &jetSql)
{
    QString out;
    out.reserve(jetSql.size() + 8);
    int i = 0;
    const int n = jetSql.size();
    while (i < n) {
        const QChar c = jetSql.at(i);
        if (c == QLatin1Char('\'')) {
            QString inner;
            const int end = readQuoted(jetSql, i, c, &inner);
            out += jetSql.mid(i, end - i); // single-quoted texts stay exactly as written
            i = end;
        } else if (c == QLatin1Char('"')) {
            QString inner;
            const int end = readQuoted(jetSql, i, c, &inner);
            if (end > n || jetSql.at(end - 1) != QLatin1Char('"') || end - i < 2) {
                out += jetSql.mid(i); // unterminated: leave it for the engine to refuse
                break;
            }
            inner.replace(QLatin1Char('\''), QLatin1String("''"));
            out += QLatin1Char('\'') + inner + QLatin1Char('\'');
            i = end;
        } else if (c == QLatin1Char('[')) {
            const int end = jetSql.indexOf(QLatin1Char(']'), i);
            const int stop = end < 0 ? n : end + 1;
            out += jetSql.mid(i, stop - i);
            i = stop;
        } else if (isWordChar(c)) {
            int j = i;
            while (j < n && isWordChar(jetSql.at(j)))
                ++j;
            const QStringView word = QStringView(jetSql).mid(i, j - i);
            if (word.compare(QLatin1String("mod"), Qt::CaseInsensitive) == 0)
                out += QLatin1Char('%');
            else
                out += word;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// ---- dates ----

namespace {
std::atomic<int> g_defaultYear{0};

int yearForShortForms(int defaultYear)
{
    if (defaultYear > 0)
        return defaultYear;
    const int set = g_defaultYear.load();
    return set > 0 ? set : QDate::currentDate().year();
}
} // namespace

void setCdateDefaultYear(int year)
{
    g_defaultYear.store(year);
}

int cdateDefaultYear()
{
    return g_defaultYear.load();
}

const char *const kSecondStatementMessage = "the statement text holds more than one statement";

bool holdsSecondStatement(const QString &engineSql)
{
    const int n = int(engineSql.size());
    bool ended = false;
    for (int i = 0; i < n; ++i) {
        const QChar c = engineSql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            if (ended)
                return true;
            QString ignored;
            i = readQuoted(engineSql, i, c, &ignored) - 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && engineSql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && engineSql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && engineSql.at(i + 1) == QLatin1Char('*')) {
            const int close = int(engineSql.indexOf(QLatin1String("*/"), i + 2));
            i = close < 0 ? n : close + 1;
        } else if (c == QLatin1Char('$') && i + 1 < n && !engineSql.at(i + 1).isDigit()) {
            // a server's dollar-quoted text: $tag$ ... $tag$
            int j = i + 1;
            while (j < n && (engineSql.at(j).isLetter() || engineSql.at(j) == QLatin1Char('_')))
                ++j;
            if (j < n && engineSql.at(j) == QLatin1Char('$')) {
                if (ended)
                    return true;
                const QString tag = engineSql.mid(i, j - i + 1);
                const int close = int(engineSql.indexOf(tag, j + 1));
                i = close < 0 ? n : close + int(tag.size()) - 1;
            } else if (ended) {
                return true;
            }
        } else if (c == QLatin1Char(';')) {
            ended = true;
        } else if (ended && !c.isSpace()) {
            return true;
        }
    }
    return false;
}

namespace {

// The calendar's own form, yyyy-MM-dd, read without a regular expression: it is what month() and
// day() see on every row of the calendar.
bool readCanonical(const QString &text, int *y, int *m, int *d)
{
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return false;
    int parts[3] = {0, 0, 0};
    const int starts[3] = {0, 5, 8};
    const int lengths[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = starts[p]; i < starts[p] + lengths[p]; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return false;
            parts[p] = parts[p] * 10 + (c - u'0');
        }
    }
    *y = parts[0];
    *m = parts[1];
    *d = parts[2];
    return true;
}

} // namespace

QString canonicalDate(const QString &text, int defaultYear)
{
    int cy = 0, cm = 0, cd = 0;
    if (readCanonical(text, &cy, &cm, &cd))
        return QDate(cy, cm, cd).isValid() ? text : QString();
    static const QRegularExpression full(
        QStringLiteral(R"(^\s*(\d{4})\s*(?:[-/.]|年)\s*(\d{1,2})\s*(?:[-/.]|月)\s*(\d{1,2})\s*日?(?:[ T]\d{1,2}:\d{2}(?::\d{2}(?:\.\d+)?)?)?\s*$)"));
    static const QRegularExpression monthDay(
        QStringLiteral(R"(^\s*(\d{1,2})\s*(?:[-/.]|月)\s*(\d{1,2})\s*日?\s*$)"));
    int y = 0, m = 0, d = 0;
    QRegularExpressionMatch match = full.match(text);
    if (match.hasMatch()) {
        y = match.captured(1).toInt();
        m = match.captured(2).toInt();
        d = match.captured(3).toInt();
    } else if ((match = monthDay.match(text)).hasMatch()) {
        y = yearForShortForms(defaultYear);
        m = match.captured(1).toInt();
        d = match.captured(2).toInt();
    } else {
        return QString();
    }
    const QDate date(y, m, d);
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

// ---- scalar functions ----

namespace {

QString textArg(sqlite3_value *v)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray utf8 = s.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void resultError(sqlite3_context *ctx, const QString &message)
{
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(ctx, utf8.constData(), int(utf8.size()));
}

bool anyNull(int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    return false;
}

// A whole number from a numeric argument or from a text that reads as a number.
bool numberArg(sqlite3_value *v, double *out)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        *out = double(sqlite3_value_int64(v));
        return true;
    case SQLITE_FLOAT:
        *out = sqlite3_value_double(v);
        return true;
    default: {
        bool ok = false;
        const double d = textArg(v).trimmed().toDouble(&ok);
        if (ok && std::isfinite(d))
            *out = d;
        return ok && std::isfinite(d);
    }
    }
}

void fnClng(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    double d = 0;
    if (!numberArg(argv[0], &d)) {
        resultError(ctx, QStringLiteral("clng: type mismatch, '%1' is not a number").arg(textArg(argv[0])));
        return;
    }
    const double r = std::nearbyint(d); // the default rounding mode rounds half to even
    if (r < -2147483648.0 || r > 2147483647.0) {
        resultError(ctx, QStringLiteral("clng: overflow"));
        return;
    }
    sqlite3_result_int64(ctx, qint64(r));
}

void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = textArg(argv[0]);
    const qint64 start = sqlite3_value_int64(argv[1]);
    if (start < 1) {
        resultError(ctx, QStringLiteral("mid: invalid start %1").arg(start));
        return;
    }
    qint64 length = s.size();
    if (argc == 3) {
        length = sqlite3_value_int64(argv[2]);
        if (length < 0) {
            resultError(ctx, QStringLiteral("mid: invalid length %1").arg(length));
            return;
        }
    }
    if (start > s.size()) {
        resultText(ctx, QString());
        return;
    }
    resultText(ctx, s.mid(int(start - 1), int(qMin<qint64>(length, s.size()))));
}

void fnInstr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 start = 1;
    int first = 0;
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if (argc == 4) {
        start = sqlite3_value_int64(argv[0]);
        first = 1;
        cs = sqlite3_value_int64(argv[3]) == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
        if (start < 1) {
            resultError(ctx, QStringLiteral("instr: invalid start %1").arg(start));
            return;
        }
    }
    const QString haystack = textArg(argv[first]);
    const QString needle = textArg(argv[first + 1]);
    if (start > haystack.size()) {
        sqlite3_result_int(ctx, needle.isEmpty() && start == haystack.size() + 1 ? int(start) : 0);
        return;
    }
    sqlite3_result_int(ctx, int(haystack.indexOf(needle, int(start - 1), cs) + 1));
}

void fnLen(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int(ctx, int(textArg(argv[0]).size()));
}

void fnLcase(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    resultText(ctx, textArg(argv[0]).toLower());
}

// The date of an argument, or an error result (false) when it is not readable.
bool dateArg(sqlite3_context *ctx, sqlite3_value *v, const char *fn, QDate *out)
{
    const QString text = textArg(v);
    const QString canonical = canonicalDate(text, 0);
    int y = 0, m = 0, d = 0;
    if (canonical.isEmpty() || !readCanonical(canonical, &y, &m, &d)) {
        resultError(ctx, QStringLiteral("%1: '%2' is not a date").arg(QLatin1String(fn), text));
        return false;
    }
    *out = QDate(y, m, d);
    return true;
}

void fnCdate(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    QDate date;
    if (dateArg(ctx, argv[0], "cdate", &date))
        resultText(ctx, date.toString(QStringLiteral("yyyy-MM-dd")));
}

void fnMonth(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    QDate date;
    if (dateArg(ctx, argv[0], "month", &date))
        sqlite3_result_int(ctx, date.month());
}

void fnDay(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    QDate date;
    if (dateArg(ctx, argv[0], "day", &date))
        sqlite3_result_int(ctx, date.day());
}

using ScalarFn = void (*)(sqlite3_context *, int, sqlite3_value **);

void registerFunction(sqlite3 *handle, const char *name, int argc, ScalarFn fn)
{
    sqlite3_create_function_v2(handle, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fn, nullptr,
                               nullptr, nullptr);
}

} // namespace

void registerJetFunctions(sqlite3 *handle)
{
    registerFunction(handle, "clng", 1, fnClng);
    registerFunction(handle, "mid", 2, fnMid);
    registerFunction(handle, "mid", 3, fnMid);
    registerFunction(handle, "instr", 2, fnInstr);
    registerFunction(handle, "instr", 4, fnInstr);
    registerFunction(handle, "len", 1, fnLen);
    registerFunction(handle, "lcase", 1, fnLcase);
    // Month-day forms depend on the processing year, which only changes between statements: within
    // one statement cdate of a constant text is a constant, computed once.
    registerFunction(handle, "cdate", 1, fnCdate);
    registerFunction(handle, "month", 1, fnMonth);
    registerFunction(handle, "day", 1, fnDay);
}

} // namespace db
