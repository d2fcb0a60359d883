#include "XlsxPackage.h"

#include "SheetError.h"

#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <QtEndian>
#include <algorithm>
#include <vector>

#include <zlib.h>

namespace sheet {

namespace {

// Unpacked parts beyond this are refused: protects against archives that inflate to
// many times their size. A package unpacks to at most 24 times its size (real packages
// stay far below: sheet XML packs about ten to one), but small packages may always
// unpack to 16 MB and none beyond 64 MB (more XML than the cells a file may fill, see
// CellBudget). Checking and reading the parts takes about a second for 16 MB, and a
// file under 1 MB never makes the reader hold more than about 130 MB.
constexpr quint64 kLeastUnpackedLimit = 16ull * 1024 * 1024;
constexpr quint64 kMostUnpackedLimit = 64ull * 1024 * 1024;
constexpr quint64 kUnpackedPerPackedByte = 24;
// Elements nested deeper than this are refused: the packages of spreadsheet programs nest a few
// dozen deep, and every open element costs the XML readers memory.
constexpr int kMaxNesting = 256;
// Deflate unpacks at most about 1032 bytes from one.
constexpr quint64 kMaxDeflateRatio = 1032;

quint16 le16(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
quint32 le32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }

quint64 unpackedLimit(qsizetype fileSize)
{
    return std::clamp<quint64>(quint64(fileSize) * kUnpackedPerPackedByte, kLeastUnpackedLimit, kMostUnpackedLimit);
}

[[noreturn]] void damagedSize(const QString &what)
{
    throw SheetError(QStringLiteral("压缩包的大小信息有误（%1）").arg(what));
}

// The archive's end record: the last one in the file, wherever it lies (a comment or data may
// follow it). A file without one is no package.
qsizetype endRecordOf(const QByteArray &zip)
{
    static const QByteArray signature("PK\x05\x06", 4);
    const qsizetype end = zip.size() < 22 ? -1 : zip.lastIndexOf(signature, zip.size() - 22);
    if (end < 0)
        throw SheetError(QStringLiteral("不是有效的压缩包（找不到目录结尾）"));
    return end;
}

// One part's data as it lies in the file.
struct PartEntry {
    QByteArray name;
    quint16 method = 0;
    quint32 crc = 0;
    qsizetype dataStart = 0;
    quint64 packed = 0;
    quint64 unpacked = 0;
};

// Every size and position that the archive's end record, central directory and local headers
// declare is checked against the file itself before anything is unpacked. A part must lie inside
// the file before the central directory, declare in its local header what the directory declares
// (or nothing, when a data descriptor follows it), and not claim to unpack to more than deflate
// can make of its packed size; no two entries may name the same part or the same data; all parts
// together must stay under the limit. Zip64 archives (sizes of 0xFFFFFFFF) and encrypted parts
// are not packages of any program we read.
std::vector<PartEntry> directoryOf(const QByteArray &zip)
{
    const qsizetype end = endRecordOf(zip);
    const quint16 countHere = le16(zip, end + 8);
    const quint16 count = le16(zip, end + 10);
    const quint64 directorySize = le32(zip, end + 12);
    const quint64 directoryStart = le32(zip, end + 16);
    if (count == 0xFFFF || countHere == 0xFFFF || directorySize == 0xFFFFFFFFu || directoryStart == 0xFFFFFFFFu)
        damagedSize(QStringLiteral("ZIP64"));
    const quint64 directoryEnd = directoryStart + directorySize;
    if (directoryEnd > quint64(end))
        damagedSize(QStringLiteral("目录超出文件"));
    // Every entry the directory holds is checked, however a reader counts them: the two counts
    // of the end record and the entries that fill the directory must all agree.
    if (countHere != count)
        damagedSize(QStringLiteral("目录项数"));
    std::vector<PartEntry> entries;
    QSet<QByteArray> names;
    QSet<quint64> places;
    quint64 total = 0;
    qsizetype at = qsizetype(directoryStart);
    int i = 0;
    for (; quint64(at) < directoryEnd; ++i) {
        if (i >= count || quint64(at) + 46 > directoryEnd || le32(zip, at) != 0x02014b50)
            damagedSize(QStringLiteral("目录项%1").arg(i + 1));
        PartEntry entry;
        const quint16 flags = le16(zip, at + 8);
        entry.method = le16(zip, at + 10);
        entry.crc = le32(zip, at + 16);
        entry.packed = le32(zip, at + 20);
        entry.unpacked = le32(zip, at + 24);
        const quint64 local = le32(zip, at + 42);
        const qsizetype nameLength = le16(zip, at + 28);
        if (quint64(at) + 46 + quint64(nameLength) > directoryEnd)
            damagedSize(QStringLiteral("目录项%1").arg(i + 1));
        entry.name = zip.mid(at + 46, nameLength);
        if (entry.packed == 0xFFFFFFFFu || entry.unpacked == 0xFFFFFFFFu || local == 0xFFFFFFFFu)
            damagedSize(QStringLiteral("ZIP64"));
        if (flags & 0x0001)
            throw SheetError(QStringLiteral("部件“%1”已加密").arg(QString::fromUtf8(entry.name)));
        if (entry.unpacked > entry.packed * kMaxDeflateRatio + 1024)
            throw SheetError(QStringLiteral("压缩包解开后过大"));
        if (local + 30 > directoryStart || le32(zip, qsizetype(local)) != 0x04034b50)
            damagedSize(QStringLiteral("部件%1的位置").arg(i + 1));
        const quint64 dataStart = local + 30 + le16(zip, qsizetype(local) + 26) + le16(zip, qsizetype(local) + 28);
        if (dataStart + entry.packed > directoryStart)
            damagedSize(QStringLiteral("部件%1的压缩大小").arg(i + 1));
        const quint64 localPacked = le32(zip, qsizetype(local) + 18);
        const quint64 localUnpacked = le32(zip, qsizetype(local) + 22);
        const bool described = (flags & 0x0008) && localPacked == 0 && localUnpacked == 0;
        if (!described && (localPacked != entry.packed || localUnpacked != entry.unpacked))
            damagedSize(QStringLiteral("部件%1的本地头").arg(i + 1));
        if (names.contains(entry.name) || places.contains(local))
            throw SheetError(QStringLiteral("压缩包中的部件“%1”重复").arg(QString::fromUtf8(entry.name)));
        names.insert(entry.name);
        places.insert(local);
        entry.dataStart = qsizetype(dataStart);
        total += entry.unpacked;
        if (total > unpackedLimit(zip.size()))
            throw PackageTooLarge(QStringLiteral("解开后超过%1 MB的上限").arg(unpackedLimit(zip.size()) / (1024 * 1024)));
        entries.push_back(entry);
        at += 46 + nameLength + le16(zip, at + 30) + le16(zip, at + 32);
    }
    if (quint64(at) != directoryEnd || i != count)
        damagedSize(QStringLiteral("目录项数"));
    return entries;
}

// A part's data, unpacked to exactly the size its entry declares and checked against its CRC.
QByteArray unpackedPart(const QByteArray &zip, const PartEntry &entry)
{
    const QString name = QString::fromUtf8(entry.name);
    QByteArray data;
    if (entry.method == 0) {
        if (entry.packed != entry.unpacked)
            damagedSize(QStringLiteral("部件“%1”").arg(name));
        data = zip.mid(entry.dataStart, qsizetype(entry.packed));
    } else if (entry.method == 8) {
        data = QByteArray(qsizetype(entry.unpacked), Qt::Uninitialized);
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            throw SheetError(QStringLiteral("无法解开部件“%1”").arg(name));
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zip.constData() + entry.dataStart));
        stream.avail_in = uInt(entry.packed);
        stream.next_out = reinterpret_cast<Bytef *>(data.data());
        stream.avail_out = uInt(data.size());
        const int result = inflate(&stream, Z_FINISH);
        const quint64 made = stream.total_out;
        inflateEnd(&stream);
        if (result != Z_STREAM_END || made != entry.unpacked)
            throw SheetError(QStringLiteral("无法解开部件“%1”").arg(name));
    } else {
        throw SheetError(QStringLiteral("部件“%1”的压缩方式不受支持").arg(name));
    }
    if (quint32(::crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()))) != entry.crc)
        throw SheetError(QStringLiteral("部件“%1”的校验和不符").arg(name));
    return data;
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// A zip archive of stored (uncompressed) entries.
QByteArray storedZip(const QList<QPair<QByteArray, QByteArray>> &entries)
{
    QByteArray out, directory;
    for (const auto &[name, data] : entries) {
        const quint32 offset = quint32(out.size());
        const quint32 crc = quint32(::crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
        auto header = [&](QByteArray &to, bool central) {
            put32(to, central ? 0x02014b50 : 0x04034b50);
            if (central)
                put16(to, 20);
            put16(to, 20);     // version needed
            put16(to, 0x0800); // names in UTF-8
            put16(to, 0);      // stored
            put16(to, 0);      // time
            put16(to, 0x21);   // 1980-01-01
            put32(to, crc);
            put32(to, quint32(data.size()));
            put32(to, quint32(data.size()));
            put16(to, quint16(name.size()));
            put16(to, 0);
            if (central) {
                put16(to, 0); // comment
                put16(to, 0); // disk
                put16(to, 0); // internal attributes
                put32(to, 0); // external attributes
                put32(to, offset);
            }
            to.append(name);
        };
        header(out, false);
        out.append(data);
        header(directory, true);
    }
    const quint32 directoryOffset = quint32(out.size());
    out.append(directory);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

// "/xl/worksheets/sheet1.xml" seen from the folder "xl" is "worksheets/sheet1.xml".
QString relativeTarget(const QString &fromFolder, const QString &absolute)
{
    QStringList from = fromFolder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList to = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    while (!from.isEmpty() && !to.isEmpty() && from.front() == to.front()) {
        from.pop_front();
        to.pop_front();
    }
    QStringList parts;
    for (qsizetype i = 0; i < from.size(); ++i)
        parts << QStringLiteral("..");
    parts << to;
    return parts.join(QLatin1Char('/'));
}

// Relationship targets written as absolute paths, made relative to the part they
// belong to ("xl/_rels/workbook.xml.rels" belongs to a part in "xl").
void rewriteRelationships(const QString &entryName, QByteArray &xml)
{
    if (!xml.contains("Target=\"/"))
        return;
    QString folder = entryName.section(QStringLiteral("_rels/"), 0, 0);
    if (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    static const QRegularExpression target(QStringLiteral("Target=\"(/[^\"]*)\""));
    QString text = QString::fromUtf8(xml);
    QString result;
    qsizetype last = 0;
    for (auto it = target.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        result += QStringView(text).mid(last, m.capturedStart() - last);
        result += QStringLiteral("Target=\"%1\"").arg(relativeTarget(folder, m.captured(1)));
        last = m.capturedEnd();
    }
    result += QStringView(text).mid(last);
    xml = result.toUtf8();
}

// The text runs of an inline string, phonetic runs left out; still XML-escaped.
QByteArray inlineText(const QByteArray &inner)
{
    QByteArray text;
    qsizetype pos = 0;
    while (true) {
        const qsizetype phonetic = inner.indexOf("<rPh", pos);
        qsizetype open = inner.indexOf("<t", pos);
        if (open < 0)
            break;
        if (phonetic >= 0 && phonetic < open) {
            const qsizetype close = inner.indexOf("</rPh>", phonetic);
            if (close < 0)
                break;
            pos = close + 6;
            continue;
        }
        const char after = open + 2 < inner.size() ? inner.at(open + 2) : '\0';
        if (after != '>' && after != ' ' && after != '/') { // <text...> is no run
            pos = open + 2;
            continue;
        }
        const qsizetype start = inner.indexOf('>', open);
        if (start < 0)
            break;
        if (inner.at(start - 1) == '/') { // <t/>
            pos = start + 1;
            continue;
        }
        const qsizetype end = inner.indexOf("</t>", start);
        if (end < 0)
            break;
        text += inner.mid(start + 1, end - start - 1);
        pos = end + 4;
    }
    return text;
}

// Cells holding inline strings rewritten as cells holding a formula result text, which
// liborcus does read: <c t="inlineStr"><is><t>x</t></is></c> -> <c t="str"><f>0</f><v>x</v></c>.
void rewriteInlineStrings(QByteArray &xml)
{
    static const QByteArray marker = "t=\"inlineStr\"";
    if (!xml.contains(marker))
        return;
    QByteArray out;
    out.reserve(xml.size());
    qsizetype pos = 0;
    while (true) {
        const qsizetype at = xml.indexOf(marker, pos);
        if (at < 0)
            break;
        const qsizetype tagEnd = xml.indexOf('>', at);
        if (tagEnd < 0)
            break;
        if (xml.at(tagEnd - 1) == '/') { // an empty inline cell: leave it
            out += xml.mid(pos, tagEnd + 1 - pos);
            pos = tagEnd + 1;
            continue;
        }
        const qsizetype cellEnd = xml.indexOf("</c>", tagEnd);
        if (cellEnd < 0)
            break;
        out += xml.mid(pos, at - pos);
        out += "t=\"str\"";
        out += xml.mid(at + marker.size(), tagEnd - at - marker.size());
        out += "><f>0</f><v>";
        out += inlineText(xml.mid(tagEnd + 1, cellEnd - tagEnd - 1));
        out += "</v></c>";
        pos = cellEnd + 4;
    }
    out += xml.mid(pos);
    xml = out;
}

// True when every numeric character reference (&#...; or &#x...;) names a Unicode
// character.
bool characterReferencesValid(const QByteArray &xml)
{
    for (qsizetype at = xml.indexOf("&#"); at >= 0; at = xml.indexOf("&#", at + 2)) {
        qsizetype i = at + 2;
        const bool hex = i < xml.size() && xml.at(i) == 'x';
        if (hex)
            ++i;
        quint64 value = 0;
        qsizetype digits = 0;
        for (; i < xml.size() && xml.at(i) != ';'; ++i, ++digits) {
            const char ch = xml.at(i);
            int digit = -1;
            if (ch >= '0' && ch <= '9')
                digit = ch - '0';
            else if (hex && ch >= 'a' && ch <= 'f')
                digit = ch - 'a' + 10;
            else if (hex && ch >= 'A' && ch <= 'F')
                digit = ch - 'A' + 10;
            if (digit < 0 || digits > 8)
                return false;
            value = value * (hex ? 16 : 10) + quint64(digit);
        }
        if (i >= xml.size() || digits == 0 || value == 0 || value > 0x10FFFF)
            return false;
    }
    return true;
}

// Column ranges and repeats make liborcus loop once per column, row or cell they cover, so they
// must stay inside the grid (16384 columns, 1048576 rows), and the cells holding a value that the
// repeats make must stay countable: a few bytes of XML could otherwise keep it busy for minutes.
class GridSpans {
public:
    explicit GridSpans(const QString &part) : m_part(part) {}

    void check(const QXmlStreamReader &xml)
    {
        // Only these elements repeat: the attributes of the others are never looked at (that would
        // cost more than reading them).
        const QStringView name = xml.qualifiedName();
        const bool column = name == QLatin1String("col") || name.endsWith(QLatin1String(":col"));
        if (!column && !name.startsWith(QLatin1String("table:")))
            return;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (column) {
            within(attributes.value(QLatin1String("min")), kColumns);
            within(attributes.value(QLatin1String("max")), kColumns);
        }
        const qint64 columns = within(attributes.value(QLatin1String("table:number-columns-repeated")), kColumns);
        const qint64 rows = within(attributes.value(QLatin1String("table:number-rows-repeated")), kRows);
        if (name == QLatin1String("table:table-row"))
            m_rowRepeat = rows;
        else if (name == QLatin1String("table:table-cell") && attributes.hasAttribute(QLatin1String("office:value-type"))) {
            m_filledCells += m_rowRepeat * columns;
            if (m_filledCells > kFilledCells)
                throw PackageTooLarge(QStringLiteral("重复的单元格超过%1个的上限").arg(kFilledCells));
        }
    }

private:
    static constexpr qint64 kColumns = 16384;
    static constexpr qint64 kRows = 1048576;
    static constexpr qint64 kFilledCells = 1000000;

    // The number an attribute holds (1 when it is absent), refused beyond `most`.
    qint64 within(QStringView text, qint64 most) const
    {
        if (text.isEmpty())
            return 1;
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok || n < 0 || n > most)
            throw SheetError(QStringLiteral("部件“%1”中的行列数超出表格范围（%2）").arg(m_part, text));
        return n;
    }

    QString m_part;
    qint64 m_rowRepeat = 1;
    qint64 m_filledCells = 0;
};

// The parts of a package, each checked.
QList<QPair<QByteArray, QByteArray>> checkedParts(const QByteArray &file)
{
    QList<QPair<QByteArray, QByteArray>> parts;
    for (const PartEntry &entry : directoryOf(file))
        parts.append({entry.name, unpackedPart(file, entry)});
    if (parts.isEmpty())
        throw SheetError(QStringLiteral("压缩包是空的"));
    for (const auto &[name, data] : parts) {
        if (!name.endsWith(".xml") && !name.endsWith(".rels"))
            continue;
        const QString part = QString::fromUtf8(name);
        if (!characterReferencesValid(data))
            throw SheetError(QStringLiteral("部件“%1”中有无效的字符引用").arg(part));
        // liborcus's own parser may read past the end of malformed XML: only
        // well-formed parts reach it.
        QXmlStreamReader xml(data);
        xml.setNamespaceProcessing(false);
        GridSpans spans(part);
        int depth = 0;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement) {
                --depth;
            } else if (token == QXmlStreamReader::StartElement) {
                if (++depth > kMaxNesting)
                    throw SheetError(QStringLiteral("部件“%1”中的XML嵌套超过%2层").arg(part).arg(kMaxNesting));
                spans.check(xml);
            }
        }
        if (xml.hasError())
            throw SheetError(QStringLiteral("部件“%1”不是完整的XML（%2）").arg(part, xml.errorString()));
    }
    return parts;
}

int activeTabOf(const QByteArray &workbookXml)
{
    static const QRegularExpression activeTab(QStringLiteral("<(?:\\w+:)?workbookView\\b[^>]*\\bactiveTab=\"(\\d{1,5})\""));
    const auto m = activeTab.match(QString::fromUtf8(workbookXml.left(1 << 20)));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

QByteArray prepareOds(const QByteArray &file)
{
    return storedZip(checkedParts(file));
}

PreparedXlsx prepareXlsx(const QByteArray &file)
{
    PreparedXlsx prepared;
    auto parts = checkedParts(file);
    for (auto &[name, data] : parts) {
        const QString nameText = QString::fromUtf8(name);
        if (nameText.endsWith(QLatin1String(".rels")))
            rewriteRelationships(nameText, data);
        else if (nameText.startsWith(QLatin1String("xl/worksheets/")) && nameText.endsWith(QLatin1String(".xml")))
            rewriteInlineStrings(data);
        else if (nameText == QLatin1String("xl/workbook.xml"))
            prepared.activeTab = activeTabOf(data);
    }
    prepared.package = storedZip(parts);
    return prepared;
}

} // namespace sheet
