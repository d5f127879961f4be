#pragma once

// A small HTTP/1.1 server on 127.0.0.1 that a local program cannot wear down: every connection has a
// thread of its own, at most `maxConnections` at once (more are closed as they come); a request head
// must arrive whole within `requestTime` of the connection's opening or of its last answer, and an
// answer must be taken within as long, or the connection is closed; heads are read within the bounds
// of RequestHeadReader and a refused one is answered with its status and closed, its memory given back.
//
// Ours rather than cpp-httplib's server: httplib reads a request's headers without a bound on their
// number (or, with a line break held back, on a line's length), and its pool of eight threads waits on
// idle sockets, so both the head and the connections have to be bounded before httplib sees them, which
// would leave it nothing to do but write the answer.

#include "vantrelle/titlesite/RequestHead.h"
#include "vantrelle/titlesite/TitleSite.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace vantrelle::titlesite {

struct ServerLimits;

class BoundedHttpServer {
public:
    // Answers one complete request head to the server on `port`; runs on the connection's thread.
    using Handler = std::function<ServiceAnswer(const RequestHead& head, int port)>;

    BoundedHttpServer(Handler handler, const ServerLimits& limits);
    // Stops.
    ~BoundedHttpServer();
    BoundedHttpServer(const BoundedHttpServer&) = delete;
    BoundedHttpServer& operator=(const BoundedHttpServer&) = delete;

    // Listens on 127.0.0.1:`port` (0: any free port) and answers from then on; returns the port.
    // Throws vantrelle::Error when it cannot listen.
    int start(int port);
    // Closes every connection and waits until their threads are done.
    void stop();

private:
    struct Connection {
        int fd;
        std::thread thread;
        std::atomic<bool> done { false };
    };

    void acceptLoop();
    void serve(Connection& connection);
    bool sendAll(int fd, const std::string& bytes, std::chrono::steady_clock::time_point deadline) const;
    void drainRefused(int fd) const;
    void reapFinished();

    Handler m_handler;
    std::size_t m_maxConnections;
    std::chrono::milliseconds m_requestTime;
    HeadLimits m_headLimits;
    int m_port = 0;
    int m_listener = -1;
    int m_wake[2] = { -1, -1 }; // written to by stop(), to wake the accepting thread
    std::thread m_acceptor;
    std::atomic<bool> m_stopping { false };
    std::mutex m_mutex; // guards m_connections and the closing of their sockets
    std::list<Connection> m_connections;
};

} // namespace vantrelle::titlesite
