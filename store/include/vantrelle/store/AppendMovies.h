#pragma once

#include "vantrelle/store/MoviesQuery.h"

#include <memory>
#include <span>
#include <string_view>

namespace vantrelle::store {

// Adds films to the table Movies of the catalogue that `connectionString` names, in one transaction: the rows
// added are kept by commit(), and none of them when the appender is destroyed before (after a failure). The
// file is checked as MoviesQuery::Open checks it, with the same messages, and stays locked against other
// writers until then. The ID of a row is never used: the engine gives each new row the next ID of the table.
// Values go in as they are; convert text with the columns' valueFromText first.
class MovieAppender {
public:
    explicit MovieAppender(std::string_view connectionString);
    ~MovieAppender();
    MovieAppender(const MovieAppender&) = delete;
    MovieAppender& operator=(const MovieAppender&) = delete;

    void add(const MovieRecord& row);
    void commit();

private:
    struct Open;
    std::unique_ptr<Open> m_open;
};

// Adds every row of `rows` with one MovieAppender: all of them, or none when one cannot be written.
void appendMovies(std::string_view connectionString, std::span<const MovieRecord> rows);

} // namespace vantrelle::store
