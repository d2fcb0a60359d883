#include "catalogue/TitleReadings.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace {

// Words the transliterator reads otherwise than the catalogues' readers say them, one syllable per
// character. Only words that periodical titles use.
const QHash<QString, QStringList> &wordReadings()
{
    static const QHash<QString, QStringList> words = [] {
        const char *const list[][2] = {
            {"银行", "yin hang"},     {"行业", "hang ye"},      {"长江", "chang jiang"},  {"长沙", "chang sha"},
            {"长城", "chang cheng"},  {"长春", "chang chun"},   {"长安", "chang an"},     {"长征", "chang zheng"},
            {"长篇", "chang pian"},   {"长寿", "chang shou"},   {"长白", "chang bai"},    {"音乐", "yin yue"},
            {"乐器", "yue qi"},       {"乐团", "yue tuan"},     {"都市", "du shi"},       {"首都", "shou du"},
            {"成都", "cheng du"},     {"地", "di"},             {"了解", "liao jie"},     {"厦门", "xia men"},
            {"六安", "lu an"},        {"乐清", "yue qing"},     {"单县", "shan xian"},    {"重庆", "chong qing"},
        };
        QHash<QString, QStringList> h;
        for (const auto &entry : list)
            h.insert(QString::fromUtf8(entry[0]), QString::fromUtf8(entry[1]).split(QLatin1Char(' ')));
        return h;
    }();
    return words;
}

constexpr int kLongestWord = 2;

icu::Transliterator *hanLatin()
{
    static const std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance("Han-Latin", UTRANS_FORWARD, status));
        return U_FAILURE(status) ? nullptr : std::move(t);
    }();
    return instance.get();
}

QString transliterated(const QString &text)
{
    icu::Transliterator *t = hanLatin();
    if (!t)
        return QString();
    icu::UnicodeString u(reinterpret_cast<const UChar *>(text.utf16()), int32_t(text.size()));
    t->transliterate(u);
    return QString(reinterpret_cast<const QChar *>(u.getBuffer()), u.length());
}

bool isHan(char32_t c)
{
    return QChar::script(c) == QChar::Script_Han;
}

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool isAsciiAlnum(char32_t c)
{
    return isAsciiLetter(c) || (c >= U'0' && c <= U'9');
}

// A syllable as the transliterator writes it (with tone marks) in plain letters: ü as u, or as v.
QString plainSyllableOnce(const QString &syllable, bool umlautAsV)
{
    QString out;
    for (const QChar c : syllable.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing) {
            if (c.unicode() == 0x0308 && umlautAsV && out.endsWith(QLatin1Char('u')))
                out.back() = QLatin1Char('v');
            continue;
        }
        if (isAsciiAlnum(c.unicode()))
            out += c.toLower();
    }
    return out;
}

// Kept, since the syllables are few.
QString plainSyllable(const QString &syllable, bool umlautAsV)
{
    static QHash<QString, QString> known[2];
    QHash<QString, QString> &forms = known[umlautAsV ? 1 : 0];
    const auto found = forms.constFind(syllable);
    if (found != forms.constEnd())
        return *found;
    return *forms.insert(syllable, plainSyllableOnce(syllable, umlautAsV));
}

// The syllable of one character alone; empty when it has none. Kept, since titles repeat characters.
QString characterSyllable(char32_t c)
{
    static QHash<char32_t, QString> known;
    const auto found = known.constFind(c);
    if (found != known.constEnd())
        return *found;
    const QString reading = transliterated(QString::fromUcs4(&c, 1)).trimmed();
    QString syllable;
    for (const QChar r : reading)
        if (r.isLetter() && !isHan(r.unicode()))
            syllable += r;
    known.insert(c, syllable);
    return syllable;
}

// The transliterator's rules that read a character by the character after it (重 before 庆 reads
// chóng): every other character reads the same in any title. Taken from the transliterator's own
// rules, so a run needs it only for a context it states in another form (then the run is read whole).
struct ContextRules {
    QHash<QString, QString> readings; // the two characters -> the first one's syllable
    QSet<char32_t> unread;            // first characters of contexts not understood here
};

QString unescaped(const QString &text)
{
    static const QRegularExpression escape(QStringLiteral("\\\\u([0-9A-Fa-f]{4})"));
    QString out = text;
    for (auto m = escape.match(out); m.hasMatch(); m = escape.match(out))
        out.replace(m.capturedStart(), m.capturedLength(), QChar(char16_t(m.captured(1).toUInt(nullptr, 16))));
    return out;
}

