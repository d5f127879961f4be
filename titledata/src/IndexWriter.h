#pragma once

#include "AsciiFolding.h"
#include "NumberSet.h"
#include "vantrelle/sqlite/Sqlite.h"
#include "vantrelle/titledata/DatasetFormat.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantrelle::titledata {

// Writes a new title index into a fresh file, in one transaction without a journal: the file is only
// renamed into place once finish() has returned, so a crash half-way loses nothing.
class IndexWriter {
public:
    explicit IndexWriter(const std::filesystem::path& file);

    // Titles wait in a temporary table until their votes are known; finish() ranks them.
    void addTitle(const TitleRow& title);
    void setVotes(std::uint32_t title, std::uint32_t votes);
    void addDirector(std::uint32_t title, int position, std::uint32_t person);
    // Cast rows wait, in any order and number, until the people are added; rankCast() then keeps the
    // first four of each title by ordering among those that have a name. Each person is added once.
    void stageCastMember(const PrincipalRow& principal);
    void addPerson(std::uint32_t person, std::string_view name);
    // Chooses the cast and keeps the people whom a director or a chosen cast row names. Returns the
    // number of people kept.
    std::uint64_t rankCast();

    // Ranks the titles, fills the word index, writes the meta rows and commits. `step` is told each
    // stage's name before it runs.
    template <typename Step> void finish(std::string_view source, Step&& step)
    {
        step("Ranking titles");
        rankTitles();
        step("Indexing title words");
        indexWords();
        commit(source);
    }

private:
    void rankTitles();
    void indexWords();
    void commit(std::string_view source);

    titleindex::AsciiFolding m_folding; // the word index's ascii_fold()
    NumberSet m_people; // among_people(): the people with a name, then the people kept
    sqlite::Database m_db;
    // Made once the connection is set up and the tables exist.
    std::optional<sqlite::Transaction> m_transaction;
    std::optional<sqlite::Statement> m_insertTitle;
    std::optional<sqlite::Statement> m_setVotes;
    std::optional<sqlite::Statement> m_insertDirector;
    std::optional<sqlite::Statement> m_stageCastMember;
    std::optional<sqlite::Statement> m_insertPerson;
};

} // namespace vantrelle::titledata
