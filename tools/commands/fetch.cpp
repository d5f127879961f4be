// vantrelle-tool fetch: one request through THttpRequest, to try a URL the way the window
// fetches it.
#include "CommandRegistry.h"

#include "vantrelle/http/HttpRequest.h"

#include <fstream>
#include <iostream>

using namespace vantrelle::tool;
using vantrelle::http::THttpRequest;

namespace {

int fetch(const Arguments& arguments)
{
    bool async = false;
    std::string proxy;
    std::string outputFile;
    std::string url;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--async") {
            async = true;
        } else if (argument == "--proxy" || argument == "-o") {
            if (i + 1 == arguments.size())
                throw UsageError { argument + " needs a value" };
            (argument == "-o" ? outputFile : proxy) = arguments[++i];
        } else if (url.empty() && (argument.empty() || argument.front() != '-')) {
            url = argument;
        } else {
            throw UsageError { "unexpected argument '" + argument + "'" };
        }
    }
    if (url.empty())
        throw UsageError { "no URL given" };

    // No delivery: handlers run on the thread that raises them, the worker when --async.
    THttpRequest request;
    request.SetProxy(proxy);
    request.SetURL(url);
    bool failed = false;
    request.OnError = [&failed](THttpRequest&) { failed = true; };
    request.Execute(!async);
    if (async)
        request.wait();
    if (failed) {
        std::cerr << "vantrelle-tool: " << vantrelle::http::errorText(request.ErrorCode()) << " (error "
                  << request.ErrorCode() << ")\n";
        return 1;
    }

    std::cout << "StatusCode: " << request.StatusCode() << "\n";
    std::cout << "RedirectURL: " << request.RedirectURL() << "\n";
    for (const std::string& line : request.ResponseHeaders())
        std::cout << line << "\n";
    std::cout << "\n";
    const auto& body = request.ResponseStream();
    if (outputFile.empty()) {
        std::cout.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
    } else {
        std::ofstream out(outputFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(body.data()), static_cast<std::streamsize>(body.size()));
        if (!out) {
            std::cerr << "vantrelle-tool: cannot write " << outputFile << "\n";
            return 1;
        }
    }
    return 0;
}

RegisterCommand reg("fetch",
    { "fetch [--async] [--proxy P] [-o FILE] URL",
        "fetch a URL with THttpRequest; print the status, RedirectURL, headers and body "
        "(the body to FILE with -o)",
        fetch });

} // namespace