const ContextRules &contextRules()
{
    static const ContextRules rules = [] {
        ContextRules found;
        icu::Transliterator *t = hanLatin();
        if (!t)
            return found;
        icu::UnicodeString text;
        t->toRules(text, true);
        const QString all(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
        static const QRegularExpression anyContext(QStringLiteral("^\\{\\\\[uU]([0-9A-Fa-f]{4,8})\\}(.*)$"),
                                                   QRegularExpression::MultilineOption);
        static const QRegularExpression nextCharacter(QStringLiteral("^' '\\?\\\\u([0-9A-Fa-f]{4}) > ([^;]+);$"));
        for (auto it = anyContext.globalMatch(all); it.hasNext();) {
            const auto rule = it.next();
            const char32_t first = char32_t(rule.captured(1).toUInt(nullptr, 16));
            const auto next = nextCharacter.match(rule.captured(2));
            if (!next.hasMatch() || first > 0xFFFF) {
                found.unread.insert(first);
                continue;
            }
            const QString pair = QString(QChar(char16_t(first))) + QChar(char16_t(next.captured(1).toUInt(nullptr, 16)));
            found.readings.insert(pair, unescaped(next.captured(2)).trimmed());
        }
        return found;
    }();
    return rules;
}

// A run of Chinese characters as the transliterator reads it, one syllable per character.
QStringList runSyllables(const std::u32string &run)
{
    const ContextRules &rules = contextRules();
    bool wholeRun = false;
    for (const char32_t c : run)
        wholeRun = wholeRun || rules.unread.contains(c);
    if (wholeRun) {
        const QStringList read =
            transliterated(QString::fromStdU32String(run)).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool plain = read.size() == qsizetype(run.size());
        for (const QString &s : read)
            plain = plain && !s.isEmpty() && !isHan(s.front().unicode());
        if (plain)
            return read;
    }
    QStringList syllables;
    for (size_t i = 0; i < run.size(); ++i) {
        if (i + 1 < run.size() && !rules.readings.isEmpty()) {
            const auto found = rules.readings.constFind(QString::fromStdU32String(run.substr(i, 2)));
            if (found != rules.readings.constEnd()) {
                syllables << *found;
                continue;
            }
        }
        syllables << characterSyllable(run[i]);
    }
    return syllables;
}

QStringList correctedSyllables(const std::u32string &run, QStringList syllables)
{
    const auto &words = wordReadings();
    for (size_t i = 0; i < run.size();) {
        size_t taken = 1;
        for (size_t length = qMin<size_t>(kLongestWord, run.size() - i); length >= 1; --length) {
            const auto found = words.constFind(QString::fromStdU32String(run.substr(i, length)));
            if (found != words.constEnd()) {
                for (size_t k = 0; k < length; ++k)
                    syllables[qsizetype(i + k)] = found->at(qsizetype(k));
                taken = length;
                break;
            }
        }
        i += taken;
    }
    return syllables;
}

// Full-width letters and digits, and compatibility forms, as their plain forms; lower case. Most
// titles hold none of them and skip the normalisation.
QString folded(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0xF900 || c.isSurrogate())
            return text.normalized(QString::NormalizationForm_KC).toLower();
    return text.toLower();
}

// A title cut into what reads: runs of Chinese characters and runs of Latin letters and digits.
struct Piece {
    bool han = false;
    std::u32string text;
};

QList<Piece> piecesOf(const QString &title)
{
    QList<Piece> pieces;
    for (const char32_t c : folded(title).toStdU32String()) {
        const bool han = isHan(c);
        if (!han && !isAsciiAlnum(c)) {
            if (!pieces.isEmpty() && !pieces.back().text.empty())
                pieces.append(Piece{});
            continue;
        }
        if (pieces.isEmpty() || (!pieces.back().text.empty() && pieces.back().han != han))
            pieces.append(Piece{});
        pieces.back().han = han;
        pieces.back().text += c;
    }
    return pieces;
}

void addOnce(QStringList &list, const QString &text)
{
    if (!text.isEmpty() && !list.contains(text))
        list << text;
}


} // namespace

TitleReadings ReadTitle(const QString &title)
{
    // Two readings of every run: the corrected one first, then the transliterator's own; each with ü
    // as u and as v. Only readings that differ are spelt out.
    struct Read {
        bool han = false;
        QStringList syllables; // a Latin run is one piece
    };
    QList<Read> readings[2];
    bool corrected = false;
    bool umlaut = false;
    for (const Piece &piece : piecesOf(title)) {
        if (piece.text.empty())
            continue;
        if (!piece.han) {
            readings[0] << Read{false, {QString::fromStdU32String(piece.text)}};
            readings[1] << readings[0].back();
            continue;
        }
        const QStringList own = runSyllables(piece.text);
        const QStringList better = correctedSyllables(piece.text, own);
        corrected = corrected || better != own;
        for (const QString &syllable : better + own)
            umlaut = umlaut || plainSyllable(syllable, false) != plainSyllable(syllable, true);
        readings[0] << Read{true, better};
        readings[1] << Read{true, own};
    }
    TitleReadings result;
    for (int r = 0; r < (corrected ? 2 : 1); ++r) {
        for (int v = 0; v < (umlaut ? 2 : 1); ++v) {
            QString spelling;
            QString initials;
            for (const Read &run : readings[r]) {
                for (const QString &syllable : run.syllables) {
                    const QString plain = plainSyllable(syllable, v == 1);
                    spelling += plain;
                    initials += run.han ? plain.left(1) : plain;
                }
            }
            addOnce(result.spellings, spelling);
            addOnce(result.initials, initials);
        }
    }
    return result;
}

bool IsReadingSearchText(const QString &text)
{
    bool letter = false;
    for (const QChar c : folded(text.trimmed())) {
        if (isAsciiLetter(c.unicode()))
            letter = true;
        else if (!c.isSpace())
            return false;
    }
    return letter;
}

QString ReadingSearchKey(const QString &text)
{
    QString key;
    for (const QChar c : folded(text))
        if (!c.isSpace())
            key += c;
    return key;
}

QString SerialSearchKey(const QString &text)
{
    QString key;
    bool meaningful = false;
    for (const QChar c : folded(text)) {
        if (c.isSpace() || c == QLatin1Char('-') || (c.unicode() >= 0x2010 && c.unicode() <= 0x2015))
            continue;
        meaningful = meaningful || isAsciiAlnum(c.unicode());
        key += c;
    }
    if (!meaningful)
        return QString();
    for (const QLatin1String prefix : {QLatin1String("issn"), QLatin1String("cn")})
        if (key.startsWith(prefix) && key.size() > prefix.size()) {
            key.remove(0, prefix.size());
            break;
        }
    return key;
}

QStringList SerialNumberForms(const QString &serial)
{
    const QString key = SerialSearchKey(serial);
    if (key.isEmpty())
        return {};
    QStringList forms = {key};
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    if (slash > 0)
        addOnce(forms, key.left(slash));
    return forms;
}
