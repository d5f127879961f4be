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

TDataLink::~TDataLink()
{
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == m_source)
        return;
    if (m_source)
        erase(m_source->m_links, this);
    m_source = source;
    if (m_source)
        m_source->m_links.push_back(this);
}

TMoviesQuery* TDataLink::DataSet() const
{
    return m_source ? m_source->DataSet() : nullptr;
}

bool TDataLink::Editing() const
{
    const TQueryState state = m_source ? m_source->State() : qsClosed;
    return state == qsEdit || state == qsInsert;
}

TDataSource::~TDataSource()
{
    SetDataSet(nullptr);
    for (TDataLink* link : m_links)
        link->m_source = nullptr;
}

void TDataSource::SetDataSet(TMoviesQuery* dataSet)
{
    if (dataSet == m_dataSet)
        return;
    if (m_dataSet)
        erase(m_dataSet->m_sources, this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->m_sources.push_back(this);
}

TQueryState TDataSource::State() const
{
    return m_dataSet ? m_dataSet->State() : qsClosed;
}

// Each notice goes to a copy of the list, so a link may detach itself while it is told.
void TDataSource::notifyStateChanged(TQueryState state)
{
    for (TDataLink* link : std::vector(m_links))
        link->StateChanged(state);
    if (OnStateChange)
        OnStateChange(*this);
}

void TDataSource::notifyDataSetChanged()
{
    for (TDataLink* link : std::vector(m_links))
        link->DataSetChanged();
}

void TDataSource::notifyDataSetScrolled()
{
    for (TDataLink* link : std::vector(m_links))
        link->DataSetScrolled();
}

void TDataSource::notifyRecordChanged(const TField* field)
{
    for (TDataLink* link : std::vector(m_links))
        link->RecordChanged(field);
}

void TDataSource::notifyUpdateRecord()
{
    for (TDataLink* link : std::vector(m_links))
        link->UpdateRecord();
}

} // namespace vantrelle::store
