#include "DemoCatalogue.h"

namespace bkdata {

namespace {

struct Title {
    const char *code;
    const char *name;
    const char *period;
    const char *days; // publication days in words
    double yearly, perIssue, monthly, quarterly, halfYearly;
    const char *kind; // 报纸 or 杂志
    const char *place;
    const char *cn;
};

// Newspapers carry an odd first code number, magazines an even one.
const Title kPostal[] = {
    {"1-1", "晨光日报", "日报", "每日出版", 396.00, 1.20, 0, 0, 0, "报纸", "北京", "CN11-0001"},
    {"1-2", "江城晚报", "日报", "每日出版", 360.00, 1.00, 30.00, 0, 0, "报纸", "武汉", "CN42-0012"},
    {"1-9", "工人时讯", "周6报", "每周1,2,3,4,5,6出版", 288.00, 0.90, 0, 0, 144.00, "报纸", "北京", "CN11-0019"},
    {"1-10", "农家信息报", "周5报", "每周1,2,3,4,5出版", 240.00, 0.90, 0, 60.00, 120.00, "报纸", "郑州", "CN41-0020"},
    {"1-11", "城市导报", "周4报", "每周1,2,4,5出版", 192.00, 0.90, 0, 0, 0, "报纸", "南京", "CN32-0021"},
    {"3-1", "科技信息报", "周3报", "每周1,3,5出版", 156.00, 1.00, 13.00, 0, 0, "报纸", "上海", "CN31-0031"},
    {"3-2", "健康周报", "周2报", "每周2,5出版", 96.00, 0.90, 0, 0, 48.00, "报纸", "广州", "CN44-0032"},
    {"3-5", "读书周报", "周报", "每周5出版", 52.00, 1.00, 0, 0, 0, "报纸", "上海", "CN31-0035"},
    {"5-1", "乡镇通讯", "旬2报", "单月份15号出版", 12.00, 2.00, 0, 0, 0, "报纸", "长沙", "CN43-0051"},
    {"5-3", "教育双周报", "双周报", "双周逢星期3出版", 39.00, 1.50, 0, 0, 0, "报纸", "成都", "CN51-0053"},
    {"5-4", "林业旬报", "旬报", "每月1,11,21号出版", 36.00, 1.00, 0, 0, 0, "报纸", "哈尔滨", "CN23-0054"},
    {"7-1", "法制半月报", "半月报", "每月1,16号出版", 24.00, 1.00, 2.00, 0, 0, "报纸", "北京", "CN11-0071"},
    {"7-2", "老年月报", "月报", "每月15号出版", 12.00, 1.00, 0, 0, 0, "报纸", "西安", "CN61-0072"},
    {"7-3", "财会月报", "月报", "每月31号出版", 24.00, 2.00, 0, 0, 0, "报纸", "天津", "CN12-0073"},
    {"2-1", "时事周刊", "周刊", "每周3出版", 260.00, 5.00, 0, 0, 0, "杂志", "北京", "CN11-0201"},
    {"2-2", "少年旬刊", "旬刊", "每月5,15,25号出版", 108.00, 3.00, 0, 27.00, 54.00, "杂志", "上海", "CN31-0202"},
    {"2-8", "家庭双周刊", "双周刊", "单周逢星期4出版", 104.00, 4.00, 0, 0, 0, "杂志", "广州", "CN44-0208"},
    {"4-1", "文学半月刊", "半月刊", "每月15,30号出版", 144.00, 6.00, 12.00, 0, 0, "杂志", "南京", "CN32-0401"},
    {"4-2", "数学月刊", "月刊", "每月的10号出版", 96.00, 8.00, 0, 0, 0, "杂志", "杭州", "CN33-0402"},
    {"4-3", "园艺月刊", "月刊", "每月的29号出版", 72.00, 6.00, 6.00, 18.00, 36.00, "杂志", "昆明", "CN53-0403"},
    {"6-1", "美术双月刊", "双月刊", "双月份20号出版", 60.00, 10.00, 0, 0, 30.00, "杂志", "天津", "CN12-0601"},
    {"6-2", "地理季刊", "季刊", "季中月份15号出版", 80.00, 20.00, 0, 0, 0, "杂志", "西安", "CN61-0602"},
    {"6-4", "档案季刊", "季刊", "季末月份31号出版", 60.00, 15.00, 0, 0, 0, "杂志", "北京", "CN11-0604"},
    {"8-1", "史学半年刊", "半年刊", "6-30,12-31出版", 50.00, 25.00, 0, 0, 0, "杂志", "济南", "CN37-0801"},
    {"8-2", "方志年刊", "年刊", "12-20出版", 45.00, 45.00, 0, 0, 0, "杂志", "太原", "CN14-0802"},
    {"8-3", "收藏丛刊", "不定", "不定期出版", 40.00, 10.00, 0, 0, 0, "杂志", "沈阳", "CN21-0803"},
};

struct Other {
    int type;
    const char *code;
    const char *name;
    const char *period;
    const char *days;
    double yearly, perIssue;
    const char *kind;
};

const Other kOther[] = {
    {1, "801-1", "企业管理内参", "月刊", "每月的5号出版", 120.00, 10.00, "杂志"},
    {1, "801-2", "行业动态快报", "周报", "每周1出版", 104.00, 2.00, "报纸"},
    {1, "801-10", "物流采购指南", "双月刊", "单月份10号出版", 90.00, 15.00, "杂志"},
    {2, "901-1", "复印报刊资料·哲学", "月刊", "每月的20号出版", 180.00, 15.00, "杂志"},
    {2, "901-2", "复印报刊资料·经济学", "月刊", "每月的20号出版", 180.00, 15.00, "杂志"},
    {2, "902-1", "复印报刊资料·教育学", "双月刊", "双月份20号出版", 96.00, 16.00, "杂志"},
    {3, "951-1", "邮政业务手册", "不定", "不定期出版", 68.00, 68.00, ""},
    {3, "951-2", "报刊发行实务", "不定", "不定期出版", 45.00, 45.00, ""},
};

QString num(double value)
{
    return value == 0 ? QStringLiteral("null") : QString::number(value, 'g', 15);
}

QString text(const char *value)
{
    return QStringLiteral("'") + QString::fromUtf8(value).replace(QLatin1Char('\''), QLatin1String("''"))
        + QStringLiteral("'");
}

QString postalInsert(const Title &t)
{
    return QStringLiteral("insert into post (bkdh,bkmc,kq,cbrq,qnj,dj,yj,jj,bnj,cn,issn,bkfl,bz,bkjb,fbkj,bkzl) "
                          "values (%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11,%12,%13,%14,%15,%16)")
        .arg(text(t.code), text(t.name), text(t.period), text(t.days), num(t.yearly), num(t.perIssue),
             num(t.monthly), num(t.quarterly), num(t.halfYearly))
        .arg(text(t.cn), QStringLiteral("null"),
             text(QString::fromUtf8(t.kind) == QStringLiteral("报纸") ? "综合报纸" : "综合期刊"),
             QStringLiteral("null"), text("省级"), text(t.place), text(t.kind));
}

} // namespace

QStringList demoStatements(int extraPostalRows)
{
    QStringList statements;
    for (const Title &t : kPostal)
        statements << postalInsert(t);
    for (const Other &o : kOther)
        statements << QStringLiteral("insert into nopost (bkdh,bkmc,kq,cbrq,qnj,dj,bkzl,mllx) "
                                     "values (%1,%2,%3,%4,%5,%6,%7,%8)")
                          .arg(text(o.code), text(o.name), text(o.period), text(o.days), num(o.yearly),
                               num(o.perIssue), text(o.kind), QString::number(o.type));

    // Generated titles cycle through the demo periods; codes continue from first number 101.
    const int periods = int(sizeof kPostal / sizeof kPostal[0]);
    for (int i = 0; i < extraPostalRows; ++i) {
        Title t = kPostal[i % periods];
        const QByteArray code = QStringLiteral("%1-%2").arg(101 + i / 100).arg(i % 100 + 1).toUtf8();
        const QByteArray name = (QString::fromUtf8(t.name) + QString::number(i + 1)).toUtf8();
        t.code = code.constData();
        t.name = name.constData();
        statements << postalInsert(t);
    }

    statements << QStringLiteral("insert into dwinfo (dwmc,lxr,phone) values ('青禾机械厂','林秀梅','0731-84412306')")
               << QStringLiteral("insert into dwinfo (dwmc,lxr,phone) values ('云栖第三中学','周建国','0731-85530718')")
               << QStringLiteral("insert into dwinfo (dwmc) values ('北岸区卫生院')");
    return statements;
}

} // namespace bkdata
