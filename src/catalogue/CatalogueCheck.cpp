#include "catalogue/CatalogueCheck.h"

#include "calendar/DateTable.h"
#include "calendar/IssueCount.h"
#include "calendar/Vocabulary.h"
#include "data/CatalogueCode.h"
#include "data/Udm.h"

#include <QDate>
#include <QHash>

#include <cmath>
#include <utility>

namespace {

QString money(double value)
{
    return QString::number(value, 'f', 2);
}

QString quoted(const QString &text)
{
    return QStringLiteral("“") + text + QStringLiteral("”");
}

// Whether some term the catalogue offers for the entry prices by issues: a half year without 半年价
// and 月价, a quarter without 季价 and 月价, a month range without 月价.
bool pricesByIssues(const CheckedEntry &entry, int periodIndex, int catalogueType)
{
    const QStringList terms = OfferedTermListText(periodIndex, catalogueType).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (int term = 1; term < terms.size(); ++term) {
        if (entry.yj != 0)
            return false; // every partial term finds the month price first
        if (term == TermFirstHalf || term == TermSecondHalf) {
            if (entry.bnj == 0)
                return true;
        } else if (term >= TermQuarter1 && term <= TermQuarter4) {
            if (entry.jj == 0)
                return true;
        } else if (term == TermMonths) {
            return true;
        }
    }
    return false;
}

bool isCountedPeriod(int periodIndex)
{
    return periodIndex >= 0 && periodIndex <= 20; // 不定 (21) and unknown periods count nothing
}

class Checker {
public:
    Checker(const QVector<CheckedEntry> &entries, const CatalogueCheckContext &context)
        : m_entries(entries), m_context(context)
    {
        for (const CheckedEntry &entry : entries)
            ++m_codeUses[entry.bkdh];
    }

    QVector<CheckFinding> run()
    {
        for (int i = 0; i < m_entries.size(); ++i)
            checkEntry(i);
        return m_findings;
    }

private:
    void add(int entry, CheckProblem problem, const QString &detail, bool warning = false)
    {
        m_findings.append({entry, problem, warning, detail});
    }

    // The issues of the whole processing year, counted once per statement: -2 when not counted at all
    // (no counter), -1 when the text cannot be read or the statement fails.
    int yearIssues(const CheckedEntry &entry)
    {
        const IssueCountQuery query = IssueCountStatement(entry.kq, entry.cbrq, 1, 12, m_context.workYear);
        if (query.kind == IssueCountQuery::Kind::Failure)
            return -1;
        if (query.kind == IssueCountQuery::Kind::NotCounted)
            return 0;
        if (!m_context.countRows)
            return -2;
        const auto cached = m_counts.constFind(query.text);
        if (cached != m_counts.constEnd())
            return *cached;
        const int count = m_context.countRows(query.text);
        m_counts.insert(query.text, count < 0 ? -1 : count);
        return count < 0 ? -1 : count;
    }

