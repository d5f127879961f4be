#include "vantrelle/exchange/CatalogueImport.h"

#include "vantrelle/CodePage.h"
#include "vantrelle/Csv.h"
#include "vantrelle/exchange/Base64.h"
#include "vantrelle/exchange/Json.h"
#include "vantrelle/store/AppendMovies.h"
#include "vantrelle/store/CoverValue.h"
#include "vantrelle/store/Errors.h"
#include "vantrelle/store/ExistingFilms.h"
#include "vantrelle/store/MoviesQuery.h"

#include <array>
#include <fstream>
#include <iterator>
#include <strings.h>

namespace vantrelle::exchange {

namespace {

namespace fs = std::filesystem;
using store::Field;
using store::FieldValue;
using store::MovieRecord;
using store::MoviesQuery;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::size_t kProgressEvery = 256; // films

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

Field* fieldNamed(MoviesQuery& query, std::string_view name)
{
    for (Field* field : query.fields())
        if (sameName(field->fieldName(), name))
            return field;
    return nullptr;
}

store::Bytes readCoverFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    store::Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw Error("Cannot read the cover file " + file.string());
    return bytes;
}

// Converts the records of a file into rows of the catalogue, matching the columns of the file to the
// catalogue's as the reader names them.
class RowConverter {
public:
    explicit RowConverter(const ImportOptions& options)
        : m_options(options)
        , m_mapUsed(options.columnMap.size())
    {
    }

    // Matches the columns that `reader` has named since the last call; once it knows them all, a --map whose
    // column the file lacks fails.
    void matchNewColumns(const RecordReader& reader)
    {
        for (std::size_t k = m_names.size(); k < reader.columns().size(); ++k) {
            m_names.push_back(ansiToUtf8(reader.columns()[k]));
            m_targets.push_back(target(m_names.back()));
        }
        if (!reader.allColumnsKnown())
            return;
        for (std::size_t m = 0; m < m_options.columnMap.size(); ++m)
            if (!m_mapUsed[m])
                throw Error("--map " + m_options.columnMap[m].first + "=" + m_options.columnMap[m].second
                    + ": the file has no column '" + m_options.columnMap[m].first + "'");
    }

    // After matchNewColumns for the columns that `record` gives.
    MovieRecord row(const Record& record) const
    {
        MovieRecord row;
        std::array<std::size_t, store::kMovieColumnCount> filledBy;
        filledBy.fill(kNone);
        for (std::size_t k = 0; k < record.cells.size(); ++k) {
            const Field* field = m_targets[k];
            const std::optional<Cell>& cell = record.cells[k];
            if (!field || !cell)
                continue;
            std::size_t& filler = filledBy[field->index()];
            if (filler != kNone)
                throw EDataFileError("line " + std::to_string(record.line) + ": the columns '" + m_names[filler]
                    + "' and '" + m_names[k] + "' both fill " + field->fieldName());
            filler = k;
            if (!cell->text)
                continue;
            try {
                if (field->dataType() == store::FieldType::ftBlob)
                    row[field->index()] = cover(*cell->text);
                else
                    row[field->index()] = field->valueFromText(*cell->text);
            } catch (const Error& e) {
                throw EDataFileError("line " + std::to_string(cell->line) + ", column " + m_names[k] + ": " + e.what());
            }
        }
        return row;
    }

private:
    // The catalogue column that the file's column `name` fills; nullptr when it is ignored. Two columns may
    // fill the same one (JSON keys in another case, a --map) as long as no record gives both.
    Field* target(const std::string& name)
    {
        const std::string_view trimmedName = trimmed(name);
        Field* field = nullptr;
        bool mapped = false;
        for (std::size_t m = 0; m < m_options.columnMap.size() && !mapped; ++m) {
            const auto& [source, column] = m_options.columnMap[m];
            if (!sameName(trimmedName, trimmed(source)))
                continue;
            field = fieldNamed(m_columns, trimmed(column));
            if (!field)
                throw Error("--map " + source + "=" + column + ": the catalogue has no column '" + column + "'");
            m_mapUsed[m] = mapped = true;
        }
        if (!mapped)
            field = fieldNamed(m_columns, trimmedName);
        if (!field && m_options.ignoredColumn)
            m_options.ignoredColumn(name);
        return field == &m_columns.aqMoviesID ? nullptr : field; // the catalogue gives the IDs
    }

    // A cover file's name, else base64 bytes; empty text is an empty cover.
    store::Bytes cover(const std::string& text) const
    {
        if (text.empty())
            return {};
        const fs::path file = m_options.baseFolder / fs::path(ansiToUtf8(text));
        std::error_code error;
        if (text.find('\n') == std::string::npos && fs::is_regular_file(file, error))
            return store::coverValue(readCoverFile(file), file.extension().string());
        if (auto bytes = decodeBase64(text))
            return store::coverValue(std::move(*bytes), "");
        throw Error("there is no cover file " + file.string() + ", and the text is not base64 picture data");
    }

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    const ImportOptions& m_options;
    MoviesQuery m_columns; // never opened: its column objects convert the values
    std::vector<bool> m_mapUsed;
    std::vector<std::string> m_names; // the file's columns, as UTF-8
    std::vector<Field*> m_targets; // by column of the file
};

} // namespace

ImportResult importMovies(std::string_view file, std::string_view connectionString, const ImportOptions& options)
{
    const std::string_view text = withoutByteOrderMark(file);
    const auto reader = options.format == DataFormat::Json ? jsonRecords(text) : csvRecords(text);

    store::ExistingFilms existing;
    if (options.skipDuplicates)
        existing = store::ExistingFilms::inCatalogue(connectionString);
    // Opened before any value is converted: a catalogue that cannot be written fails before a cover is reduced.
    store::MovieAppender appender(connectionString);
    RowConverter converter(options);
    converter.matchNewColumns(*reader);

    // Each record goes in as soon as it is read, so that only one is held at a time.
    ImportResult result;
    Record record;
    while (reader->next(record)) {
        converter.matchNewColumns(*reader);
        const MovieRecord row = converter.row(record);
        if (options.skipDuplicates && existing.contains(row)) {
            ++result.skipped;
        } else {
            appender.add(row);
            ++result.imported;
        }
        const std::size_t films = result.imported + result.skipped;
        if (options.progress && films % kProgressEvery == 0)
            options.progress(films, reader->position(), text.size());
    }
    converter.matchNewColumns(*reader);
    appender.commit();
    if (options.progress)
        options.progress(result.imported + result.skipped, text.size(), text.size());
    return result;
}

} // namespace vantrelle::exchange
