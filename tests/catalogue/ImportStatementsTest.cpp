// The statements an import builds from a sheet row, without any window: the worked row, header names
// matched ignoring case but written as spelled, empty cells, quotes, numbers given as text, and the
// cells and headers that must never reach a statement.

#include "CatalogueTestSupport.h"
#include "CatalogueTests.h"

#include "catalogue/CatalogueImport.h"

#include <QtTest>

#include <limits>

class ImportStatementsTest : public QObject {
    Q_OBJECT

private slots:
    void workedRowGivesDeleteThenInsert()
    {
        const QStringList headers = {"BKDH", "BKMC", "MLLX", "QNJ"};
        const QString table = ImportTargetTable(2);
        const ImportRowStatements row =
            BuildImportRow(table, ImportInsertHead(table, headers), headers, {T("1-101"), T("示例"), N(2), N(120)}, 2);
        QCOMPARE(row.badColumn, -1);
        QCOMPARE(row.statements, QStringList({"delete from nopost where bkdh='1-101' and mllx=2",
                                              "insert into nopost (BKDH,BKMC,MLLX,QNJ) values ('1-101','示例',2,120)"}));
    }

    void targetTableFollowsTheType()
    {
        QCOMPARE(ImportTargetTable(0), QString("post"));
        QCOMPARE(ImportTargetTable(1), QString("nopost"));
        QCOMPARE(ImportTargetTable(3), QString("nopost"));
    }

    void headersMatchIgnoringCaseButKeepTheirSpelling()
    {
        const QStringList headers = {"bkmc", "Bkdh", "qnj", "Mllx", "Dj", "yJ", "jj", "bNJ", "kq"};
        QCOMPARE(ImportColumnKindOf("Bkdh"), ImportColumnKind::Code);
        for (const char *numeric : {"qnj", "Mllx", "Dj", "yJ", "jj", "bNJ"})
            QCOMPARE(ImportColumnKindOf(numeric), ImportColumnKind::Number);
        QCOMPARE(ImportColumnKindOf("kq"), ImportColumnKind::Text);
        QCOMPARE(ImportColumnKindOf("bkdh2"), ImportColumnKind::Text);

        const QString head = ImportInsertHead("post", headers);
        QCOMPARE(head, QString("insert into post (bkmc,Bkdh,qnj,Mllx,Dj,yJ,jj,bNJ,kq)"));
        const ImportRowStatements row = BuildImportRow(
            "post", head, headers, {T("名"), T("3-4"), N(1.5), N(0), N(12.25), N(100000), N(3), N(7), T("月刊")});
        QCOMPARE(row.statements,
                 QStringList({"delete from post where bkdh='3-4'",
                              head + " values ('名','3-4',1.5,0,12.25,100000,3,7,'月刊')"}));
    }

    void emptyCellsWriteNullButAnEmptyTextIsAText()
    {
        const QStringList headers = {"BKDH", "BKMC", "QNJ", "BZ"};
        const ImportRowStatements row =
            BuildImportRow("post", "H", headers, {T("1-1"), E(), E(), T("")});
        QCOMPARE(row.statements.last(), QString("H values ('1-1',null,null,'')"));
        // A row shorter than the header (cells past the used range) reads as empty cells.
        QCOMPARE(BuildImportRow("post", "H", headers, {T("1-1")}).statements.last(),
                 QString("H values ('1-1',null,null,null)"));
    }

    void withoutCodeColumnNothingIsDeleted()
    {
        const ImportRowStatements row = BuildImportRow("nopost", "H", {"BKMC", "QNJ"}, {T("甲"), N(5)}, 1);
        QCOMPARE(row.statements, QStringList({"H values ('甲',5,1)"})); // the type chosen, as no column gives it
        QCOMPARE(ImportInsertHead("nopost", {"BKMC", "QNJ"}), QString("insert into nopost (BKMC,QNJ,mllx)"));
    }

    void quotesInTextsAreDoubled()
    {
        const QStringList headers = {"BKDH", "BKMC", "BZ"};
        const ImportRowStatements row =
            BuildImportRow("post", "H", headers, {T("1-2"), T("O'Neil said \"it's\""), T("'); drop table post;--")});
        QCOMPARE(row.statements, QStringList({"delete from post where bkdh='1-2'",
                                              "H values ('1-2','O''Neil said \"it''s\"','''); drop table post;--')"}));
        // A quote in a code makes no code at all: the row is refused.
        const ImportRowStatements quoted = BuildImportRow("post", "H", headers, {T("1-'2"), T("x"), E()});
        QCOMPARE(quoted.fault, ImportCellFault::BadCode);
        QCOMPARE(quoted.badColumn, 0);
        QVERIFY(quoted.statements.isEmpty());
    }

