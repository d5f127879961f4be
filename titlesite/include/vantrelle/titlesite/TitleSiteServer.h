#pragma once

#include "vantrelle/postersource/PosterSource.h"
#include "vantrelle/titlesite/RequestHead.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>

namespace vantrelle::titlesite {

class BoundedHttpServer;
class TitleSite;

// What the title service spends on the requests of others on the machine.
struct ServerLimits {
    std::size_t maxConnections = 256; // open at once; more are closed as they come
    std::chrono::milliseconds requestTime { 5000 }; // for a request head to arrive whole, and an answer to go out
    HeadLimits head;
};

// The title service over HTTP on 127.0.0.1, for the window and `vantrelle-tool serve-titles`. It
// answers the program's requests also in proxy form ("GET http://us.imdb.com/Title?0100001"), so
// the program reaches it unchanged through http_proxy. It answers only requests that name it (see
// isOwnHost), as a GET or HEAD without a body; any other request is refused (421, 405, 400) and its
// connection closed, as are heads beyond ServerLimits (414, 431) and connections that idle or trickle.
//
//     TitleSiteServer server(index);
//     const int port = server.start(); // http_proxy=http://127.0.0.1:PORT
//
// Threads: start() and stop() on the owner's thread (the window's user-interface thread, the tool's main
// thread); the server listens on a thread of its own and answers each connection on a thread of its own.
class TitleSiteServer {
public:
    // Opens the index and reads the posters (see TitleSite). Throws vantrelle::Error.
    explicit TitleSiteServer(const std::filesystem::path& index, const std::filesystem::path& posters = {},
        std::shared_ptr<const postersource::PosterSource> posterSource = nullptr);
    // Stops the server.
    ~TitleSiteServer();
    TitleSiteServer(const TitleSiteServer&) = delete;
    TitleSiteServer& operator=(const TitleSiteServer&) = delete;

    // Listens on 127.0.0.1:`port` (0: any free port) and answers on threads of its own from then on.
    // Returns the port. Throws vantrelle::Error when it cannot listen or is already running.
    int start(int port = 0, const ServerLimits& limits = {});
    // Stops answering and waits until the threads are done; nothing when not running.
    void stop();

    const TitleSite& service() const { return *m_service; }
    TitleSite& service() { return *m_service; }

private:
    std::unique_ptr<TitleSite> m_service;
    std::unique_ptr<BoundedHttpServer> m_server;
};

} // namespace vantrelle::titlesite
