#pragma once

// A temporary catalogue and the stand-in's invented films' title index, for the tests that add films.

#include "vantrelle/ScratchDir.h"
#include "vantrelle/collections/FilmImport.h"
#include "vantrelle/store/ConnectionString.h"
#include "vantrelle/store/ReadMovies.h"
#include "vantrelle/store/Schema.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vantrelle::collections::test {

inline const std::filesystem::path kFixtures = std::filesystem::path(VANTRELLE_FIXTURES_DIR) / "collections";

class CollectionFixture : public ::testing::Test {
protected:
    CollectionFixture() { store::createCatalogue(m_catalogue); }

    std::vector<store::MovieRecord> rows() const
    {
        std::vector<store::MovieRecord> rows;
        store::readMovies(m_connection, [&](store::StoredRow&& row) { rows.push_back(std::move(row.values)); });
        return rows;
    }

    ScratchDir m_folder { "collections" };
    std::filesystem::path m_catalogue = m_folder / "Movies.mdb";
    std::string m_connection = store::connectionStringFor(m_catalogue);
    titleindex::TitleIndex m_index { VANTRELLE_DEMO_TITLES };
};

// "status number" of each film of a plan, "/" between films.
inline std::string statuses(const ImportPlan& plan)
{
    std::string out;
    for (const PlannedFilm& planned : plan.films) {
        out += (out.empty() ? "" : "/") + std::string(statusName(planned.match.status));
        if (planned.match.number)
            out += " " + std::to_string(*planned.match.number);
    }
    return out;
}

inline std::string text(const store::FieldValue& value)
{
    if (const auto* s = std::get_if<std::string>(&value))
        return *s;
    if (const auto* n = std::get_if<std::int32_t>(&value))
        return std::to_string(*n);
    return std::holds_alternative<std::monostate>(value) ? "(null)" : "(bytes)";
}

} // namespace vantrelle::collections::test
