#include "db/Query.h"

#include "db/Connection.h"
#include "db/JetDialect.h"
#include "db/Sqlite.h"

#include <QRegularExpression>

namespace db {

namespace {

// "select * from <table> [where ...] [order by ...]" on one table: the rows can be edited in place.
QString editableTable(const QString &engineSql)
{
    static const QRegularExpression single(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+([A-Za-z_][A-Za-z0-9_]*)(\s+(where|order)\b.*)?\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = single.match(engineSql);
    if (!m.hasMatch())
        return QString();
    static const QRegularExpression join(QStringLiteral(R"(\bjoin\b)"), QRegularExpression::CaseInsensitiveOption);
    if (join.match(m.captured(2)).hasMatch())
        return QString();
    return m.captured(1);
}

bool declaredNumeric(const char *decltype_)
{
    if (!decltype_)
        return false;
    const QByteArray t = QByteArray(decltype_).toUpper();
    return t.contains("INT") || t.contains("REAL") || t.contains("FLOA") || t.contains("DOUB") || t.contains("NUM");
}

QVariant columnValue(sqlite3_stmt *stmt, int col)
{
    switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, col)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, col));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, col)),
                                          sqlite3_column_bytes(stmt, col)));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, col)),
                                   sqlite3_column_bytes(stmt, col)));
    default:
        return QVariant();
    }
}

void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    }
}

} // namespace

Query::Query(QObject *parent) : QObject(parent) {}

Query::~Query() = default;

void Query::open()
{
    close();
    if (!m_connection)
        throw DbError(QStringLiteral("the query has no connection"));
    sqlite3 *handle = m_connection->requireHandle();
    QString engineSql = rewriteJetSql(m_sql);
    const QString table = editableTable(engineSql);
    const bool editable = !table.isEmpty();
    if (editable)
        engineSql.replace(QRegularExpression(QStringLiteral(R"(^\s*select\s+\*)"),
                                             QRegularExpression::CaseInsensitiveOption),
                          QStringLiteral("select rowid, *"));

    Statement statement;
    prepareSingle(handle, engineSql, statement);
    sqlite3_stmt *stmt = statement.get();
    const int first = editable ? 1 : 0;
    const int columns = sqlite3_column_count(stmt);
    QStringList fields;
    QVector<bool> numeric;
    for (int c = first; c < columns; ++c) {
        fields << QString::fromUtf8(sqlite3_column_name(stmt, c));
        numeric << declaredNumeric(sqlite3_column_decltype(stmt, c));
    }
    QVector<QVector<QVariant>> rows;
    QVector<qint64> rowids;
    QVector<bool> typed(fields.size(), false);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QVector<QVariant> row;
        row.reserve(fields.size());
        for (int c = first; c < columns; ++c) {
            row << columnValue(stmt, c);
            const int f = c - first;
            if (!typed[f] && !sqlite3_column_decltype(stmt, c) && sqlite3_column_type(stmt, c) != SQLITE_NULL) {
                typed[f] = true;
                const int t = sqlite3_column_type(stmt, c);
                numeric[f] = t == SQLITE_INTEGER || t == SQLITE_FLOAT;
            }
        }
        if (editable)
            rowids << sqlite3_column_int64(stmt, 0);
        rows << row;
    }
    if (rc != SQLITE_DONE)
        throw DbError(engineMessage(handle));

    m_rowids = std::move(rowids);
    m_table = table;
    browse(fields, numeric, std::move(rows));
}

void Query::openRows(const QStringList &fields, const QVector<bool> &numeric, QVector<QVector<QVariant>> rows)
{
    close();
    QVector<bool> kinds = numeric;
    kinds.resize(fields.size());
    for (QVector<QVariant> &row : rows)
        row.resize(fields.size());
    browse(fields, kinds, std::move(rows));
}

void Query::browse(const QStringList &fields, const QVector<bool> &numeric, QVector<QVector<QVariant>> rows)
{
    m_fields = fields;
    m_numeric = numeric;
    m_rows = std::move(rows);
    m_state = State::Browse;
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_eof = m_bof = m_rows.isEmpty();
    notifyDataSet();
    if (m_current >= 0 && afterScroll)
        afterScroll();
}

void Query::close()
{
    if (m_state == State::Inactive)
        return;
    m_state = State::Inactive;
    m_fields.clear();
    m_numeric.clear();
    m_rows.clear();
    m_rowids.clear();
    m_table.clear();
    m_pending.clear();
    m_editBackup.clear();
    m_current = -1;
    m_eof = m_bof = true;
    notifyDataSet();
}

void Query::notifyDataSet()
{
    if (m_disableCount == 0) {
        emit dataSetChanged();
        emit currentRowChanged(m_current);
    }
}

void Query::moveTo(int index)
{
    if (m_rows.isEmpty())
        return;
    index = qBound(0, index, int(m_rows.size()) - 1);
    if (m_state == State::Edit)
        post();
    if (beforeScroll)
        beforeScroll();
    m_current = index;
    if (m_disableCount == 0)
        emit currentRowChanged(m_current);
    if (afterScroll)
        afterScroll();
}

