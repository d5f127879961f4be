#include "WordTokenizer.h"

#include "vantrelle/Error.h"

#include <climits>

namespace vantrelle::titleindex {

namespace {

fts5_api* fts5Api(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, static_cast<void*>(&api), "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    if (!api)
        throw Error("This SQLite has no full-text search (FTS5), which the title index needs");
    return api;
}

int addWord(void* context, int /*flags*/, const char* token, int size, int /*start*/, int /*end*/)
{
    static_cast<std::vector<std::string>*>(context)->emplace_back(token, static_cast<std::size_t>(size));
    return SQLITE_OK;
}

} // namespace

WordTokenizer::WordTokenizer(sqlite3* db)
{
    fts5_api* api = fts5Api(db);
    void* userData = nullptr;
    // The arguments of title_words' "tokenize" option in the schema.
    const char* arguments[] = { "remove_diacritics", "2" };
    if (api->xFindTokenizer(api, "unicode61", &userData, &m_tokenizer) != SQLITE_OK
        || m_tokenizer.xCreate(userData, arguments, 2, &m_instance) != SQLITE_OK)
        throw Error("The full-text search of this SQLite has no unicode61 tokenizer");
}

WordTokenizer::~WordTokenizer()
{
    m_tokenizer.xDelete(m_instance);
}

std::vector<std::string> WordTokenizer::words(std::string_view text) const
{
    std::vector<std::string> words;
    if (text.size() > INT_MAX)
        return words;
    m_tokenizer.xTokenize(m_instance, &words, FTS5_TOKENIZE_QUERY, text.data(), static_cast<int>(text.size()), addWord);
    return words;
}

std::string prefixQuery(const std::vector<std::string>& words)
{
    std::string query;
    for (const std::string& word : words) {
        if (!query.empty())
            query += ' ';
        query += '"';
        for (const char c : word) {
            query += c;
            if (c == '"')
                query += '"';
        }
        query += "\"*";
    }
    return query;
}

} // namespace vantrelle::titleindex
