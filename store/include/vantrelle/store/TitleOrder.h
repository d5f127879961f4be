#pragma once

#include <memory>
#include <string>
#include <string_view>

struct UCollator;

namespace vantrelle::store {

// The order of titles in the list: by the language rules of a locale (ICU's collation), so that "Été" sorts
// among the E's and "alien" beside "Alien". Case and accents decide only between titles that are otherwise the
// same, and then in the locale's way (lower case first in most).
//
// The catalogue file does not depend on it: the file's own index orders NameOfMovie by SQLite's built-in
// NOCASE, so every SQLite program reads and writes the file as before, and the query sorts what it has read.
class TitleCollator {
public:
    // `locale` as the environment names one ("sv_SE.UTF-8", "de_DE@euro"); "", "C" and "POSIX" give the
    // language-neutral rules, as does a locale ICU does not know.
    explicit TitleCollator(std::string_view locale);
    ~TitleCollator();
    TitleCollator(const TitleCollator&) = delete;
    TitleCollator& operator=(const TitleCollator&) = delete;

    // The collator of the user's locale (collationLocale() of the environment), made at first use.
    static const TitleCollator& user();

    // Negative, zero or positive as `a` sorts before, with or after `b`. Text is UTF-8.
    int compare(std::string_view a, std::string_view b) const;
    // Whether two titles differ at most in case and accents ("Amélie" and "AMELIE").
    bool same(std::string_view a, std::string_view b) const;
    // Bytes whose order, compared as unsigned bytes, is the order of compare().
    std::string sortKey(std::string_view title) const;
    // Bytes that are equal exactly for the titles that same() takes as the same.
    std::string sameKey(std::string_view title) const;

private:
    struct Close {
        void operator()(UCollator* collator) const;
    };
    std::unique_ptr<UCollator, Close> m_order; // case and accents as tie-breakers
    std::unique_ptr<UCollator, Close> m_letters; // base letters only
    bool m_plainTitlesAsRoot = false; // whether ASCII letters, digits and spaces are ordered as the root rules do
};

// The locale whose rules order text, as POSIX chooses it: LC_ALL, else LC_COLLATE, else LANG, the first that
// is set and not empty; without the character set and modifier ("sv_SE.UTF-8@euro" -> "sv_SE"); "" for none
// and for "C" and "POSIX".
std::string collationLocale(const char* lcAll, const char* lcCollate, const char* lang);

// The user's collator's sameKey(), for whatever matches titles as the list does (an import that skips films
// already in the catalogue, for one).
std::string sameTitleKey(std::string_view title);

} // namespace vantrelle::store
