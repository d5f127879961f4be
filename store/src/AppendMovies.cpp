#include "vantrelle/store/AppendMovies.h"

#include "MoviesTable.h"

namespace vantrelle::store {

// The table is declared first, so its connection outlives the insert and transaction made on it.
struct MovieAppender::Open {
    std::unique_ptr<MoviesTable> table;
    MoviesTable::Appender appender;

    explicit Open(std::unique_ptr<MoviesTable> opened)
        : table(std::move(opened))
        , appender(*table)
    {
    }
};

MovieAppender::MovieAppender(std::string_view connectionString)
    : m_open(std::make_unique<Open>(MoviesTable::openToWrite(connectionString)))
{
}

MovieAppender::~MovieAppender() = default;

void MovieAppender::add(const MovieRecord& row)
{
    m_open->appender.add(row);
}

void MovieAppender::commit()
{
    m_open->appender.commit();
}

void appendMovies(std::string_view connectionString, std::span<const MovieRecord> rows)
{
    MovieAppender appender(connectionString);
    for (const MovieRecord& row : rows)
        appender.add(row);
    appender.commit();
}

} // namespace vantrelle::store
