#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

namespace vantrelle::titleindex {

// The word index's own tokenizer (FTS5 unicode61, diacritics removed), taken from a connection, so
// that a search splits and folds its words exactly as the titles were split and folded.
class WordTokenizer {
public:
    explicit WordTokenizer(sqlite3* db);
    ~WordTokenizer();
    WordTokenizer(const WordTokenizer&) = delete;
    WordTokenizer& operator=(const WordTokenizer&) = delete;

    // The folded words of UTF-8 text, in order.
    std::vector<std::string> words(std::string_view text) const;

private:
    fts5_tokenizer m_tokenizer {};
    Fts5Tokenizer* m_instance = nullptr;
};

// An FTS5 query that every one of the words matches as a prefix: "word"* "word"* ... Each word is
// quoted, so no word is read as query syntax.
std::string prefixQuery(const std::vector<std::string>& words);

} // namespace vantrelle::titleindex
