#include "export/DataSetWalk.h"

DataSetWalk::DataSetWalk(db::Query *query) : m_query(query)
{
    if (!m_query)
        return;
    m_bookmark = m_query->bookmark();
    m_query->disableControls();
    m_beforeScroll = std::exchange(m_query->beforeScroll, nullptr);
    m_afterScroll = std::exchange(m_query->afterScroll, nullptr);
}

DataSetWalk::~DataSetWalk()
{
    if (!m_query)
        return;
    try {
        if (m_bookmark > 0 && m_query->active())
            m_query->gotoBookmark(m_bookmark);
    } catch (...) {
        // the record is gone or cannot be left; the walk still hands the data set back
    }
    m_query->enableControls();
    m_query->beforeScroll = std::move(m_beforeScroll);
    m_query->afterScroll = std::move(m_afterScroll);
}
