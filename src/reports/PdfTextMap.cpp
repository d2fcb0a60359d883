#include "reports/PdfTextMap.h"

#include <QFile>
#include <QFont>
#include <QMap>
#include <QRawFont>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>

namespace {

struct CodeRange {
    char32_t first;
    char32_t last;
};

// What a reader should be given for a glyph, best first, and what it should not.
const CodeRange printable[] = {{0x20, 0x7E}, {0x4E00, 0x9FFF}, {0x3400, 0x4DBF}};
const CodeRange unwanted[] = {{0x01, 0x1F}, {0x2E80, 0x2FDF}}; // controls, CJK and Kangxi radicals

QVector<quint32> glyphsOf(const QRawFont &font, const CodeRange &range)
{
    QVector<QChar> characters;
    for (char32_t c = range.first; c <= range.last; ++c)
        characters.append(QChar(char16_t(c)));
    QVector<quint32> glyphs(characters.size());
    int count = int(glyphs.size());
    if (!font.glyphIndexesForChars(characters.constData(), int(characters.size()), glyphs.data(), &count))
        glyphs.fill(0);
    return glyphs;
}

// One font's text map (the stream that ends in endcmap): what comes before its entries, the entries
// (glyph number → the characters it shows, as UTF-16) and what follows them.
struct TextMap {
    QString head;
    QMap<uint, QString> entries;
    QString tail;
};

QString fromHex(const QString &hex)
{
    QString text;
    for (int i = 0; i + 4 <= hex.size(); i += 4)
        text.append(QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16))));
    return text;
}

QString toHex(const QString &text)
{
    QString hex;
    for (const QChar c : text)
        hex += QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    return hex;
}

bool parseTextMap(const QString &data, TextMap &map)
{
    static const QRegularExpression firstSection(QStringLiteral("\\d+\\s+beginbf(char|range)"));
    static const QRegularExpression chars(QStringLiteral("beginbfchar(.*?)endbfchar"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression ranges(QStringLiteral("beginbfrange(.*?)endbfrange"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression pair(QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]*)>"));
    static const QRegularExpression range(
        QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*(?:<([0-9A-Fa-f]*)>|\\[([^\\]]*)\\])"));
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]*)>"));

    const QRegularExpressionMatch first = firstSection.match(data);
    const qsizetype end = data.indexOf(QLatin1String("endcmap"));
    if (!first.hasMatch() || end < first.capturedStart())
        return false;
    map.head = data.left(first.capturedStart());
    map.tail = data.mid(end);
    const QString body = data.mid(first.capturedStart(), end - first.capturedStart());
    for (auto section = chars.globalMatch(body); section.hasNext();) {
        const QString entries = section.next().captured(1);
        for (auto p = pair.globalMatch(entries); p.hasNext();) {
            const QRegularExpressionMatch m = p.next();
            map.entries.insert(m.captured(1).toUInt(nullptr, 16), fromHex(m.captured(2)));
        }
    }
    for (auto section = ranges.globalMatch(body); section.hasNext();) {
        const QString entries = section.next().captured(1);
        for (auto r = range.globalMatch(entries); r.hasNext();) {
            const QRegularExpressionMatch m = r.next();
            const uint low = m.captured(1).toUInt(nullptr, 16);
            const uint high = m.captured(2).toUInt(nullptr, 16);
            if (high < low || high - low > 0xFFFF)
                return false;
            if (m.capturedStart(4) >= 0) { // one destination per glyph
                uint glyph = low;
                for (auto d = hex.globalMatch(m.captured(4)); d.hasNext() && glyph <= high;)
                    map.entries.insert(glyph++, fromHex(d.next().captured(1)));
            } else { // the destinations count up from the first one
                QString text = fromHex(m.captured(3));
                for (uint glyph = low; glyph <= high && !text.isEmpty(); ++glyph) {
                    map.entries.insert(glyph, text);
                    text.back() = QChar(char16_t(text.back().unicode() + 1));
                }
            }
        }
    }
    return true;
}

QString writeTextMap(const TextMap &map)
{
    QString out = map.head;
    const QList<uint> glyphs = map.entries.keys();
    for (qsizetype start = 0; start < glyphs.size(); start += 100) { // at most 100 entries a section
        const qsizetype count = qMin<qsizetype>(100, glyphs.size() - start);
        out += QStringLiteral("%1 beginbfchar\n").arg(count);
        for (qsizetype i = start; i < start + count; ++i)
            out += QStringLiteral("<%1> <%2>\n")
                       .arg(QStringLiteral("%1").arg(glyphs.at(i), 4, 16, QLatin1Char('0')).toUpper(),
                            toHex(map.entries.value(glyphs.at(i))));
        out += QStringLiteral("endbfchar\n");
    }
    return out + map.tail;
}

bool preferCharacters(TextMap &map, const QHash<char32_t, char32_t> &preferred)
{
    bool changed = false;
    for (auto entry = map.entries.begin(); entry != map.entries.end(); ++entry) {
        QList<uint> codePoints = entry.value().toUcs4();
        for (uint &c : codePoints) {
            const auto better = preferred.constFind(char32_t(c));
            if (better != preferred.constEnd()) {
                c = uint(*better);
                changed = true;
            }
        }
        entry.value() = QString::fromUcs4(reinterpret_cast<const char32_t *>(codePoints.constData()),
                                          codePoints.size());
    }
    return changed;
}

struct Replacement {
    qsizetype position;
    qsizetype length;
    QByteArray text;
};

// The file with the replacements made and its cross-reference table (the byte offset of every
// object) and its start moved by what the replacements before each offset added or removed.
bool applyReplacements(QByteArray &file, QVector<Replacement> replacements)
{
    static const QRegularExpression entry(QStringLiteral("(\\d{10}) (\\d{5}) ([nf])"));
    const qsizetype startKeyword = file.lastIndexOf("startxref");
    if (startKeyword < 0)
        return false;
    bool ok = false;
    const qsizetype xrefAt = file.mid(startKeyword + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    const qsizetype trailerAt = file.indexOf("trailer", xrefAt);
    if (!ok || !file.mid(xrefAt).startsWith("xref") || trailerAt < 0)
        return false;
    auto moved = [&](qsizetype offset) {
        qsizetype shift = 0;
        for (const Replacement &r : replacements)
            if (r.position < offset)
                shift += r.text.size() - r.length;
        return offset + shift;
    };
    const QString table = QString::fromLatin1(file.mid(xrefAt, trailerAt - xrefAt));
    QString newTable;
    qsizetype copied = 0;
    for (auto m = entry.globalMatch(table); m.hasNext();) {
        const QRegularExpressionMatch e = m.next();
        newTable += table.mid(copied, e.capturedStart() - copied);
        const qsizetype offset = e.captured(1).toLongLong();
        newTable += QStringLiteral("%1 %2 %3")
                        .arg(e.captured(3) == QLatin1String("n") ? moved(offset) : offset, 10, 10, QLatin1Char('0'))
                        .arg(e.captured(2), e.captured(3));
        copied = e.capturedEnd();
    }
    newTable += table.mid(copied);
    const qsizetype numberAt = startKeyword + 9;
    const qsizetype numberEnd = file.indexOf("%%EOF", numberAt);
    if (numberEnd < 0)
        return false;
    replacements.append({xrefAt, trailerAt - xrefAt, newTable.toLatin1()});
    replacements.append({numberAt, numberEnd - numberAt, "\n" + QByteArray::number(moved(xrefAt)) + "\n"});
    std::sort(replacements.begin(), replacements.end(),
              [](const Replacement &a, const Replacement &b) { return a.position > b.position; });
    for (const Replacement &r : replacements)
        file.replace(r.position, r.length, r.text);
    return true;
}

} // namespace

QHash<char32_t, char32_t> PreferredCharacters(const QList<QFont> &fonts)
{
    QHash<char32_t, char32_t> preferred;
    for (const QFont &font : fonts) {
        const QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid())
            continue;
        QHash<quint32, char32_t> characterOfGlyph;
        for (const CodeRange &range : printable) {
            const QVector<quint32> glyphs = glyphsOf(raw, range);
            for (int i = 0; i < glyphs.size(); ++i)
                if (glyphs.at(i) != 0 && !characterOfGlyph.contains(glyphs.at(i)))
                    characterOfGlyph.insert(glyphs.at(i), range.first + char32_t(i));
        }
        for (const CodeRange &range : unwanted) {
            const QVector<quint32> glyphs = glyphsOf(raw, range);
            for (int i = 0; i < glyphs.size(); ++i) {
                const auto shown = characterOfGlyph.constFind(glyphs.at(i));
                if (glyphs.at(i) != 0 && shown != characterOfGlyph.constEnd())
                    preferred.insert(range.first + char32_t(i), *shown);
            }
        }
    }
    return preferred;
}

