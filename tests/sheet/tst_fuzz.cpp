// A bounded fuzz test of the file readers: mutants of the fixtures of each format (.xls, .xlsx,
// .ods, .csv) are read by read_probe, each under an address space of 512 MB and within 10 s. Any
// crash, hang or exhausted memory fails the test, and the input is kept.
//
// TAVRIN_FUZZ_MUTANTS  mutants per format (default 2000; the sanitizer build registers 300)
// TAVRIN_FUZZ_SECONDS  keep making batches of that many mutants for this many seconds per format
//                      (the long run outside the suite; unset: one batch)
// TAVRIN_FUZZ_PEAK_MB  bound on a reader's peak resident memory (default 256; the sanitizer build 1536)
// TAVRIN_FUZZ_SEED     seed of the mutations (default 20261209); the same seed makes the same files
// TAVRIN_FUZZ_KEEP     folder for the inputs that failed (default: fuzz-failures beside the test); when
//                      set, every hostile file goes there too (to measure other builds with them)

#include "sheet/CellValue.h"
#include "sheet/Ole2.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

#include <algorithm>
#include <functional>
#include <tuple>

namespace {

int mutantsPerFormat()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("TAVRIN_FUZZ_MUTANTS", &ok);
    return ok && n >= 0 ? n : 2000;
}

// Seconds to keep making batches of mutants per format (the long run outside the suite); 0: one batch.
qint64 fuzzSeconds()
{
    return qEnvironmentVariableIntValue("TAVRIN_FUZZ_SECONDS");
}

quint32 seed()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("TAVRIN_FUZZ_SEED", &ok);
    return ok ? quint32(n) : 20261209u;
}

QString keepFolder()
{
    const QString set = qEnvironmentVariable("TAVRIN_FUZZ_KEEP");
    return set.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fuzz-failures")) : set;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The fixtures of one format: the golden inputs of the spreadsheet tests, the catalogue fixtures and
// the demo catalogues.
QList<QByteArray> seedsOf(const QString &extension)
{
    QList<QByteArray> seeds;
    for (const char *folder : {"tests/sheet/golden", "tests/catalogue/fixtures", "demo"}) {
        QDirIterator it(QStringLiteral(TAVRIN_SOURCE_DIR "/") + QLatin1String(folder), {QStringLiteral("*.") + extension},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            seeds << readFile(it.next());
    }
    return seeds;
}

// The parts of a zip package, unpacked (stored and deflated parts; others are left out).
QList<QPair<QByteArray, QByteArray>> unzip(const QByteArray &zip)
{
    QList<QPair<QByteArray, QByteArray>> parts;
    const auto le16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(zip.constData() + at); };
    const auto le32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(zip.constData() + at); };
    for (qsizetype at = 0; at + 30 <= zip.size() && le32(at) == 0x04034b50;) {
        const quint16 method = le16(at + 8);
        const qsizetype packed = le32(at + 18);
        const qsizetype unpacked = le32(at + 22);
        const qsizetype nameLength = le16(at + 26);
        const qsizetype data = at + 30 + nameLength + le16(at + 28);
        if ((le16(at + 6) & 0x0008) || data + packed > zip.size())
            break; // sizes in a data descriptor: not in the fixtures
        const QByteArray name = zip.mid(at + 30, nameLength);
        if (method == 0) {
            parts.append({name, zip.mid(data, packed)});
        } else if (method == 8) {
            QByteArray out(unpacked, Qt::Uninitialized);
            z_stream stream{};
            inflateInit2(&stream, -MAX_WBITS);
            stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zip.constData() + data));
            stream.avail_in = uInt(packed);
            stream.next_out = reinterpret_cast<Bytef *>(out.data());
            stream.avail_out = uInt(out.size());
            const int rc = inflate(&stream, Z_FINISH);
            inflateEnd(&stream);
            if (rc == Z_STREAM_END)
                parts.append({name, out});
        }
        at = data + packed;
    }
    return parts;
}

// A zip package of stored parts with correct checksums.
QByteArray zipStored(const QList<QPair<QByteArray, QByteArray>> &parts)
{
    QByteArray zip;
    QByteArray directory;
    const auto put16 = [](QByteArray &b, quint16 v) { char x[2]; qToLittleEndian(v, x); b.append(x, 2); };
    const auto put32 = [](QByteArray &b, quint32 v) { char x[4]; qToLittleEndian(v, x); b.append(x, 4); };
    for (const auto &[name, data] : parts) {
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
        const quint32 offset = quint32(zip.size());
        put32(zip, 0x04034b50); put16(zip, 20); put16(zip, 0); put16(zip, 0); put16(zip, 0); put16(zip, 0x21);
        put32(zip, crc); put32(zip, quint32(data.size())); put32(zip, quint32(data.size()));
        put16(zip, quint16(name.size())); put16(zip, 0);
        zip += name;
        zip += data;
        put32(directory, 0x02014b50); put16(directory, 20); put16(directory, 20); put16(directory, 0);
        put16(directory, 0); put16(directory, 0); put16(directory, 0x21); put32(directory, crc);
        put32(directory, quint32(data.size())); put32(directory, quint32(data.size()));
        put16(directory, quint16(name.size())); put16(directory, 0); put16(directory, 0); put16(directory, 0);
        put16(directory, 0); put32(directory, 0); put32(directory, offset);
        directory += name;
    }
    const quint32 start = quint32(zip.size());
    zip += directory;
    put32(zip, 0x06054b50); put16(zip, 0); put16(zip, 0); put16(zip, quint16(parts.size()));
    put16(zip, quint16(parts.size())); put32(zip, quint32(directory.size())); put32(zip, start); put16(zip, 0);
    return zip;
}

