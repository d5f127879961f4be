#pragma once

#include "vantrelle/store/QueryState.h"

#include <functional>
#include <vector>

namespace vantrelle::store {

class DataSource;
class Field;
class MoviesQuery;

// What a bound control is told by the query, through its data source. A control derives from DataLink
// (or owns one), overrides the notices it needs and attaches itself with setDataSource. A link detaches
// itself when it is destroyed; a data source or query that goes first detaches it too.
//
// Notices are sent on the caller's thread from inside the query's operations. Apart from updateRecord they
// must not throw and must not change the query (read it freely).
class DataLink {
public:
    DataLink() = default;
    virtual ~DataLink();
    DataLink(const DataLink&) = delete;
    DataLink& operator=(const DataLink&) = delete;

    DataSource* dataSource() const { return m_source; }
    void setDataSource(DataSource* source);
    // The query behind the data source, or nullptr.
    MoviesQuery* dataSet() const;
    // True while the query is in qsEdit or qsInsert: the bound control may be typed into.
    bool editing() const;

    // The query changed state (open, close, insert, edit, post, cancel). Sent before the data source's
    // OnStateChange. Controls become writable in qsEdit and qsInsert, read-only otherwise.
    virtual void stateChanged(QueryState /*state*/) { }
    // The rows of the result changed as a whole: opened, closed, a row inserted or removed. Re-read
    // everything (row count, current row, values).
    virtual void dataSetChanged() { }
    // The current row moved to another row of the same result. Re-read the current row's values.
    virtual void dataSetScrolled() { }
    // Values of the current row changed: one column (`field`) after it was set, or every column
    // (`field` == nullptr) when the row is re-read (edit, cancel of an edit, post).
    virtual void recordChanged(const Field* /*field*/) { }
    // Update the row: a control that holds an unwritten change writes it into its column now. Sent before
    // a post and before the current row is left while a change is pending. May throw (for example an
    // integer box with "12x"); the post or move then stops and the state and values stay as they were.
    virtual void updateRecord() { }

private:
    friend class DataSource;
    DataSource* m_source = nullptr;
};

// The data source between the movies query and its bound controls (dsMovies).
class DataSource {
public:
    DataSource() = default;
    ~DataSource();
    DataSource(const DataSource&) = delete;
    DataSource& operator=(const DataSource&) = delete;

    MoviesQuery* dataSet() const { return m_dataSet; }
    void setDataSet(MoviesQuery* dataSet);
    // The query's state; qsClosed without a query.
    QueryState state() const;

    // With AutoEdit off, a bound control never starts an edit by itself; only the application's insert and
    // edit operations do. The catalogue's window keeps it off.
    bool AutoEdit = false;
    // Raised on every change of the query's state, after the bound controls have been told (stateChanged).
    std::function<void(DataSource& Sender)> OnStateChange;

private:
    friend class DataLink;
    friend class MoviesQuery;
    void notifyStateChanged(QueryState state);
    void notifyDataSetChanged();
    void notifyDataSetScrolled();
    void notifyRecordChanged(const Field* field);
    void notifyUpdateRecord();

    MoviesQuery* m_dataSet = nullptr;
    std::vector<DataLink*> m_links;
};

} // namespace vantrelle::store
