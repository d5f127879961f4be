// vantrelle-tool titles import, download and update: builds the title index from the public title
// datasets, and fetches them.

#include "CommandRegistry.h"
#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/titledata/DatasetDownload.h"
#include "vantrelle/titledata/Import.h"
#include "vantrelle/titledata/ProgressMeter.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

using namespace vantrelle;
using namespace vantrelle::tool;
namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t interrupted = 0;

// Ctrl-C, a termination request or the closing of the terminal ends the import at its next progress
// report, so the partial file is removed and the index in place stays as it was.
class InterruptGuard {
public:
    InterruptGuard()
    {
        interrupted = 0;
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            m_previous[i] = std::signal(kSignals[i], [](int) { interrupted = 1; });
    }
    ~InterruptGuard()
    {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            std::signal(kSignals[i], m_previous[i]);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    static constexpr int kSignals[] = { SIGINT, SIGTERM, SIGHUP };
    void (*m_previous[std::size(kSignals)])(int) = {};
};

// One status line on the terminal, rewritten as the meter says.
class ProgressLine {
public:
    explicit ProgressLine(bool onTerminal)
        : m_onTerminal(onTerminal)
    {
    }

    void show(std::string_view step, std::uint64_t bytesRead, std::uint64_t bytesTotal)
    {
        if (!m_onTerminal)
            return;
        if (const auto line = m_meter.update(step, bytesRead, bytesTotal))
            std::cerr << "\r" << *line << "\033[K" << std::flush;
    }

    void clear()
    {
        if (m_onTerminal)
            std::cerr << "\r\033[K" << std::flush;
    }

private:
    bool m_onTerminal;
    titledata::ProgressMeter m_meter;
};

// Runs `work` with the progress line shown, and cleared again however it ends.
template <typename Work> auto withProgressLine(ProgressLine& line, Work work)
{
    try {
        auto result = work();
        line.clear();
        return result;
    } catch (...) {
        line.clear();
        throw;
    }
}

// Imports with the progress line, Ctrl-C ending the import at its next report; prints the outcome.
void importWithProgress(const fs::path& dataset, const fs::path& index, titledata::ImportOptions options)
{
    ProgressLine progressLine(::isatty(STDERR_FILENO) == 1);
    InterruptGuard interruptGuard;
    options.progress = [&](const titledata::ImportProgress& progress) {
        if (interrupted)
            throw Error("Interrupted; " + index.string() + " is left as it was");
        progressLine.show(progress.step, progress.bytesRead, progress.bytesTotal);
    };
    const titledata::ImportSummary summary
        = withProgressLine(progressLine, [&] { return titledata::importTitles(dataset, index, options); });
    for (const titledata::SkippedRows& skipped : summary.skipped)
        std::cerr << titledata::skippedRowsText(skipped) << "\n";
    std::cout << "Imported " << summary.titles << " titles and " << summary.people << " people into " << index.string()
              << "\n"
              << titledata::kCreditLine << "\n";
}

// The user's index (where the window looks for it), its folder made.
fs::path userIndex()
{
    const fs::path index = userTitleIndex();
    if (const fs::path folder = index.parent_path(); !folder.empty())
        fs::create_directories(folder);
    return index;
}

int importCommand(const Arguments& args)
{
    std::optional<fs::path> dataset;
    std::optional<fs::path> index;
    titledata::ImportOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (++i == args.size())
                throw UsageError { "-o needs a file name" };
            index = args[i];
        } else if (args[i] == "--include-adult") {
            options.includeAdult = true;
        } else if (args[i].starts_with("-") || dataset) {
            throw UsageError { "unexpected argument '" + args[i] + "'" };
        } else {
            dataset = args[i];
        }
    }
    if (!dataset)
        throw UsageError { "the folder of the dataset files is missing" };
    importWithProgress(*dataset, index ? *index : userIndex(), options);
    return 0;
}

// Downloads with the progress line, Ctrl-C ending the download (the part is kept for the next run).
titledata::DownloadSummary downloadWithProgress(const fs::path& folder)
{
    ProgressLine progressLine(::isatty(STDERR_FILENO) == 1);
    InterruptGuard interruptGuard;
    titledata::DownloadOptions options;
    options.progress = [&](const titledata::DownloadProgress& progress) {
        if (interrupted)
            throw Error("Interrupted; the download goes on from where it stopped next time");
        progressLine.show(progress.step, progress.bytesRead, progress.bytesTotal);
    };
    const titledata::DownloadSummary summary
        = withProgressLine(progressLine, [&] { return titledata::downloadDatasets(folder, options); });
    std::cout << "Downloaded " << summary.changed.size() << " of " << titledata::datasetFileNames().size()
              << " dataset files into " << folder.string() << "; " << summary.unchanged.size() << " had not changed\n";
    return summary;
}

int downloadCommand(const Arguments& args)
{
    if (args.size() > 1)
        throw UsageError { "unexpected argument '" + args[1] + "'" };
    if (!args.empty() && args[0].starts_with("-"))
        throw UsageError { "unexpected argument '" + args[0] + "'" };
    downloadWithProgress(args.empty() ? titledata::datasetCacheDir() : fs::path(args[0]));
    return 0;
}

int updateCommand(const Arguments& args)
{
    if (!args.empty())
        throw UsageError { "unexpected argument '" + args[0] + "'" };
    const fs::path folder = titledata::datasetCacheDir();
    const titledata::DownloadSummary summary = downloadWithProgress(folder);
    const fs::path index = userIndex();
    if (summary.changed.empty() && !titledata::indexBehindDatasets(index, folder)) {
        std::cout << index.string() << " is up to date\n";
        return 0;
    }
    importWithProgress(folder, index, {});
    return 0;
}

int titles(const Arguments& args)
{
    if (args.empty())
        throw UsageError { "what to do is missing" };
    const Arguments rest(args.begin() + 1, args.end());
    if (args[0] == "import")
        return importCommand(rest);
    if (args[0] == "download")
        return downloadCommand(rest);
    if (args[0] == "update")
        return updateCommand(rest);
    throw UsageError { "unknown action '" + args[0] + "'" };
}

RegisterCommand reg("titles",
    { "titles (import DIR [-o FILE] [--include-adult] | download [DIR] | update)",
        "import builds the title index (default: $VANTRELLE_TITLE_INDEX, else titles.db in the user's data "
        "folder) from the public title datasets in DIR: title.basics, title.ratings, title.crew, "
        "title.principals and name.basics, each as .tsv.gz or .tsv; download fetches them as .tsv.gz (default "
        "DIR: datasets in the user's cache folder; $VANTRELLE_DATASETS_URL replaces the published address), "
        "resuming a cut file and asking again only for changed ones; update downloads what changed into the "
        "cache folder, then imports into the user's index",
        titles });

} // namespace
