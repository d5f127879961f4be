#include "vantrelle/store/DataSource.h"

#include "vantrelle/store/MoviesQuery.h"

#include <algorithm>

namespace vantrelle::store {

namespace {

template <typename T> void erase(std::vector<T*>& list, T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

DataLink::~DataLink()
{
    setDataSource(nullptr);
}

void DataLink::setDataSource(DataSource* source)
{
    if (source == m_source)
        return;
    if (m_source)
        erase(m_source->m_links, this);
    m_source = source;
    if (m_source)
        m_source->m_links.push_back(this);
}

MoviesQuery* DataLink::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

bool DataLink::editing() const
{
    const QueryState state = m_source ? m_source->state() : qsClosed;
    return state == qsEdit || state == qsInsert;
}

DataSource::~DataSource()
{
    setDataSet(nullptr);
    for (DataLink* link : m_links)
        link->m_source = nullptr;
}

void DataSource::setDataSet(MoviesQuery* dataSet)
{
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        erase(m_dataSet->m_sources, this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->m_sources.push_back(this);
}

QueryState DataSource::state() const
{
    return m_dataSet ? m_dataSet->state() : qsClosed;
}

// Each notice goes to a copy of the list, so a link may detach itself while it is told.
void DataSource::notifyStateChanged(QueryState state)
{
    for (DataLink* link : std::vector(m_links))
        link->stateChanged(state);
    if (OnStateChange)
        OnStateChange(*this);
}

void DataSource::notifyDataSetChanged()
{
    for (DataLink* link : std::vector(m_links))
        link->dataSetChanged();
}

void DataSource::notifyDataSetScrolled()
{
    for (DataLink* link : std::vector(m_links))
        link->dataSetScrolled();
}

void DataSource::notifyRecordChanged(const Field* field)
{
    for (DataLink* link : std::vector(m_links))
        link->recordChanged(field);
}

void DataSource::notifyUpdateRecord()
{
    for (DataLink* link : std::vector(m_links))
        link->updateRecord();
}

} // namespace vantrelle::store