    void checkEntry(int i)
    {
        const CheckedEntry &e = m_entries.at(i);
        qint64 key = 0;
        const bool codeOk = CatalogueSortKey(e.bkdh, key);
        if (!codeOk)
            add(i, CheckProblem::BadCode,
                QStringLiteral("代号") + quoted(e.bkdh) + QStringLiteral("不是两个整数以“-”相连，目录无法按代号排序载入"));
        const int uses = m_codeUses.value(e.bkdh);
        if (uses > 1)
            add(i, CheckProblem::DuplicateCode,
                QStringLiteral("代号") + quoted(e.bkdh) + QStringLiteral("在本目录中出现") + QString::number(uses)
                    + QStringLiteral("次"));

        const int period = PeriodIndex(e.kq);
        if (period < 0)
            add(i, CheckProblem::UnknownPeriod,
                QStringLiteral("刊期") + quoted(e.kq) + QStringLiteral("不在刊期表中")
                    + (m_context.catalogueType == 0 ? QStringLiteral("，无法选择订阅期限") : QString()));

        int issues = -2;
        if (isCountedPeriod(period)) {
            const bool needed = pricesByIssues(e, period, m_context.catalogueType);
            const bool compared = e.qnj != 0 && e.dj != 0 && m_context.calendarReady;
            if (needed || compared)
                issues = yearIssues(e);
            if (needed && issues == -1)
                add(i, CheckProblem::UnreadableDays,
                    QStringLiteral("出版日期") + quoted(e.cbrq) + QStringLiteral("按刊期") + quoted(e.kq)
                        + QStringLiteral("读不出期数，非全年订阅将提示“出版日期错”"));
            else if (needed && issues == 0 && m_context.calendarReady)
                add(i, CheckProblem::UnreadableDays,
                    QStringLiteral("出版日期") + quoted(e.cbrq) + QStringLiteral("在") + QString::number(m_context.workYear)
                        + QStringLiteral("年数不出一期，按期计价的非全年订阅款额为0"));
        }

        if (e.qnj == 0)
            add(i, CheckProblem::NoYearPrice, QStringLiteral("没有年价，全年订阅款额为0"));

        checkPrices(i, issues);

        if (m_context.catalogueType == 0 && codeOk) {
            const bool odd = (key / 10000) % 2 != 0;
            if (e.bkzl == QStringLiteral("报纸") && !odd)
                add(i, CheckProblem::KindVsCode,
                    QStringLiteral("报纸的代号首数应为单数，") + quoted(e.bkdh) + QStringLiteral("为双数"), true);
            else if (e.bkzl == QStringLiteral("杂志") && odd)
                add(i, CheckProblem::KindVsCode,
                    QStringLiteral("杂志的代号首数应为双数，") + quoted(e.bkdh) + QStringLiteral("为单数"), true);
        }
    }

    void checkPrices(int i, int issues)
    {
        const CheckedEntry &e = m_entries.at(i);
        auto above = [&](double lower, const QString &lowerName, double upper, const QString &upperName) {
            if (lower != 0 && upper != 0 && lower > upper)
                add(i, CheckProblem::PriceConflict,
                    lowerName + money(lower) + QStringLiteral("高于") + upperName + money(upper));
        };
        above(e.bnj, QStringLiteral("半年价"), e.qnj, QStringLiteral("年价"));
        above(e.jj, QStringLiteral("季价"), e.bnj, QStringLiteral("半年价"));
        above(e.yj, QStringLiteral("月价"), e.jj, QStringLiteral("季价"));

        const std::pair<double, const char16_t *> prices[] = {
            {e.qnj, u"年价"}, {e.bnj, u"半年价"}, {e.jj, u"季价"}, {e.yj, u"月价"}, {e.dj, u"单价"}};
        for (const auto &[price, name] : prices) {
            const double fen = price * 100;
            if (std::abs(fen - std::round(fen)) > 1e-6)
                add(i, CheckProblem::PriceDecimals,
                    QString::fromUtf16(name) + QString::number(price, 'g', 12)
                        + QStringLiteral("超过两位小数，款额按分四舍五入"),
                    true);
        }

        if (e.qnj != 0 && e.dj != 0 && issues > 0 && m_context.calendarReady) {
            const double expected = e.dj * issues;
            if (qAbs(e.qnj - expected) > 0.1 * expected)
                add(i, CheckProblem::PriceConflict,
                    QStringLiteral("年价") + money(e.qnj) + QStringLiteral("与单价×全年期数（") + money(e.dj)
                        + QStringLiteral("×") + QString::number(issues) + QStringLiteral("=") + money(expected)
                        + QStringLiteral("）相差超过10%"));
        }
    }

    const QVector<CheckedEntry> &m_entries;
    const CatalogueCheckContext &m_context;
    QHash<QString, int> m_codeUses;
    QHash<QString, int> m_counts; // statement -> count, -1 for a failure
    QVector<CheckFinding> m_findings;
};

double priceOf(const db::Query &query, const QString &field)
{
    return query.fieldFloat(field);
}

} // namespace

