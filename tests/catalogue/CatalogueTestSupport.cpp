#include "CatalogueTestSupport.h"

#include "catalogue/UbkmlFrm.h"
#include "data/Udm.h"
#include "platform/TestHooks.h"
#include "sheet/Registry.h"
#include "widgets/TRadioGroup.h"

#include <QComboBox>
#include <QtTest>

sheet::CellValue T(const QString &text)
{
    return sheet::CellValue::text(text);
}

sheet::CellValue N(double number)
{
    return sheet::CellValue::number(number);
}

sheet::CellValue E()
{
    return sheet::CellValue();
}

CellRow Texts(const QStringList &texts)
{
    CellRow row;
    for (const QString &text : texts)
        row << (text.isEmpty() ? E() : T(text));
    return row;
}

void WriteWorkbook(const QString &path, const QList<TestSheet> &sheets)
{
    auto app = sheet::createApplication(QStringLiteral("Excel.Application"));
    QVERIFY(app);
    sheet::Workbook book = app->Workbooks().Add();
    while (book.Sheets().Count() < sheets.size())
        book.Sheets().add();
    for (int n = book.Sheets().Count(); n > sheets.size(); --n)
        book.Sheets().Item(n).Delete();
    for (int s = 0; s < sheets.size(); ++s) {
        sheet::Worksheet ws = book.Sheets().Item(s + 1);
        ws.setName(sheets.at(s).name);
        const QList<CellRow> &rows = sheets.at(s).rows;
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows.at(r).size(); ++c)
                if (!rows.at(r).at(c).isEmpty())
                    ws.Cells(r + 1, c + 1).setValue(rows.at(r).at(c));
    }
    book.SaveAs(path);
    app->Quit();
}

void ChooseFile(TbkmlFrm &window, const QString &path)
{
    platform::TestHooks::queueFileName(path);
    window.BitBtn1Click();
}

void ImportFile(TbkmlFrm &window, const QString &path, int type, int sheet)
{
    ChooseFile(window, path);
    window.mllxBox->setItemIndex(type);
    if (sheet >= 0)
        window.CBox->setCurrentIndex(sheet);
    window.BitBtn2Click();
}

QStringList Shown()
{
    QStringList shown;
    for (const platform::ShownMessage &m : platform::TestHooks::messages())
        shown << m.caption + QLatin1Char(':') + m.text;
    return shown;
}

QStringList Rows(const QString &sql)
{
    QStringList rows;
    db::Query query;
    const int n = OpenQuery(sql, query);
    if (n < 0)
        qWarning("Rows: %s", qPrintable(GP.LastError));
    if (n <= 0)
        return rows;
    for (query.first(); !query.eof(); query.next()) {
        QStringList fields;
        for (const QString &name : query.fieldNames())
            fields << (query.isNull(name) ? QStringLiteral("<null>") : query.fieldText(name));
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}
