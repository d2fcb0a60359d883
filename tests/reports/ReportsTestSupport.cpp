#include "ReportsTestSupport.h"

#include "data/Udm.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>

int AddUnit(const QString &name, const QString &contact, const QString &phone)
{
    if (!ExecSql(QStringLiteral("insert into dwinfo (dwmc,lxr,phone) values ('%1','%2','%3')")
                     .arg(SqlText(name), SqlText(contact), SqlText(phone))))
        return -1;
    db::Query q;
    if (OpenQuery(QStringLiteral("select id from dwinfo where dwmc='%1'").arg(SqlText(name)), q) != 1)
        return -1;
    return int(q.fieldInt(QStringLiteral("id")));
}

bool AddLine(int unit, int type, const QString &code, int qdy, int zdy, int copies, double amount)
{
    return ExecSql(QStringLiteral("insert into torder (dwid,mllx,bkdh,kq,qdy,zdy,fs,ke) values (%1,%2,'%3','',%4,%5,%6,%7)")
                       .arg(unit)
                       .arg(type)
                       .arg(SqlText(code))
                       .arg(qdy)
                       .arg(zdy)
                       .arg(copies)
                       .arg(QString::number(amount, 'g', 17)));
}

namespace {

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return program + QStringLiteral(" failed: ") + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

QString SheetDump(const QString &fileName)
{
    const QString script = QStringLiteral(
        "import sys\n"
        "def show(v):\n"
        "    if v is None: return ''\n"
        "    if isinstance(v, float): return '%g' % v\n"
        "    return str(v)\n"
        "name = sys.argv[1]\n"
        "if name.lower().endswith('.xlsx'):\n"
        "    import openpyxl\n"
        "    b = openpyxl.load_workbook(name)\n"
        "    for s in b.worksheets:\n"
        "        print('SHEET ' + s.title)\n"
        "        for row in s.iter_rows(values_only=True):\n"
        "            print('|'.join(show(v) for v in row))\n"
        "else:\n"
        "    import xlrd\n"
        "    b = xlrd.open_workbook(name, formatting_info=True)\n"
        "    for s in b.sheets():\n"
        "        print('SHEET ' + s.name)\n"
        "        for r in range(s.nrows):\n"
        "            print('|'.join(show(c.value) for c in s.row(r)))\n");
    return run(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, fileName});
}

QString TextFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing>");
    QStringDecoder decoder("GB18030");
    return decoder.decode(file.readAll());
}

QString PdfText(const QString &fileName, int first, int last)
{
    QStringList arguments = {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(first)};
    if (last > 0)
        arguments << QStringLiteral("-l") << QString::number(last);
    arguments << fileName << QStringLiteral("-");
    return run(QStringLiteral("pdftotext"), arguments);
}

int PdfPages(const QString &fileName)
{
    const QString info = run(QStringLiteral("pdfinfo"), {fileName});
    const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}
