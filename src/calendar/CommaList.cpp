#include "calendar/CommaList.h"

namespace {

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= ' ';
}

// Reads a quoted item starting at the opening quote; stops after the closing quote or at the end.
QString readQuoted(const QString &text, qsizetype &pos)
{
    QString item;
    ++pos; // the opening quote
    while (pos < text.size()) {
        const QChar c = text.at(pos++);
        if (c != QLatin1Char('"')) {
            item += c;
        } else if (pos < text.size() && text.at(pos) == QLatin1Char('"')) {
            item += c; // a doubled quote stands for one
            ++pos;
        } else {
            break;
        }
    }
    return item;
}

} // namespace

QStringList SplitCommaList(const QString &text)
{
    QStringList items;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    auto skipBlanks = [&] {
        while (pos < size && isBlank(text.at(pos)))
            ++pos;
    };

    skipBlanks();
    while (pos < size) {
        if (text.at(pos) == QLatin1Char('"')) {
            items << readQuoted(text, pos);
        } else {
            const qsizetype start = pos;
            while (pos < size && !isBlank(text.at(pos)) && text.at(pos) != QLatin1Char(','))
                ++pos;
            items << text.mid(start, pos - start);
        }
        skipBlanks();
        if (pos < size && text.at(pos) == QLatin1Char(',')) {
            if (pos + 1 == size)
                items << QString(); // a comma at the end leaves an empty last item
            ++pos;
            skipBlanks();
        }
    }
    return items;
}

bool AllWholeNumbers(const QStringList &items)
{
    if (items.isEmpty())
        return false;
    for (const QString &item : items) {
        if (item.isEmpty())
            return false;
        for (const QChar c : item) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
    }
    return true;
}
