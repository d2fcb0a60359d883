#pragma once
// What a cell holds: nothing, a text, a number, a truth value, a date (kept as its
// serial day number, 1900 date system) or an error code such as "#DIV/0!".

#include <QString>
#include <optional>

namespace sheet {

class CellValue {
public:
    enum class Type { Empty, Text, Number, Boolean, Date, Error };

    CellValue() = default;
    static CellValue text(const QString &text);
    static CellValue number(double value);
    static CellValue boolean(bool value);
    static CellValue date(double serial);
    static CellValue error(const QString &code);

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Type::Empty; }
    bool isText() const { return m_type == Type::Text; }
    bool isNumber() const { return m_type == Type::Number; }

    // The cell as text: numbers in plain decimal notation with a point ("180", "12.5"),
    // texts unchanged, truth values "True"/"False", dates "yyyy-MM-dd" (with " HH:mm:ss"
    // when the serial has a time part), errors as their code, nothing as "".
    QString toText() const;
    // Numbers and dates as they are, truth values as 1/0, texts when they read as a
    // number, everything else 0.
    double toNumber() const;
    // The raw payloads: the text of Text and Error, the number of Number, Date, Boolean.
    const QString &textPayload() const { return m_text; }
    double numberPayload() const { return m_number; }

    bool operator==(const CellValue &other) const;

private:
    Type m_type = Type::Empty;
    double m_number = 0;
    QString m_text;
};

// Shortest plain decimal form of a number, at most 15 significant digits, no exponent.
QString plainNumberText(double value);
// A text that a user typing it into a General cell would get as a number: optional
// sign, digits with an optional decimal point, optional exponent, surrounding blanks
// allowed. Anything else (thousands separators, percent, dates) stays text.
std::optional<double> typedNumber(const QString &text);
// Serial day number (1900 system, with its phantom 29 February 1900) to
// "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss"; and back from a calendar date and time.
QString serialDateText(double serial);
double serialFromDateTime(int year, int month, int day, int hour, int minute, double second);

} // namespace sheet
