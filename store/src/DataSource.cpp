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
    SetDataSource(nullptr);
}

void DataLink::SetDataSource(store::DataSource* source)
{
    if (source == m_source)
        return;
    if (m_source)
        erase(m_source->m_links, this);
    m_source = source;
    if (m_source)
        m_source->m_links.push_back(this);
}

MoviesQuery* DataLink::DataSet() const
{
    return m_source ? m_source->DataSet() : nullptr;
}

bool DataLink::Editing() const
{
    const QueryState state = m_source ? m_source->State() : qsClosed;
    return state == qsEdit || state == qsInsert;
}

DataSource::~DataSource()
{
    SetDataSet(nullptr);
    for (DataLink* link : m_links)
        link->m_source = nullptr;
}

void DataSource::SetDataSet(MoviesQuery* dataSet)
{
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        erase(m_dataSet->m_sources, this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->m_sources.push_back(this);
}

QueryState DataSource::State() const
{
    return m_dataSet ? m_dataSet->State() : qsClosed;
}

// Each notice goes to a copy of the list, so a link may detach itself while it is told.
void DataSource::notifyStateChanged(QueryState state)
{
    for (DataLink* link : std::vector(m_links))
        link->StateChanged(state);
    if (OnStateChange)
        OnStateChange(*this);
}

void DataSource::notifyDataSetChanged()
{
    for (DataLink* link : std::vector(m_links))
        link->DataSetChanged();
}

void DataSource::notifyDataSetScrolled()
{
    for (DataLink* link : std::vector(m_links))
        link->DataSetScrolled();
}

void DataSource::notifyRecordChanged(const Field* field)
{
    for (DataLink* link : std::vector(m_links))
        link->RecordChanged(field);
}

void DataSource::notifyUpdateRecord()
{
    for (DataLink* link : std::vector(m_links))
        link->UpdateRecord();
}

} // namespace vantrelle::store