// Raw deflate of `data`, as zip packages hold their parts.
QByteArray deflated(const QByteArray &data)
{
    QByteArray out(qsizetype(compressBound(uLong(data.size())) + 64), Qt::Uninitialized);
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// How a hostile package is laid out around its parts.
struct ZipLayout {
    quint32 declaredUnpacked = 0;  // when set, what every part claims to unpack to (directory and local header)
    int directoryCopies = 1;       // the directory's entries, repeated this many times
    quint16 commentLength = 0;     // the end record's comment, filled with this many bytes
    qsizetype trailingBytes = 0;   // bytes after the end record and its comment
};

// A zip package of deflated parts laid out as `layout` says.
QByteArray zipDeflated(const QList<QPair<QByteArray, QByteArray>> &parts, const ZipLayout &layout = {})
{
    QByteArray zip, directory;
    const auto put16 = [](QByteArray &b, quint16 v) { char x[2]; qToLittleEndian(v, x); b.append(x, 2); };
    const auto put32 = [](QByteArray &b, quint32 v) { char x[4]; qToLittleEndian(v, x); b.append(x, 4); };
    QByteArray entries;
    for (const auto &[name, data] : parts) {
        const bool stored = name == "mimetype"; // OpenDocument names its kind unpacked, first
        const QByteArray packed = stored ? data : deflated(data);
        const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
        const quint32 unpacked = layout.declaredUnpacked ? layout.declaredUnpacked : quint32(data.size());
        const quint32 offset = quint32(zip.size());
        put32(zip, 0x04034b50); put16(zip, 20); put16(zip, 0); put16(zip, stored ? 0 : 8); put16(zip, 0); put16(zip, 0x21);
        put32(zip, crc); put32(zip, quint32(packed.size())); put32(zip, unpacked);
        put16(zip, quint16(name.size())); put16(zip, 0);
        zip += name;
        zip += packed;
        put32(entries, 0x02014b50); put16(entries, 20); put16(entries, 20); put16(entries, 0);
        put16(entries, stored ? 0 : 8); put16(entries, 0); put16(entries, 0x21); put32(entries, crc);
        put32(entries, quint32(packed.size())); put32(entries, unpacked);
        put16(entries, quint16(name.size())); put16(entries, 0); put16(entries, 0); put16(entries, 0);
        put16(entries, 0); put32(entries, 0); put32(entries, offset);
        entries += name;
    }
    directory = entries.repeated(layout.directoryCopies);
    const quint16 count = quint16(qMin<qsizetype>(0xFFFE, parts.size() * layout.directoryCopies));
    const quint32 start = quint32(zip.size());
    zip += directory;
    put32(zip, 0x06054b50); put16(zip, 0); put16(zip, 0); put16(zip, count); put16(zip, count);
    put32(zip, quint32(directory.size())); put32(zip, start); put16(zip, layout.commentLength);
    zip += QByteArray(layout.commentLength, 'c');
    zip += QByteArray(layout.trailingBytes, 't');
    return zip;
}

// The parts of a package with one part's content replaced (or added).
QList<QPair<QByteArray, QByteArray>> withPart(QList<QPair<QByteArray, QByteArray>> parts, const QByteArray &name,
                                              const QByteArray &content)
{
    for (auto &part : parts)
        if (part.first == name) {
            part.second = content;
            return parts;
        }
    parts.append({name, content});
    return parts;
}

// A BIFF8 workbook stream (in its compound file) whose `entries` sheet entries all name one sheet
// of `rows` number cells.
QByteArray xlsWithSheetEntries(int entries, int rows)
{
    const auto record = [](quint16 type, const QByteArray &body) {
        QByteArray r(4, '\0');
        qToLittleEndian(type, r.data());
        qToLittleEndian(quint16(body.size()), r.data() + 2);
        return r + body;
    };
    const auto bof = [&](quint16 kind) {
        QByteArray body(16, '\0');
        qToLittleEndian<quint16>(0x0600, body.data());
        qToLittleEndian<quint16>(kind, body.data() + 2);
        return record(0x0809, body);
    };
    const QByteArray name = QByteArrayLiteral("\x05\x00Sheet"); // length, flags, Latin-1 text
    const qsizetype entrySize = 4 + 6 + name.size();
    const qsizetype sheetOffset = bof(0x0005).size() + entrySize * entries + 4;
    QByteArray stream = bof(0x0005);
    for (int i = 0; i < entries; ++i) {
        QByteArray body(6, '\0');
        qToLittleEndian<quint32>(quint32(sheetOffset), body.data());
        stream += record(0x0085, body + name);
    }
    stream += record(0x000A, {});
    stream += bof(0x0010);
    for (int r = 0; r < rows; ++r) {
        QByteArray body(14, '\0');
        qToLittleEndian<quint16>(quint16(r), body.data());
        qToLittleEndian<double>(r, body.data() + 6);
        stream += record(0x0203, body);
    }
    stream += record(0x000A, {});
    return sheet::makeCompoundFile(stream);
}

// Files that know the structures of their formats and aim at the readers' time and memory: zip end
// records far behind the directory, directories repeated, XML nested millions deep, sheets of a
// million repeated rows, .xls files whose sheet entries all name one sheet, a text file of tiny
// cells. Each is at most 1 MB, as a clerk's file could be.
QList<QPair<QString, QByteArray>> hostileFiles()
{
    QList<QPair<QString, QByteArray>> files;
    const auto xlsx = unzip(seedsOf(QStringLiteral("xlsx")).value(0));
    const auto ods = unzip(seedsOf(QStringLiteral("ods")).value(0));
    const QByteArray worksheet = "xl/worksheets/sheet1.xml";
    // The end record behind a long comment or trailing data, where a search of the last 64 KB misses
    // it, in front of parts that claim to unpack to 4 GB.
    files << QPair{QStringLiteral("end-record-behind-trailing-data.xlsx"),
                   zipDeflated(xlsx, {0xFFFFFFF0u, 1, 0, 70000})};
    files << QPair{QStringLiteral("end-record-behind-comment.xlsx"), zipDeflated(xlsx, {0xFFFFFFF0u, 1, 0xFFFF, 1000})};
    files << QPair{QStringLiteral("end-record-behind-comment.ods"), zipDeflated(ods, {0xFFFFFFF0u, 1, 0xFFFF, 1000})};
    // One directory naming every part 500 times.
    const QByteArray bigSheet = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                                + QByteArray("<row><c t=\"n\"><v>1</v></c></row>").repeated(300000)
                                + "</sheetData></worksheet>";
    files << QPair{QStringLiteral("directory-repeated.xlsx"), zipDeflated(withPart(xlsx, worksheet, bigSheet), {0, 500})};
    // Styles nested two million deep.
    const int depth = 2000000;
    files << QPair{QStringLiteral("styles-nested.xlsx"),
                   zipDeflated(withPart(xlsx, "xl/styles.xml",
                                        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                            + QByteArray("<a>").repeated(depth) + QByteArray("</a>").repeated(depth)
                                            + "</styleSheet>"))};
    // Sheets of a million rows (past the limit of unpacked parts) and of a hundred and fifty thousand
    // (read: more would make the test slow, not the reader), each row repeating one cell (a number of
    // its own now and then, so that deflate could have made it).
    for (const int rows : {1000000, 150000}) {
        QByteArray sheetXml = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
        for (int r = 0; r < rows; r += 50)
            sheetXml += QByteArray("<row><c t=\"n\"><v>1</v></c></row>").repeated(49) + "<row><c t=\"n\"><v>"
                        + QByteArray::number(r) + "</v></c></row>";
        files << QPair{QStringLiteral("rows-%1.xlsx").arg(rows),
                       zipDeflated(withPart(xlsx, worksheet, sheetXml + "</sheetData></worksheet>"))};
    }
    // Rows repeated to fill the grid, with values and with styles only.
    const QByteArray odsHead = "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                               " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                               " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                               "<office:spreadsheet><table:table table:name=\"A\">";
    const QByteArray odsTail = "</table:table></office:spreadsheet></office:body></office:document-content>";
    const auto odsOfRows = [&](const QByteArray &rows) { return zipDeflated(withPart(ods, "content.xml", odsHead + rows + odsTail)); };
    files << QPair{QStringLiteral("rows-repeated-values.ods"),
                   odsOfRows(QByteArray("<table:table-row table:number-rows-repeated=\"1000\"><table:table-cell"
                                        " office:value-type=\"float\" office:value=\"1\" table:number-columns-repeated=\"1000\"/>"
                                        "</table:table-row>")
                                 .repeated(1000))};
    files << QPair{QStringLiteral("rows-repeated-styles.ods"),
                   odsOfRows("<table:table-row table:number-rows-repeated=\"1048575\"><table:table-cell"
                             " table:style-name=\"ce1\" table:number-columns-repeated=\"16384\"/></table:table-row>")};
    // Sheet entries that all name one sheet.
    files << QPair{QStringLiteral("sheet-entries-1250.xls"), xlsWithSheetEntries(1250, 20000)};
    files << QPair{QStringLiteral("sheet-entries-30000.xls"), xlsWithSheetEntries(30000, 2000)};
    // 400 KB of one-character cells.
    files << QPair{QStringLiteral("tiny-cells.csv"), (QByteArray("1,").repeated(999) + "1\n").repeated(200)};
    return files;
}

// `parts` packed as zipStored does, but the part `name` deflated from `unpacked`, its headers saying so.
QByteArray zipWithDeflatedPart(QList<QPair<QByteArray, QByteArray>> parts, const QByteArray &name,
                               const QByteArray &unpacked)
{
    const QByteArray packed = deflated(unpacked);
    for (auto &part : parts)
        if (part.first == name)
            part.second = packed;
    QByteArray zip = zipStored(parts);
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(unpacked.constData()), uInt(unpacked.size())));
    // local header: method at 8, checksum at 14, unpacked size at 22, name at 30; directory entry: 10, 16, 24, 46
    for (const auto &[signature, method, nameAt] : {std::tuple{"PK\x03\x04", 8, 30}, std::tuple{"PK\x01\x02", 10, 46}})
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 4))
            if (zip.mid(at + nameAt, name.size()) == name) {
                qToLittleEndian<quint16>(8, zip.data() + at + method);
                qToLittleEndian<quint32>(crc, zip.data() + at + method + 6);
                qToLittleEndian<quint32>(quint32(unpacked.size()), zip.data() + at + method + 14);
            }
    return zip;
}