bool RewritePdfTextMaps(const QString &fileName, const QHash<char32_t, char32_t> &preferred)
{
    QFile in(fileName);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray file = in.readAll();
    in.close();

    static const QRegularExpression lengthKey(QStringLiteral("/Length (\\d+)"));
    QVector<Replacement> replacements;
    for (qsizetype at = file.indexOf("begincmap"); at >= 0; at = file.indexOf("begincmap", at + 1)) {
        // The stream around it: "<< /Length n >>\nstream\n" and n bytes of data.
        const qsizetype streamKeyword = file.lastIndexOf("stream", at);
        const qsizetype dictionary = file.lastIndexOf("<<", streamKeyword);
        if (streamKeyword < 0 || dictionary < 0)
            return false;
        const QString header = QString::fromLatin1(file.mid(dictionary, streamKeyword - dictionary));
        const QRegularExpressionMatch length = lengthKey.match(header);
        qsizetype dataStart = streamKeyword + 6;
        if (file.mid(dataStart, 2) == "\r\n")
            dataStart += 2;
        else if (file.at(dataStart) == '\n')
            ++dataStart;
        if (!length.hasMatch())
            return false;
        const qsizetype dataLength = length.captured(1).toLongLong();
        TextMap map;
        if (!parseTextMap(QString::fromLatin1(file.mid(dataStart, dataLength)), map))
            return false;
        if (!preferCharacters(map, preferred))
            continue;
        const QByteArray data = writeTextMap(map).toLatin1();
        replacements.append({dictionary + length.capturedStart(1), length.capturedLength(1),
                             QByteArray::number(data.size())});
        replacements.append({dataStart, dataLength, data});
    }
    if (replacements.isEmpty())
        return true;
    if (!applyReplacements(file, replacements))
        return false;
    QSaveFile out(fileName);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        return false;
    return out.commit();
}
