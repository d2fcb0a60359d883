#pragma once
// A data grid column: which field it shows, its title, width, alignment, number format, visibility and
// footers. A column has one footer, or a footer list when it shows more than one footer row.

#include <QString>
#include <QVector>
#include <Qt>

#include <optional>

enum class TFooterValueType {
    ftNone,       // nothing
    ftSum,        // the sum of the column's field over all rows of the data set
    ftStaticText, // the footer's Value text
};

struct TColumnFooter {
    TFooterValueType ValueType = TFooterValueType::ftNone;
    QString Value;         // the text of a static footer
    QString DisplayFormat; // of a sum; empty: the column's own format
    std::optional<Qt::Alignment> Alignment; // unset: like the column's cells
};

struct TColumnTitle {
    QString Caption; // "|" or a line break starts a new title line
    Qt::Alignment Alignment = Qt::AlignLeft;
};

struct TColumn {
    QString FieldName;
    TColumnTitle Title;
    int Width = 64; // pixels
    std::optional<Qt::Alignment> Alignment; // unset: numbers to the right, texts to the left
    QString DisplayFormat;                  // for numbers, e.g. "0.00"
    bool Visible = true;
    TColumnFooter Footer;
    QVector<TColumnFooter> Footers; // when not empty it replaces Footer, one item per footer row

    // The footer shown in footer row `row` (0-based), or nullptr.
    const TColumnFooter *footerAt(int row) const
    {
        if (!Footers.isEmpty())
            return row < Footers.size() ? &Footers.at(row) : nullptr;
        return row == 0 ? &Footer : nullptr;
    }
    int footerSlots() const { return Footers.isEmpty() ? 1 : int(Footers.size()); }
};

// A column as the window descriptions list them.
inline TColumn MakeColumn(const QString &field, const QString &title, int width,
                          std::optional<Qt::Alignment> alignment = std::nullopt, const QString &format = QString())
{
    TColumn c;
    c.FieldName = field;
    c.Title.Caption = title;
    c.Width = width;
    c.Alignment = alignment;
    c.DisplayFormat = format;
    return c;
}