// Mutations of a file's bytes; zip packages also get their size and position fields hit directly.
class Mutator {
public:
    explicit Mutator(quint32 seed) : m_random(seed) {}

    // Half of a package's mutants keep a sound zip around a mutated XML part (the readers of the
    // parts are reached only so: a changed byte of a packed part fails its checksum).
    QByteArray mutate(QByteArray data, bool zip)
    {
        if (zip && m_random.bounded(2) == 0) {
            QList<QPair<QByteArray, QByteArray>> parts = unzip(data);
            if (!parts.isEmpty()) {
                auto &part = parts[qsizetype(m_random.bounded(quint32(parts.size())))];
                part.second = mutateBytes(part.second, false, true);
                return zipStored(parts);
            }
        }
        return mutateBytes(data, zip, false);
    }

private:
    // Size-keeping mutations come as often as the others, so that many mutants get past the first
    // checks of their format.
    QByteArray mutateBytes(QByteArray data, bool zip, bool xml)
    {
        const int rounds = 1 + int(m_random.bounded(3));
        for (int i = 0; i < rounds && !data.isEmpty(); ++i) {
            if (xml) {
                // Mostly values put where values go, so the part stays well-formed and is read.
                switch (m_random.bounded(6)) {
                case 0: case 1: case 2: replaceValue(data, QByteArrayLiteral("=\""), '"'); continue;
                case 3: replaceValue(data, QByteArrayLiteral(">"), '<'); continue;
                case 4: insertMarkup(data); continue;
                default: break;
                }
            }
            const quint32 sizeKeeping = zip ? 3 : 2;
            if (m_random.bounded(2) == 0) {
                switch (m_random.bounded(sizeKeeping)) {
                case 0: flipBits(data); break;
                case 1: putInteresting(data, position(data)); break;
                case 2: hitZipField(data); break;
                }
                continue;
            }
            switch (m_random.bounded(4)) {
            case 0: data.truncate(position(data)); break;
            case 1: insertChunk(data); break;
            case 2: removeChunk(data); break;
            case 3: insertText(data); break;
            }
        }
        return data;
    }

