#include "data/Udm.h"

#include "data/ServerSettings.h"
#include "db/JetDialect.h"

#include <QComboBox>

TGP GP;
Tdm *dm = nullptr;

Tdm::Tdm()
{
    ADOQuery1.setObjectName(QStringLiteral("ADOQuery1"));
}

Tdm::~Tdm()
{
    ADOQuery1.close();
    ADOConnection.close();
    if (dm == this)
        dm = nullptr;
}

QString ConnectionTextFor(const QString &databasePath)
{
    if (IsServerSettingsPath(databasePath))
        return ServerConnectionText(ReadServerSettings(databasePath));
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Persist Security Info=False;User ID=Admin;"
                          "Jet OLEDB:Database Password=qelmaz;Data Source=")
        + db::connectionTextValue(databasePath); // a path is never read as keys, whatever it holds
}

QString SqlText(const QString &value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

namespace {

// Makes sure the connection is open; on failure LastError says why.
bool ensureConnected()
{
    if (!dm) {
        GP.LastError = QStringLiteral("连接数据库失败->") + QStringLiteral("the data module does not exist");
        return false;
    }
    // Month-day dates read by cdate are taken in the processing year.
    db::setCdateDefaultYear(GP.WorkYear);
    if (dm->ADOConnection.connected())
        return true;
    try {
        dm->ADOConnection.setConnectionString(GP.ConnectionText);
        dm->ADOConnection.open();
        return true;
    } catch (const db::DbError &e) {
        GP.LastError = QStringLiteral("连接数据库失败->") + e.message();
        return false;
    }
}

} // namespace

int OpenQuery(const QString &sql, db::Query &query)
{
    if (!ensureConnected())
        return -1;
    try {
        query.close();
        query.clearSql();
        query.setConnection(&dm->ADOConnection);
        query.setSql(sql);
        query.open();
        if (query.isEmpty()) {
            query.close();
            query.clearSql();
            GP.LastError = QStringLiteral("未搜索到符合条件的记录...");
            return 0;
        }
        return query.recordCount();
    } catch (const db::DbError &e) {
        GP.LastError = QStringLiteral("载入数据出现异常->") + e.message();
        return -1;
    }
}

bool ExecSql(const QString &sql)
{
    return ExecSqlCounted(sql) >= 0;
}

qint64 ExecSqlCounted(const QString &sql)
{
    if (!ensureConnected())
        return -1;
    try {
        return dm->ADOConnection.execute(sql);
    } catch (const db::DbError &e) {
        GP.LastError = QStringLiteral("提交时出现异常->") + e.message();
        return -1;
    }
}

bool ExecSqlBatch(const QStringList &sqls)
{
    if (!ensureConnected())
        return false;
    db::Connection &connection = dm->ADOConnection;
    try {
        connection.beginTrans();
        for (const QString &sql : sqls)
            connection.execute(sql);
        connection.commitTrans();
        return true;
    } catch (const db::DbError &e) {
        try {
            connection.rollbackTrans();
        } catch (const db::DbError &) {
            // the engine already ended the transaction
        }
        GP.LastError = QStringLiteral("提交失败->") + e.message();
        return false;
    }
}

int CountRows(const QString &sql)
{
    if (!ensureConnected())
        return -1;
    db::Query &query = dm->ADOQuery1;
    try {
        query.close();
        query.clearSql();
        query.setConnection(&dm->ADOConnection);
        query.setSql(QStringLiteral("select count(*) from (") + sql + QStringLiteral(") as a"));
        query.open();
        return int(query.fieldIntAt(0));
    } catch (const db::DbError &e) {
        GP.LastError = e.message();
        return -1;
    }
}

int ReadRows(const QString &sql, QList<QStringList> *rows)
{
    rows->clear();
    if (!ensureConnected())
        return -1;
    db::Query query;
    try {
        query.setConnection(&dm->ADOConnection);
        query.setSql(sql);
        query.open();
        rows->reserve(query.recordCount());
        for (int row = 0; row < query.recordCount(); ++row) {
            QStringList texts;
            texts.reserve(query.fieldCount());
            for (int field = 0; field < query.fieldCount(); ++field)
                texts.append(db::Query::displayText(query.value(row, field)));
            rows->append(texts);
        }
        return int(rows->size());
    } catch (const db::DbError &e) {
        rows->clear();
        GP.LastError = e.message();
        return -1;
    }
}

TMyRc *UnitRecord(QComboBox *box, int index)
{
    if (!box || index < 0 || index >= box->count())
        return nullptr;
    return reinterpret_cast<TMyRc *>(box->itemData(index).value<quintptr>());
}

void ClearUnitList(QComboBox *box)
{
    if (!box || box->count() == 0)
        return;
    for (int i = box->count() - 1; i >= 0; --i) {
        delete UnitRecord(box, i);
        box->setItemData(i, QVariant());
    }
    box->clear();
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->setEditText(QString());
}

void LoadUnitList(QComboBox *box)
{
    if (!box)
        return;
    ClearUnitList(box);
    if (!dm)
        return;
    db::Query &query = dm->ADOQuery1;
    if (OpenQuery(QStringLiteral("select * from dwinfo order by id"), query) >= 1) {
        const QSignalBlocker blocker(box);
        query.first();
        while (!query.eof()) {
            auto *record = new TMyRc;
            record->id = qint32(query.fieldInt(QStringLiteral("id")));
            record->lxr = query.fieldText(QStringLiteral("lxr"));
            record->phone = query.fieldText(QStringLiteral("phone"));
            box->addItem(query.fieldText(QStringLiteral("dwmc")), QVariant::fromValue(quintptr(record)));
            query.next();
        }
        box->setCurrentIndex(-1);
    }
    query.close();
    query.clearSql();
}
