// vantrelle-tool titles import: builds the title index from the public title datasets.

#include "CommandRegistry.h"
#include "vantrelle/Error.h"
#include "vantrelle/UserFiles.h"
#include "vantrelle/titleindex/Import.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
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

std::string megabytes(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

std::string duration(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

// One status line on the terminal, rewritten at most a few times a second.
class ProgressLine {
public:
    void show(const titleindex::ImportProgress& progress)
    {
        using Clock = std::chrono::steady_clock;
        const auto now = Clock::now();
        const bool newStep = progress.step != m_step;
        if (!newStep && now - m_shown < std::chrono::milliseconds(250))
            return;
        m_shown = now;
        m_step = progress.step;
        std::string line = m_step;
        const double seconds = std::chrono::duration<double>(now - m_started).count();
        if (progress.bytesRead < progress.bytesTotal) {
            line += ": " + megabytes(progress.bytesRead) + " of " + megabytes(progress.bytesTotal) + " MB";
            if (seconds > 1 && progress.bytesRead > 0) {
                const double rate = static_cast<double>(progress.bytesRead) / seconds;
                line += ", " + megabytes(static_cast<std::uint64_t>(rate)) + " MB/s, "
                    + duration(static_cast<double>(progress.bytesTotal - progress.bytesRead) / rate) + " left";
            }
        } else {
            line += "...";
        }
        std::cerr << "\r" << line << "\033[K" << std::flush;
    }

    void clear() { std::cerr << "\r\033[K" << std::flush; }

private:
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point m_shown;
    std::string m_step;
};

int importCommand(const Arguments& args)
{
    std::optional<fs::path> dataset;
    std::optional<fs::path> index;
    titleindex::ImportOptions options;
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
    if (!index) {
        index = userTitleIndex(); // where the window looks for it
        if (const fs::path folder = index->parent_path(); !folder.empty())
            fs::create_directories(folder);
    }

    const bool onTerminal = ::isatty(STDERR_FILENO) == 1;
    ProgressLine progressLine;
    InterruptGuard interruptGuard;
    options.progress = [&](const titleindex::ImportProgress& progress) {
        if (interrupted)
            throw Error("Interrupted; " + index->string() + " is left as it was");
        if (onTerminal)
            progressLine.show(progress);
    };
    titleindex::ImportSummary summary;
    try {
        summary = titleindex::importTitles(*dataset, *index, options);
    } catch (...) {
        if (onTerminal)
            progressLine.clear();
        throw;
    }
    if (onTerminal)
        progressLine.clear();
    for (const titleindex::SkippedRows& skipped : summary.skipped)
        std::cerr << titleindex::skippedRowsText(skipped) << "\n";
    std::cout << "Imported " << summary.titles << " titles and " << summary.people << " people into " << index->string()
              << "\n"
              << titleindex::kCreditLine << "\n";
    return 0;
}

int titles(const Arguments& args)
{
    if (args.empty() || args[0] != "import")
        throw UsageError { args.empty() ? "what to do is missing" : "unknown action '" + args[0] + "'" };
    return importCommand(Arguments(args.begin() + 1, args.end()));
}

RegisterCommand reg("titles",
    { "titles import DIR [-o FILE] [--include-adult]",
        "builds the title index (default: $VANTRELLE_TITLE_INDEX, else titles.db in the user's data "
        "folder) from the public title datasets in DIR: title.basics, title.ratings, title.crew, "
        "title.principals and name.basics, each as .tsv.gz or .tsv",
        titles });

} // namespace
