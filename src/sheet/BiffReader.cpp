// Reads BIFF8 workbooks as Excel, WPS, LibreOffice and the common libraries write
// them: shared strings spread over CONTINUE records, RK and MULRK numbers, LABEL and
// RSTRING texts, BOOLERR values, formula cells with their cached results, several
// sheets. Every length and offset is checked against the data; a damaged file ends in
// a SheetError naming the problem.

#include "BiffRecords.h"
#include "CellBudget.h"
#include "Codecs.h"
#include "NumberFormats.h"
#include "Ole2.h"
#include "SheetError.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace sheet {

using namespace biff;

namespace {

// Thrown inside the reader; readXls turns them into a SheetError naming the file.
struct Damaged {
    QString why;
};
struct Unsupported {
    QString why;
};

const QString kEncrypted = QStringLiteral("文件设有密码保护，请先在Excel或WPS中取消密码");

// More sheet entries than this are no workbook a program writes.
constexpr size_t kMaxSheetEntries = 4096;

struct Chunk {
    const unsigned char *data;
    int size;
};

struct Rec {
    std::uint16_t type = 0;
    std::vector<Chunk> chunks; // the body, then the bodies of the CONTINUE records after it
    const unsigned char *data() const { return chunks.front().data; }
    int size() const { return chunks.front().size; }
};

class RecordStream {
public:
    explicit RecordStream(const QByteArray &bytes)
        : m_data(reinterpret_cast<const unsigned char *>(bytes.constData())), m_size(bytes.size())
    {
    }

    void seek(qint64 pos)
    {
        if (pos < 0 || pos >= m_size)
            throw Damaged{QStringLiteral("工作表位置超出数据流")};
        m_pos = pos;
    }

    // The next record with its continuations; false when the data ends.
    bool next(Rec &rec)
    {
        if (!header(rec.type, m_pos))
            return false;
        rec.chunks.clear();
        rec.chunks.push_back(body(m_pos));
        std::uint16_t type = 0;
        while (rec.type != Continue && header(type, m_pos) && type == Continue)
            rec.chunks.push_back(body(m_pos));
        return true;
    }

private:
    bool header(std::uint16_t &type, qint64 pos) const
    {
        if (pos + 4 > m_size)
            return false;
        type = u16At(m_data + pos);
        return true;
    }
    Chunk body(qint64 &pos) const
    {
        const int size = u16At(m_data + pos + 2);
        if (size > kMaxRecordData || pos + 4 + size > m_size)
            throw Damaged{QStringLiteral("记录被截断")};
        Chunk chunk{m_data + pos + 4, size};
        pos += 4 + size;
        return chunk;
    }

    const unsigned char *m_data;
    qint64 m_size;
    qint64 m_pos = 0;
};

// Reads a record body and its continuations as one sequence, except that characters
// continued in a new record are preceded there by a fresh flag byte.
class Cursor {
public:
    explicit Cursor(const Rec &rec, int start = 0) : m_chunks(rec.chunks), m_pos(start)
    {
        if (start > m_chunks.front().size)
            throw Damaged{QStringLiteral("记录过短")};
    }

    bool atEnd()
    {
        settle();
        return m_index >= m_chunks.size();
    }
    unsigned u8()
    {
        settle();
        if (m_index >= m_chunks.size())
            throw Damaged{QStringLiteral("记录过短")};
        return m_chunks[m_index].data[m_pos++];
    }
    unsigned u16()
    {
        const unsigned lo = u8();
        return lo | (u8() << 8);
    }
    std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | (std::uint32_t(u16()) << 16);
    }
    void skip(std::uint64_t n)
    {
        while (n > 0) {
            settle();
            if (m_index >= m_chunks.size())
                throw Damaged{QStringLiteral("记录过短")};
            const std::uint64_t step = std::min<std::uint64_t>(n, std::uint64_t(m_chunks[m_index].size - m_pos));
            m_pos += int(step);
            n -= step;
        }
    }

    // XLUnicodeString (16-bit count) or ShortXLUnicodeString (8-bit count); with `rich`
    // the formatting runs and phonetic data of shared strings are skipped.
    QString text(bool shortCount, bool rich = false)
    {
        const unsigned count = shortCount ? u8() : u16();
        const unsigned flags = u8();
        unsigned runs = 0;
        std::uint32_t extra = 0;
        if (rich && (flags & 0x08))
            runs = u16();
        if (rich && (flags & 0x04))
            extra = u32();
        QString s = chars(count, flags & 0x01);
        skip(std::uint64_t(runs) * 4 + extra);
        return s;
    }

private:
    void settle()
    {
        while (m_index < m_chunks.size() && m_pos >= m_chunks[m_index].size) {
            ++m_index;
            m_pos = 0;
        }
    }

