// Finding titles the way a clerk types them: the readings of real titles (polyphonic words, Latin and
// digits inside, punctuation), the forms of serial numbers, and the search on a database on either
// engine: rows found by pinyin, initials and serial number, every row the character search found
// still found, and the search data following an import and a correction.

#include "TestDatabase.h"

#include "catalogue/CatalogueEdit.h"
#include "catalogue/SearchData.h"
#include "catalogue/TitleReadings.h"
#include "data/Udm.h"
#include "main/CatalogueQueries.h"

#include <QtTest>

namespace {

QStringList codesFound(const QString &filter, int tab = 0)
{
    db::Query q;
    const int n = OpenQuery(CatalogueStatement(tab, filter), q);
    if (n < 0)
        return {QStringLiteral("failed: ") + GP.LastError};
    QStringList codes;
    for (int row = 0; row < q.recordCount(); ++row)
        codes << q.value(row, q.fieldIndex(QStringLiteral("bkdh"))).toString();
    return codes;
}

void addTitle(const QString &table, const QString &code, const QString &title, const QString &cn,
              const QString &issn)
{
    const auto text = [](const QString &v) { return v.isNull() ? QStringLiteral("null") : "'" + SqlText(v) + "'"; };
    QVERIFY2(ExecSql(QStringLiteral("insert into %1 (bkdh,bkmc,cn,issn,mllx) values ('%2',%3,%4,%5,%6)")
                         .arg(table, code, text(title), text(cn), text(issn))
                         .arg(table == QLatin1String("post") ? 0 : 1)),
             qPrintable(GP.LastError));
}

} // namespace

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void titleReadings_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("spelling"); // the preferred reading
        QTest::addColumn<QString>("initials");
        QTest::addColumn<QString>("alternative"); // another spelling that also finds it, or empty
        QTest::newRow("人民日报") << "人民日报" << "renminribao" << "rmrb" << "";
        QTest::newRow("重庆日报") << "重庆日报" << "chongqingribao" << "cqrb" << "";
        QTest::newRow("银行家") << "银行家" << "yinhangjia" << "yhj" << "yinxingjia";
        QTest::newRow("长江日报") << "长江日报" << "changjiangribao" << "cjrb" << "zhangjiangribao";
        QTest::newRow("音乐爱好者") << "音乐爱好者" << "yinyueaihaozhe" << "yyahz" << "yinleaihaozhe";
        QTest::newRow("行政管理改革") << "行政管理改革" << "xingzhengguanligaige" << "xzglgg" << "";
        QTest::newRow("少年文艺") << "少年文艺" << "shaonianwenyi" << "snwy" << "";
        QTest::newRow("中国农业银行") << "中国农业银行报" << "zhongguonongyeyinhangbao" << "zgnyyhb" << "";
        QTest::newRow("Latin inside") << "IT经理世界" << "itjinglishijie" << "itjlsj" << "";
        QTest::newRow("full-width Latin") << "ＩＴ经理世界" << "itjinglishijie" << "itjlsj" << "";
        QTest::newRow("digits") << "21世纪经济报道" << "21shijijingjibaodao" << "21sjjjbd" << "";
        QTest::newRow("book marks") << "《求是》" << "qiushi" << "qs" << "";
        QTest::newRow("middle dot") << "中国青年报·周末版" << "zhongguoqingnianbaozhoumoban" << "zgqnbzmb" << "";
        QTest::newRow("brackets, blanks") << "读者 (原创版)" << "duzheyuanchuangban" << "dzycb" << "";
        QTest::newRow("ü as u and v") << "旅游" << "luyou" << "ly" << "lvyou";
        QTest::newRow("地 as di") << "中国国家地理" << "zhongguoguojiadili" << "zggjdl" << "zhongguoguojiadeli";
        QTest::newRow("no reading") << "··" << "" << "" << "";
    }
    void titleReadings()
    {
        QFETCH(QString, title);
        QFETCH(QString, spelling);
        QFETCH(QString, initials);
        QFETCH(QString, alternative);
        const TitleReadings r = ReadTitle(title);
        QCOMPARE(r.spellings.value(0), spelling);
        QCOMPARE(r.initials.value(0), initials);
        if (!alternative.isEmpty())
            QVERIFY2(r.spellings.contains(alternative), qPrintable(r.spellings.join(',')));
    }

    void searchTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reading");
        QTest::addColumn<QString>("key");
        QTest::newRow("initials") << " rmrb " << true << "rmrb";
        QTest::newRow("blanks inside") << "Ren Min Ri Bao" << true << "renminribao";
        QTest::newRow("full-width") << "ＲＭＲＢ" << true << "rmrb";
        QTest::newRow("Chinese") << "人民" << false << "";
        QTest::newRow("mixed") << "IT经理" << false << "";
        QTest::newRow("digits") << "21sj" << false << "";
        QTest::newRow("apostrophe") << "xi'an" << false << "";
        QTest::newRow("blanks only") << "   " << false << "";
    }
    void searchTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, reading);
        QFETCH(QString, key);
        QCOMPARE(IsReadingSearchText(text), reading);
        if (reading)
            QCOMPARE(ReadingSearchKey(text.trimmed()), key);
    }

    void serialForms_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("key");
        QTest::newRow("cn") << "CN11-0065" << "110065";
        QTest::newRow("cn, blank, lower case") << "cn 11-0065" << "110065";
        QTest::newRow("cn without prefix") << "11-0065" << "110065";
        QTest::newRow("cn with classification") << "CN11-0065/F" << "110065/f";
        QTest::newRow("issn") << "0254-5152" << "02545152";
        QTest::newRow("issn without hyphen") << "02545152" << "02545152";
        QTest::newRow("issn with prefix, x") << "ISSN 1002-462x" << "1002462x";
        QTest::newRow("full-width") << "ＣＮ１１－００６５" << "110065";
        QTest::newRow("nothing") << " - " << "";
    }
    void serialForms()
    {
        QFETCH(QString, typed);
        QFETCH(QString, key);
        QCOMPARE(SerialSearchKey(typed), key);
        QCOMPARE(SerialNumberForms("CN11-0065/F"), QStringList({"110065/f", "110065"}));
        QVERIFY(SerialNumberForms("").isEmpty());
    }

    // On the engine of the run: what the search finds once the search data is there.
    void searchOnTheDatabase()
    {
        TestDatabase tdb;
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        addTitle("post", "1-1", "人民日报", "CN11-0065", "0254-5152");
        addTitle("post", "1-2", "重庆日报", "CN50-0001/Z", null());
        addTitle("post", "1-3", "银行家", null(), "1002-462X");
        addTitle("post", "1-4", "IT经理世界", null(), null());
        addTitle("post", "1-5", "人民日报海外版", null(), null());
        addTitle("post", "1-6", "O'Brien Weekly", null(), null());
        addTitle("post", "1-7", null(), null(), null());
        addTitle("post", "1-8", "人民日报", null(), null()); // the same title under another code
        addTitle("nopost", "2-1", "长江日报", "cn 42-0019", null());
        int added = 0;
        QVERIFY2(RefreshSearchData(true, &added), qPrintable(GP.LastError));
        QCOMPARE(added, 7 + 5); // distinct titles, distinct serial numbers

        QCOMPARE(codesFound(TitleSearchCondition("rmrb")), QStringList({"1-1", "1-5", "1-8"}));
        QCOMPARE(codesFound(TitleSearchCondition("Ren Min")), QStringList({"1-1", "1-5", "1-8"}));
        QCOMPARE(codesFound(TitleSearchCondition("cqrb")), QStringList({"1-2"}));
        QCOMPARE(codesFound(TitleSearchCondition("yinhang")), QStringList({"1-3"}));
        QCOMPARE(codesFound(TitleSearchCondition("yinxing")), QStringList({"1-3"}));
        QCOMPARE(codesFound(TitleSearchCondition("itjl")), QStringList({"1-4"}));
        QCOMPARE(codesFound(TitleSearchCondition("IT")), QStringList({"1-4"}));
        QCOMPARE(codesFound(TitleSearchCondition("cjrb"), 1), QStringList({"2-1"}));
        QCOMPARE(codesFound(TitleSearchCondition("weekly")), QStringList({"1-6"}));
        QCOMPARE(codesFound(TitleSearchCondition("zzz")), QStringList());

        QCOMPARE(codesFound(SerialCondition("cn 11-0065")), QStringList({"1-1"}));
        QCOMPARE(codesFound(SerialCondition("02545152")), QStringList({"1-1"}));
        QCOMPARE(codesFound(SerialCondition("1002-462x")), QStringList({"1-3"}));
        QCOMPARE(codesFound(SerialCondition("CN50-0001")), QStringList({"1-2"}));
        QCOMPARE(codesFound(SerialCondition("CN50-0001/z")), QStringList({"1-2"}));
        QCOMPARE(codesFound(SerialCondition("CN42-0019"), 1), QStringList({"2-1"}));
        QCOMPARE(codesFound(SerialCondition("11-006")), QStringList());

        // Every row the character search finds, the search finds still; for any other text the
        // condition is the character search's own.
        for (const char *typed : {"人民", "IT", "it", "O'Brien", "日报", "e", "xyz"}) {
            const QString text = QString::fromUtf8(typed);
            const QStringList before = codesFound(TitleCondition(text));
            const QStringList now = codesFound(TitleSearchCondition(text));
            for (const QString &code : before)
                QVERIFY2(now.contains(code), qPrintable(text + ": " + code));
            if (!IsReadingSearchText(text))
                QCOMPARE(TitleSearchCondition(text), TitleCondition(text));
        }

        // Twice is once: nothing is computed again, and rows of texts no catalogue holds go.
        QVERIFY(RefreshSearchData(true, &added));
        QCOMPARE(added, 0);
        QVERIFY(ExecSql("delete from post where bkdh='1-6'"));
        QVERIFY(RefreshSearchData(true, &added));
        QCOMPARE(added, 0);
        db::Query rows;
        QCOMPARE(OpenQuery("select * from bkjs where yw='O''Brien Weekly'", rows), 0);
    }

    // A correction of a title gives it its readings at once; an import's rows get theirs from the
    // refresh that ends the import.
    void correctionAndImportRefresh()
    {
        TestDatabase tdb;
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        addTitle("nopost", "3-1", "旧刊名", null(), null());
        QVERIFY(RefreshSearchData(true));
        db::Query entry;
        QCOMPARE(OpenQuery(CatalogueStatement(1, QString()), entry), 1);
        QString error;
        QVERIFY2(PostCatalogueChanges(entry, dm->ADOConnection, {{"bkmc", QString("少年文艺")}}, &error), qPrintable(error));
        QCOMPARE(codesFound(TitleSearchCondition("snwy"), 1), QStringList({"3-1"}));

        QVERIFY(ExecSqlBatch({"delete from nopost where bkdh='3-2'",
                              "insert into nopost (bkdh,bkmc,mllx) values ('3-2','音乐爱好者',1)"}));
        QCOMPARE(codesFound(TitleSearchCondition("yyahz"), 1), QStringList());
        QVERIFY(RefreshSearchData());
        QCOMPARE(codesFound(TitleSearchCondition("yyahz"), 1), QStringList({"3-2"}));
    }

    // A database made before the search data existed gets the table (the login's step), and the
    // step may run again.
    void olderDatabaseGetsTheTable()
    {
        TestDatabase tdb;
        QVERIFY2(tdb.ok(), TestDatabase::engineName());
        addTitle("post", "4-1", "参考消息", null(), null());
        QVERIFY(ExecSql("drop table bkjs"));
        QVERIFY2(EnsureSearchDataTable(), qPrintable(GP.LastError));
        QVERIFY(EnsureSearchDataTable());
        QVERIFY(RefreshSearchData(true));
        QCOMPARE(codesFound(TitleSearchCondition("ckxx")), QStringList({"4-1"}));
    }

private:
    static QString null() { return QString(); }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    SearchTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_search.moc"
