#pragma once
// The register of irregular issues, table tkhkb: per catalogue type, title code and processing year,
// the days on which a title does not appear (停刊, 休刊) and the issues that merge several publication
// days into one (合刊). Dates are stored as yyyy-MM-dd texts, like the calendar's.

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// A title of a catalogue: its type (the tab, 0 = postal) and its code (报刊代号).
struct TitleRef {
    int catalogueType = 0;
    QString code;
};

struct IrregularIssue {
    QString kind; // 停刊, 休刊 or 合刊
    QDate first;
    QDate last;
    QString remark;

    bool combined() const;
    bool operator==(const IrregularIssue &other) const = default;
};

extern const QString KindSuspended; // 停刊
extern const QString KindBreak;     // 休刊
extern const QString KindCombined;  // 合刊
// The three kinds in the order the windows offer them.
QStringList IrregularIssueKinds();

// The statements that give a database the register table and its index; each may run again on a
// database that has them.
QStringList IrregularIssueTableStatements();
// Runs them (at login, before anything reads the register). False with GP.LastError on failure.
bool EnsureIrregularIssueTable();

// The entries of a title in a year, by first date; with months other than 1 to 12, only the entries
// that reach into those months.
QString IrregularIssuesStatement(const TitleRef &title, int year, int startMonth = 1, int endMonth = 12);
QString InsertIrregularIssueStatement(const TitleRef &title, int year, const IrregularIssue &entry);
// Entries of one title never overlap, so the first date names an entry.
QString DeleteIrregularIssueStatement(const TitleRef &title, int year, const QDate &first);
// The codes of a catalogue type that have entries in a year.
QString RegisteredCodesStatement(int catalogueType, int year);

// Reads the entries of a title in a year, by first date. Returns their number, -1 on failure with
// GP.LastError set. Rows whose kind or dates cannot be read are left out.
int LoadIrregularIssues(const TitleRef &title, int year, QList<IrregularIssue> *entries, int startMonth = 1,
                        int endMonth = 12);
// Reads the codes of a catalogue type with entries in a year; their number, or -1.
int LoadRegisteredCodes(int catalogueType, int year, QSet<QString> *codes);

// A date as the register stores it and the messages show it: yyyy-MM-dd.
QString RegisterDateText(const QDate &date);