    QString chars(unsigned count, bool wide)
    {
        QString s;
        s.reserve(count);
        while (unsigned(s.size()) < count) {
            if (m_index >= m_chunks.size())
                throw Damaged{QStringLiteral("文本被截断")};
            if (m_pos >= m_chunks[m_index].size) {
                // The characters continue in the next record, which repeats the flag byte.
                ++m_index;
                m_pos = 0;
                if (m_index >= m_chunks.size() || m_chunks[m_index].size == 0)
                    throw Damaged{QStringLiteral("文本被截断")};
                wide = m_chunks[m_index].data[m_pos++] & 0x01;
                continue;
            }
            const Chunk &c = m_chunks[m_index];
            const unsigned left = count - unsigned(s.size());
            if (wide) {
                const unsigned n = std::min<unsigned>(left, unsigned(c.size - m_pos) / 2);
                if (n == 0)
                    throw Damaged{QStringLiteral("文本被截断")};
                for (unsigned i = 0; i < n; ++i)
                    s.append(QChar(char16_t(u16At(c.data + m_pos + 2 * i))));
                m_pos += int(2 * n);
            } else {
                const unsigned n = std::min<unsigned>(left, unsigned(c.size - m_pos));
                s.append(QLatin1StringView(reinterpret_cast<const char *>(c.data + m_pos), qsizetype(n)));
                m_pos += int(n);
            }
        }
        return s;
    }

    const std::vector<Chunk> &m_chunks;
    size_t m_index = 0;
    int m_pos;
};

void need(const Rec &rec, int size)
{
    if (rec.size() < size)
        throw Damaged{QStringLiteral("记录过短（类型0x%1）").arg(rec.type, 4, 16, QLatin1Char('0'))};
}

struct FontEntry {
    QString name;
    double size = 10;
};

struct XfEntry {
    int font = 0;
    int format = 0;
};

struct SheetEntry {
    std::uint32_t offset;
    int kind;
    QString name;
    int position; // among all entries, for the active-sheet number of WINDOW1
};

class Reader {
public:
    explicit Reader(const QByteArray &stream) : m_records(stream) {}

    WorkbookModel read()
    {
        readGlobals();
        WorkbookModel model(defaultStyle());
        m_model = &model;
        m_styleOfXf.assign(m_xfs.size(), -1);
        QSet<std::uint32_t> offsetsRead;
        QSet<QString> namesRead; // case-folded
        for (const SheetEntry &entry : m_sheets) {
            if (entry.kind != 0) // charts, macro sheets, VB modules
                continue;
            // An entry naming a sheet already read, by its data or by its name, adds nothing.
            if (offsetsRead.contains(entry.offset) || namesRead.contains(entry.name.toCaseFolded()))
                continue;
            offsetsRead.insert(entry.offset);
            namesRead.insert(entry.name.toCaseFolded());
            if (entry.position == m_activeTab)
                model.activeSheet = int(model.sheets.size());
            readSheet(entry, model.addSheet(entry.name));
        }
        if (model.sheets.empty())
            throw Damaged{QStringLiteral("没有工作表")};
        m_model = nullptr;
        return model;
    }

private:
    void readGlobals()
    {
        Rec rec;
        if (!m_records.next(rec) || rec.type != Bof)
            throw Damaged{QStringLiteral("缺少文件头记录")};
        checkBof(rec, kGlobals);
        while (true) {
            if (!m_records.next(rec))
                throw Damaged{QStringLiteral("全局数据没有结束记录")};
            switch (rec.type) {
            case Eof: return;
            case FilePass: throw Unsupported{kEncrypted};
            case DateMode:
                need(rec, 2);
                m_date1904 = u16At(rec.data()) != 0;
                break;
            case Window1:
                need(rec, 12);
                m_activeTab = u16At(rec.data() + 10);
                break;
            case Font: {
                need(rec, 16);
                FontEntry f;
                f.size = u16At(rec.data()) / 20.0;
                f.name = Cursor(rec, 14).text(true);
                m_fonts.push_back(f);
                if (m_fonts.size() == 4) // font number 4 does not exist
                    m_fonts.push_back(f);
                break;
            }
            case Format: {
                need(rec, 2);
                m_formats.insert(int(u16At(rec.data())), Cursor(rec, 2).text(false));
                break;
            }
            case Xf:
                need(rec, 20);
                m_xfs.push_back(XfEntry{u16At(rec.data()), u16At(rec.data() + 2)});
                break;
            case BoundSheet: {
                need(rec, 8);
                if (m_sheets.size() >= kMaxSheetEntries)
                    throw Damaged{QStringLiteral("工作表条目超过%1个").arg(kMaxSheetEntries)};
                SheetEntry entry{u32At(rec.data()), rec.data()[5], Cursor(rec, 6).text(true), int(m_sheets.size())};
                m_sheets.push_back(entry);
                break;
            }
            case Sst: readSharedStrings(rec); break;
            default: break;
            }
        }
    }

