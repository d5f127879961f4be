#pragma once

#include "vantrelle/store/StoredRow.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrelle::store {

// A film as the list holds it: where the file keeps it and what the list shows of it. The rest of its row is
// read when it becomes current. Kept small, since a list of tens of thousands is written whole at every open.
struct ListedFilm {
    std::int64_t rowid = 0; // the key the file reads the row by
    std::optional<std::int32_t> id; // none where the row's value is null or does not convert
    std::optional<std::string> title;
    std::uint64_t serial = 0; // the query's: identifies the row across inserts and deletes before it
    bool posted = false; // written by the query since the list was read, so perhaps out of place

    // Shows the ID and title of `row`.
    void showValuesOf(const StoredRow& row);
    // The ID or the title as a field's value; `column` is kIdColumn or kTitleColumn.
    FieldValue value(int column) const;
};

// Whether `a` comes before `b` in the list: no title first, then by title in the user's collator's order
// (TitleOrder.h), equal titles by rowid, which is the order in which a catalogue we made got them.
bool listedBefore(const ListedFilm& a, const ListedFilm& b);

// Puts `films` in list order. Cheap when they are nearly in order already, as the file's title index gives
// them: one comparison of neighbours each, and a sort of the few that stand out of place.
void sortNearlyOrdered(std::vector<ListedFilm>& films);

// Puts the posted films of `films`, the others being in list order, where they belong, and clears their mark.
void placePosted(std::vector<ListedFilm>& films);

// The rows read last, the current one among them: a few dozen, so that moving back and forth among nearby films
// reads nothing twice, and a window of a large catalogue still holds little.
class RowWindow {
public:
    static constexpr std::size_t kRows = 32;

    // The row of the film with `rowid`, if held; it then counts as the one used last.
    const StoredRow* find(std::int64_t rowid);
    // Holds `row` for the film with `rowid`; when full, in place of the row used longest ago but that of the film
    // with `kept` (the current film's, which the query shows).
    const StoredRow& put(std::int64_t rowid, StoredRow row, std::int64_t kept);
    void drop(std::int64_t rowid);

private:
    struct Held {
        std::int64_t rowid;
        std::uint64_t used;
        StoredRow row;
    };
    std::vector<Held> m_held;
    std::uint64_t m_clock = 0;
};

// The look for stored values that do not convert, which reads every film but its cover: a little at a time, in
// the order of the films' rowids, so that a window can go on answering in between.
struct UnreadableSearch {
    // In the films looked at so far, by rowid; the query's own saves and deletes keep it up to date, and a film
    // not looked at yet is read as the file holds it, with them.
    std::map<std::int64_t, std::vector<UnreadableValue>> found;
    std::optional<std::int64_t> lastRowid; // of the films looked at; none before the first
    bool complete = false;
};

// The list of an open query, and what it keeps of it between a close and the next open while no other program
// writes the file.
struct FilmList {
    std::vector<ListedFilm> films; // in list order
    RowWindow window;
    UnreadableSearch unreadable;
};

} // namespace vantrelle::store
