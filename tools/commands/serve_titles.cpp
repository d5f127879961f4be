// vantrelle-tool serve-titles: the title service on 127.0.0.1, answering from a title index.
//
// It answers the requests the program sends, also in proxy form, so the program reaches it unchanged
// through http_proxy: title pages "/Title?" + number, searches "/Tsearch?" + words joined by "+",
// and, with --posters, poster pictures under "/Posters/". With a TMDB key in VANTRELLE_TMDB_KEY, the
// pages of titles without a poster of their own get their tagline and poster from TMDB.

#include "CommandRegistry.h"
#include "vantrelle/Error.h"
#include "vantrelle/postersource/TmdbSource.h"
#include "vantrelle/titlesite/TitleSite.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <charconv>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

using namespace vantrelle;

namespace {

int portNumber(const std::string& text)
{
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535)
        throw tool::UsageError { "--port takes a port number from 0 (any free port) to 65535" };
    return port;
}

int serveTitles(const tool::Arguments& arguments)
{
    int port = 0;
    std::filesystem::path index;
    std::filesystem::path posters;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--port" && i + 1 < arguments.size())
            port = portNumber(arguments[++i]);
        else if (arguments[i] == "--index" && i + 1 < arguments.size())
            index = arguments[++i];
        else if (arguments[i] == "--posters" && i + 1 < arguments.size())
            posters = arguments[++i];
        else
            throw tool::UsageError { "unexpected argument '" + arguments[i] + "'" };
    }
    if (index.empty())
        throw tool::UsageError { "--index names the title index to serve" };

    // Stop with the process that started this one (a script, or the program it became by exec), so no
    // service is left behind serving nobody. The signal is waited for below, so block it first: the
    // server's threads inherit the mask and never take it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        return 0;

    auto posterSource = std::make_unique<postersource::TmdbSource>(postersource::tmdbSettingsFromEnvironment(),
        [](const std::string& message) { std::cerr << message << std::endl; });
    titlesite::TitleSiteServer server(index, posters, std::move(posterSource));
    const int bound = server.start(port);
    // The first line tells scripts which port to point http_proxy at.
    std::cout << "serving " << server.service().titleCount() << " titles on http://127.0.0.1:" << bound << "/"
              << std::endl;
    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}

const tool::RegisterCommand registration("serve-titles",
    { "serve-titles --index FILE [--posters DIR] [--port N]",
        "serve the title service from a title index on 127.0.0.1 (also as an HTTP proxy for its own host); "
        "posters are DIR/<number>.jpg or .gif, else TMDB's with a key in VANTRELLE_TMDB_KEY",
        serveTitles });

} // namespace