    static void checkBof(const Rec &rec, std::uint16_t kind)
    {
        need(rec, 4);
        const std::uint16_t version = u16At(rec.data());
        if (version != kBiff8)
            throw Unsupported{QStringLiteral("不是Excel 97-2003格式（BIFF8）的工作簿，请先用Excel或WPS另存为该格式")};
        if (u16At(rec.data() + 2) != kind)
            throw Damaged{QStringLiteral("子数据流类型不符")};
    }

    void readSharedStrings(const Rec &rec)
    {
        Cursor c(rec);
        c.u32(); // total number of uses
        const std::uint32_t unique = c.u32();
        m_strings.reserve(qsizetype(std::min<std::uint32_t>(unique, 1u << 20)));
        for (std::uint32_t i = 0; i < unique && !c.atEnd(); ++i)
            m_strings.push_back(c.text(false, true));
    }

    // The workbook's "Normal" font, General format.
    CellStyle defaultStyle() const
    {
        if (m_fonts.empty())
            return StyleTable::defaultStyle();
        return CellStyle{m_fonts[0].name, m_fonts[0].size, kGeneralFormat};
    }

    // The style of a cell format: its font and number format.
    CellStyle cellStyle(size_t xf) const
    {
        CellStyle style;
        const XfEntry x = xf < m_xfs.size() ? m_xfs[xf] : XfEntry{};
        const size_t font = size_t(x.font) < m_fonts.size() ? size_t(x.font) : 0;
        if (font < m_fonts.size()) {
            style.fontName = m_fonts[font].name;
            style.fontSize = m_fonts[font].size;
        } else {
            style = StyleTable::defaultStyle();
        }
        QString code = m_formats.value(x.format);
        if (code.isEmpty())
            code = builtinFormatCode(x.format);
        style.numberFormat = code.isEmpty() ? kGeneralFormat : code;
        return style;
    }

    std::uint32_t styleOf(unsigned xf)
    {
        if (xf >= m_styleOfXf.size())
            return 0;
        std::int64_t &style = m_styleOfXf[xf];
        if (style < 0)
            style = m_model->styles.intern(cellStyle(xf));
        return std::uint32_t(style);
    }

    void put(SheetModel &sheet, unsigned row, unsigned column, unsigned xf, CellValue value)
    {
        if (column >= 256)
            throw Damaged{QStringLiteral("单元格列号超出范围")};
        if (value.isText())
            m_budget.addText(value.textPayload());
        const std::uint32_t style = styleOf(xf);
        if (value.type() == CellValue::Type::Number && isDateFormat(m_model->styles.at(style).numberFormat))
            value = CellValue::date(value.numberPayload() + (m_date1904 ? 1462 : 0));
        const size_t before = sheet.cellCount();
        CellData &cell = sheet.touch(int(row) + 1, int(column) + 1);
        if (sheet.cellCount() != before)
            m_budget.addCell();
        cell.value = std::move(value);
        cell.style = style;
    }

