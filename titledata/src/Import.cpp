#include "vantrelle/titledata/Import.h"

#include "DatasetReader.h"
#include "IndexWriter.h"
#include "NumberSet.h"
#include "ReplacementFile.h"
#include "Validators.h"
#include "vantrelle/sqlite/Sqlite.h"

#include <array>
#include <cstdio>
#include <string>
#include <unordered_map>

namespace fs = std::filesystem;

namespace vantrelle::titledata {

namespace {

constexpr std::uint64_t kLinesPerProgress = 1 << 14;
// The share of unreadable rows is judged as a file is read once it has passed this many rows, so that
// a file of junk stops early; a shorter file is judged at its end.
constexpr std::uint64_t kRowsBeforeJudging = 5000;
// More cast rows than any real title has: the rest of a title's rows are malformed.
constexpr std::uint32_t kMaxCastRowsPerTitle = 1000;

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

std::string namedRows(const SkippedRows& skipped)
{
    std::string text;
    for (const SkippedRows::Row& row : skipped.first)
        text += (text.empty() ? "line " : "; line ") + std::to_string(row.line) + ", " + row.what;
    if (skipped.count > skipped.first.size())
        text += "; and " + std::to_string(skipped.count - skipped.first.size()) + " more";
    return text;
}

// Reads the five files in the order of kDatasetFiles: the titles decide which crew and cast rows are kept,
// and those decide which people are. The rows of a file may come in any order.
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
            readFile(m_files[i], kDatasetFiles[i]);
            m_bytesDone += fs::file_size(m_files[i]);
        }
        report("Choosing the cast");
        m_summary.people = m_writer.rankCast();
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
    // A downloaded file found corrupt loses its validators, so that the next download gets it whole
    // instead of hearing that it has not changed. A failure to write the index says nothing of it.
    void readFile(const fs::path& file, const DatasetFileFormat& format)
    {
        try {
            DatasetReader reader(file, format);
            read(reader, file, format);
        } catch (const EImportError&) {
            if (!m_indexFailed)
                removeValidators(file);
            throw;
        }
    }

    // A row that cannot be read is skipped and counted; more than 1% of them fail the import.
    void read(DatasetReader& reader, const fs::path& file, const DatasetFileFormat& format)
    {
        SkippedRows skipped;
        skipped.file = file.filename().string();
        std::string_view line;
        std::uint64_t rows = 0;
        while (reader.next(line)) {
            try {
                readRow(format.kind, line);
            } catch (const DatasetError& e) {
                if (skipped.first.size() < kSkippedRowsNamed)
                    skipped.first.push_back({ reader.lineNumber(), e.what() });
                ++skipped.count;
                if (rows + 1 >= kRowsBeforeJudging)
                    judge(skipped, rows + 1, file, format);
            } catch (const sqlite::Error& e) {
                m_indexFailed = true;
                reader.fail(e.what());
            }
            if (++rows % kLinesPerProgress == 0 && m_options.progress) {
                m_progress.bytesRead = m_bytesDone + reader.bytesRead();
                m_options.progress(m_progress);
            }
        }
        if (skipped.count == 0)
            return;
        judge(skipped, rows, file, format);
        m_summary.skipped.push_back(std::move(skipped));
    }

    // More than 1% of the rows read so far unreadable fail the import.
    static void judge(
        const SkippedRows& skipped, std::uint64_t rows, const fs::path& file, const DatasetFileFormat& format)
    {
        if (skipped.count * 100 > rows)
            throw EImportError(file.string() + ": " + std::to_string(skipped.count) + " of " + std::to_string(rows)
                + " rows cannot be read (more than 1%), so the file is damaged or is not " + std::string(format.name)
                + ": " + namedRows(skipped));
    }

    void readRow(DatasetKind kind, std::string_view line)
    {
        switch (kind) {
        case DatasetKind::Basics:
            addTitle(line);
            break;
        case DatasetKind::Ratings:
            addRating(line);
            break;
        case DatasetKind::Crew:
            addCrew(line);
            break;
        case DatasetKind::Principals:
            addPrincipal(line);
            break;
        case DatasetKind::Names:
            addName(line);
            break;
        }
    }

    void addTitle(std::string_view line)
    {
        parseTitleLine(line, m_title);
        if (!m_title.title)
            m_title.title = m_title.originalTitle;
        if (!m_title.type || *m_title.type == "tvEpisode" || !m_title.title
            || (m_title.adult && !m_options.includeAdult))
            return;
        if (m_titles.contains(m_title.number))
            throw DatasetError("title " + titleNumberText(m_title.number) + " appears twice");
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
        if (m_crewTitles.contains(m_crew.number))
            throw DatasetError("title " + titleNumberText(m_crew.number) + " appears twice");
        m_crewTitles.insert(m_crew.number);
        int position = 0;
        for (const std::uint32_t director : m_crew.directors) {
            m_writer.addDirector(m_crew.number, ++position, director);
            m_people.insert(director);
        }
    }

    // Every cast row of a kept title waits in the index until the names are known: the first four that
    // have a name are chosen then.
    void addPrincipal(std::string_view line)
    {
        parsePrincipalLine(line, m_principal);
        const std::string_view category = m_principal.category;
        if (!m_titles.contains(m_principal.number)
            || (category != "actor" && category != "actress" && category != "self"))
            return;
        if (++m_castRows[m_principal.number] > kMaxCastRowsPerTitle)
            throw DatasetError("title " + titleNumberText(m_principal.number) + " has more than "
                + std::to_string(kMaxCastRowsPerTitle) + " cast rows");
        m_writer.stageCastMember(m_principal);
        m_people.insert(m_principal.person);
    }

    void addName(std::string_view line)
    {
        parseNameLine(line, m_name);
        if (!m_name.name || !m_people.contains(m_name.person))
            return;
        m_writer.addPerson(m_name.person, *m_name.name);
        m_people.erase(m_name.person); // a repeated line adds nobody twice
    }

    IndexWriter& m_writer;
    const ImportOptions& m_options;
    std::array<fs::path, kDatasetFiles.size()> m_files;
    ImportProgress m_progress;
    std::uint64_t m_bytesDone = 0;
    ImportSummary m_summary;
    bool m_indexFailed = false;
    NumberSet m_titles;
    NumberSet m_crewTitles;
    NumberSet m_people;
    std::unordered_map<std::uint32_t, std::uint32_t> m_castRows; // staged, per title
    // Rows reused from line to line.
    TitleRow m_title;
    RatingRow m_rating;
    CrewRow m_crew;
    PrincipalRow m_principal;
    NameRow m_name;
};

} // namespace

std::string skippedRowsText(const SkippedRows& skipped)
{
    return "skipped " + std::to_string(skipped.count) + (skipped.count == 1 ? " row of " : " rows of ") + skipped.file
        + ": " + namedRows(skipped);
}

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

} // namespace vantrelle::titledata