    void numericColumnsTakeNumbersOnly()
    {
        QCOMPARE(NumericCellSql(N(180)), QString("180"));
        QCOMPARE(NumericCellSql(N(12.5)), QString("12.5"));
        QCOMPARE(NumericCellSql(N(0.1 + 0.2)), QString("0.3"));
        QCOMPARE(NumericCellSql(T(" 96.00 ")), QString("96")); // a number stored as text, as csv or a text cell gives it
        QCOMPARE(NumericCellSql(T("1e3")), QString("1000"));
        QCOMPARE(NumericCellSql(T("12元")), QString());
        QCOMPARE(NumericCellSql(T("1,200")), QString());
        QCOMPARE(NumericCellSql(T("")), QString());
        QCOMPARE(NumericCellSql(T("0);delete from post;--")), QString());
        QCOMPARE(NumericCellSql(sheet::CellValue::boolean(true)), QString());
        QCOMPARE(NumericCellSql(sheet::CellValue::date(40179)), QString());
        QCOMPARE(NumericCellSql(sheet::CellValue::error("#DIV/0!")), QString());

        const QStringList headers = {"BKDH", "BKMC", "QNJ", "DJ"};
        const ImportRowStatements bad = BuildImportRow("post", "H", headers, {T("1-1"), T("甲"), N(5), T("abc")});
        QCOMPARE(bad.badColumn, 3);
        QVERIFY(bad.statements.isEmpty());
        QCOMPARE(BuildImportRow("post", "H", headers, {T("1-1"), T("甲"), T("8"), N(1)}).statements.last(),
                 QString("H values ('1-1','甲',8,1)"));
    }

    // Prices are finite numbers, not negative; NaN and infinities are no numbers at all.
    void pricesAreFiniteAndNotNegative()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        for (double v : {nan, inf, -inf})
            QCOMPARE(NumericCellSql(N(v)), QString());
        for (const char *text : {"nan", "NaN", "inf", "-inf", "Infinity", "1e999"})
            QVERIFY2(NumericCellSql(T(QString::fromLatin1(text))).isEmpty(), text);

