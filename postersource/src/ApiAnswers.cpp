#include "vantrelle/postersource/ApiAnswers.h"

#include <nlohmann/json.hpp>

namespace vantrelle::postersource {

namespace {

using nlohmann::json;

// The answer as an object, or a discarded value; never throws.
json parsedObject(std::string_view text)
{
    json value = json::parse(text, nullptr, false);
    return value.is_object() ? value : json(json::value_t::discarded);
}

std::optional<FoundTitle> firstResult(const json& answer, const char* list, FoundTitle::Kind kind)
{
    const auto results = answer.find(list);
    if (results == answer.end() || !results->is_array() || results->empty())
        return std::nullopt;
    const json& first = results->front();
    if (!first.is_object())
        return std::nullopt;
    const auto id = first.find("id");
    if (id == first.end() || !id->is_number_integer() || id->get<std::int64_t>() <= 0)
        return std::nullopt;
    FoundTitle found { kind, id->get<std::int64_t>(), {} };
    if (const auto poster = first.find("poster_path"); poster != first.end() && poster->is_string())
        found.posterPath = checkedPosterPath(poster->get_ref<const std::string&>());
    return found;
}

} // namespace

std::string checkedPosterPath(std::string_view path)
{
    if (path.size() < 2 || path.size() > 200 || path.front() != '/' || path[1] == '.')
        return {};
    for (const char c : path.substr(1)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
            || c == '_' || c == '.';
        if (!plain)
            return {};
    }
    return std::string(path);
}

FindAnswer readFindAnswer(std::string_view json)
{
    const auto answer = parsedObject(json);
    if (answer.is_discarded())
        return {};
    if (auto movie = firstResult(answer, "movie_results", FoundTitle::Kind::Movie))
        return { true, movie };
    return { true, firstResult(answer, "tv_results", FoundTitle::Kind::Tv) };
}

std::string readTagline(std::string_view json)
{
    const auto answer = parsedObject(json);
    if (answer.is_discarded())
        return {};
    const auto tagline = answer.find("tagline");
    return tagline != answer.end() && tagline->is_string() ? tagline->get<std::string>() : std::string();
}

} // namespace vantrelle::postersource
