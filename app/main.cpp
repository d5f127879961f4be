#include "vantrelle/app/Application.h"
#include "vantrelle/app/CommandLine.h"
#include "vantrelle/app/ErrorHandler.h"
#include "vantrelle/app/LocalTitleService.h"
#include "vantrelle/app/StartupCatalogue.h"
#include "vantrelle/app/TForm1.h"
#include "vantrelle/store/ConnectionString.h"

#include <filesystem>
#include <string>
#include <vector>

using namespace vantrelle::app;

namespace {

CommandLine commandLineOf(int argc, char** argv)
{
    return readCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}

} // namespace

int main(int argc, char** argv)
{
    // --help and --version answer before Qt starts, so they need no display. Qt's own options
    // (-platform offscreen, ...) are taken out of the arguments by the application object; only then is
    // the rest read for the catalogue.
    if (const CommandLine early = commandLineOf(argc, argv);
        early.request == CommandLine::Request::Help || early.request == CommandLine::Request::Version)
        return answerOnTerminal(early);
    Application application(argc, argv);
    const CommandLine commandLine = commandLineOf(argc, argv);
    if (commandLine.request != CommandLine::Request::Run)
        return answerOnTerminal(commandLine);

    std::string connectionString;
    try {
        const std::filesystem::path catalogue = startupCatalogue(commandLine.file);
        if (!offerToCreateCatalogue(catalogue))
            return 1;
        connectionString = vantrelle::store::connectionStringFor(catalogue);
    } catch (...) {
        // Without a catalogue there is nothing the window could do.
        reportCurrentException();
        return 1;
    }
    TForm1 form(connectionString);
    form.show();
    const LocalTitleService titles(form);
    return Application::exec();
}