void Query::setRecNo(int recNo)
{
    m_eof = m_bof = false;
    moveTo(recNo - 1);
}

void Query::first()
{
    m_eof = m_rows.isEmpty();
    m_bof = true;
    moveTo(0);
}

void Query::last()
{
    m_eof = true;
    m_bof = m_rows.isEmpty();
    moveTo(int(m_rows.size()) - 1);
}

void Query::next()
{
    m_bof = false;
    if (m_current + 1 >= m_rows.size()) {
        m_eof = true;
        return;
    }
    m_eof = false;
    moveTo(m_current + 1);
}

void Query::prior()
{
    m_eof = false;
    if (m_current <= 0) {
        m_bof = true;
        return;
    }
    m_bof = false;
    moveTo(m_current - 1);
}

int Query::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Query::fieldIsNumeric(int field) const
{
    return field >= 0 && field < m_numeric.size() && m_numeric.at(field);
}

int Query::requireField(const QString &name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw DbError(QStringLiteral("field '%1' not found").arg(name));
    return index;
}

void Query::checkCurrent(const char *what) const
{
    if (m_state == State::Inactive)
        throw DbError(QStringLiteral("%1: the query is closed").arg(QLatin1String(what)));
    if (m_current < 0)
        throw DbError(QStringLiteral("%1: the query has no current row").arg(QLatin1String(what)));
}

QString Query::displayText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QVariant Query::fieldValue(const QString &name) const
{
    checkCurrent("field read");
    return m_rows.at(m_current).at(requireField(name));
}

QString Query::fieldText(const QString &name) const
{
    return displayText(fieldValue(name));
}

qint64 Query::fieldInt(const QString &name) const
{
    const QVariant v = fieldValue(name);
    if (v.typeId() == QMetaType::Double)
        return qint64(v.toDouble());
    return v.toLongLong();
}

double Query::fieldFloat(const QString &name) const
{
    return fieldValue(name).toDouble();
}

bool Query::isNull(const QString &name) const
{
    const QVariant v = fieldValue(name);
    return !v.isValid() || v.isNull();
}

qint64 Query::fieldIntAt(int field) const
{
    checkCurrent("field read");
    if (field < 0 || field >= m_fields.size())
        throw DbError(QStringLiteral("field %1 not found").arg(field));
    return m_rows.at(m_current).at(field).toLongLong();
}

QVariant Query::value(int row, int field) const
{
    if (row < 0 || row >= m_rows.size() || field < 0 || field >= m_fields.size())
        return QVariant();
    return m_rows.at(row).at(field);
}

bool Query::locate(const QString &name, const QString &value, bool partial, bool caseInsensitive)
{
    const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    if (m_state == State::Inactive)
        return false;
    const int field = requireField(name);
    for (int row = 0; row < m_rows.size(); ++row) {
        const QString text = displayText(m_rows.at(row).at(field));
        const bool hit = partial ? text.startsWith(value, cs) : text.compare(value, cs) == 0;
        if (hit) {
            m_eof = m_bof = false;
            moveTo(row);
            return true;
        }
    }
    return false;
}

void Query::disableControls()
{
    ++m_disableCount;
}

void Query::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0) {
        emit dataSetChanged();
        emit currentRowChanged(m_current);
    }
}

void Query::edit()
{
    checkCurrent("edit");
    if (m_state == State::Edit)
        return;
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("this result cannot be edited"));
    m_editBackup = m_rows.at(m_current);
    m_pending.clear();
    m_state = State::Edit;
}

void Query::setFieldValue(const QString &name, const QVariant &value)
{
    const int field = requireField(name);
    edit();
    m_rows[m_current][field] = value;
    if (!m_pending.contains(field))
        m_pending << field;
}

void Query::post()
{
    if (m_state != State::Edit)
        return;
    if (!m_pending.isEmpty()) {
        sqlite3 *handle = m_connection->requireHandle();
        QStringList sets;
        for (int field : std::as_const(m_pending))
            sets << QStringLiteral("\"%1\"=?").arg(QString(m_fields.at(field)).replace(QLatin1Char('"'), QLatin1String("\"\"")));
        const QString sql = QStringLiteral("update \"%1\" set %2 where rowid=?").arg(m_table, sets.join(QLatin1Char(',')));
        Statement statement;
        prepareSingle(handle, sql, statement);
        int index = 1;
        for (int field : std::as_const(m_pending))
            bindValue(statement.get(), index++, m_rows.at(m_current).at(field));
        sqlite3_bind_int64(statement.get(), index, m_rowids.at(m_current));
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            throw DbError(engineMessage(handle));
    }
    m_pending.clear();
    m_editBackup.clear();
    m_state = State::Browse;
    if (m_disableCount == 0)
        emit rowDataChanged(m_current);
}

void Query::cancel()
{
    if (m_state != State::Edit)
        return;
    m_rows[m_current] = m_editBackup;
    m_pending.clear();
    m_editBackup.clear();
    m_state = State::Browse;
    if (m_disableCount == 0)
        emit rowDataChanged(m_current);
}

} // namespace db
