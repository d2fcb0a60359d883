#include "widgets/TDataSource.h"

#include "db/Query.h"

TDataSource::TDataSource(QObject *parent, db::Query *dataSet) : QObject(parent)
{
    setDataSet(dataSet);
}

void TDataSource::setDataSet(db::Query *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (m_dataSet)
        connect(m_dataSet, &QObject::destroyed, this, &TDataSource::dataSetReplaced);
    emit dataSetReplaced();
}
