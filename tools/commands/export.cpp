// vantrelle-tool export: writes the catalogue's films, in title order, as CSV or JSON.
#include "CommandRegistry.h"
#include "ExchangeArguments.h"

#include "vantrelle/Error.h"
#include "vantrelle/exchange/CatalogueExport.h"
#include "vantrelle/pictures/Errors.h"
#include "vantrelle/store/ConnectionString.h"

#include <fstream>
#include <iostream>

using namespace vantrelle;
using namespace vantrelle::tool;

namespace {

namespace fs = std::filesystem;

int exportCommand(const Arguments& args)
{
    exchange::ExportOptions options;
    std::optional<exchange::DataFormat> format;
    std::string catalogue = "Movies.mdb";
    std::optional<std::string> output;
    bool catalogueGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--format" && hasValue) {
            format = formatArgument(args[++i]);
        } else if (arg == "--fields" && hasValue) {
            options.fields = commaList(args[++i]);
        } else if (arg == "--covers" && hasValue) {
            options.coversFolder = args[++i];
        } else if (arg == "-o" && hasValue) {
            output = args[++i];
        } else if (!catalogueGiven && !arg.starts_with("-")) {
            catalogue = arg;
            catalogueGiven = true;
        } else {
            throw UsageError { "unexpected argument '" + arg + "'" };
        }
    }
    options.format = format.value_or(output ? exchange::dataFormatOf(*output) : exchange::DataFormat::Csv);

    const std::string connectionString = store::connectionStringFor(catalogue);
    // Said at the end, as list says it: what was written as null is still in the catalogue.
    std::vector<store::UnreadableValue> unreadable;
    options.onUnreadable = [&](const store::UnreadableValue& value) { unreadable.push_back(value); };
    const auto warn = [&] {
        if (!unreadable.empty())
            std::cerr << "vantrelle-tool: " << store::unreadableValuesMessage(unreadable) << '\n';
    };
    if (!output) {
        exchange::exportMovies(connectionString, options, std::cout);
        warn();
        return 0;
    }
    std::error_code error;
    if (fs::equivalent(*output, catalogue, error))
        throw Error("The output file " + *output + " is the catalogue itself; it is left as it is");
    options.outputFolder = fs::absolute(*output).parent_path();
    // Written aside and renamed when complete, so a failed export leaves no half file and an older file intact.
    const std::string part = *output + ".part";
    std::size_t count = 0;
    try {
        std::ofstream file(part, std::ios::binary | std::ios::trunc);
        if (!file)
            throw pictures::EFileError("Cannot create file " + part);
        count = exchange::exportMovies(connectionString, options, file);
        file.close();
        fs::rename(part, *output);
    } catch (...) {
        fs::remove(part, error);
        throw;
    }
    std::cout << "Exported " << count << (count == 1 ? " film" : " films") << " to " << *output << "\n";
    warn();
    return 0;
}

const RegisterCommand registration("export",
    { "export [--format csv|json] [--fields F1,F2,...] [--covers DIR] [CATALOGUE] [-o FILE]",
        "writes the films of a catalogue (default Movies.mdb) in title order as CSV or JSON (the format "
        "follows FILE's extension), covers as base64 or, with --covers, as DIR/<ID>.bmp files",
        exportCommand });

} // namespace
