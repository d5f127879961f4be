#include "FilmCatalogue.h"

#include "vantrelle/store/Schema.h"

#include <sqlite3.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrelle::bench {

namespace {

void check(int result, sqlite3* db)
{
    if (result != SQLITE_OK && result != SQLITE_ROW && result != SQLITE_DONE)
        throw std::runtime_error(sqlite3_errmsg(db));
}

} // namespace

void makeFilmCatalogue(const std::filesystem::path& file, int films, std::span<const std::uint8_t> cover)
{
    store::createCatalogue(file);
    sqlite3* db = nullptr;
    check(sqlite3_open(file.c_str(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(db,
              "INSERT INTO Movies (NameOfMovie, Genre, Director, Tagline, Runtime, Format, NoOfCds, "
              "CastMemberName1, Character1, Cover, Year) VALUES (?, 'Drama', 'Some Director', "
              "'A tagline of moderate length for the film', 100, 'DVD', 1, 'An Actor', 'A Character', ?, 1990)",
              -1, &insert, nullptr),
        db);
    std::mt19937 random(42);
    std::vector<std::uint8_t> bytes(cover.begin(), cover.end());
    for (int i = 0; i < films; ++i) {
        std::string title;
        for (int k = 0; k < 12; ++k)
            title += static_cast<char>((random() % 2 ? 'a' : 'A') + random() % 26);
        if (bytes.size() >= sizeof i)
            std::memcpy(bytes.data() + bytes.size() - sizeof i, &i, sizeof i);
        sqlite3_bind_text(insert, 1, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 2, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        check(sqlite3_step(insert), db);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
}

} // namespace vantrelle::bench
