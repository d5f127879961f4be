#pragma once

#include "vantrelle/postersource/PosterSource.h"

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

namespace httplib {
class Server;
}

namespace vantrelle::titlesite {

class TitleSite;

// The title service over HTTP on 127.0.0.1, for the window and `vantrelle-tool serve-titles`. It
// answers the program's requests also in proxy form ("GET http://us.imdb.com/Title?0100001"), so
// the program reaches it unchanged through http_proxy.
//
//     TitleSiteServer server(index);
//     const int port = server.start(); // http_proxy=http://127.0.0.1:PORT
//
// Threads: start() and stop() on the owner's thread (the window's user-interface thread, the tool's main
// thread); the server listens on a thread of its own and answers on cpp-httplib's pool.
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
    int start(int port = 0);
    // Stops answering and waits until the threads are done; nothing when not running.
    void stop();

    const TitleSite& service() const { return *m_service; }
    TitleSite& service() { return *m_service; }

private:
    std::unique_ptr<TitleSite> m_service;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::atomic<bool> m_listening { false };
};

} // namespace vantrelle::titlesite
