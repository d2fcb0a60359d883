#pragma once
// The parts of a workbook that liborcus hands over before the cells: shared strings,
// styles (of which fonts and number formats are kept) and global settings.

#include "CellValue.h"
#include "NumberFormats.h"
#include "WorkbookModel.h"

#include <orcus/spreadsheet/import_interface.hpp>

#include <QHash>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

namespace sheet::orcusimport {

namespace iface = orcus::spreadsheet::iface;

inline QString fromUtf8(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

class SharedStrings : public iface::import_shared_strings {
public:
    std::vector<QString> strings;

    size_t append(std::string_view s) override
    {
        strings.push_back(fromUtf8(s));
        return strings.size() - 1;
    }
    size_t add(std::string_view s) override
    {
        const QString text = fromUtf8(s);
        auto it = m_index.constFind(text);
        if (it != m_index.constEnd())
            return it.value();
        strings.push_back(text);
        m_index.insert(text, strings.size() - 1);
        return strings.size() - 1;
    }
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override {}
    void append_segment(std::string_view s) override { m_segments += fromUtf8(s); }
    size_t commit_segments() override
    {
        strings.push_back(m_segments);
        m_segments.clear();
        return strings.size() - 1;
    }

private:
    QHash<QString, size_t> m_index;
    QString m_segments;
};

// Fonts, number formats and cell formats; the rest of a style is not kept.
class Styles : public iface::import_styles {
public:
    struct FontEntry {
        QString name;
        double size = 0;
    };
    struct XfEntry {
        size_t font = 0;
        size_t format = 0;
    };

    CellStyle styleOfXf(size_t xf) const
    {
        CellStyle style = StyleTable::defaultStyle();
        const XfEntry x = xf < m_cellXfs.size() ? m_cellXfs[xf] : XfEntry{};
        if (x.font < m_fonts.size()) {
            if (!m_fonts[x.font].name.isEmpty())
                style.fontName = m_fonts[x.font].name;
            if (m_fonts[x.font].size > 0)
                style.fontSize = m_fonts[x.font].size;
        }
        QString code = m_formatCodes.value(x.format);
        if (code.isEmpty())
            code = builtinFormatCode(int(x.format));
        style.numberFormat = code.isEmpty() ? kGeneralFormat : code;
        return style;
    }

    void set_font_count(size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view s) override { m_font.name = fromUtf8(s); }
    void set_font_size(double point) override { m_font.size = point; }
    void set_font_underline(orcus::spreadsheet::underline_t) override {}
    void set_font_underline_width(orcus::spreadsheet::underline_width_t) override {}
    void set_font_underline_mode(orcus::spreadsheet::underline_mode_t) override {}
    void set_font_underline_type(orcus::spreadsheet::underline_type_t) override {}
    void set_font_underline_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                                  orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override {}
    void set_font_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                        orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override {}
    void set_strikethrough_style(orcus::spreadsheet::strikethrough_style_t) override {}
    void set_strikethrough_type(orcus::spreadsheet::strikethrough_type_t) override {}
    void set_strikethrough_width(orcus::spreadsheet::strikethrough_width_t) override {}
    void set_strikethrough_text(orcus::spreadsheet::strikethrough_text_t) override {}
    size_t commit_font() override
    {
        m_fonts.push_back(m_font);
        m_font = FontEntry{};
        return m_fonts.size() - 1;
    }

    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(orcus::spreadsheet::fill_pattern_t) override {}
    void set_fill_fg_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override {}
    void set_fill_bg_color(orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                           orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t) override {}
    size_t commit_fill() override { return m_fills++; }

    void set_border_count(size_t) override {}
    void set_border_style(orcus::spreadsheet::border_direction_t, orcus::spreadsheet::border_style_t) override {}
    void set_border_color(orcus::spreadsheet::border_direction_t, orcus::spreadsheet::color_elem_t,
                          orcus::spreadsheet::color_elem_t, orcus::spreadsheet::color_elem_t,
                          orcus::spreadsheet::color_elem_t) override {}
    void set_border_width(orcus::spreadsheet::border_direction_t, double, orcus::length_unit_t) override {}
    size_t commit_border() override { return m_borders++; }

    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    size_t commit_cell_protection() override { return m_protections++; }

    // Number formats: xlsx names them by number (numFmtId), which cell formats then use;
    // formats without a number get one of their own above the built-in range.
    void set_number_format_count(size_t) override {}
    void set_number_format_identifier(size_t id) override { m_formatId = id; }
    void set_number_format_code(std::string_view s) override { m_formatCode = fromUtf8(s); }
    size_t commit_number_format() override
    {
        const size_t id = m_formatId ? *m_formatId : 100000 + m_formatCodes.size();
        m_formatCodes.insert(id, m_formatCode);
        m_formatId.reset();
        m_formatCode.clear();
        return id;
    }

    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t index) override { m_xf.font = index; }
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_number_format(size_t index) override { m_xf.format = index; }
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(orcus::spreadsheet::hor_alignment_t) override {}
    void set_xf_vertical_alignment(orcus::spreadsheet::ver_alignment_t) override {}
    size_t commit_cell_xf() override
    {
        m_cellXfs.push_back(m_xf);
        m_xf = XfEntry{};
        return m_cellXfs.size() - 1;
    }
    size_t commit_cell_style_xf() override
    {
        m_xf = XfEntry{};
        return m_styleXfs++;
    }
    size_t commit_dxf() override
    {
        m_xf = XfEntry{};
        return m_dxfs++;
    }

    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    size_t commit_cell_style() override { return m_cellStyles++; }

private:
    std::vector<FontEntry> m_fonts;
    FontEntry m_font;
    QHash<size_t, QString> m_formatCodes;
    std::optional<size_t> m_formatId;
    QString m_formatCode;
    std::vector<XfEntry> m_cellXfs;
    XfEntry m_xf;
    size_t m_fills = 0, m_borders = 0, m_protections = 0, m_styleXfs = 0, m_dxfs = 0, m_cellStyles = 0;
};

class GlobalSettings : public iface::import_global_settings {
public:
    double dateOffset = 0; // days to add to serials counted from the file's origin

    void set_origin_date(int year, int, int) override { dateOffset = year == 1904 ? 1462 : 0; }
    void set_default_formula_grammar(orcus::spreadsheet::formula_grammar_t grammar) override { m_grammar = grammar; }
    orcus::spreadsheet::formula_grammar_t get_default_formula_grammar() const override { return m_grammar; }
    void set_character_set(orcus::character_set_t) override {}

private:
    orcus::spreadsheet::formula_grammar_t m_grammar = orcus::spreadsheet::formula_grammar_t::unknown;
};

} // namespace sheet::orcusimport
