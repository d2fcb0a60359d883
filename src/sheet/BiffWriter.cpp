// Writes a workbook as BIFF8 records in the layout Excel itself uses: the globals
// (fonts, formats, cell formats, sheet directory, shared strings) and then one
// substream per sheet (column widths, rows in blocks of 32, the window settings).

#include "BiffRecords.h"
#include "Codecs.h"
#include "NumberFormats.h"
#include "Ole2.h"
#include "SheetError.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace sheet {

using namespace biff;

namespace {

constexpr int kBiffRows = 65536;
constexpr int kBiffColumns = 256;
constexpr int kDefaultCellXf = 15;
constexpr int kFirstCustomFormat = 164;

class Body {
public:
    QByteArray bytes;

    Body &u8(unsigned v)
    {
        bytes.append(char(v & 0xFF));
        return *this;
    }
    Body &u16(unsigned v)
    {
        const char b[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
        bytes.append(b, 2);
        return *this;
    }
    Body &u32(std::uint32_t v)
    {
        char b[4];
        qToLittleEndian<quint32>(v, b);
        bytes.append(b, 4);
        return *this;
    }
    Body &f64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        char b[8];
        qToLittleEndian<quint64>(bits, b);
        bytes.append(b, 8);
        return *this;
    }
    Body &zeros(int n)
    {
        bytes.append(n, '\0');
        return *this;
    }
    // Characters after the count and flag byte: one byte each when all fit in Latin-1,
    // else UTF-16LE.
    Body &chars(const QString &s, bool compressed, qsizetype from = 0, qsizetype count = -1)
    {
        if (count < 0)
            count = s.size() - from;
        const QChar *p = s.constData() + from;
        const qsizetype start = bytes.size();
        bytes.resize(start + count * (compressed ? 1 : 2));
        char *out = bytes.data() + start;
        for (qsizetype i = 0; i < count; ++i) {
            const char16_t ch = p[i].unicode();
            if (compressed) {
                *out++ = char(ch);
            } else {
                *out++ = char(ch & 0xFF);
                *out++ = char(ch >> 8);
            }
        }
        return *this;
    }
    // A whole record written in place: begin() puts its header, end() its length.
    qsizetype begin(std::uint16_t type)
    {
        const qsizetype at = bytes.size();
        u16(type).u16(0);
        return at;
    }
    void end(qsizetype at)
    {
        Q_ASSERT(bytes.size() - at - 4 <= kMaxRecordData);
        qToLittleEndian<quint16>(quint16(bytes.size() - at - 4), bytes.data() + at + 2);
    }
};

bool fitsLatin1(const QString &s)
{
    for (QChar ch : s)
        if (ch.unicode() > 0xFF)
            return false;
    return true;
}

// XLUnicodeString (16-bit count) or ShortXLUnicodeString (8-bit count).
void putText(Body &b, const QString &s, bool shortCount)
{
    const bool compressed = fitsLatin1(s);
    if (shortCount)
        b.u8(unsigned(s.size()));
    else
        b.u16(unsigned(s.size()));
    b.u8(compressed ? 0 : 1).chars(s, compressed);
}

void putRecord(QByteArray &out, std::uint16_t type, const Body &body)
{
    Q_ASSERT(body.bytes.size() <= kMaxRecordData);
    char head[4];
    qToLittleEndian<quint16>(type, head);
    qToLittleEndian<quint16>(quint16(body.bytes.size()), head + 2);
    out.append(head, 4).append(body.bytes);
}

void putU16Record(QByteArray &out, std::uint16_t type, unsigned value)
{
    putRecord(out, type, Body().u16(value));
}

void patchU32(QByteArray &out, qsizetype at, std::uint32_t value)
{
    qToLittleEndian<quint32>(value, out.data() + at);
}

// Fonts, number formats and cell formats of the file, built from the styles the
// cells use.
class StylePlan {
public:
    explicit StylePlan(const StyleTable &styles) : m_styles(styles), m_xfOfStyle(styles.size(), -1)
    {
        m_xfOfStyle[0] = kDefaultCellXf;
    }