    void readSheet(const SheetEntry &entry, SheetModel &sheet)
    {
        m_records.seek(entry.offset);
        Rec rec;
        if (!m_records.next(rec) || rec.type != Bof)
            throw Damaged{QStringLiteral("工作表“%1”缺少开始记录").arg(entry.name)};
        checkBof(rec, kWorksheet);
        int depth = 1; // charts embedded in a sheet bring their own BOF ... EOF
        bool textPending = false; // a formula cell waits for its text in a STRING record
        unsigned formulaRow = 0, formulaColumn = 0, formulaXf = 0;
        while (depth > 0) {
            if (!m_records.next(rec))
                throw Damaged{QStringLiteral("工作表“%1”没有结束记录").arg(entry.name)};
            if (rec.type == Bof) {
                ++depth;
                continue;
            }
            if (rec.type == Eof) {
                --depth;
                continue;
            }
            if (depth > 1)
                continue;
            const unsigned char *d = rec.data();
            switch (rec.type) {
            case Number:
                need(rec, 14);
                put(sheet, u16At(d), u16At(d + 2), u16At(d + 4), CellValue::number(f64At(d + 6)));
                break;
            case Rk:
                need(rec, 10);
                put(sheet, u16At(d), u16At(d + 2), u16At(d + 4), CellValue::number(rkValue(u32At(d + 6))));
                break;
            case MulRk: {
                need(rec, 6);
                const unsigned count = unsigned(rec.size() - 6) / 6;
                for (unsigned i = 0; i < count; ++i)
                    put(sheet, u16At(d), u16At(d + 2) + i, u16At(d + 4 + 6 * i),
                        CellValue::number(rkValue(u32At(d + 6 + 6 * i))));
                break;
            }
            case LabelSst: {
                need(rec, 10);
                const std::uint32_t index = u32At(d + 6);
                if (index >= std::uint32_t(m_strings.size()))
                    throw Damaged{QStringLiteral("共享字符串序号超出范围")};
                put(sheet, u16At(d), u16At(d + 2), u16At(d + 4), CellValue::text(m_strings.at(index)));
                break;
            }
            case Label:
            case RString:
                need(rec, 9);
                put(sheet, u16At(d), u16At(d + 2), u16At(d + 4), CellValue::text(Cursor(rec, 6).text(false)));
                break;
            case BoolErr:
                need(rec, 8);
                put(sheet, u16At(d), u16At(d + 2), u16At(d + 4),
                    d[7] ? CellValue::error(errorText(d[6])) : CellValue::boolean(d[6] != 0));
                break;
            case Blank:
                need(rec, 6);
                put(sheet, u16At(d), u16At(d + 2), u16At(d + 4), CellValue());
                break;
            case MulBlank: {
                need(rec, 6);
                const unsigned count = unsigned(rec.size() - 6) / 2;
                for (unsigned i = 0; i < count; ++i)
                    put(sheet, u16At(d), u16At(d + 2) + i, u16At(d + 4 + 2 * i), CellValue());
                break;
            }
            case Formula: {
                need(rec, 20);
                const unsigned row = u16At(d), column = u16At(d + 2), xf = u16At(d + 4);
                textPending = false;
                if (u16At(d + 12) != 0xFFFF) {
                    put(sheet, row, column, xf, CellValue::number(f64At(d + 6)));
                } else {
                    switch (d[6]) {
                    case 0: // the text follows in a STRING record
                        put(sheet, row, column, xf, CellValue::text(QString()));
                        textPending = true;
                        formulaRow = row;
                        formulaColumn = column;
                        formulaXf = xf;
                        break;
                    case 1: put(sheet, row, column, xf, CellValue::boolean(d[8] != 0)); break;
                    case 2: put(sheet, row, column, xf, CellValue::error(errorText(d[8]))); break;
                    default: put(sheet, row, column, xf, CellValue::text(QString())); break;
                    }
                }
                break;
            }
            case String:
                if (textPending) {
                    put(sheet, formulaRow, formulaColumn, formulaXf, CellValue::text(Cursor(rec).text(false)));
                    textPending = false;
                }
                break;
            case ColInfo: {
                need(rec, 10);
                const unsigned first = u16At(d), last = std::min<unsigned>(u16At(d + 2), 255);
                const bool hidden = u16At(d + 8) & 1;
                const double width = hidden ? 0 : columnWidthFromStored(u16At(d + 4) / 256.0);
                for (unsigned c = first; c <= last; ++c)
                    sheet.columnWidths[int(c) + 1] = width;
                break;
            }
            case FilePass: throw Unsupported{kEncrypted};
            default: break;
            }
        }
    }

    RecordStream m_records;
    bool m_date1904 = false;
    int m_activeTab = 0;
    std::vector<FontEntry> m_fonts;
    QHash<int, QString> m_formats;
    std::vector<XfEntry> m_xfs;
    std::vector<SheetEntry> m_sheets;
    std::vector<QString> m_strings;
    std::vector<std::int64_t> m_styleOfXf;
    WorkbookModel *m_model = nullptr;
    CellBudget m_budget;
};

} // namespace

WorkbookModel readXls(const QByteArray &file, const QString &fileName)
{
    const QByteArray stream = readWorkbookStream(file, fileName);
    try {
        return Reader(stream).read();
    } catch (const Damaged &damaged) {
        throw SheetError(QStringLiteral("无法读取文件“%1”：文件已损坏（%2）").arg(fileName, damaged.why));
    } catch (const CellBudget::Exceeded &) {
        throw SheetError(CellBudget::exceededText(fileName));
    } catch (const Unsupported &unsupported) {
        throw SheetError(QStringLiteral("无法读取文件“%1”：%2").arg(fileName, unsupported.why));
    }
}

} // namespace sheet
