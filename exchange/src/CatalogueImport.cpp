#include "vantrelle/exchange/CatalogueImport.h"

#include "vantrelle/CodePage.h"
#include "vantrelle/exchange/Base64.h"
#include "vantrelle/exchange/CoverValue.h"
#include "vantrelle/exchange/Csv.h"
#include "vantrelle/exchange/Json.h"
#include "vantrelle/store/AppendMovies.h"
#include "vantrelle/store/Errors.h"
#include "vantrelle/store/MoviesQuery.h"
#include "vantrelle/store/ReadMovies.h"

#include <array>
#include <fstream>
#include <iterator>
#include <set>
#include <strings.h>

namespace vantrelle::exchange {

namespace {

namespace fs = std::filesystem;
using store::FieldValue;
using store::MovieRecord;
using store::TField;
using store::TMoviesQuery;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view withoutByteOrderMark(std::string_view file)
{
    if (file.starts_with("\xFF\xFE") || file.starts_with("\xFE\xFF"))
        throw EDataFileError("the file is UTF-16 text; save it as UTF-8");
    return file.starts_with(kUtf8Mark) ? file.substr(kUtf8Mark.size()) : file;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view trimmed(std::string_view name)
{
    const std::size_t first = name.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view()
                                           : name.substr(first, name.find_last_not_of(' ') + 1 - first);
}

TField* fieldNamed(TMoviesQuery& query, std::string_view name)
{
    for (TField* field : query.Fields())
        if (sameName(field->FieldName(), name))
            return field;
    return nullptr;
}

// Which catalogue column each column of the file fills; nullptr for the ones ignored. Two columns may fill the
// same one (JSON keys in another case, a --map) as long as no record gives both.
std::vector<TField*> matchColumns(
    const std::vector<std::string>& columns, TMoviesQuery& query, const ImportOptions& options)
{
    std::vector<TField*> targets;
    std::vector<bool> mapUsed(options.columnMap.size());
    for (const std::string& column : columns) {
        const std::string_view name = trimmed(column);
        TField* field = nullptr;
        bool mapped = false;
        for (std::size_t m = 0; m < options.columnMap.size() && !mapped; ++m) {
            const auto& [source, target] = options.columnMap[m];
            if (!sameName(name, trimmed(source)))
                continue;
            field = fieldNamed(query, trimmed(target));
            if (!field)
                throw Error("--map " + source + "=" + target + ": the catalogue has no column '" + target + "'");
            mapUsed[m] = mapped = true;
        }
        if (!mapped)
            field = fieldNamed(query, name);
        if (!field && options.ignoredColumn)
            options.ignoredColumn(column);
        if (field == &query.aqMoviesID)
            field = nullptr; // the catalogue gives the IDs
        targets.push_back(field);
    }
    for (std::size_t m = 0; m < options.columnMap.size(); ++m)
        if (!mapUsed[m])
            throw Error("--map " + options.columnMap[m].first + "=" + options.columnMap[m].second
                + ": the file has no column '" + options.columnMap[m].first + "'");
    return targets;
}

// The title and year of the films already in the catalogue. Titles compare as the list orders them: without
// regard to the case of the letters A to Z (SQLite's NOCASE).
class ExistingFilms {
public:
    void add(const MovieRecord& row) { m_keys.insert(key(row[1], row[17])); }

    bool contains(const MovieRecord& row) const { return m_keys.contains(key(row[1], row[17])); }

private:
    using Key = std::pair<std::optional<std::string>, std::optional<std::int32_t>>;

    static Key key(const FieldValue& title, const FieldValue& year)
    {
        Key key;
        if (const auto* text = std::get_if<std::string>(&title)) {
            key.first = *text;
            for (char& c : *key.first)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
        }
        if (const auto* number = std::get_if<std::int32_t>(&year))
            key.second = *number;
        return key;
    }

    std::set<Key> m_keys;
};

store::Bytes readCoverFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    store::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw Error("Cannot read the cover file " + file.string());
    return bytes;
}

class RowConverter {
public:
    RowConverter(const DataTable& table, std::vector<TField*> targets, const ImportOptions& options)
        : m_table(table)
        , m_targets(std::move(targets))
        , m_options(options)
    {
    }

    MovieRecord row(const Record& record) const
    {
        MovieRecord row;
        std::array<std::size_t, store::kMovieColumnCount> filledBy;
        filledBy.fill(kNone);
        for (std::size_t k = 0; k < m_targets.size(); ++k) {
            const TField* field = m_targets[k];
            const std::optional<Cell>& cell = record.cells[k];
            if (!field || !cell)
                continue;
            std::size_t& filler = filledBy[field->Index()];
            if (filler != kNone)
                throw EDataFileError("line " + std::to_string(record.line) + ": the columns '" + m_table.columns[filler]
                    + "' and '" + m_table.columns[k] + "' both fill " + field->FieldName());
            filler = k;
            if (!cell->text)
                continue;
            try {
                if (field->DataType() == store::TFieldType::ftBlob)
                    row[field->Index()] = cover(*cell->text);
                else
                    row[field->Index()] = field->valueFromText(*cell->text);
            } catch (const Error& e) {
                throw EDataFileError(
                    "line " + std::to_string(cell->line) + ", column " + m_table.columns[k] + ": " + e.what());
            }
        }
        return row;
    }

private:
    // A cover file's name, else base64 bytes; empty text is an empty cover.
    store::Bytes cover(const std::string& text) const
    {
        if (text.empty())
            return {};
        const fs::path file = m_options.baseFolder / fs::path(ansiToUtf8(text));
        std::error_code error;
        if (text.find('\n') == std::string::npos && fs::is_regular_file(file, error))
            return coverValue(readCoverFile(file), file.extension().string());
        if (auto bytes = decodeBase64(text))
            return coverValue(std::move(*bytes), "");
        throw Error("there is no cover file " + file.string() + ", and the text is not base64 picture data");
    }

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    const DataTable& m_table;
    std::vector<TField*> m_targets;
    const ImportOptions& m_options;
};

} // namespace

ImportResult importMovies(std::string_view file, std::string_view connectionString, const ImportOptions& options)
{
    const std::string_view text = withoutByteOrderMark(file);
    DataTable table = options.format == DataFormat::Json ? readJson(text) : readCsv(text);
    for (std::string& column : table.columns)
        column = ansiToUtf8(column);

    // Read first: a catalogue that cannot be opened fails before any cover is converted.
    ExistingFilms existing;
    store::readMovies(connectionString, [&](MovieRecord&& row) {
        if (options.skipDuplicates)
            existing.add(row);
    });
    TMoviesQuery columns; // never opened: its column objects convert the values
    const RowConverter converter(table, matchColumns(table.columns, columns, options), options);

    ImportResult result;
    std::vector<MovieRecord> rows;
    rows.reserve(table.records.size());
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        MovieRecord row = converter.row(table.records[i]);
        if (options.skipDuplicates && existing.contains(row))
            ++result.skipped;
        else
            rows.push_back(std::move(row));
        if (options.progress && (i % 256 == 255 || i + 1 == table.records.size()))
            options.progress(i + 1, table.records.size());
    }
    store::appendMovies(connectionString, rows);
    result.imported = rows.size();
    return result;
}

} // namespace vantrelle::exchange
