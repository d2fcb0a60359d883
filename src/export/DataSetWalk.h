#pragma once
// Walking a grid's data set from the first record to the last without disturbing it: the current
// record is bookmarked, bound controls stop following and the scroll handlers are detached for the
// walk; all of it is put back when the walk object ends, also when an error ends the walk early.

#include "db/Query.h"

#include <QPointer>

#include <functional>

class DataSetWalk {
public:
    explicit DataSetWalk(db::Query *query); // nullptr: a walk over nothing
    ~DataSetWalk();
    DataSetWalk(const DataSetWalk &) = delete;
    DataSetWalk &operator=(const DataSetWalk &) = delete;

    db::Query *query() const { return m_query.data(); }
    int recordCount() const { return m_query ? m_query->recordCount() : 0; }
    bool atEnd() const { return !m_query || m_query->eof(); }

private:
    QPointer<db::Query> m_query; // the walk lets window messages run; the query may go meanwhile
    db::Query::Bookmark m_bookmark = 0;
    std::function<void()> m_beforeScroll;
    std::function<void()> m_afterScroll;
};
