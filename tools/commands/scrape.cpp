// vantrelle-tool scrape: runs the title page scraper on a page file against an empty new row of the
// movies query (in a scratch catalogue) and prints what it wrote as one JSON object.

#include "CommandRegistry.h"
#include "vantrelle/CodePage.h"
#include "vantrelle/Error.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/Schema.h"
#include "vantrelle/titleservice/TitlePageScraper.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

using namespace vantrelle;
using namespace vantrelle::titleservice;

namespace {

std::string json(std::string_view utf8)
{
    std::string quoted = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string jsonOrNull(const std::optional<std::string>& utf8)
{
    return utf8 ? json(*utf8) : "null";
}

// A scratch catalogue in a folder of its own, removed with it.
class ScratchCatalogue {
public:
    ScratchCatalogue()
    {
        std::string folder = (std::filesystem::temp_directory_path() / "vantrelle-scrape-XXXXXX").string();
        if (!mkdtemp(folder.data()))
            throw Error("Cannot create a temporary folder");
        m_folder = folder;
        store::createCatalogue(file());
    }
    ~ScratchCatalogue()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    ScratchCatalogue(const ScratchCatalogue&) = delete;
    ScratchCatalogue& operator=(const ScratchCatalogue&) = delete;

    std::filesystem::path file() const { return m_folder / "Movies.mdb"; }

private:
    std::filesystem::path m_folder;
};

// A new row of the movies query, and the cover, as the scraper leaves them.
class NewRow : public ScrapeTarget {
public:
    NewRow(store::TMoviesQuery& query, std::optional<ListChoice> answer)
        : m_query(query)
        , m_answer(answer)
    {
    }

    void setColumnText(std::string_view column, std::string_view text) override
    {
        m_query.FieldByName(column).SetAsString(text);
        written(column);
    }

    void setColumnInteger(std::string_view column, std::int32_t value) override
    {
        m_query.FieldByName(column).SetAsInteger(value);
        written(column);
    }

    // Without an answer given, the dialog counts as cancelled.
    ListChoice chooseFromList(const std::vector<std::string_view>&) override
    {
        return m_answer.value_or(ListChoice {});
    }

    void usePlaceholderCover() override { placeholder = true; }
    void setCoverExtension(std::string_view extension) override { coverExtension = ansiToUtf8(extension); }
    void startCoverDownload(std::string_view url) override { posterUrl = ansiToUtf8(url); }

    // "\"Name\": value" for each column written, in the order first written.
    std::vector<std::string> columns() const
    {
        std::vector<std::string> shown;
        for (const auto& column : m_columns) {
            const store::FieldValue& value = m_query.FieldByName(column).Value();
            std::string text = "null";
            if (const auto* number = std::get_if<std::int32_t>(&value))
                text = std::to_string(*number);
            else if (const auto* utf8 = std::get_if<std::string>(&value))
                text = json(*utf8);
            shown.push_back(json(column) + ": " + text);
        }
        return shown;
    }

    bool placeholder = false;
    std::optional<std::string> posterUrl, coverExtension;

private:
    void written(std::string_view column)
    {
        if (std::find(m_columns.begin(), m_columns.end(), column) == m_columns.end())
            m_columns.emplace_back(column);
    }

    store::TMoviesQuery& m_query;
    std::optional<ListChoice> m_answer;
    std::vector<std::string> m_columns;
};

std::optional<ListChoice> parseChoice(const std::string& text)
{
    if (text == "cancel")
        return ListChoice { false, -1 };
    int index = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || index < -1)
        throw tool::UsageError { "--choose takes a line number from 0, -1 for no line, or cancel" };
    return ListChoice { true, index };
}

int scrape(const tool::Arguments& arguments)
{
    std::optional<ListChoice> answer;
    std::string pageFile;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--choose" && i + 1 < arguments.size())
            answer = parseChoice(arguments[++i]);
        else if (pageFile.empty() && !arguments[i].starts_with("--"))
            pageFile = arguments[i];
        else
            throw tool::UsageError { "unexpected argument '" + arguments[i] + "'" };
    }
    if (pageFile.empty())
        throw tool::UsageError { "no page file given" };
    std::ifstream in(pageFile, std::ios::binary);
    if (!in)
        throw Error("Cannot open file \"" + pageFile + "\"");
    const std::string page(std::istreambuf_iterator<char>(in), {});

    ScratchCatalogue catalogue;
    store::TMoviesQuery query;
    query.ConnectionString = store::connectionStringFor(catalogue.file());
    query.Open();
    query.Insert();
    NewRow row(query, answer);
    TURLDecoder decoder;
    TitlePageScraper scraper(row, decoder);
    std::optional<std::string> error;
    try {
        scraper.scrape(page);
    } catch (const Error& e) {
        error = e.what();
    }

    std::ostringstream out;
    out << "{\"columns\": {";
    const std::vector<std::string> columns = row.columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        out << (i ? ", " : "") << columns[i];
    out << "}, \"placeholder\": " << (row.placeholder ? "true" : "false")
        << ", \"posterUrl\": " << jsonOrNull(row.posterUrl)
        << ", \"coverExtension\": " << jsonOrNull(row.coverExtension) << ", \"runtimeEntries\": [";
    const auto& entries = scraper.runtimeEntries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        out << (i ? ", " : "") << json(ansiToUtf8(entries[i]));
    out << "], \"error\": " << jsonOrNull(error ? std::optional(ansiToUtf8(*error)) : std::nullopt) << "}\n";
    std::cout << out.str();
    return 0;
}

const tool::RegisterCommand registration("scrape",
    { "scrape [--choose N|cancel] PAGE.html",
        "run the title page scraper on a saved page and print the new row it fills in as JSON", scrape });

} // namespace
