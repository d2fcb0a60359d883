#include "data/Udm.h"

#include "data/ServerSettings.h"
#include "db/JetDialect.h"

#include <QComboBox>
#include <QRandomGenerator>
#include <QThread>

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

QString SqlQuoted(const QString &value)
{
    return QLatin1Char('\'') + SqlText(value) + QLatin1Char('\'');
}

namespace {

std::function<void(const QString &)> connectionNotice;

const QString kSaveFailure = QStringLiteral("提交时出现异常->");
const QString kLoadFailure = QStringLiteral("载入数据出现异常->");
constexpr int kTransactionAttempts = 8;

// Tells the clerk that the connection was made anew since the last look; returns what became of a
// commit left unknown.
db::CommitOutcome noteReopened()
{
    db::Connection &connection = dm->ADOConnection;
    const db::CommitOutcome outcome = connection.takeCommitOutcome();
    const bool reopened = connection.takeReopened();
    if (!reopened && outcome == db::CommitOutcome::None)
        return outcome;
    QString text = QStringLiteral("与数据库服务器的连接曾中断,已自动重新连接");
    if (outcome == db::CommitOutcome::Written)
        text += QStringLiteral(";中断时正在提交的数据已写入数据库");
    else if (outcome == db::CommitOutcome::NotWritten)
        text += QStringLiteral(";中断时正在提交的数据未写入数据库");
    if (connectionNotice)
        connectionNotice(text);
    return outcome;
}

// Opens the connection, throwing DbError.
void reopen()
{
    dm->ADOConnection.setConnectionString(GP.ConnectionText);
    dm->ADOConnection.open();
}

bool isLinkFault(const db::DbError &e)
{
    return e.fault() == db::EngineFault::ConnectionLost;
}

// Runs `read` (which opens rows outside any transaction); once more on a connection made anew when the
// link was found broken. On failure LastError is `prefix` and the engine's message.
bool readAgainAfterLostLink(const std::function<void()> &read, const QString &prefix)
{
    for (int attempt = 0;; ++attempt) {
        const bool inTransaction = dm->ADOConnection.inTransaction();
        try {
            read();
            return true;
        } catch (const db::DbError &e) {
            if (attempt == 0 && !inTransaction && isLinkFault(e)) {
                if (EnsureConnected())
                    continue;
                return false; // LastError says why the server cannot be reached
            }
            GP.LastError = prefix + e.message();
            return false;
        }
    }
}

void rollBackQuietly()
{
    try {
        dm->ADOConnection.rollbackTrans();
    } catch (const db::DbError &) {
        // the engine already ended the transaction
    }
}

} // namespace

void SetConnectionNotice(std::function<void(const QString &text)> show)
{
    connectionNotice = std::move(show);
}

bool EnsureConnected(bool forWriting)
{
    if (!dm) {
        GP.LastError = QStringLiteral("连接数据库失败->") + QStringLiteral("the data module does not exist");
        return false;
    }
    // Month-day dates read by cdate are taken in the processing year.
    db::setCdateDefaultYear(GP.WorkYear);
    if (!dm->ADOConnection.connected()) {
        try {
            reopen();
        } catch (const db::DbError &e) {
            GP.LastError = QStringLiteral("连接数据库失败->") + e.message();
            return false;
        }
    }
    if (noteReopened() == db::CommitOutcome::Written && forWriting) {
        GP.LastError = kSaveFailure
                       + QStringLiteral("与数据库服务器的连接中断前正在提交的数据已经写入数据库,本次未写入任何数据,"
                                        "请刷新并核对后再操作");
        return false;
    }
    return true;
}

bool RunTransaction(const std::function<bool()> &work)
{
    db::Connection &connection = dm->ADOConnection;
    for (int attempt = 1;; ++attempt) {
        try {
            connection.beginTrans();
            if (!work()) {
                rollBackQuietly();
                return false;
            }
            connection.commitTrans();
            noteReopened();
            return true;
        } catch (const db::DbError &e) {
            rollBackQuietly();
            if (attempt >= kTransactionAttempts)
                throw;
            if (e.fault() == db::EngineFault::Conflict) {
                QThread::msleep(QRandomGenerator::global()->bounded(1, 4 * attempt + 2));
                continue;
            }
            // Nothing was written: once more on a connection made anew.
            if (!isLinkFault(e) || attempt > 1)
                throw;
            if (!connection.connected())
                reopen();
            noteReopened();
        }
    }
}

void OpenRows(const QString &sql, db::Query &query)
{
    query.close();
    query.clearSql();
    query.setConnection(&dm->ADOConnection);
    query.setSql(sql);
    query.open();
    if (query.isEmpty()) {
        query.close();
        query.clearSql();
    }
}

int OpenQuery(const QString &sql, db::Query &query)
{
    if (!EnsureConnected())
        return -1;
    if (!readAgainAfterLostLink([&] { OpenRows(sql, query); }, kLoadFailure))
        return -1;
    if (!query.active()) {
        GP.LastError = QStringLiteral("未搜索到符合条件的记录...");
        return 0;
    }
    return query.recordCount();
}

bool ExecSql(const QString &sql)
{
    return ExecSqlCounted(sql) >= 0;
}

qint64 ExecSqlCounted(const QString &sql)
{
    if (!EnsureConnected(true))
        return -1;
    db::Connection &connection = dm->ADOConnection;
    try {
        if (connection.inTransaction())
            return connection.execute(sql);
        qint64 changed = 0;
        RunTransaction([&] {
            changed = connection.execute(sql);
            return true;
        });
        return changed;
    } catch (const db::DbError &e) {
        GP.LastError = kSaveFailure + e.message();
        return -1;
    }
}

bool ExecSqlBatch(const QStringList &sqls)
{
    if (!EnsureConnected(true))
        return false;
    try {
        RunTransaction([&] {
            for (const QString &sql : sqls)
                dm->ADOConnection.execute(sql);
            return true;
        });
        return true;
    } catch (const db::DbError &e) {
        GP.LastError = QStringLiteral("提交失败->") + e.message();
        return false;
    }
}

int CountRows(const QString &sql)
{
    if (!EnsureConnected())
        return -1;
    db::Query &query = dm->ADOQuery1;
    int count = -1;
    if (!readAgainAfterLostLink(
            [&] {
                query.close();
                query.clearSql();
                query.setConnection(&dm->ADOConnection);
                query.setSql(QStringLiteral("select count(*) from (") + sql + QStringLiteral(") as a"));
                query.open();
                count = int(query.fieldIntAt(0));
            },
            QString()))
        return -1;
    return count;
}

int ReadRows(const QString &sql, QList<QStringList> *rows)
{
    rows->clear();
    if (!EnsureConnected())
        return -1;
    db::Query query;
    const bool read = readAgainAfterLostLink(
        [&] {
            rows->clear();
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
        },
        QString());
    if (!read) {
        rows->clear();
        return -1;
    }
    return int(rows->size());
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