QString CheckProblemName(CheckProblem problem)
{
    switch (problem) {
    case CheckProblem::BadCode:
        return QStringLiteral("代号格式错");
    case CheckProblem::DuplicateCode:
        return QStringLiteral("代号重复");
    case CheckProblem::UnknownPeriod:
        return QStringLiteral("刊期错");
    case CheckProblem::UnreadableDays:
        return QStringLiteral("出版日期错");
    case CheckProblem::NoYearPrice:
        return QStringLiteral("无年价");
    case CheckProblem::PriceConflict:
        return QStringLiteral("价格矛盾");
    case CheckProblem::PriceDecimals:
        return QStringLiteral("价格小数位");
    case CheckProblem::KindVsCode:
        return QStringLiteral("类别与代号不符");
    }
    return QString();
}

QVector<CheckFinding> CheckCatalogue(const QVector<CheckedEntry> &entries, const CatalogueCheckContext &context)
{
    return Checker(entries, context).run();
}

QString CheckedEntriesSql(int catalogueType)
{
    const QString columns = QStringLiteral("select bkdh,bkmc,kq,cbrq,bkzl,qnj,dj,yj,jj,bnj from ");
    if (catalogueType == 0)
        return columns + QStringLiteral("post");
    return columns + QStringLiteral("nopost where mllx=") + QString::number(catalogueType);
}

bool LoadCheckedEntries(int catalogueType, QVector<CheckedEntry> &entries)
{
    entries.clear();
    db::Query query;
    const int rows = OpenQuery(CheckedEntriesSql(catalogueType), query);
    if (rows < 0)
        return false;
    entries.reserve(rows);
    for (query.first(); rows > 0 && !query.eof(); query.next()) {
        CheckedEntry e;
        e.bkdh = query.fieldText(QStringLiteral("bkdh"));
        e.bkmc = query.fieldText(QStringLiteral("bkmc"));
        e.kq = query.fieldText(QStringLiteral("kq"));
        e.cbrq = query.fieldText(QStringLiteral("cbrq"));
        e.bkzl = query.fieldText(QStringLiteral("bkzl"));
        e.qnj = priceOf(query, QStringLiteral("qnj"));
        e.dj = priceOf(query, QStringLiteral("dj"));
        e.yj = priceOf(query, QStringLiteral("yj"));
        e.jj = priceOf(query, QStringLiteral("jj"));
        e.bnj = priceOf(query, QStringLiteral("bnj"));
        entries.append(e);
    }
    return true;
}

CatalogueCheckContext ProgramCheckContext(int catalogueType)
{
    CatalogueCheckContext context;
    context.catalogueType = catalogueType;
    context.workYear = GP.WorkYear;
    context.calendarReady = CalendarHoldsYear(GP.WorkYear);
    context.countRows = [](const QString &statement) { return CountRows(statement); };
    return context;
}

CheckCounts CountFlaggedEntries(const QVector<CheckFinding> &findings)
{
    QHash<int, bool> warningOnly; // entry -> no error among its findings
    for (const CheckFinding &finding : findings) {
        auto it = warningOnly.find(finding.entry);
        if (it == warningOnly.end())
            warningOnly.insert(finding.entry, finding.warning);
        else if (!finding.warning)
            *it = false;
    }
    CheckCounts counts;
    counts.entries = int(warningOnly.size());
    for (bool onlyWarnings : std::as_const(warningOnly))
        counts.warningOnly += onlyWarnings ? 1 : 0;
    return counts;
}

QString ImportCheckNote(int catalogueType)
{
    QVector<CheckedEntry> entries;
    if (catalogueType < 0 || !LoadCheckedEntries(catalogueType, entries))
        return QString();
    const CheckCounts counts = CountFlaggedEntries(CheckCatalogue(entries, ProgramCheckContext(catalogueType)));
    if (counts.entries == 0)
        return QStringLiteral("\n目录检查：本目录未发现有问题的条目。");
    return QStringLiteral("\n目录检查：本目录有") + QString::number(counts.entries) + QStringLiteral("个条目有问题（其中")
           + QString::number(counts.warningOnly) + QStringLiteral("个仅为警告），请用“目录检查”查看...");
}