    // The text between a random `opening` and the next `closing` (an attribute's value, a text)
    // becomes a value that readers of sheets may take badly.
    void replaceValue(QByteArray &data, const QByteArray &opening, char closing)
    {
        static const char *values[] = {"16384", "1048576", "1048577", "2147483647", "4294967296", "-1", "0", "",
                                       "XFD1048576", "A0", "ZZZZ1", "A1:XFD1048576", "B2:A1", "1e999", "NaN", "inf",
                                       "-5", "99999", "s", "e", "n", "str", "inlineStr", "b", "float", "date",
                                       "percentage", "currency", "string", "boolean", "time", "PT999999H",
                                       "0000-00-00", "-99999-01-01T00:00:00", "&#x10FFFF;", "&#xD800;", "&#0;",
                                       "0.5e-400", "1.7976931348623157e308", "\xE4\xB8\xAD", " ", "#,##0.00",
                                       "[$-F800]dddd", "general", "\"\""};
        const qsizetype from = data.indexOf(opening, position(data));
        if (from < 0)
            return;
        const qsizetype begin = from + opening.size();
        const qsizetype end = data.indexOf(closing, begin);
        if (end < 0)
            return;
        data.replace(begin, end - begin, QByteArray(values[m_random.bounded(quint32(std::size(values)))]));
    }

