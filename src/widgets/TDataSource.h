#pragma once
// A data source: the link between data-aware controls and a query object. Its data set can be pointed
// at a query or detached (no data set); controls bound to a detached source, or to a closed query,
// show nothing.

#include <QObject>
#include <QPointer>

#include "db/Query.h"

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr, db::Query *dataSet = nullptr);

    db::Query *DataSet() const { return m_dataSet.data(); }
    void setDataSet(db::Query *dataSet); // nullptr detaches

signals:
    // The source now points at another query, or at none.
    void dataSetReplaced();

private:
    QPointer<db::Query> m_dataSet;
};
