#include "vantrelle/collections/TitleMatch.h"

#include "vantrelle/titleindex/TitleIndex.h"
#include "vantrelle/titleindex/TitleWords.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace vantrelle::collections {

namespace {

using Words = std::vector<std::string>;

// How well a title of the index fits the words asked for, best first.
enum class Fit { whole, beginning, within };

constexpr std::size_t kMostCandidates = 12;

// German users type "ae", "oe", "ue" where a keyboard has no "ä", "ö", "ü"; the index spells those "a", "o", "u".
std::string withoutUmlautSpelling(std::string word)
{
    for (std::size_t at = 1; at < word.size(); ++at)
        if (word[at] == 'e' && (word[at - 1] == 'a' || word[at - 1] == 'o' || word[at - 1] == 'u'))
            word.erase(at, 1);
    return word;
}

Words withoutUmlautSpelling(const Words& words)
{
    Words plain;
    plain.reserve(words.size());
    for (const std::string& word : words)
        plain.push_back(withoutUmlautSpelling(word));
    return plain;
}

bool beginsWith(const Words& title, const Words& asked)
{
    return title.size() >= asked.size() && std::equal(asked.begin(), asked.end(), title.begin());
}

Fit fit(const Words& title, const Words& asked, const Words& askedPlain)
{
    if (title == asked)
        return Fit::whole;
    const Words titlePlain = withoutUmlautSpelling(title);
    if (titlePlain == askedPlain)
        return Fit::whole;
    if (beginsWith(title, asked) || beginsWith(titlePlain, askedPlain))
        return Fit::beginning;
    return Fit::within;
}

std::string joined(const Words& words)
{
    std::string text;
    for (const std::string& word : words)
        text.append(text.empty() ? "" : " ").append(word);
    return text;
}

struct Ranked {
    Fit fit;
    int yearDistance;
    Candidate candidate;

    auto rank() const { return std::tie(fit, yearDistance); }
};

} // namespace

std::string_view statusName(MatchStatus status)
{
    switch (status) {
    case MatchStatus::matched:
        return "matched";
    case MatchStatus::ambiguous:
        return "ambiguous";
    case MatchStatus::notFound:
        return "not-found";
    case MatchStatus::fromFile:
        return "from-file";
    case MatchStatus::duplicate:
        return "duplicate";
    }
    return "not-found";
}

struct TitleMatcher::Parts {
    explicit Parts(const titleindex::TitleIndex& index)
        : index(index)
    {
    }

    // The hits of one search that fit the film's year (when it gives one), ranked; added to `ranked`.
    void rankHits(
        std::string_view query, const Words& asked, const std::optional<int>& year, std::vector<Ranked>& ranked) const
    {
        const Words askedPlain = withoutUmlautSpelling(asked);
        for (titleindex::SearchHit& hit : index.search(query)) {
            int distance = 0;
            if (year) {
                if (!hit.year || std::abs(*hit.year - *year) > 1)
                    continue;
                distance = std::abs(*hit.year - *year);
            }
            const bool seen = std::any_of(
                ranked.begin(), ranked.end(), [&](const Ranked& r) { return r.candidate.number == hit.number; });
            if (!seen)
                ranked.push_back({ fit(words(hit.title), asked, askedPlain), distance,
                    { hit.number, std::move(hit.title), hit.year } });
        }
    }

    const titleindex::TitleIndex& index;
    titleindex::TitleWords words;
};

TitleMatcher::TitleMatcher(const titleindex::TitleIndex& index)
    : m(std::make_unique<Parts>(index))
{
}

TitleMatcher::~TitleMatcher() = default;

TitleMatch TitleMatcher::match(const FileFilm& film) const
{
    if (film.number) {
        if (m->index.title(*film.number))
            return { MatchStatus::matched, film.number, {} };
        return {};
    }
    // The title first; the original title, and the title with "ae", "oe", "ue" read as umlauts, only while no
    // title of the index has the very words.
    std::vector<std::pair<std::string, Words>> queries;
    const Words title = m->words(film.title);
    queries.emplace_back(film.title, title);
    if (const Words original = m->words(film.originalTitle); !original.empty() && original != title)
        queries.emplace_back(film.originalTitle, original);
    if (const Words plain = withoutUmlautSpelling(title); plain != title)
        queries.emplace_back(joined(plain), plain);

    std::vector<Ranked> ranked;
    for (const auto& [query, asked] : queries) {
        if (asked.empty())
            continue;
        m->rankHits(query, asked, film.year, ranked);
        if (std::any_of(ranked.begin(), ranked.end(), [](const Ranked& r) { return r.fit == Fit::whole; }))
            break;
    }
    if (ranked.empty())
        return {};
    std::stable_sort(
        ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) { return a.rank() < b.rank(); });
    const auto best = ranked.front().rank();
    std::size_t tied = 1;
    while (tied < ranked.size() && ranked[tied].rank() == best)
        ++tied;
    if (tied == 1)
        return { MatchStatus::matched, ranked.front().candidate.number, {} };
    TitleMatch match { MatchStatus::ambiguous, std::nullopt, {} };
    for (std::size_t k = 0; k < tied && k < kMostCandidates; ++k)
        match.candidates.push_back(std::move(ranked[k].candidate));
    return match;
}

} // namespace vantrelle::collections
