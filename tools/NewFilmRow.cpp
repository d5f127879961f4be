#include "NewFilmRow.h"

#include "CommandRegistry.h"
#include "OutputFile.h"
#include "vantrelle/CodePage.h"
#include "vantrelle/Error.h"
#include "vantrelle/JsonText.h"
#include "vantrelle/store/CoverValue.h"
#include "vantrelle/store/Schema.h"

#include <algorithm>
#include <charconv>
#include <variant>

namespace vantrelle::tool {

namespace {

// The page's 8-bit text as a JSON string, or null.
std::string jsonOrNull(const std::optional<std::string>& ansi)
{
    return ansi ? jsonQuoted(ansiToUtf8(*ansi)) : "null";
}

} // namespace

titleservice::ListChoice parseChoice(const std::string& text)
{
    if (text == "cancel")
        return { false, -1 };
    int index = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), index);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || index < -1)
        throw UsageError { "--choose takes a line number from 0, -1 for no line, or cancel" };
    return { true, index };
}

NewFilmRow::NewFilmRow(std::string typed, std::optional<titleservice::ListChoice> choice)
    : m_typed(std::move(typed))
    , m_choice(choice)
{
    const std::filesystem::path catalogue = m_folder.path() / "Movies.mdb";
    store::createCatalogue(catalogue);
    m_query.ConnectionString = store::connectionStringFor(catalogue);
    m_query.open();
    m_query.insert();
}

void NewFilmRow::setColumnText(std::string_view column, std::string_view text)
{
    m_query.fieldByName(column).setAsString(text);
    written(column);
}

void NewFilmRow::setColumnInteger(std::string_view column, std::int32_t value)
{
    m_query.fieldByName(column).setAsInteger(value);
    written(column);
}

titleservice::ListChoice NewFilmRow::chooseFromList(const std::vector<std::string_view>&)
{
    return m_choice.value_or(titleservice::ListChoice {});
}

std::string NewFilmRow::inputBox(std::string_view, std::string_view)
{
    return m_typed;
}

store::Bytes NewFilmRow::storedCover() const
{
    if (!m_coverBytes)
        return {};
    // As the download's completion does: the body goes to a file, which is imported.
    const ScratchDir scratch("cover");
    const std::filesystem::path file = scratch / "Picture.tmp";
    writeOutputFile(file, m_downloadedCover);
    return store::importCoverPicture(file, m_coverExtension.value_or(""));
}

void NewFilmRow::written(std::string_view column)
{
    if (std::find(m_columns.begin(), m_columns.end(), column) == m_columns.end())
        m_columns.emplace_back(column);
}

void NewFilmRow::print(std::ostream& out, const FillOutcome& outcome, bool lookedUp)
{
    out << "{\"columns\": {";
    for (const auto& column : m_columns) {
        const store::FieldValue& value = m_query.fieldByName(column).value();
        out << (&column == &m_columns.front() ? "" : ", ") << jsonQuoted(column) << ": ";
        if (const auto* number = std::get_if<std::int32_t>(&value))
            out << *number;
        else if (const auto* utf8 = std::get_if<std::string>(&value))
            out << jsonQuoted(*utf8);
        else
            out << "null";
    }
    out << "}, \"placeholder\": " << (m_placeholder ? "true" : "false")
        << ", \"posterUrl\": " << jsonOrNull(outcome.posterUrl)
        << ", \"coverExtension\": " << jsonOrNull(m_coverExtension) << ", \"runtimeEntries\": [";
    for (const auto& entry : outcome.runtimeEntries)
        out << (&entry == &outcome.runtimeEntries.front() ? "" : ", ") << jsonQuoted(ansiToUtf8(entry));
    out << "], \"error\": " << jsonOrNull(outcome.error);
    if (lookedUp)
        out << ", \"coverBytes\": " << (m_coverBytes ? std::to_string(*m_coverBytes) : "null")
            << ", \"message\": " << (m_message ? jsonQuoted(*m_message) : "null");
    out << "}\n";
}

} // namespace vantrelle::tool
