#include "vantrelle/titleindex/Import.h"

#include "DatasetReader.h"
#include "IndexWriter.h"
#include "NumberSet.h"
#include "ReplacementFile.h"
#include "vantrelle/sqlite/Sqlite.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace vantrelle::titleindex {

namespace {

constexpr std::uint64_t kLinesPerProgress = 1 << 14;
constexpr std::size_t kCastKept = 4;

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

std::string titleNumberText(std::uint32_t number)
{
    char text[16];
    std::snprintf(text, sizeof text, "tt%07u", number);
    return text;
}

std::string requiredFilesText()
{
    std::string names;
    for (const DatasetFileFormat& format : kDatasetFiles)
        names += (names.empty() ? "" : ", ") + std::string(format.name);
    return "the import needs all five dataset files (" + names + "), each as .tsv.gz or .tsv";
}

fs::path findDatasetFile(const fs::path& dir, const DatasetFileFormat& format)
{
    const std::string name(format.name);
    for (const char* ending : { ".tsv.gz", ".tsv" }) {
        const fs::path file = dir / (name + ending);
        if (fs::is_regular_file(file))
            return file;
    }
    throw EImportError(
        "Found neither " + name + ".tsv.gz nor " + name + ".tsv in " + quoted(dir) + "; " + requiredFilesText());
}

// An existing file is replaced only when it is a title index (of any version) or empty, so that a mistyped
// -o never overwrites a catalogue or anything else.
void checkReplaceable(const fs::path& indexFile)
{
    std::error_code error;
    const auto status = fs::status(indexFile, error);
    if (!fs::exists(status))
        return;
    if (!fs::is_regular_file(status))
        throw EImportError(quoted(indexFile) + " is not a file");
    if (fs::file_size(indexFile, error) == 0)
        return;
    bool isIndex = false;
    try {
        sqlite::Database db(indexFile, SQLITE_OPEN_READONLY);
        sqlite::Statement version(db, "SELECT 1 FROM meta WHERE key = 'schema_version'");
        isIndex = version.step();
    } catch (const sqlite::Error&) {
    }
    if (!isIndex)
        throw EImportError(quoted(indexFile) + " exists and is not a title index; it is left as it is");
}

struct CastEntry {
    int ordering = 0;
    std::uint32_t person = 0;
    std::string characters;
};

// Reads the five files in the order of kDatasetFiles: the titles decide which crew and cast rows are kept,
// and those decide which people are.
class Importer {
public:
    Importer(const fs::path& dir, IndexWriter& writer, const ImportOptions& options)
        : m_writer(writer)
        , m_options(options)
    {
        for (std::size_t i = 0; i < kDatasetFiles.size(); ++i) {
            m_files[i] = findDatasetFile(dir, kDatasetFiles[i]);
            m_progress.bytesTotal += fs::file_size(m_files[i]);
        }
    }

    ImportSummary run()
    {
        for (std::size_t i = 0; i < kDatasetFiles.size(); ++i) {
            const std::string step = "Reading " + m_files[i].filename().string();
            m_progress.step = step;
            DatasetReader reader(m_files[i], kDatasetFiles[i]);
            read(reader, kDatasetFiles[i].kind);
            m_bytesDone += fs::file_size(m_files[i]);
        }
        return m_summary;
    }

    void report(std::string_view step)
    {
        m_progress.step = step;
        m_progress.bytesRead = m_bytesDone;
        if (m_options.progress)
            m_options.progress(m_progress);
    }

private:
    void read(DatasetReader& reader, DatasetKind kind)
    {
        std::string_view line;
        std::uint64_t lines = 0;
        while (reader.next(line)) {
            try {
                switch (kind) {
                case DatasetKind::Basics:
                    addTitle(reader, line);
                    break;
                case DatasetKind::Ratings:
                    addRating(line);
                    break;
                case DatasetKind::Crew:
                    addCrew(line);
                    break;
                case DatasetKind::Principals:
                    addPrincipal(reader, line);
                    break;
                case DatasetKind::Names:
                    addName(line);
                    break;
                }
            } catch (const DatasetError& e) {
                reader.fail(e.what());
            } catch (const sqlite::Error& e) {
                reader.fail(e.what());
            }
            if (++lines % kLinesPerProgress == 0 && m_options.progress) {
                m_progress.bytesRead = m_bytesDone + reader.bytesRead();
                m_options.progress(m_progress);
            }
        }
        if (kind == DatasetKind::Principals)
            keepCast();
    }

