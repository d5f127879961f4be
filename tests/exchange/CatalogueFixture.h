#pragma once

#include "TestFiles.h"
#include "ToolRun.h"

#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace vantrelle::exchange::test {

using Film = std::vector<std::pair<std::string, store::FieldValue>>;

// A temporary working directory with an empty catalogue "Movies.mdb", and ways to fill and read catalogues.
class CatalogueTest : public ::testing::Test {
protected:
    CatalogueTest()
        : m_here(m_dir.path())
    {
        store::createCatalogue("Movies.mdb");
    }

    // Adds films through the movies query, each a list of column names and values.
    static void addFilms(const std::filesystem::path& catalogue, const std::vector<Film>& films)
    {
        store::MoviesQuery query;
        query.ConnectionString = store::connectionStringFor(catalogue);
        query.open();
        for (const Film& film : films) {
            query.insert();
            for (const auto& [name, value] : film) {
                store::Field& field = query.fieldByName(name);
                if (const auto* number = std::get_if<std::int32_t>(&value))
                    field.setAsInteger(*number);
                else if (const auto* text = std::get_if<std::string>(&value))
                    field.setAsString(*text);
                else if (const auto* bytes = std::get_if<store::Bytes>(&value))
                    query.aqMoviesCover.setAsBytes(*bytes);
                else
                    field.clear();
            }
            query.post();
        }
    }

    // Every row, every column, in title order.
    static std::vector<store::MovieRecord> rows(const std::filesystem::path& catalogue)
    {
        store::MoviesQuery query;
        query.ConnectionString = store::connectionStringFor(catalogue);
        query.open();
        std::vector<store::MovieRecord> all;
        for (query.first(); !query.eof(); query.next()) {
            store::MovieRecord row;
            for (const store::Field* field : query.fields())
                row[field->index()] = field->value();
            all.push_back(std::move(row));
        }
        return all;
    }

    // The rows as "ID=1; NameOfMovie=Alien; Year=1979": the columns that are not null, the cover by its size.
    static std::vector<std::string> shownRows(const std::filesystem::path& catalogue)
    {
        store::MoviesQuery names;
        std::vector<std::string> shown;
        for (const store::MovieRecord& row : rows(catalogue)) {
            std::string line;
            for (const store::Field* field : names.fields()) {
                const store::FieldValue& value = row[field->index()];
                std::string text;
                if (const auto* number = std::get_if<std::int32_t>(&value))
                    text = std::to_string(*number);
                else if (const auto* utf8 = std::get_if<std::string>(&value))
                    text = *utf8;
                else if (const auto* bytes = std::get_if<store::Bytes>(&value))
                    text = std::to_string(bytes->size()) + " bytes";
                else
                    continue;
                line += (line.empty() ? "" : "; ") + field->fieldName() + "=" + text;
            }
            shown.push_back(line);
        }
        return shown;
    }

    vantrelle::ScratchDir m_dir;
    vantrelle::test::ScopedWorkingDir m_here;
};

} // namespace vantrelle::exchange::test
