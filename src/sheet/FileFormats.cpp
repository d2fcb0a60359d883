#include "FileFormats.h"

#include "Codecs.h"
#include "SheetError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sheet {

namespace {

// Larger files are refused before reading: no catalogue comes near this.
constexpr qint64 kMaxFileSize = 256 * 1024 * 1024;

const QString kSupported = QStringLiteral(".xls、.et、.xlsx、.ods、.csv");

bool isCompoundFile(const QByteArray &bytes)
{
    return bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

bool isZip(const QByteArray &bytes)
{
    return bytes.startsWith("PK\x03\x04");
}

// An OpenDocument package starts with its uncompressed "mimetype" entry.
bool isOpenDocument(const QByteArray &bytes)
{
    return bytes.mid(30, 8) == "mimetype" && bytes.left(100).contains("opendocument.spreadsheet");
}

// A text file's one sheet is named after the file, as far as a sheet name allows.
QString sheetNameFor(const QString &baseName)
{
    QString name;
    for (QChar ch : baseName)
        name += isForbiddenInSheetName(ch) ? QLatin1Char('_') : ch;
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    name = name.left(31);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("Sheet1") : name;
}

void writeAtomically(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw SheetError(QStringLiteral("无法保存文件“%1”：%2").arg(fileName, file.errorString()));
}

// libxlsxwriter writes to a path: let it write a temporary file in the target's folder,
// then rename that over the target.
void writeXlsxAtomically(const WorkbookModel &model, const QString &fileName)
{
    const QFileInfo target(fileName);
    if (!target.absoluteDir().exists())
        throw SheetError(QStringLiteral("无法保存文件“%1”：文件夹不存在").arg(fileName));
    QTemporaryFile temporary(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!temporary.open())
        throw SheetError(QStringLiteral("无法保存文件“%1”：%2").arg(fileName, temporary.errorString()));
    temporary.close();
    writeXlsx(model, temporary.fileName(), fileName);
    QFile::setPermissions(temporary.fileName(),
                          target.exists() ? target.permissions()
                                          : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw SheetError(QStringLiteral("无法保存文件“%1”：%2").arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    temporary.setAutoRemove(false);
}

} // namespace

FileKind fileKindOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("xls") || suffix == QLatin1String("et"))
        return FileKind::Xls;
    if (suffix == QLatin1String("xlsx"))
        return FileKind::Xlsx;
    if (suffix == QLatin1String("ods"))
        return FileKind::Ods;
    if (suffix == QLatin1String("csv"))
        return FileKind::Csv;
    return FileKind::Unknown;
}

WorkbookModel loadWorkbook(const QString &fileName)
{
    const FileKind kind = fileKindOf(fileName);
    if (kind == FileKind::Unknown)
        throw SheetError(QStringLiteral("无法打开文件“%1”：不支持这种文件类型（可以打开%2文件）").arg(fileName, kSupported));
    const QFileInfo info(fileName);
    if (!info.exists())
        throw SheetError(QStringLiteral("无法打开文件“%1”：文件不存在").arg(fileName));
    if (!info.isFile())
        throw SheetError(QStringLiteral("无法打开文件“%1”：不是文件").arg(fileName));
    if (info.size() > kMaxFileSize)
        throw SheetError(QStringLiteral("无法打开文件“%1”：文件过大").arg(fileName));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw SheetError(QStringLiteral("无法打开文件“%1”：%2").arg(fileName, file.errorString()));
    // Sized by the file itself (read(kMaxFileSize) would set the whole limit aside).
    const QByteArray bytes = file.read(info.size());

    if (kind == FileKind::Csv)
        return readCsv(bytes, fileName, sheetNameFor(info.completeBaseName()));
    if (isCompoundFile(bytes))
        return readXls(bytes, fileName);
    if (isZip(bytes))
        return isOpenDocument(bytes) ? readOds(bytes, fileName) : readXlsx(bytes, fileName);
    throw SheetError(QStringLiteral("无法打开文件“%1”：文件已损坏或不是电子表格文件").arg(fileName));
}

void saveWorkbook(const WorkbookModel &model, const QString &fileName)
{
    switch (fileKindOf(fileName)) {
    case FileKind::Xls: {
        QByteArray bytes;
        try {
            bytes = writeXls(model);
        } catch (const SheetError &error) {
            throw SheetError(QStringLiteral("无法保存文件“%1”：%2").arg(fileName, error.message()));
        }
        writeAtomically(fileName, bytes);
        return;
    }
    case FileKind::Xlsx: writeXlsxAtomically(model, fileName); return;
    default:
        throw SheetError(QStringLiteral("无法保存文件“%1”：只能保存为.xls、.et或.xlsx文件").arg(fileName));
    }
}

} // namespace sheet
