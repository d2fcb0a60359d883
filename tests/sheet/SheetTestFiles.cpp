#include "SheetTestFiles.h"

#include "sheet/Ole2.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>

namespace sheettest {

QString goldenFolder()
{
    return QStringLiteral(TAVRIN_TEST_DATA "/golden");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QString readText(const QString &path)
{
    return QString::fromUtf8(readFile(path));
}

QByteArray le16(unsigned v)
{
    char b[2];
    qToLittleEndian(quint16(v), b);
    return QByteArray(b, 2);
}

QByteArray le32(quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray record(quint16 type, const QByteArray &body)
{
    return le16(type) + le16(unsigned(body.size())) + body;
}

QByteArray bof(quint16 kind, quint16 version)
{
    return record(0x0809, le16(version) + le16(kind) + le16(0x0DBB) + le16(0x07CC) + le32(0) + le32(6));
}

QByteArray compoundFile(const QByteArray &workbookStream)
{
    return sheet::makeCompoundFile(workbookStream);
}

QByteArray workbookStream(const QByteArray &globalsExtra, const QList<QPair<QString, QByteArray>> &sheets)
{
    auto globals = [&](const QList<quint32> &offsets) {
        QByteArray out = bof(0x0005) + globalsExtra;
        for (qsizetype i = 0; i < sheets.size(); ++i) {
            const QByteArray name = sheets[i].first.toLatin1();
            out += record(0x0085, le32(offsets.value(i)) + QByteArray(2, '\0') + char(name.size()) + '\0' + name);
        }
        return out + record(0x000A, QByteArray());
    };
    QList<quint32> offsets(sheets.size(), 0);
    quint32 at = quint32(globals(offsets).size());
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        offsets[i] = at;
        at += quint32(sheets[i].second.size());
    }
    QByteArray stream = globals(offsets);
    for (const auto &sheet : sheets)
        stream += sheet.second;
    return stream;
}

ReaderRun independentDump(const QString &file)
{
    ReaderRun run;
    if (!QFileInfo::exists(QStringLiteral("/usr/bin/python3"))) {
        run.status = ReaderRun::Missing;
        run.output = QStringLiteral("/usr/bin/python3 is not installed");
        return run;
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(TAVRIN_TEST_DATA "/fixtures/independent_dump.py"), QStringLiteral("--every-style"), file});
    if (!python.waitForFinished(300000)) {
        python.kill();
        run.output = QStringLiteral("the reader did not finish");
        return run;
    }
    const QString out = QString::fromUtf8(python.readAllStandardOutput());
    if (python.exitCode() == 3) {
        run.status = ReaderRun::Missing;
        run.output = out.trimmed();
    } else if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        run.output = QString::fromUtf8(python.readAllStandardError());
    } else {
        run.status = ReaderRun::Ok;
        run.output = out;
    }
    return run;
}

QStringList comparableLines(const QString &dump)
{
    QStringList lines = dump.split(QLatin1Char('\n'));
    lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("default ")); });
    return lines;
}

} // namespace sheettest