    int xfOf(std::uint32_t style)
    {
        int &xf = m_xfOfStyle.at(style);
        if (xf < 0) {
            const CellStyle &s = m_styles.at(style);
            const int font = fontOf(s);
            const int format = formatOf(s.numberFormat);
            const QString key = QString::number(font) + QLatin1Char('/') + QString::number(format);
            auto it = m_xfIndex.find(key);
            if (it == m_xfIndex.end()) {
                it = m_xfIndex.insert(key, kDefaultCellXf + 1 + int(m_xfs.size()));
                m_xfs.push_back({font, format});
            }
            xf = it.value();
        }
        return xf;
    }

    void putGlobals(QByteArray &out) const
    {
        const CellStyle &base = m_styles.at(0);
        for (int i = 0; i < 4; ++i)
            putFont(out, base.fontName, base.fontSize);
        for (const auto &font : m_fonts)
            putFont(out, font.first, font.second);
        for (const auto &format : m_formats)
            putRecord(out, Format, [&] {
                Body b;
                b.u16(unsigned(format.second));
                putText(b, format.first, false);
                return b;
            }());
        for (int i = 0; i < kDefaultCellXf; ++i)
            putXf(out, 0, 0, true, i == 0);
        putXf(out, 0, 0, false, false);
        for (const auto &xf : m_xfs)
            putXf(out, xf.first, xf.second, false, false);
        putRecord(out, Style, Body().u16(0x8000).u8(0).u8(0xFF));
    }

private:
    int fontOf(const CellStyle &s)
    {
        const CellStyle &base = m_styles.at(0);
        if (s.fontName == base.fontName && s.fontSize == base.fontSize)
            return 0;
        for (size_t i = 0; i < m_fonts.size(); ++i)
            if (m_fonts[i].first == s.fontName && m_fonts[i].second == s.fontSize)
                return int(i) + 5; // font number 4 does not exist in BIFF
        m_fonts.emplace_back(s.fontName, s.fontSize);
        return int(m_fonts.size()) + 4;
    }

    int formatOf(const QString &code)
    {
        const int builtin = builtinFormatId(code);
        if (builtin >= 0)
            return builtin;
        for (const auto &format : m_formats)
            if (format.first == code)
                return format.second;
        m_formats.emplace_back(code, kFirstCustomFormat + int(m_formats.size()));
        return m_formats.back().second;
    }

    static void putFont(QByteArray &out, const QString &name, double size)
    {
        bool cjk = false;
        for (QChar ch : name)
            cjk = cjk || ch.unicode() > 0x7F;
        Body b;
        b.u16(unsigned(std::lround(size * 20))).u16(0).u16(0x7FFF).u16(400).u16(0);
        b.u8(0).u8(0).u8(cjk ? 134 : 0).u8(0);
        putText(b, name.left(255), true);
        putRecord(out, Font, b);
    }

    static void putXf(QByteArray &out, int font, int format, bool styleXf, bool normal)
    {
        Body b;
        b.u16(unsigned(font)).u16(unsigned(format));
        b.u16(styleXf ? 0xFFF5 : 0x0001); // locked; a style has no parent, a cell has style 0
        b.u8(0x20).u8(0).u8(0);           // general alignment, bottom; no rotation, no indent
        b.u8(styleXf ? (normal ? 0x00 : 0xF4) : 0xFC);
        b.u32(0).u32(0).u16(0x20C0); // no borders; pattern colours: system window colours
        putRecord(out, Xf, b);
    }

    const StyleTable &m_styles;
    std::vector<int> m_xfOfStyle;
    std::vector<std::pair<QString, double>> m_fonts;
    std::vector<std::pair<QString, int>> m_formats;
    std::vector<std::pair<int, int>> m_xfs;
    QHash<QString, int> m_xfIndex;
};

// The shared string table: every distinct text once, in order of first use.
struct SharedStrings {
    QList<QString> strings;
    QHash<QString, std::uint32_t> index;
    std::uint32_t uses = 0;

