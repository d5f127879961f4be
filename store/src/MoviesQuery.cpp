#include "vantrelle/store/MoviesQuery.h"

#include "Columns.h"
#include "FilmList.h"
#include "MoviesTable.h"

#include "vantrelle/store/Errors.h"

#include <exception>
#include <limits>
#include <strings.h>

namespace vantrelle::store {

namespace {

const FieldValue kNull;
// The rowid of the row being inserted, which the file has not stored yet.
constexpr std::int64_t kNotStored = std::numeric_limits<std::int64_t>::min();

} // namespace

MoviesQuery::MoviesQuery()
    : aqMoviesID(*this, 0, kColumns[0].name)
    , aqMoviesNameOfMovie(
          *this, kNameOfMovieColumn, kColumns[kNameOfMovieColumn].name, kColumns[kNameOfMovieColumn].size)
    , aqMoviesGenre(*this, 2, kColumns[2].name, kColumns[2].size)
    , aqMoviesDirector(*this, 3, kColumns[3].name, kColumns[3].size)
    , aqMoviesTagline(*this, 4, kColumns[4].name, kColumns[4].size)
    , aqMoviesRuntime(*this, 5, kColumns[5].name)
    , aqMoviesFormat(*this, 6, kColumns[6].name, kColumns[6].size)
    , aqMoviesNoOfCds(*this, 7, kColumns[7].name)
    , aqMoviesCastMemberName1(*this, 8, kColumns[8].name, kColumns[8].size)
    , aqMoviesCastMemberName2(*this, 9, kColumns[9].name, kColumns[9].size)
    , aqMoviesCastMemberName3(*this, 10, kColumns[10].name, kColumns[10].size)
    , aqMoviesCastMemberName4(*this, 11, kColumns[11].name, kColumns[11].size)
    , aqMoviesCharacter1(*this, 12, kColumns[12].name, kColumns[12].size)
    , aqMoviesCharacter2(*this, 13, kColumns[13].name, kColumns[13].size)
    , aqMoviesCharacter3(*this, 14, kColumns[14].name, kColumns[14].size)
    , aqMoviesCharacter4(*this, 15, kColumns[15].name, kColumns[15].size)
    , aqMoviesCover(*this, 16, kColumns[16].name)
    , aqMoviesYear(*this, kYearColumn, kColumns[kYearColumn].name)
    , m_fields { &aqMoviesID, &aqMoviesNameOfMovie, &aqMoviesGenre, &aqMoviesDirector, &aqMoviesTagline,
        &aqMoviesRuntime, &aqMoviesFormat, &aqMoviesNoOfCds, &aqMoviesCastMemberName1, &aqMoviesCastMemberName2,
        &aqMoviesCastMemberName3, &aqMoviesCastMemberName4, &aqMoviesCharacter1, &aqMoviesCharacter2,
        &aqMoviesCharacter3, &aqMoviesCharacter4, &aqMoviesCover, &aqMoviesYear }
{
    aqMoviesRuntime.setDisplayFormat("0 'Mins.'");
    aqMoviesRuntime.setEditFormat("0");
}

MoviesQuery::~MoviesQuery()
{
    // The data sources outlive us only as empty shells; no events while being destroyed.
    for (DataSource* source : m_sources)
        source->m_dataSet = nullptr;
}

const FieldValue& MoviesQuery::currentValue(int column) const
{
    if (m_current < 0)
        return kNull;
    if (editing())
        return m_buffer[column];
    // Every move reads the film it makes current; only a failed read after a delete leaves it unread.
    const StoredRow* row = m_list->window.find(m_list->films[m_current].rowid);
    return row ? row->values[column] : kNull;
}

const StoredRow& MoviesQuery::loadFilm(int index) const
{
    ListedFilm& film = m_list->films[index];
    if (const StoredRow* held = m_list->window.find(film.rowid))
        return *held;
    std::optional<StoredRow> stored = m_table->readFilm(m_list->films, static_cast<std::size_t>(index));
    if (stored) {
        // Changed by another program since the open: the list shows what the details show.
        film.showValuesOf(*stored);
    } else {
        stored.emplace();
        stored->values[kIdColumn] = film.value(kIdColumn);
        stored->values[kTitleColumn] = film.value(kTitleColumn);
    }
    return m_list->window.put(film.rowid, std::move(*stored), currentRowid());
}

void MoviesQuery::takePosted(int index, StoredRow stored)
{
    ListedFilm& film = m_list->films[index];
    film.showValuesOf(stored);
    film.posted = true;
    if (stored.unreadable.empty())
        m_list->unreadable.found.erase(film.rowid);
    else
        m_list->unreadable.found[film.rowid] = stored.unreadable;
    m_unreadableInOrder.reset();
    m_list->window.put(film.rowid, std::move(stored), currentRowid());
}

std::int64_t MoviesQuery::currentRowid() const
{
    return m_current < 0 ? kNotStored : m_list->films[m_current].rowid;
}

int MoviesQuery::recordCount() const
{
    return m_list ? static_cast<int>(m_list->films.size()) : 0;
}

const std::vector<UnreadableValue>& MoviesQuery::UnreadableValues() const
{
    static const std::vector<UnreadableValue> kNone;
    if (!m_list)
        return kNone;
    if (!m_unreadableInOrder) {
        m_table->searchUnreadable(m_list->unreadable, std::numeric_limits<std::int64_t>::max());
        const auto& found = m_list->unreadable.found;
        std::vector<UnreadableValue> inOrder;
        if (!found.empty())
            for (const ListedFilm& film : m_list->films)
                if (const auto values = found.find(film.rowid); values != found.end())
                    inOrder.insert(inOrder.end(), values->second.begin(), values->second.end());
        m_unreadableInOrder = std::move(inOrder);
    }
    return *m_unreadableInOrder;
}

bool MoviesQuery::searchUnreadableValues(int films)
{
    if (m_list)
        m_table->searchUnreadable(m_list->unreadable, films);
    return !m_list || m_list->unreadable.complete;
}

void MoviesQuery::setCurrentValue(int column, FieldValue value)
{
    m_buffer[column] = std::move(value);
    m_modified.set(column);
    notifyRecordChanged(m_fields[column]);
}

void MoviesQuery::checkActive() const
{
    if (m_state == qsClosed)
        throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void MoviesQuery::checkEditing() const
{
    if (!editing())
        throw EDatabaseError("Dataset not in edit or insert mode");
}

void MoviesQuery::setState(QueryState state)
{
    m_state = state;
    for (DataSource* source : std::vector(m_sources))
        source->notifyStateChanged(state);
}

void MoviesQuery::notifyDataSetChanged()
{
    for (DataSource* source : std::vector(m_sources))
        source->notifyDataSetChanged();
}

void MoviesQuery::notifyDataSetScrolled()
{
    for (DataSource* source : std::vector(m_sources))
        source->notifyDataSetScrolled();
}

void MoviesQuery::notifyRecordChanged(const Field* field)
{
    for (DataSource* source : std::vector(m_sources))
        source->notifyRecordChanged(field);
}

void MoviesQuery::updateRecord()
{
    for (DataSource* source : std::vector(m_sources))
        source->notifyUpdateRecord();
}

void MoviesQuery::fire(const DataSetNotifyEvent& event)
{
    if (event)
        event(*this);
}

void MoviesQuery::open()
{
    if (active())
        return;
    if (m_table && !m_table->reads(ConnectionString))
        m_table.reset();
    try {
        if (!m_table)
            m_table = MoviesTable::connect(ConnectionString);
        m_list = std::make_unique<FilmList>(m_table->readList());
        for (ListedFilm& film : m_list->films)
            film.serial = m_nextSerial++;
        if (!m_list->films.empty())
            loadFilm(0);
    } catch (...) {
        m_list.reset();
        m_table.reset();
        throw;
    }
    m_unreadableInOrder.reset();
    m_current = m_list->films.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_list->films.empty();
    ++m_openCount;
    setState(qsBrowse);
    notifyDataSetChanged();
    if (!m_list->films.empty())
        fire(AfterScroll);
}

void MoviesQuery::releaseResult()
{
    // The table reads the list again only when another program may have changed the file.
    if (m_insertedAt >= 0)
        m_list->films.erase(m_list->films.begin() + m_insertedAt);
    m_table->keepList(std::move(*m_list));
    m_list.reset();
    m_unreadableInOrder.reset();
    m_buffer = {};
    m_modified.reset();
    m_insertedAt = -1;
    m_current = -1;
    m_bof = m_eof = true;
}

void MoviesQuery::close()
{
    if (!active())
        return;
    releaseResult();
    setState(qsClosed);
    notifyDataSetChanged();
}

void MoviesQuery::doInsert()
{
    const int at = m_current < 0 ? 0 : m_current;
    m_list->films.insert(m_list->films.begin() + at, ListedFilm { kNotStored, {}, {}, m_nextSerial++, false });
    m_insertedAt = at;
    m_current = at;
    m_bof = m_eof = false;
    m_buffer = {};
    setState(qsInsert);
    m_modified.reset();
    notifyDataSetChanged();
    fire(AfterInsert);
    fire(AfterScroll);
}

bool MoviesQuery::readOnly() const
{
    return active() && m_table && m_table->readOnly();
}

void MoviesQuery::checkWritable() const
{
    if (readOnly())
        throw EDatabaseError("The catalogue \"" + m_table->file().string()
            + "\" is read-only: films cannot be added, edited or deleted");
}

void MoviesQuery::insert()
{
    checkActive();
    checkWritable();
    finishPending();
    checkActive(); // the reopen after a post may have failed
    doInsert();
}

void MoviesQuery::edit()
{
    if (editing())
        return;
    checkActive();
    checkWritable();
    if (isEmpty()) {
        doInsert();
        return;
    }
    m_buffer = loadFilm(m_current).values;
    m_modified.reset();
    setState(qsEdit);
    notifyRecordChanged(nullptr);
    fire(AfterEdit);
}

void MoviesQuery::postRow()
{
    if (m_state == qsInsert) {
        auto [stored, rowid] = m_table->insert(m_buffer, m_modified);
        m_list->films[m_insertedAt].rowid = rowid;
        takePosted(m_insertedAt, std::move(stored));
        m_insertedAt = -1;
    } else if (m_modified.any()) {
        takePosted(m_current, m_table->update(loadFilm(m_current), m_buffer, m_modified));
    }
    m_buffer = {};
    m_modified.reset();
    setState(qsBrowse);
    notifyRecordChanged(nullptr);
    fire(AfterPost);
}

void MoviesQuery::post()
{
    checkEditing();
    updateRecord();
    postRow();
}

void MoviesQuery::cancel()
{
    if (!editing())
        return;
    const bool wasInsert = m_state == qsInsert;
    if (wasInsert) {
        // The row that was current before the insert followed the new row, so it now takes its place.
        m_list->films.erase(m_list->films.begin() + m_insertedAt);
        m_current = isEmpty() ? -1 : std::min(m_insertedAt, recordCount() - 1);
        m_insertedAt = -1;
    }
    m_buffer = {};
    m_modified.reset();
    setState(qsBrowse);
    if (wasInsert)
        notifyDataSetChanged();
    else
        notifyRecordChanged(nullptr);
    fire(AfterCancel);
    if (wasInsert)
        fire(AfterScroll);
}

void MoviesQuery::deleteRow()
{
    checkActive();
    checkWritable();
    if (m_state == qsInsert) {
        cancel();
        return;
    }
    if (isEmpty())
        throw EDatabaseError("Cannot perform this operation on an empty dataset");
    m_table->remove(loadFilm(m_current));
    const std::int64_t rowid = m_list->films[m_current].rowid;
    m_list->window.drop(rowid);
    if (m_list->unreadable.found.erase(rowid) > 0)
        m_unreadableInOrder.reset();
    m_list->films.erase(m_list->films.begin() + m_current);
    if (m_current >= recordCount())
        m_current = recordCount() - 1;
    m_eof = isEmpty();
    m_bof = isEmpty();
    m_buffer = {};
    m_modified.reset();
    if (m_state == qsEdit)
        setState(qsBrowse); // a pending edit of the deleted row is dropped
    // The delete is done: the controls follow it even when the film that is now current cannot be read.
    std::exception_ptr unread;
    try {
        if (m_current >= 0)
            loadFilm(m_current);
    } catch (...) {
        unread = std::current_exception();
    }
    notifyDataSetChanged();
    fire(AfterDelete);
    fire(AfterScroll);
    if (unread)
        std::rethrow_exception(unread);
}

void MoviesQuery::finishPending()
{
    if (!editing())
        return;
    updateRecord();
    if (m_modified.any())
        postRow();
    else
        cancel();
}

void MoviesQuery::moveTo(int index)
{
    loadFilm(index); // a failed read leaves the current row where it was
    m_current = index;
    m_bof = m_eof = false;
    notifyDataSetScrolled();
    fire(AfterScroll);
}

bool MoviesQuery::finishPendingBeforeMove()
{
    checkActive();
    const std::uint64_t openCount = m_openCount;
    finishPending();
    return active() && m_openCount == openCount && !isEmpty();
}

void MoviesQuery::moveBy(int distance)
{
    if (!finishPendingBeforeMove() || distance == 0)
        return;
    const long long target = static_cast<long long>(m_current) + distance;
    if (target < 0) {
        m_bof = true;
        return;
    }
    if (target >= recordCount()) {
        m_eof = true;
        return;
    }
    moveTo(static_cast<int>(target));
}

void MoviesQuery::next()
{
    moveBy(1);
}

void MoviesQuery::prior()
{
    moveBy(-1);
}

void MoviesQuery::first()
{
    if (!finishPendingBeforeMove())
        return;
    moveTo(0);
    m_bof = true;
}

void MoviesQuery::last()
{
    if (!finishPendingBeforeMove())
        return;
    moveTo(recordCount() - 1);
    m_eof = true;
}

void MoviesQuery::setRecNo(int recNo)
{
    checkActive();
    const bool inRange = recNo >= 1 && recNo <= recordCount();
    const std::uint64_t serial = inRange ? m_list->films[recNo - 1].serial : 0;
    finishPending();
    if (!inRange || !active())
        return;
    // Find the row again: a cancelled insert before it shifted it, a reopen replaced every row.
    for (int i = 0; i < recordCount(); ++i)
        if (m_list->films[i].serial == serial) {
            if (i != m_current)
                moveTo(i);
            return;
        }
}

Field& MoviesQuery::fieldByName(std::string_view name)
{
    for (Field* field : m_fields)
        if (field->fieldName().size() == name.size()
            && strncasecmp(field->fieldName().c_str(), name.data(), name.size()) == 0)
            return *field;
    throw EDatabaseError("Field '" + std::string(name) + "' not found");
}

std::string MoviesQuery::displayTextAt(int recNo, const Field& field) const
{
    const int index = recNo - 1;
    if (index < 0 || index >= recordCount())
        return std::string();
    if (index == m_current)
        return field.displayText();
    const ListedFilm& film = m_list->films[index];
    if (field.index() == kIdColumn || field.index() == kTitleColumn)
        return field.displayTextOf(film.value(field.index()));
    return field.displayTextOf(loadFilm(index).values[field.index()]);
}

} // namespace vantrelle::store
