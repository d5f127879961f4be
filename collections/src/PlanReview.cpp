#include "vantrelle/collections/PlanReview.h"

#include <cmath>
#include <cstdio>

namespace vantrelle::collections {

void chooseCandidate(PlannedFilm& planned, std::optional<std::size_t> candidate)
{
    planned.include = candidate.has_value();
    if (!candidate) {
        planned.match.status = MatchStatus::ambiguous;
        planned.match.number.reset();
        return;
    }
    planned.match.number = planned.match.candidates.at(*candidate).number;
    planned.match.status = MatchStatus::matched;
}

bool canComeFromFile(const PlannedFilm& planned)
{
    return !planned.film.title.empty() || !planned.film.originalTitle.empty();
}

void addFromFile(PlannedFilm& planned, bool add)
{
    planned.include = add && canComeFromFile(planned);
    planned.match.status = planned.include ? MatchStatus::fromFile : MatchStatus::notFound;
}

std::string filmLabel(std::string_view title, std::optional<int> year)
{
    std::string label(title);
    if (year)
        label += " (" + std::to_string(*year) + ")";
    return label;
}

std::string titleNumberText(std::int64_t number)
{
    char text[32];
    std::snprintf(text, sizeof text, "tt%07lld", static_cast<long long>(number));
    return text;
}

std::string fileTitle(const FileFilm& film)
{
    if (!film.title.empty())
        return film.title;
    if (!film.originalTitle.empty())
        return film.originalTitle;
    return film.number ? titleNumberText(*film.number) : std::string();
}

std::string progressLine(ImportStage stage, std::size_t done, std::size_t total, double secondsInStage)
{
    std::string line = (stage == ImportStage::films ? "Films: " : "Covers: ") + std::to_string(done) + " of "
        + std::to_string(total);
    if (secondsInStage < 1 || done == 0 || done >= total)
        return line;
    const double rate = static_cast<double>(done) / secondsInStage;
    const auto left = static_cast<long>(std::lround(static_cast<double>(total - done) / rate));
    char text[64];
    std::snprintf(text, sizeof text, ", %.1f a second, %ld:%02ld left", rate, left / 60, left % 60);
    return line + text;
}

} // namespace vantrelle::collections