    std::uint32_t add(const QString &s)
    {
        ++uses;
        auto it = index.constFind(s);
        if (it != index.constEnd())
            return it.value();
        const auto i = std::uint32_t(strings.size());
        index.insert(s, i);
        strings.append(s);
        return i;
    }
};

// SST with CONTINUE records (a string's characters may break between records; the
// continuation then starts with its own flag byte), followed by EXTSST, which points
// at every dsst-th string.
void putSharedStrings(QByteArray &stream, const SharedStrings &sst)
{
    Body out;
    out.bytes.reserve(sst.strings.size() * 24 + 64);
    const qsizetype base = stream.size(); // stream position of out's first byte
    qsizetype record = out.begin(Sst);
    auto room = [&] { return kMaxRecordData - int(out.bytes.size() - record - 4); };
    auto next = [&] {
        out.end(record);
        record = out.begin(Continue);
    };

    const int count = int(sst.strings.size());
    const int perBucket = std::max(8, (count + 127) / 128);
    Body ext;
    ext.u16(unsigned(perBucket));

    out.u32(sst.uses).u32(std::uint32_t(count));
    for (int i = 0; i < count; ++i) {
        const QString &s = sst.strings.at(i);
        const bool compressed = fitsLatin1(s);
        const int unit = compressed ? 1 : 2;
        if (room() < 3 + (s.isEmpty() ? 0 : unit))
            next();
        if (i % perBucket == 0)
            ext.u32(std::uint32_t(base + out.bytes.size())).u16(unsigned(out.bytes.size() - record)).u16(0);
        out.u16(unsigned(s.size())).u8(compressed ? 0 : 1);
        qsizetype done = 0;
        while (done < s.size()) {
            const int fit = room() / unit;
            if (fit == 0) {
                next();
                out.u8(compressed ? 0 : 1);
                continue;
            }
            const qsizetype take = std::min<qsizetype>(fit, s.size() - done);
            out.chars(s, compressed, done, take);
            done += take;
        }
    }
    out.end(record);
    stream.append(out.bytes);
    putRecord(stream, ExtSst, ext);
}

QString tooLarge(const SheetModel &sheet)
{
    return QStringLiteral("工作表“%1”超出Excel 97-2003格式的范围（最多65536行、256列），请改存为.xlsx文件").arg(sheet.name);
}

// One RK number when the value is a whole number that fits, else nullopt.
std::optional<std::uint32_t> asRk(double v)
{
    if (v != std::floor(v) || v < -536870912.0 || v > 536870911.0)
        return std::nullopt;
    return std::uint32_t(std::int32_t(v) * 4) | 2u;
}

void putCell(Body &out, int row, int column, int xf, const CellValue &value, SharedStrings &sst)
{
    auto begin = [&](std::uint16_t type) {
        const qsizetype at = out.begin(type);
        out.u16(unsigned(row)).u16(unsigned(column)).u16(unsigned(xf));
        return at;
    };
    qsizetype at = 0;
    switch (value.type()) {
    case CellValue::Type::Text:
        at = begin(LabelSst);
        out.u32(sst.add(value.textPayload()));
        break;
    case CellValue::Type::Number:
    case CellValue::Type::Date:
        if (auto rk = asRk(value.numberPayload())) {
            at = begin(Rk);
            out.u32(*rk);
        } else {
            at = begin(Number);
            out.f64(value.numberPayload());
        }
        break;
    case CellValue::Type::Boolean:
        at = begin(BoolErr);
        out.u8(value.numberPayload() != 0 ? 1 : 0).u8(0);
        break;
    case CellValue::Type::Error:
        at = begin(BoolErr);
        out.u8(unsigned(errorCode(value.textPayload()))).u8(1);
        break;
    case CellValue::Type::Empty:
        at = begin(Blank);
        break;
    }
    out.end(at);
}

void putColumnWidths(QByteArray &out, const SheetModel &sheet)
{
    auto it = sheet.columnWidths.begin();
    while (it != sheet.columnWidths.end()) {
        const int first = it->first;
        const double width = it->second;
        int last = first;
        auto next = std::next(it);
        while (next != sheet.columnWidths.end() && next->first == last + 1 && next->second == width) {
            last = next->first;
            ++next;
        }
        Body b;
        b.u16(unsigned(first - 1)).u16(unsigned(last - 1)).u16(unsigned(storedColumnWidth(width) * 256));
        b.u16(kDefaultCellXf).u16(width == 0 ? 1 : 0).u16(0);
        putRecord(out, ColInfo, b);
        it = next;
    }
}

void putSheet(QByteArray &out, const SheetModel &sheet, bool active, StylePlan &styles, SharedStrings &sst)
{
    const CellExtent extent = sheet.extent();
    if (extent.lastRow > kBiffRows || extent.lastColumn > kBiffColumns
        || (!sheet.columnWidths.empty() && sheet.columnWidths.rbegin()->first > kBiffColumns))
        throw SheetError(tooLarge(sheet));

    putRecord(out, Bof, Body().u16(kBiff8).u16(kWorksheet).u16(0x0DBB).u16(0x07CC).u32(0).u32(6));
    putU16Record(out, CalcMode, 1);
    putU16Record(out, CalcCount, 100);
    putU16Record(out, RefMode, 1);
    putU16Record(out, Iteration, 0);
    putRecord(out, Delta, Body().f64(0.001));
    putU16Record(out, SaveRecalc, 1);
    putU16Record(out, PrintHeaders, 0);
    putU16Record(out, PrintGridlines, 0);
    putU16Record(out, GridSet, 1);
    putRecord(out, Guts, Body().zeros(8));
    putRecord(out, DefaultRowHeight, Body().u16(0).u16(0x00FF));
    putU16Record(out, WsBool, 0x04C1);
    putU16Record(out, DefColWidth, 8);
    putColumnWidths(out, sheet);
    if (extent.isEmpty())
        putRecord(out, Dimensions, Body().zeros(14));
    else
        putRecord(out, Dimensions, Body()
                                       .u32(std::uint32_t(extent.firstRow - 1))
                                       .u32(std::uint32_t(extent.lastRow))
                                       .u16(unsigned(extent.firstColumn - 1))
                                       .u16(unsigned(extent.lastColumn))
                                       .u16(0));

    // Rows go in blocks of 32: the ROW records of the block, then its cells.
    struct RowSpan {
        int row, first, last;
        std::map<std::uint64_t, CellData>::const_iterator begin, end;
    };
    std::vector<RowSpan> rows;
    const auto &cells = sheet.cells();
    for (auto it = cells.begin(); it != cells.end();) {
        const int row = SheetModel::rowOf(it->first);
        RowSpan span{row, SheetModel::columnOf(it->first), 0, it, it};
        while (it != cells.end() && SheetModel::rowOf(it->first) == row) {
            span.last = SheetModel::columnOf(it->first);
            ++it;
        }
        span.end = it;
        rows.push_back(span);
    }
    for (size_t blockStart = 0; blockStart < rows.size();) {
        size_t blockEnd = blockStart;
        const int blockNumber = (rows[blockStart].row - 1) / 32;
        while (blockEnd < rows.size() && (rows[blockEnd].row - 1) / 32 == blockNumber)
            ++blockEnd;
        for (size_t r = blockStart; r < blockEnd; ++r)
            putRecord(out, Row, Body()
                                    .u16(unsigned(rows[r].row - 1))
                                    .u16(unsigned(rows[r].first - 1))
                                    .u16(unsigned(rows[r].last))
                                    .u16(0x00FF)
                                    .u16(0)
                                    .u16(0)
                                    .u16(0x0100)
                                    .u16(kDefaultCellXf));
        Body cellRecords;
        for (size_t r = blockStart; r < blockEnd; ++r)
            for (auto it = rows[r].begin; it != rows[r].end; ++it)
                putCell(cellRecords, rows[r].row - 1, SheetModel::columnOf(it->first) - 1, styles.xfOf(it->second.style),
                        it->second.value, sst);
        out.append(cellRecords.bytes);
        blockStart = blockEnd;
    }

    putRecord(out, Window2, Body().u16(active ? 0x06B6 : 0x00B6).u16(0).u16(0).u16(64).u16(0).u16(0).u16(0).u32(0));
    putRecord(out, Eof, Body());
}

} // namespace

