#include "BiffRecords.h"

#include <cstring>

namespace sheet::biff {

namespace {
struct ErrorName {
    int code;
    const char *text;
};
const ErrorName kErrors[] = {
    {0x00, "#NULL!"}, {0x07, "#DIV/0!"}, {0x0F, "#VALUE!"}, {0x17, "#REF!"},
    {0x1D, "#NAME?"}, {0x24, "#NUM!"},   {0x2A, "#N/A"},
};
} // namespace

QString errorText(int code)
{
    for (const auto &e : kErrors)
        if (e.code == code)
            return QString::fromLatin1(e.text);
    return QStringLiteral("#N/A");
}

int errorCode(const QString &text)
{
    for (const auto &e : kErrors)
        if (text == QLatin1String(e.text))
            return e.code;
    return 0x2A;
}

double rkValue(std::uint32_t rk)
{
    double value;
    if (rk & 2) {
        value = double(std::int32_t(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100.0 : value;
}

} // namespace sheet::biff
