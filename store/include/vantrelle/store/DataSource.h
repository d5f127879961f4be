#pragma once

#include "vantrelle/store/QueryState.h"

#include <functional>
#include <vector>

namespace vantrelle::store {

class TDataSource;
class TField;
class TMoviesQuery;

// What a bound control is told by the query, through its data source. A control derives from TDataLink
// (or owns one), overrides the notices it needs and attaches itself with SetDataSource. A link detaches
// itself when it is destroyed; a data source or query that goes first detaches it too.
//
// Notices are sent on the caller's thread from inside the query's operations. Apart from UpdateRecord they
// must not throw and must not change the query (read it freely).
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return m_source; }
    void SetDataSource(TDataSource* source);
    // The query behind the data source, or nullptr.
    TMoviesQuery* DataSet() const;
    // True while the query is in qsEdit or qsInsert: the bound control may be typed into.
    bool Editing() const;

    // The query changed state (open, close, insert, edit, post, cancel). Sent before the data source's
    // OnStateChange. Controls become writable in qsEdit and qsInsert, read-only otherwise.
    virtual void StateChanged(TQueryState /*state*/) { }
    // The rows of the result changed as a whole: opened, closed, a row inserted or removed. Re-read
    // everything (row count, current row, values).
    virtual void DataSetChanged() { }
    // The current row moved to another row of the same result. Re-read the current row's values.
    virtual void DataSetScrolled() { }
    // Values of the current row changed: one column (`field`) after it was set, or every column
    // (`field` == nullptr) when the row is re-read (edit, cancel of an edit, post).
    virtual void RecordChanged(const TField* /*field*/) { }
    // Update the row: a control that holds an unwritten change writes it into its column now. Sent before
    // a post and before the current row is left while a change is pending. May throw (for example an
    // integer box with "12x"); the post or move then stops and the state and values stay as they were.
    virtual void UpdateRecord() { }

private:
    friend class TDataSource;
    TDataSource* m_source = nullptr;
};

// The data source between the movies query and its bound controls (dsMovies).
class TDataSource {
public:
    TDataSource() = default;
    ~TDataSource();
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TMoviesQuery* DataSet() const { return m_dataSet; }
    void SetDataSet(TMoviesQuery* dataSet);
    // The query's state; qsClosed without a query.
    TQueryState State() const;

    // With AutoEdit off, a bound control never starts an edit by itself; only the application's insert and
    // edit operations do. The catalogue's window keeps it off.
    bool AutoEdit = false;
    // Raised on every change of the query's state, after the bound controls have been told (StateChanged).
    std::function<void(TDataSource& Sender)> OnStateChange;

private:
    friend class TDataLink;
    friend class TMoviesQuery;
    void notifyStateChanged(TQueryState state);
    void notifyDataSetChanged();
    void notifyDataSetScrolled();
    void notifyRecordChanged(const TField* field);
    void notifyUpdateRecord();

    TMoviesQuery* m_dataSet = nullptr;
    std::vector<TDataLink*> m_links;
};

} // namespace vantrelle::store