    void addTitle(const DatasetReader& reader, std::string_view line)
    {
        parseTitleLine(line, m_title);
        if (!m_title.type || *m_title.type == "tvEpisode" || !m_title.title
            || (m_title.adult && !m_options.includeAdult))
            return;
        if (m_titles.contains(m_title.number))
            reader.fail("title " + titleNumberText(m_title.number) + " appears twice");
        m_titles.insert(m_title.number);
        m_writer.addTitle(m_title);
        ++m_summary.titles;
    }

    void addRating(std::string_view line)
    {
        parseRatingLine(line, m_rating);
        if (m_titles.contains(m_rating.number))
            m_writer.setVotes(m_rating.number, m_rating.votes);
    }

    void addCrew(std::string_view line)
    {
        parseCrewLine(line, m_crew);
        if (!m_titles.contains(m_crew.number))
            return;
        int position = 0;
        for (const std::uint32_t director : m_crew.directors) {
            m_writer.addDirector(m_crew.number, ++position, director);
            m_people.insert(director);
        }
    }

    // The cast of a title is gathered over its consecutive lines, so the file must be sorted by title
    // number, as it is published.
    void addPrincipal(const DatasetReader& reader, std::string_view line)
    {
        parsePrincipalLine(line, m_principal);
        if (m_principal.number != m_castTitle) {
            if (m_principal.number < m_castTitle)
                reader.fail("title " + titleNumberText(m_principal.number) + " comes after "
                    + titleNumberText(m_castTitle) + "; the file must be sorted by title number, as it is published");
            keepCast();
            m_castTitle = m_principal.number;
        }
        const std::string_view category = m_principal.category;
        if (m_titles.contains(m_principal.number)
            && (category == "actor" || category == "actress" || category == "self"))
            m_cast.push_back({ m_principal.ordering, m_principal.person, m_principal.characters });
    }

    void keepCast()
    {
        std::stable_sort(m_cast.begin(), m_cast.end(),
            [](const CastEntry& a, const CastEntry& b) { return a.ordering < b.ordering; });
        const std::size_t kept = std::min(m_cast.size(), kCastKept);
        for (std::size_t i = 0; i < kept; ++i) {
            m_writer.addCastMember(m_castTitle, static_cast<int>(i + 1), m_cast[i].person, m_cast[i].characters);
            m_people.insert(m_cast[i].person);
        }
        m_cast.clear();
    }

    void addName(std::string_view line)
    {
        parseNameLine(line, m_name);
        if (!m_name.name || !m_people.contains(m_name.person))
            return;
        m_writer.addPerson(m_name.person, *m_name.name);
        m_people.erase(m_name.person); // a repeated line adds nobody twice
        ++m_summary.people;
    }

    IndexWriter& m_writer;
    const ImportOptions& m_options;
    std::array<fs::path, kDatasetFiles.size()> m_files;
    ImportProgress m_progress;
    std::uint64_t m_bytesDone = 0;
    ImportSummary m_summary;
    NumberSet m_titles;
    NumberSet m_people;
    // Rows reused from line to line.
    TitleRow m_title;
    RatingRow m_rating;
    CrewRow m_crew;
    PrincipalRow m_principal;
    NameRow m_name;
    std::uint32_t m_castTitle = 0;
    std::vector<CastEntry> m_cast;
};

} // namespace

ImportSummary importTitles(const fs::path& datasetDir, const fs::path& indexFile, const ImportOptions& options)
{
    if (!fs::is_directory(datasetDir))
        throw EImportError(quoted(datasetDir) + " is not a folder; " + requiredFilesText());
    checkReplaceable(indexFile);
    ReplacementFile replacement(indexFile);
    ImportSummary summary;
    try {
        IndexWriter writer(replacement.path());
        Importer importer(datasetDir, writer, options);
        summary = importer.run();
        writer.finish(fs::absolute(datasetDir).lexically_normal().string(),
            [&](std::string_view step) { importer.report(step); });
    } catch (const sqlite::Error& e) {
        throw EImportError("Cannot write the index " + quoted(indexFile) + ": " + e.what());
    }
    replacement.commit();
    return summary;
}

} // namespace vantrelle::titleindex