    // Markup that makes readers of sheet XML build large or odd grids, or meet odd references.
    void insertMarkup(QByteArray &data)
    {
        static const char *pieces[] = {
            " table:number-columns-repeated=\"16384\"", " table:number-rows-repeated=\"1048576\"",
            " table:number-columns-repeated=\"2147483647\"", " table:number-rows-repeated=\"-1\"",
            " r=\"XFD1048576\"", " r=\"A0\"", " r=\"ZZZZ99999999\"", " r=\"1048577\"", " s=\"99999\"", " t=\"s\"",
            " t=\"e\"", " t=\"inlineStr\"", "<v>4294967295</v>", "<v>-1</v>", "<v>NaN</v>", "<v>1e999</v>",
            "<c r=\"B2\" t=\"s\"><v>999999</v></c>", "<row r=\"0\">", "</row>", "</c>", "<![CDATA[", "&#x10FFFF;",
            "&amp;", "&unknown;", "<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">]>", "<!-- ", "<?xml version=\"1.0\"?>",
            " office:value-type=\"float\" office:value=\"inf\"", " office:value=\"-5\"", "<text:p>",
            "<table:table-cell/>", "<table:table-row>", " ref=\"A1:XFD1048576\"", "<sheetData>", "<si><t>",
            "\xEF\xBB\xBF", "\xC3\x28", "\"", "<", ">", "/", "="};
        const char *piece = pieces[m_random.bounded(quint32(std::size(pieces)))];
        // Mostly right after a tag's name or inside a tag, where attributes go.
        qsizetype at = position(data);
        const qsizetype space = data.indexOf(' ', at);
        if (space >= 0 && m_random.bounded(2) == 0)
            at = space;
        data.insert(at, QByteArray(piece));
    }

    qsizetype position(const QByteArray &data) { return qsizetype(m_random.bounded(quint32(data.size()))); }

    void flipBits(QByteArray &data)
    {
        const int flips = 1 + int(m_random.bounded(8));
        for (int i = 0; i < flips; ++i)
            data[position(data)] = char(data[position(data)] ^ (1 << m_random.bounded(8)));
    }

    void putInteresting(QByteArray &data, qsizetype at)
    {
        static const quint32 values[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF,
                                         0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x10000};
        const quint32 value = values[m_random.bounded(quint32(std::size(values)))];
        const int width = 1 << m_random.bounded(3); // 1, 2 or 4 bytes
        char bytes[4];
        qToLittleEndian(value, bytes);
        for (int i = 0; i < width && at + i < data.size(); ++i)
            data[at + i] = bytes[i];
    }

    void insertChunk(QByteArray &data)
    {
        const qsizetype from = position(data);
        const QByteArray chunk = data.mid(from, 1 + m_random.bounded(512));
        const int copies = 1 + int(m_random.bounded(4));
        const qsizetype at = position(data);
        for (int i = 0; i < copies; ++i)
            data.insert(at, chunk);
    }

    void removeChunk(QByteArray &data)
    {
        const qsizetype at = position(data);
        data.remove(at, 1 + m_random.bounded(256));
    }

    void insertText(QByteArray &data)
    {
        static const char *texts[] = {"\"", ",", "\n", "\r\n", "\"\"", ";", "\xEF\xBB\xBF", "\xFF\xFE", "\xC3",
                                      "&#1114112;", "&#0;", "<", "]]>", "NaN", "1e999", "-5", "'", "\0", "\t"};
        const char *text = texts[m_random.bounded(quint32(std::size(texts)))];
        const int copies = 1 + int(m_random.bounded(3)) * int(m_random.bounded(64));
        const QByteArray piece = QByteArray(text, qMax<qsizetype>(1, qstrlen(text))).repeated(qMax(1, copies));
        data.insert(position(data), piece);
    }

    // A size, position or length field of a local header, a directory entry or the end record.
    void hitZipField(QByteArray &data)
    {
        struct Field {
            const char *signature;
            QList<int> offsets;
        };
        static const Field fields[] = {
            {"PK\x03\x04", {6, 8, 14, 18, 22, 26, 28}},
            {"PK\x01\x02", {8, 10, 16, 20, 24, 28, 30, 32, 42}},
            {"PK\x05\x06", {8, 10, 12, 16, 20}},
        };
        const Field &field = fields[m_random.bounded(3u)];
        QList<qsizetype> places;
        for (qsizetype at = data.indexOf(field.signature); at >= 0; at = data.indexOf(field.signature, at + 1))
            places << at;
        if (places.isEmpty())
            return flipBits(data);
        const qsizetype at = places.at(qsizetype(m_random.bounded(quint32(places.size()))))
                             + field.offsets.at(qsizetype(m_random.bounded(quint32(field.offsets.size()))));
        if (at < data.size())
            putInteresting(data, at);
    }

    QRandomGenerator m_random;
};

struct ProbeFailure {
    QString file;
    QString what;
};

} // namespace

class TestFuzz : public QObject {
    Q_OBJECT

