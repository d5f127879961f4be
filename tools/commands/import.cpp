// vantrelle-tool import: adds the films of a CSV or JSON file to a catalogue, all of them or none.
#include "CommandRegistry.h"
#include "ExchangeArguments.h"

#include "vantrelle/DataTable.h"
#include "vantrelle/exchange/CatalogueImport.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/store/ConnectionString.h"

#include <fstream>
#include <iostream>
#include <unistd.h>

using namespace vantrelle;
using namespace vantrelle::tool;

namespace {

namespace fs = std::filesystem;

// Files smaller than this import too quickly to need a progress line.
constexpr std::size_t kProgressFrom = 512 * 1024;

std::vector<std::pair<std::string, std::string>> columnMap(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> map;
    for (const std::string& entry : commaList(text)) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == entry.size())
            throw UsageError { "--map takes SOURCE=Column pairs separated by commas, not '" + entry + "'" };
        map.emplace_back(entry.substr(0, equals), entry.substr(equals + 1));
    }
    return map;
}

std::string readDataFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary | std::ios::ate);
    if (!in)
        throw pictures::EFileError("Cannot open file " + name);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw pictures::EFileError("Cannot read file " + name);
    return bytes;
}

void showProgress(std::size_t films, std::size_t bytesRead, std::size_t bytes)
{
    std::cerr << "\rImporting films: " << films << " (" << bytesRead * 100 / bytes << "%)"
              << (bytesRead == bytes ? "\n" : "") << std::flush;
}

// So that a failure's message starts a line of its own.
void endProgressLine(bool progressShown)
{
    if (progressShown)
        std::cerr << "\n";
}

int importCommand(const Arguments& args)
{
    exchange::ImportOptions options;
    std::optional<exchange::DataFormat> format;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--format" && hasValue) {
            format = formatArgument(args[++i]);
        } else if (arg == "--map" && hasValue) {
            const auto more = columnMap(args[++i]);
            options.columnMap.insert(options.columnMap.end(), more.begin(), more.end());
        } else if (arg == "--skip-duplicates") {
            options.skipDuplicates = true;
        } else if (files.size() < 2 && !arg.starts_with("-")) {
            files.push_back(arg);
        } else {
            throw UsageError { "unexpected argument '" + arg + "'" };
        }
    }
    if (files.empty())
        throw UsageError { "no file to import given" };
    const std::string& dataFile = files[0];
    const std::string catalogue = files.size() > 1 ? files[1] : "Movies.mdb";
    options.format = format.value_or(exchange::dataFormatOf(dataFile));
    options.baseFolder = fs::absolute(dataFile).parent_path();
    options.ignoredColumn = [](const std::string& column) {
        std::cerr << "vantrelle-tool: ignored the column '" << column << "', which the catalogue does not have\n";
    };

    const std::string bytes = readDataFile(dataFile);
    bool progressShown = false;
    if (isatty(STDERR_FILENO) && bytes.size() >= kProgressFrom)
        options.progress = [&progressShown](std::size_t films, std::size_t bytesRead, std::size_t total) {
            showProgress(films, bytesRead, total);
            progressShown = bytesRead < total;
        };
    exchange::ImportResult result;
    try {
        result = exchange::importMovies(bytes, store::connectionStringFor(fs::absolute(catalogue)), options);
    } catch (const EDataFileError& e) {
        endProgressLine(progressShown);
        throw EDataFileError(dataFile + ": " + e.what());
    } catch (...) {
        endProgressLine(progressShown);
        throw;
    }
    std::cout << "Imported " << result.imported << (result.imported == 1 ? " film" : " films") << " into " << catalogue
              << "\n";
    if (options.skipDuplicates)
        std::cout << "Skipped " << result.skipped << (result.skipped == 1 ? " film" : " films")
                  << " already in the catalogue\n";
    return 0;
}

const RegisterCommand registration("import",
    { "import [--format csv|json] [--map SRC=Column,...] [--skip-duplicates] FILE [CATALOGUE]",
        "adds the films of a CSV or JSON file to a catalogue (default Movies.mdb) in one go: all of them, or "
        "none when a value does not fit its column",
        importCommand });

} // namespace
