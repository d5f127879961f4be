#include "FilmList.h"

#include "Columns.h"

#include "vantrelle/store/TitleOrder.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <variant>

namespace vantrelle::store {

namespace {

// `kept` and `strays`, both in list order, as one list in list order. Each stray finds its place by a binary
// search from the last one's, so that a few strays cost few comparisons.
std::vector<ListedFilm> merged(std::vector<ListedFilm> kept, std::vector<ListedFilm> strays)
{
    std::vector<ListedFilm> films;
    films.reserve(kept.size() + strays.size());
    auto next = kept.begin();
    for (ListedFilm& stray : strays) {
        const auto end = std::upper_bound(next, kept.end(), stray, listedBefore);
        std::move(next, end, std::back_inserter(films));
        next = end;
        films.push_back(std::move(stray));
    }
    std::move(next, kept.end(), std::back_inserter(films));
    return films;
}

} // namespace

void ListedFilm::showValuesOf(const StoredRow& row)
{
    const auto* number = std::get_if<std::int32_t>(&row.values[kIdColumn]);
    id = number ? std::optional(*number) : std::nullopt;
    const auto* text = std::get_if<std::string>(&row.values[kTitleColumn]);
    title = text ? std::optional(*text) : std::nullopt;
}

FieldValue ListedFilm::value(int column) const
{
    if (column == kIdColumn)
        return id ? FieldValue(*id) : FieldValue();
    return title ? FieldValue(*title) : FieldValue();
}

bool listedBefore(const ListedFilm& a, const ListedFilm& b)
{
    if (!a.title || !b.title) {
        if (a.title || b.title)
            return !a.title;
    } else if (const int order = TitleCollator::user().compare(*a.title, *b.title)) {
        return order < 0;
    }
    return a.rowid < b.rowid;
}

void sortNearlyOrdered(std::vector<ListedFilm>& films)
{
    // Most often the index gives the list's order already: then one comparison of neighbours each, nothing moved.
    if (std::is_sorted(films.begin(), films.end(), listedBefore))
        return;
    std::vector<ListedFilm> kept, strays;
    kept.reserve(films.size());
    for (ListedFilm& film : films) {
        if (kept.empty() || !listedBefore(film, kept.back())) {
            kept.push_back(std::move(film));
        } else if (kept.size() >= 2 && !listedBefore(film, kept[kept.size() - 2])) {
            // The one before stands out, not this one: it is after two films in a row.
            strays.push_back(std::exchange(kept.back(), std::move(film)));
        } else {
            strays.push_back(std::move(film));
        }
    }
    std::sort(strays.begin(), strays.end(), listedBefore);
    films = merged(std::move(kept), std::move(strays));
}

void placePosted(std::vector<ListedFilm>& films)
{
    std::vector<std::size_t> postedAt;
    for (std::size_t i = 0; i < films.size(); ++i)
        if (films[i].posted) {
            films[i].posted = false;
            postedAt.push_back(i);
        }
    if (postedAt.size() == 1) {
        // The window's save: the others are in order, and only the films between the old place and the new move.
        const auto at = films.begin() + static_cast<std::ptrdiff_t>(postedAt.front());
        const auto before = std::upper_bound(films.begin(), at, *at, listedBefore);
        if (before != at)
            std::rotate(before, at, at + 1);
        else
            std::rotate(at, at + 1, std::partition_point(at + 1, films.end(), [&](const ListedFilm& other) {
                return listedBefore(other, *at);
            }));
        return;
    }
    if (postedAt.empty())
        return;
    std::vector<ListedFilm> kept, posted;
    kept.reserve(films.size());
    for (std::size_t i = 0, next = 0; i < films.size(); ++i)
        if (next < postedAt.size() && postedAt[next] == i) {
            posted.push_back(std::move(films[i]));
            ++next;
        } else {
            kept.push_back(std::move(films[i]));
        }
    std::sort(posted.begin(), posted.end(), listedBefore);
    films = merged(std::move(kept), std::move(posted));
}

const StoredRow* RowWindow::find(std::int64_t rowid)
{
    for (Held& held : m_held)
        if (held.rowid == rowid) {
            held.used = ++m_clock;
            return &held.row;
        }
    return nullptr;
}

const StoredRow& RowWindow::put(std::int64_t rowid, StoredRow row, std::int64_t kept)
{
    drop(rowid);
    if (m_held.size() < kRows) {
        m_held.push_back({ rowid, ++m_clock, std::move(row) });
        return m_held.back().row;
    }
    Held& oldest = *std::min_element(m_held.begin(), m_held.end(), [kept](const Held& a, const Held& b) {
        return (a.rowid == kept) == (b.rowid == kept) ? a.used < b.used : b.rowid == kept;
    });
    oldest = { rowid, ++m_clock, std::move(row) };
    return oldest.row;
}

void RowWindow::drop(std::int64_t rowid)
{
    std::erase_if(m_held, [rowid](const Held& held) { return held.rowid == rowid; });
}

} // namespace vantrelle::store
