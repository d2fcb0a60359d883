#include "export/AnsiText.h"

#include "export/ExportError.h"

#include <QSaveFile>
#include <QStringEncoder>

#include <cmath>

QByteArray EncodeAnsiLines(const QStringList &lines)
{
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        throw GridExportError(QStringLiteral("系统不支持GB18030编码，无法写入文本文件"));
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += encoder.encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

void WriteAnsiLines(const QString &fileName, const QStringList &lines)
{
    const QByteArray bytes = EncodeAnsiLines(lines);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw GridExportError(QStringLiteral("无法写入文件“%1”：%2").arg(fileName, file.errorString()));
}

QString GeneralFloatText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QString::number(value);
    QString text = QString::number(value, 'g', 15); // shortest form up to 15 significant digits
    const double magnitude = std::fabs(value);
    const bool fixed = magnitude >= 0.00001 && magnitude < 1e15;
    if (fixed && text.contains(QLatin1Char('e'))) {
        text = QString::number(value, 'f', 15 - 1 - int(std::floor(std::log10(magnitude))));
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.')))
                text.chop(1);
        }
        return text;
    }
    if (!fixed) {
        if (!text.contains(QLatin1Char('e')))
            text = QString::number(value, 'e', 14);
        // mantissa without trailing zeros, exponent without "+" and leading zeros
        const qsizetype e = text.indexOf(QLatin1Char('e'));
        QString mantissa = text.left(e);
        const int exponent = text.mid(e + 1).toInt();
        if (mantissa.contains(QLatin1Char('.'))) {
            while (mantissa.endsWith(QLatin1Char('0')))
                mantissa.chop(1);
            if (mantissa.endsWith(QLatin1Char('.')))
                mantissa.chop(1);
        }
        return mantissa + QLatin1Char('E') + QString::number(exponent);
    }
    return text;
}