QByteArray writeXls(const WorkbookModel &model)
{
    if (model.sheets.empty())
        throw SheetError(QStringLiteral("工作簿中没有工作表，无法保存"));
    const int active = std::clamp(model.activeSheet, 0, int(model.sheets.size()) - 1);

    // Sheets first, into their own buffer: that collects the shared strings and the
    // cell formats that the globals list.
    StylePlan styles(model.styles);
    SharedStrings sst;
    std::vector<QByteArray> sheets;
    for (size_t i = 0; i < model.sheets.size(); ++i) {
        QByteArray bytes;
        putSheet(bytes, *model.sheets[i], int(i) == active, styles, sst);
        sheets.push_back(std::move(bytes));
    }
    for (const auto &s : sst.strings)
        if (s.size() > 0xFFFF)
            throw SheetError(QStringLiteral("单元格文本过长，不能存为Excel 97-2003格式"));

    QByteArray out;
    putRecord(out, Bof, Body().u16(kBiff8).u16(kGlobals).u16(0x0DBB).u16(0x07CC).u32(0).u32(6));
    putU16Record(out, InterfaceHdr, 1200);
    putU16Record(out, Mms, 0);
    putRecord(out, InterfaceEnd, Body());
    {
        Body b;
        putText(b, QStringLiteral("Tavrin"), false);
        b.bytes.append(112 - b.bytes.size(), ' ');
        putRecord(out, WriteAccess, b);
    }
    putU16Record(out, CodePage, 1200);
    putU16Record(out, Dsf, 0);
    {
        Body b;
        for (size_t i = 0; i < model.sheets.size(); ++i)
            b.u16(unsigned(i + 1));
        putRecord(out, TabId, b);
    }
    putU16Record(out, FnGroupCount, 14);
    putU16Record(out, WindowProtect, 0);
    putU16Record(out, Protect, 0);
    putU16Record(out, Password, 0);
    putU16Record(out, Prot4Rev, 0);
    putU16Record(out, Prot4RevPass, 0);
    putRecord(out, Window1, Body().u16(0x0168).u16(0x001E).u16(0x3A5C).u16(0x23BE).u16(0x0038).u16(unsigned(active)).u16(0).u16(1).u16(0x0258));
    putU16Record(out, Backup, 0);
    putU16Record(out, HideObj, 0);
    putU16Record(out, DateMode, 0);
    putU16Record(out, Precision, 1);
    putU16Record(out, RefreshAll, 0);
    putU16Record(out, BookBool, 0);
    styles.putGlobals(out);
    putU16Record(out, UsesElfs, 0);
    std::vector<qsizetype> sheetOffsets;
    for (const auto &sheet : model.sheets) {
        const QString problem = sheetNameProblem(sheet->name);
        if (!problem.isEmpty())
            throw SheetError(problem);
        Body b;
        b.u32(0).u8(0).u8(0);
        putText(b, sheet->name, true);
        sheetOffsets.push_back(out.size() + 4);
        putRecord(out, BoundSheet, b);
    }
    putSharedStrings(out, sst);
    putRecord(out, Eof, Body());

    for (size_t i = 0; i < sheets.size(); ++i) {
        patchU32(out, sheetOffsets[i], std::uint32_t(out.size()));
        out.append(sheets[i]);
    }
    // Excel expects the workbook stream in big sectors: at least 4096 bytes.
    if (out.size() < 4096)
        out.append(4096 - out.size(), '\0');
    return makeCompoundFile(out);
}

} // namespace sheet