        const QStringList headers = {"BKDH", "QNJ", "DJ", "YJ", "JJ", "BNJ", "MLLX"};
        const QVector<sheet::CellValue> sound = {T("1-1"), N(120), N(10), N(0), E(), N(60), N(1)};
        QCOMPARE(BuildImportRow("post", "H", headers, sound).statements.last(), QString("H values ('1-1',120,10,0,null,60,1)"));
        const QList<QPair<sheet::CellValue, ImportCellFault>> refused = {
            {N(nan), ImportCellFault::NoValue},        {N(inf), ImportCellFault::NotANumber},
            {N(-inf), ImportCellFault::NotANumber},    {N(-5), ImportCellFault::NegativePrice},
            {T("-5"), ImportCellFault::NegativePrice}, {N(-0.01), ImportCellFault::NegativePrice}};
        for (int column = 1; column <= 5; ++column) {
            for (const auto &[value, fault] : refused) {
                QVector<sheet::CellValue> cells = sound;
                cells[column] = value;
                const ImportRowStatements row = BuildImportRow("post", "H", headers, cells);
                QCOMPARE(row.fault, fault);
                QCOMPARE(row.badColumn, column);
                QVERIFY(row.statements.isEmpty());
            }
        }
        QCOMPARE(NegativePriceMessage(3, 2, "QNJ", "-5"),
                 QString("第3行第2列(QNJ)的内容“-5”不是有效的价格(价格不能为负数),导入在此行停止,此前各行已经导入..."));
        QCOMPARE(CellFaultMessage(ImportCellFault::NotANumber, 3, 2, "QNJ", "nan"), NotANumberMessage(3, 2, "QNJ", "nan"));
    }

    // A code is two whole numbers joined by "-" that the catalogue's sort converts; blanks around it go.
    void codesAreTwoWholeNumbers()
    {
        for (const char *good : {"1-1", "0-0", "4-2", "801-10", "214748-3647", "01-007"})
            QVERIFY2(IsCatalogueCode(QString::fromLatin1(good)), good);
        for (const char *bad : {"", "ABC", "A-B", "１-１", "1'-1", "99999999999-1", "1-99999999999", "1-1-1", "-1", "1-",
                                "1--1", "+1-1", "1-+1", " 1-1", "1-1 ", "1 -1", "1.5-1", "214748-3648", "1-2147483648"})
            QVERIFY2(!IsCatalogueCode(QString::fromUtf8(bad)), bad);

        const QStringList headers = {"BKDH", "BKMC"};
        QCOMPARE(BuildImportRow("post", "H", headers, {T(" 1-1 "), T("甲")}).statements,
                 QStringList({"delete from post where bkdh='1-1'", "H values ('1-1','甲')"}));
        QCOMPARE(BuildImportRow("post", "H", headers, {T("1-1\t"), T("甲")}).statements.first(),
                 QString("delete from post where bkdh='1-1'"));
        for (const char *bad : {"ABC", "A-B", "１-１", "1'-1", "99999999999-1"}) {
            const ImportRowStatements row = BuildImportRow("post", "H", headers, {T(QString::fromUtf8(bad)), T("甲")});
            QCOMPARE(row.fault, ImportCellFault::BadCode);
            QCOMPARE(row.badColumn, 0);
            QVERIFY(row.statements.isEmpty());
        }
        QCOMPARE(BuildImportRow("post", "H", headers, {E(), T("甲")}).fault, ImportCellFault::BadCode);
        QCOMPARE(BadCodeMessage(7, 1, "BKDH", "A-B"),
                 QString("第7行第1列(BKDH)的报刊代号“A-B”无效(应为以“-”相连的两个整数,如 4-2),导入在此行停止,此前各行已经导入..."));
    }

    void aColumnNamedTwiceIsFound()
    {
        QCOMPARE(FirstDuplicateHeader({"BKDH", "BKMC", "QNJ"}).first, -1);
        const DuplicateHeader twice = FirstDuplicateHeader({"BKDH", "BKMC", "QNJ", "bkmc2", "bkdh"});
        QCOMPARE(twice.first, 0);
        QCOMPARE(twice.second, 4);
        const DuplicateHeader qnj = FirstDuplicateHeader({"BKDH", "qnj", "BKMC", "QNJ", "bkdh"});
        QCOMPARE(qnj.first, 1);
        QCOMPARE(qnj.second, 3);
        QCOMPARE(DuplicateHeaderMessage(1, "BKDH", 5, "bkdh"),
                 QString("第1行第1列的列名“BKDH”与第5列的列名“bkdh”是同一列,导入在此停止,没有导入任何行..."));
        QCOMPARE(ImportStoppedMessage(3086, 3084), QString("导入目录在第3086行停止,已导入3084行..."));
    }

    void onlyPlainColumnNamesPass()
    {
        for (const char *good : {"BKDH", "bkmc", "_x", "col_2", "A1"})
            QVERIFY2(IsPlainColumnName(QString::fromUtf8(good)), good);
        for (const char *bad : {"", " BKDH", "BKDH ", "bk dh", "单价", "2col", "a;b", "a,b", "a)", "\"a\"", "a'b",
                                   "qnj--", "ｑｎｊ"})
            QVERIFY2(!IsPlainColumnName(QString::fromUtf8(bad)), bad);
        QCOMPARE(FirstBadHeader({"BKDH", "BKMC"}), -1);
        QCOMPARE(FirstBadHeader({"BKDH", "报刊名称", "x y"}), 1);
        // Words of SQL are no column names, however plain.
        QCOMPARE(FirstBadHeader({"BKDH", "mod", "BKMC"}), 1);
        QCOMPARE(FirstBadHeader({"BKDH", "Select"}), 1);
        QCOMPARE(FirstBadHeader({"BKDH", "modx", "order_no"}), -1);
    }

    // A text holding the character 0 and a number cell without a value (a formula whose result was
    // never stored) stop the row with a message of their own, nothing of the row written.
    void cellsNoStatementCarriesAreNamed()
    {
        const QStringList headers = {"BKDH", "BKMC", "QNJ"};
        const ImportRowStatements nul = BuildImportRow("post", "H", headers, {T("1-1"), T(QString("a") + QChar(0) + "b"), N(1)});
        QCOMPARE(nul.fault, ImportCellFault::NulCharacter);
        QCOMPARE(nul.badColumn, 1);
        QVERIFY(nul.statements.isEmpty());
        const ImportRowStatements formula =
            BuildImportRow("post", "H", headers, {T("1-1"), T("甲"), N(std::numeric_limits<double>::quiet_NaN())});
        QCOMPARE(formula.fault, ImportCellFault::NoValue);
        QCOMPARE(formula.badColumn, 2);
        QVERIFY(formula.statements.isEmpty());
        QCOMPARE(CellFaultMessage(ImportCellFault::NulCharacter, 5, 2, "BKMC", "a"),
                 QString("第5行第2列(BKMC)的内容含有空字符(NUL),不能导入,导入在此行停止,此前各行已经导入..."));
        QCOMPARE(CellFaultMessage(ImportCellFault::NoValue, 6, 3, "QNJ", "NaN"),
                 QString("第6行第3列(QNJ)没有数值(多为没有保存计算结果的公式,请在Excel或WPS中重新计算并保存后再导入),"
                         "导入在此行停止,此前各行已经导入..."));
        QCOMPARE(BadHeaderMessage(4, "mod"), QString("第1行第4列的列名“mod”是数据库的保留字,不是目录的列名,导入在此停止..."));
    }

    void stopMessagesNameRowAndColumn()
    {
        QCOMPARE(NotANumberMessage(4, 3, "QNJ", "abc"),
                 QString("第4行第3列(QNJ)的内容“abc”不是数字,导入在此行停止,此前各行已经导入..."));
        QCOMPARE(BadHeaderMessage(2, "报刊名称"),
                 QString("第1行第2列的列名“报刊名称”不是有效的列名(只能由字母、数字和下划线组成),导入在此停止..."));
    }
};

int runImportStatementsTest(int argc, char **argv)
{
    ImportStatementsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ImportStatementsTest.moc"
