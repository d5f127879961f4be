#include "vantrelle/collections/FilmImport.h"

#include "CoverWork.h"
#include "FilmRecord.h"
#include "vantrelle/postersource/PosterSource.h"
#include "vantrelle/store/AppendMovies.h"
#include "vantrelle/store/ExistingFilms.h"
#include "vantrelle/titleindex/TitleIndex.h"

#include <algorithm>
#include <set>

namespace vantrelle::collections {

namespace {

bool isAdded(const PlannedFilm& planned)
{
    const MatchStatus status = planned.match.status;
    return planned.include
        && ((status == MatchStatus::matched && planned.match.number) || status == MatchStatus::fromFile);
}

// The row a film becomes, without its cover and the poster source's tagline.
store::MovieRecord rowOf(const PlannedFilm& planned, const titleindex::TitleIndex* index)
{
    if (planned.match.status == MatchStatus::fromFile)
        return fileRecord(planned.film);
    if (!index)
        throw ECollectionError("the film \"" + planned.film.title + "\" is matched, but no title index is open");
    const std::optional<titleindex::Title> title = index->title(*planned.match.number);
    if (!title)
        throw ECollectionError("the title index has no title " + std::to_string(*planned.match.number));
    store::MovieRecord row = lookupRecord(*title, {});
    fillFromFile(row, planned.film);
    return row;
}

// Films of the catalogue and those earlier in the batch: a film that is one of them is a duplicate.
class Duplicates {
public:
    // No catalogue yet (empty): no film is in it.
    explicit Duplicates(std::string_view connectionString)
        : m_existing(
            connectionString.empty() ? store::ExistingFilms() : store::ExistingFilms::inCatalogue(connectionString))
    {
    }

    // Whether the film is one already seen; if not, it is seen from now on.
    bool check(const store::MovieRecord& row, const std::optional<std::int64_t>& number)
    {
        if (m_existing.contains(row) || (number && m_numbers.contains(*number)))
            return true;
        m_existing.add(row);
        if (number)
            m_numbers.insert(*number);
        return false;
    }

private:
    store::ExistingFilms m_existing;
    std::set<std::int64_t> m_numbers;
};

} // namespace

ImportPlan planImport(
    const Collection& collection, const titleindex::TitleIndex* index, std::string_view connectionString)
{
    ImportPlan plan { collection.kind, index != nullptr, {} };
    plan.films.reserve(collection.films.size());
    std::optional<TitleMatcher> matcher;
    if (index)
        matcher.emplace(*index);
    Duplicates duplicates(connectionString);
    for (const FileFilm& film : collection.films) {
        PlannedFilm planned { film, matcher ? matcher->match(film) : TitleMatch {}, true };
        if (planned.match.status == MatchStatus::notFound && carriesDetails(collection.kind))
            planned.match.status = MatchStatus::fromFile;
        if (isAdded(planned) && duplicates.check(rowOf(planned, index), planned.match.number))
            planned.match.status = MatchStatus::duplicate;
        plan.films.push_back(std::move(planned));
    }
    return plan;
}

std::size_t filmsToAdd(const ImportPlan& plan)
{
    return static_cast<std::size_t>(std::count_if(plan.films.begin(), plan.films.end(), isAdded));
}

ExtrasSource posterExtras(const postersource::PosterSource& source)
{
    if (!source.enabled())
        return {};
    return [&source](std::int64_t number) {
        const postersource::FilmExtras extras = source.extras(number);
        return Extras { extras.tagline, std::vector<std::uint8_t>(extras.poster.begin(), extras.poster.end()) };
    };
}

AddResult addFilms(
    ImportPlan& plan, const titleindex::TitleIndex* index, std::string_view connectionString, const AddOptions& options)
{
    AddResult result;
    const auto cancelled = [&] { return options.cancel && options.cancel->load(); };
    const auto tell = [&](ImportStage stage, std::size_t done, std::size_t total) {
        if (options.progress)
            options.progress(stage, done, total);
    };

    std::vector<PlannedFilm*> films;
    for (PlannedFilm& planned : plan.films)
        if (isAdded(planned))
            films.push_back(&planned);
    // Made whole before anything is written, so that a film the index lacks fails the batch early.
    Duplicates duplicates(connectionString);
    std::vector<store::MovieRecord> rows;
    std::vector<PlannedFilm*> added;
    for (std::size_t k = 0; k < films.size(); ++k) {
        if (cancelled())
            return { 0, 0, 0, true };
        PlannedFilm& planned = *films[k];
        store::MovieRecord row = rowOf(planned, index);
        const auto number = planned.match.status == MatchStatus::matched ? planned.match.number : std::nullopt;
        if (duplicates.check(row, number)) {
            ++result.duplicates;
        } else {
            rows.push_back(std::move(row));
            added.push_back(&planned);
        }
        tell(ImportStage::films, k + 1, films.size());
    }

    std::vector<CoverJob> jobs;
    jobs.reserve(rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const bool matched = added[k]->match.status == MatchStatus::matched;
        jobs.push_back({ matched ? added[k]->match.number : std::nullopt, &added[k]->film.cover, &rows[k] });
    }
    result.coversFailed = makeCovers(
        jobs, options.extras, options.cancel, [&](std::size_t done) { tell(ImportStage::covers, done, jobs.size()); });
    if (cancelled())
        return { 0, 0, 0, true };

    store::appendMovies(connectionString, rows);
    for (PlannedFilm* planned : films)
        if (std::find(added.begin(), added.end(), planned) == added.end())
            planned->match.status = MatchStatus::duplicate;
    result.added = rows.size();
    return result;
}

} // namespace vantrelle::collections
