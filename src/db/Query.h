#pragma once
// The client-side query object: opens a SELECT in the Jet dialect on a Connection and keeps all of its
// rows in memory, so the record count is exact. It has a current row (1-based), moves, field reads,
// Locate, bookmarks, control updating that can be suspended, scroll notifications, and in-place editing
// of the current row of a single-table "select * from <table> ..." (written back by rowid at Post,
// inside whatever transaction is open on the connection).
//
// Bound grids listen to the signals; window code uses the beforeScroll/afterScroll callbacks.

#include "db/DbError.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

namespace db {

class Connection;

class Query : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit };
    using Bookmark = int; // a row's 1-based number; 0 is no bookmark

    explicit Query(QObject *parent = nullptr);
    ~Query() override;

    void setConnection(Connection *connection) { m_connection = connection; }
    Connection *connection() const { return m_connection; }

    // The statement the query opens, as one text.
    void setSql(const QString &sql) { m_sql = sql; }
    QString sql() const { return m_sql; }
    void clearSql() { m_sql.clear(); }

    // Runs the statement and fetches every row; throws DbError with the engine's message.
    // On success the first row is current (after-scroll runs when there is one).
    void open();
    // Opens on rows the program computed itself (a report, a check list): no statement, no connection,
    // not editable. `numeric` tells per field whether it holds numbers. The first row is current.
    void openRows(const QStringList &fields, const QVector<bool> &numeric, QVector<QVector<QVariant>> rows);
    void close();
    bool active() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEmpty() const { return m_rows.isEmpty(); }

    int recordCount() const { return m_rows.size(); }
    int recNo() const { return m_current + 1; } // 0 when there is no current row
    void setRecNo(int recNo);                    // moves to that row (clamped)

    void first();
    void next();  // past the last row sets eof() and stays on the last row
    void prior(); // before the first row sets bof() and stays on the first row
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }

    // Fields of the result, in select order.
    int fieldCount() const { return m_fields.size(); }
    QStringList fieldNames() const { return m_fields; }
    int fieldIndex(const QString &name) const; // ignoring case; -1 when absent
    bool fieldIsNumeric(int field) const;      // declared numeric, or holding numbers

    // Current-row reads; an unknown field name throws DbError.
    QString fieldText(const QString &name) const;  // empty for NULL; numbers in shortest general form
    qint64 fieldInt(const QString &name) const;    // 0 for NULL
    double fieldFloat(const QString &name) const;  // 0 for NULL
    QVariant fieldValue(const QString &name) const; // invalid QVariant for NULL
    bool isNull(const QString &name) const;
    qint64 fieldIntAt(int field) const;

    // Reads of any row (0-based) for bound grids.
    QVariant value(int row, int field) const;
    static QString displayText(const QVariant &value); // the text form used by fieldText

    // Moves to the first row whose field equals value as text (whole, or as a prefix when partial),
    // letter case compared unless caseInsensitive is asked. Returns whether one was found; the row
    // stays otherwise.
    bool locate(const QString &name, const QString &value, bool partial = false, bool caseInsensitive = false);

    Bookmark bookmark() const { return recNo(); }
    void gotoBookmark(Bookmark bookmark) { setRecNo(bookmark); }

    // While disabled (counted), bound controls are not told of changes; enabling tells them once.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Editing of the current row (single-table "select * from <table>" only).
    void edit();
    void setFieldValue(const QString &name, const QVariant &value); // puts the row in edit mode
    void post();   // writes the changed fields with one UPDATE; throws DbError, row stays in edit mode
    void cancel(); // drops pending changes
    void updateRecord() {} // changes are sent at post; nothing stays pending
    bool modified() const { return !m_pending.isEmpty(); }
    QString updateTable() const { return m_table; } // empty when the result cannot be edited

    std::function<void()> beforeScroll;
    std::function<void()> afterScroll;

signals:
    void dataSetChanged();          // opened, closed or controls enabled again
    void currentRowChanged(int row); // 0-based, -1 for none
    void rowDataChanged(int row);    // a row's values changed by post or cancel

private:
    // Takes the rows of an open, first row current, and tells the bound controls.
    void browse(const QStringList &fields, const QVector<bool> &numeric, QVector<QVector<QVariant>> rows);
    void moveTo(int index); // 0-based, runs the scroll notifications
    void notifyDataSet();
    void checkCurrent(const char *what) const;
    int requireField(const QString &name) const;

    Connection *m_connection = nullptr;
    QString m_sql;
    State m_state = State::Inactive;
    QStringList m_fields;
    QVector<bool> m_numeric;
    QVector<QVector<QVariant>> m_rows;
    QVector<qint64> m_rowids; // filled for editable results
    QString m_table;          // the table of an editable result
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    int m_disableCount = 0;
    QVector<QVariant> m_editBackup;
    QVector<int> m_pending; // fields changed in edit mode
};

} // namespace db
