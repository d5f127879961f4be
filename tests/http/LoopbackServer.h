#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace httplib {
class Server;
}

namespace vantrelle::http::test {

// An HTTP server on 127.0.0.1 (ephemeral port) with the routes the tests need:
//   /text            "hello world"
//   /empty           an empty body
//   /zero            "ab", a zero byte, "cd"
//   /missing         404 with an HTML page
//   /redirect/N      N redirects (302), then /text
//   /redirect-abs    302 to an absolute URL of this server (/text)
//   /redirect-ftp    302 to an ftp URL
//   /echo            the request: method, target, Accept ("(none)" when absent), X-Test,
//                    X-Other and User-Agent headers, body
//   /auth            401 (Basic realm) unless the credentials are user:secret
//   /whoami          the request's Authorization and Cookie headers: "AUTHORIZATION|COOKIE"
//   /redirect-to?url=U[&auth=1]  302 to U; with auth=1 only once the credentials are user:secret
//   /proxy-auth      407 unless Proxy-Authorization carries proxyuser:proxysecret
//   /big-headers?n=N a response whose header text is about N bytes
//   /bytes?n=N       N bytes (without Content-Length when chunked=1)
//   /cut             claims 100000 bytes, sends 5000, closes
//   /stall-body      sends 1000 of 2000 bytes, then stalls (until stop, at most 10 s)
//   /trickle?n=N&ms=M  N bytes, one every M milliseconds
// Requests seen are counted per path.
class LoopbackServer {
public:
    LoopbackServer();
    ~LoopbackServer();

    int port() const { return m_port; }
    std::string url(const std::string& target) const;
    int hits(const std::string& path) const;

private:
    std::unique_ptr<httplib::Server> m_server;
    int m_port = 0;
    std::thread m_thread;
};

// The one server of the test program, started on first use.
LoopbackServer& server();

// A loopback port that refuses connections.
int refusedPort();

// A loopback port that accepts connections (the kernel completes them) but never answers.
class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    int port() const { return m_port; }

private:
    int m_socket = -1;
    int m_port = 0;
};

// A server on 127.0.0.1 that answers every request with the same bytes, as they stand (HTTP
// or not), and closes the connection.
class RawServer {
public:
    explicit RawServer(std::string reply);
    ~RawServer();
    std::string url(const std::string& target) const;

private:
    void serve();

    std::string m_reply;
    int m_socket = -1;
    int m_port = 0;
    std::thread m_thread;
};

// Set when the server shuts down, so stalling handlers end.
extern std::atomic<bool> serverStopping;

} // namespace vantrelle::http::test