    // Reads the files through read_probe, restarting it after a file that ended it; returns what failed.
    static QList<ProbeFailure> probe(const QStringList &files, const QString &listPath, long *peakKb, int *opened = nullptr)
    {
        QFile list(listPath);
        if (!list.open(QIODevice::WriteOnly))
            return {{listPath, QStringLiteral("cannot write the list")}};
        list.write(files.join(QLatin1Char('\n')).toUtf8());
        list.close();

        QList<ProbeFailure> failures;
        int next = 0;
        while (next < files.size()) {
            QProcess process;
            process.setProgram(QStringLiteral(READ_PROBE));
            process.setArguments({listPath, QString::number(next)});
            process.setProcessChannelMode(QProcess::SeparateChannels);
            process.start();
            if (!process.waitForStarted(10000))
                return failures << ProbeFailure{QString(), QStringLiteral("read_probe does not start")};
            int started = -1;
            QByteArray pending;
            QElapsedTimer sinceStart;
            sinceStart.start();
            bool hung = false;
            QString limitHit;
            while (true) {
                const bool finished = process.waitForFinished(100);
                pending += process.readAllStandardOutput();
                qsizetype newline;
                while ((newline = pending.indexOf('\n')) >= 0) {
                    const QList<QByteArray> words = pending.left(newline).split(' ');
                    pending.remove(0, newline + 1);
                    if (words.value(0) == "start") {
                        started = words.value(1).toInt();
                        sinceStart.restart();
                    } else if (words.value(0) == "done") {
                        next = words.value(1).toInt() + 1;
                        *peakKb = qMax(*peakKb, words.value(2).toLong());
                        if (opened && words.value(3).toLong() >= 0)
                            ++*opened;
                        started = -1;
                    } else if (words.value(0) == "limit") {
                        limitHit = QStringLiteral("memory limit of 512 MB reached");
                    }
                }
                if (finished)
                    break;
                if (started >= 0 && sinceStart.elapsed() > 10000) {
                    hung = true;
                    process.kill();
                    process.waitForFinished(10000);
                    break;
                }
            }
            if (started < 0 && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
                continue; // every file read
            const int culprit = started >= 0 ? started : next;
            QString what = hung ? QStringLiteral("no answer within 10 s")
                           : !limitHit.isEmpty() ? limitHit
                           : process.exitStatus() == QProcess::CrashExit
                               ? QStringLiteral("crashed: ") + QString::fromLocal8Bit(process.readAllStandardError().right(2000))
                               : QStringLiteral("ended with code %1: ").arg(process.exitCode())
                                     + QString::fromLocal8Bit(process.readAllStandardError().right(2000));
            failures << ProbeFailure{files.value(culprit), what};
            next = culprit + 1;
        }
        return failures;
    }

private slots:
    void readersSurviveMutants_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char *extension : {"xls", "xlsx", "ods", "csv"})
            QTest::newRow(extension) << QString::fromLatin1(extension);
    }

    void readersSurviveMutants()
    {
        QFETCH(QString, extension);
        const QList<QByteArray> seeds = seedsOf(extension);
        QVERIFY2(!seeds.isEmpty(), qPrintable(extension));
        const int count = mutantsPerFormat();
        Mutator mutator(seed() ^ qHash(extension));
        const bool zip = extension == QLatin1String("xlsx") || extension == QLatin1String("ods");
        long peakKb = 0;
        int opened = 0;
        int made = 0;
        QStringList report;
        QElapsedTimer clock;
        clock.start();
        // Batches of `count` mutants, one batch unless a time is given for the long run.
        for (int batch = 0; batch == 0 || clock.elapsed() < fuzzSeconds() * 1000; ++batch) {
            QTemporaryDir dir;
            QVERIFY(dir.isValid());
            QStringList files;
            for (int i = 0; i < count; ++i) {
                const QString path = dir.filePath(QStringLiteral("b%1m%2.").arg(batch).arg(i, 5, 10, QLatin1Char('0'))
                                                  + extension);
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(mutator.mutate(seeds.at(i % seeds.size()), zip));
                files << path;
            }
            made += count;
            for (const ProbeFailure &failure : probe(files, dir.filePath(QStringLiteral("list.txt")), &peakKb, &opened)) {
                QString kept;
                if (!failure.file.isEmpty()) {
                    QDir().mkpath(keepFolder());
                    kept = QDir(keepFolder()).filePath(QFileInfo(failure.file).fileName());
                    QFile::remove(kept);
                    QFile::copy(failure.file, kept);
                }
                report << kept + QStringLiteral(": ") + failure.what;
            }
        }
        qInfo("%s: %d mutants of %d fixtures read in %.1f s (%d opened, the others refused; %d failed), peak resident "
              "%ld MB",
              qPrintable(extension), made, int(seeds.size()), clock.elapsed() / 1000.0, opened, int(report.size()),
              peakKb / 1024);
        QVERIFY2(report.isEmpty(), qPrintable(report.join(QLatin1Char('\n'))));
    }

    // The mutants of parts are only worth their time when a repacked fixture reads as the fixture.
    void repackedFixturesRead()
    {
        QTemporaryDir dir;
        QStringList files;
        for (const char *extension : {"xlsx", "ods"})
            for (const QByteArray &fixture : seedsOf(QString::fromLatin1(extension))) {
                QVERIFY(!unzip(fixture).isEmpty());
                const QString path = dir.filePath(QStringLiteral("r%1.").arg(files.size()) + QLatin1String(extension));
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(zipStored(unzip(fixture)));
                files << path;
            }
        long peakKb = 0;
        int opened = 0;
        QVERIFY(probe(files, dir.filePath(QStringLiteral("list.txt")), &peakKb, &opened).isEmpty());
        QCOMPARE(opened, files.size());
    }

    // The bound on a reader's peak resident memory: 256 MB, or what TAVRIN_FUZZ_PEAK_MB says (the
    // sanitizer build's shadow memory and quarantine add several times a reader's own use).
    static long peakLimitKb()
    {
        bool ok = false;
        const long mb = qEnvironmentVariableIntValue("TAVRIN_FUZZ_PEAK_MB", &ok);
        return (ok && mb > 0 ? mb : 256) * 1024;
    }

    // Files built to cost the readers time and memory are read or refused, each within the probe's
    // time and far below 256 MB.
    void hostileFilesStayBounded()
    {
        QTemporaryDir dir;
        QStringList report;
        for (const auto &[name, data] : hostileFiles()) {
            QVERIFY2(data.size() <= 1024 * 1024, qPrintable(name + QString::number(data.size())));
            const QString path = dir.filePath(name);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(data);
            file.close();
            long peakKb = 0;
            int opened = 0;
            QElapsedTimer clock;
            clock.start();
            const QList<ProbeFailure> failures = probe({path}, dir.filePath(QStringLiteral("list.txt")), &peakKb, &opened);
            qInfo("%s (%lld KB): %s in %.2f s, peak resident %ld MB", qPrintable(name), data.size() / 1024,
                  opened ? "read" : "refused", clock.elapsed() / 1000.0, peakKb / 1024);
            for (const ProbeFailure &failure : failures)
                report << name + QStringLiteral(": ") + failure.what;
            if (peakKb >= peakLimitKb())
                report << name + QStringLiteral(": peak resident %1 MB").arg(peakKb / 1024);
            if (!failures.isEmpty() || peakKb >= peakLimitKb() || qEnvironmentVariableIsSet("TAVRIN_FUZZ_KEEP")) {
                QDir().mkpath(keepFolder());
                QFile::remove(QDir(keepFolder()).filePath(name));
                QFile::copy(path, QDir(keepFolder()).filePath(name));
            }
        }
        QVERIFY2(report.isEmpty(), qPrintable(report.join(QLatin1Char('\n'))));
    }

    // Packages whose zip directory, end record or local headers declare sizes or counts the file
    // cannot hold are refused before anything is set aside for them, and stay far below 256 MB.
    void declaredSizesCannotTakeMemory()
    {
        QTemporaryDir dir;
        QStringList files;
        for (const char *extension : {"xlsx", "ods"}) {
            const QByteArray seedFile = seedsOf(QString::fromLatin1(extension)).value(0);
            QVERIFY(!seedFile.isEmpty());
            int n = 0;
            for (const char *signature : {"PK\x03\x04", "PK\x01\x02"}) {
                const QList<int> offsets = signature[2] == 3 ? QList<int>{18, 22} : QList<int>{20, 24, 42};
                for (int offset : offsets) {
                    QByteArray data = seedFile;
                    for (qsizetype at = data.indexOf(signature); at >= 0; at = data.indexOf(signature, at + 1))
                        qToLittleEndian<quint32>(0xFFFFFFFFu, data.data() + at + offset);
                    const QString path = dir.filePath(QStringLiteral("big%1.").arg(n++) + QLatin1String(extension));
                    QFile file(path);
                    QVERIFY(file.open(QIODevice::WriteOnly));
                    file.write(data);
                    files << path;
                }
            }
        }
        // The end record's two counts of entries, each on its own: a reader may go by either.
        int n = 0;
        for (const char *extension : {"xlsx", "ods"})
            for (const QByteArray &fixture : seedsOf(QString::fromLatin1(extension)))
                for (const auto &[offset, value] : {std::pair{8, 0}, std::pair{10, 0}, std::pair{8, 0xFFFF},
                                                    std::pair{10, 1}, std::pair{8, 1000}}) {
                    QByteArray data = fixture;
                    const qsizetype end = data.lastIndexOf("PK\x05\x06");
                    QVERIFY(end >= 0);
                    qToLittleEndian<quint16>(quint16(value), data.data() + end + offset);
                    const QString path = dir.filePath(QStringLiteral("count%1.").arg(n++) + QLatin1String(extension));
                    QFile file(path);
                    QVERIFY(file.open(QIODevice::WriteOnly));
                    file.write(data);
                    files << path;
                }
        // Mutants that once made the reader exhaust its memory or its time.
        QDirIterator found(QStringLiteral(TAVRIN_TEST_DATA "/fuzz-found"), QDir::Files);
        while (found.hasNext())
            files << found.next();
        long peakKb = 0;
        const QList<ProbeFailure> failures = probe(files, dir.filePath(QStringLiteral("list.txt")), &peakKb);
        QStringList report;
        for (const ProbeFailure &failure : failures)
            report << failure.file + QStringLiteral(": ") + failure.what;
        QVERIFY2(failures.isEmpty(), qPrintable(report.join(QLatin1Char('\n'))));
        QVERIFY2(peakKb < peakLimitKb(), qPrintable(QString::number(peakKb)));
    }

    // Packages whose structure says one thing and holds another, or that unpack far beyond their size,
    // are refused; a package at the very edges of the grid is read.
    void packagesThatLieAreRefused()
    {
        const QString golden = QStringLiteral(TAVRIN_SOURCE_DIR "/tests/sheet/golden/");
        const auto xlsxParts = unzip(readFile(golden + QStringLiteral("openpyxl-basic/input.xlsx")));
        const auto odsParts = unzip(readFile(golden + QStringLiteral("ods-basic/input.ods")));
        QVERIFY(!xlsxParts.isEmpty() && !odsParts.isEmpty());
        const auto changed = [](QList<QPair<QByteArray, QByteArray>> parts, const QByteArray &name,
                                const std::function<void(QByteArray &)> &change) {
            for (auto &part : parts)
                if (part.first == name)
                    change(part.second);
            return parts;
        };
        QTemporaryDir dir;
        QStringList refused;
        QStringList read;
        const auto write = [&](QStringList &list, const QString &name, const QByteArray &bytes) {
            const QString path = dir.filePath(name);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
            list << path;
        };
        const QByteArray sheetName = "xl/worksheets/sheet1.xml";
        // The end record's two counts agree with each other but not with the entries the directory holds.
        auto withSpare = xlsxParts;
        withSpare.append({QByteArray("docProps/spare.xml"), QByteArray("<spare/>")});
        for (int less : {1, -1}) {
            QByteArray zip = zipStored(withSpare);
            const qsizetype end = zip.lastIndexOf("PK\x05\x06");
            for (int field : {8, 10})
                qToLittleEndian<quint16>(quint16(withSpare.size() - less), zip.data() + end + field);
            write(refused, QStringLiteral("count%1.xlsx").arg(less), zip);
        }
        write(read, QStringLiteral("spare.xlsx"), zipStored(withSpare));
        // A local header that declares another size than the directory does.
        QByteArray local = zipStored(xlsxParts);
        const qsizetype header = local.indexOf("PK\x03\x04");
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(local.constData() + header + 22) + 1, local.data() + header + 22);
        write(refused, QStringLiteral("local.xlsx"), local);
        // A reference to character 0, which no XML text may hold.
        write(refused, QStringLiteral("nul.xlsx"), zipStored(changed(xlsxParts, sheetName, [](QByteArray &xml) {
                  xml.insert(xml.indexOf("</worksheet>"), "<extLst>&#0;</extLst>");
              })));
        // Relationships that are no complete XML.
        write(refused, QStringLiteral("rels.xlsx"),
              zipStored(changed(xlsxParts, "_rels/.rels", [](QByteArray &xml) { xml.chop(xml.size() / 2); })));
        // About 40 KB that unpack to 40 MB: each part within what deflate can do, all of them beyond
        // what a package of that size may unpack to.
        const auto sheet = std::find_if(xlsxParts.cbegin(), xlsxParts.cend(), [&](const auto &p) { return p.first == sheetName; });
        QVERIFY(sheet != xlsxParts.cend());
        write(refused, QStringLiteral("bomb.xlsx"),
              zipWithDeflatedPart(xlsxParts, sheetName, sheet->second + QByteArray(40 << 20, ' ')));
        write(read, QStringLiteral("deflated.xlsx"), zipWithDeflatedPart(xlsxParts, sheetName, sheet->second));
        // A row repeated 600,000 times holding two values: 1.2 million cells.
        const QByteArray repeatedRow = "<table:table-row table:number-rows-repeated=\"600000\"><table:table-cell "
                                       "office:value-type=\"float\" office:value=\"1\" "
                                       "table:number-columns-repeated=\"2\"/></table:table-row>";
        write(refused, QStringLiteral("rows.ods"), zipStored(changed(odsParts, "content.xml", [&](QByteArray &xml) {
                  xml.insert(xml.indexOf("<table:table-row"), repeatedRow);
              })));
        // Columns up to the last of the grid, as spreadsheet programs write them.
        write(read, QStringLiteral("columns.xlsx"), zipStored(changed(xlsxParts, sheetName, [](QByteArray &xml) {
                  xml.insert(xml.indexOf("<sheetData"), "<cols><col min=\"1\" max=\"16384\" width=\"9\"/></cols>");
              })));

        long peakKb = 0;
        int opened = 0;
        QList<ProbeFailure> failures = probe(refused, dir.filePath(QStringLiteral("refused.txt")), &peakKb, &opened);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.value(0).file + QStringLiteral(": ") + failures.value(0).what));
        QCOMPARE(opened, 0);
        failures = probe(read, dir.filePath(QStringLiteral("read.txt")), &peakKb, &opened);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.value(0).file + QStringLiteral(": ") + failures.value(0).what));
        QCOMPARE(opened, int(read.size()));
    }
};

QTEST_GUILESS_MAIN(TestFuzz)
#include "tst_fuzz.moc"
