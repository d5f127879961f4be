#include "LoopbackServer.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>

namespace vantrelle::http::test {

std::atomic<bool> serverStopping { false };

namespace {

std::mutex hitsMutex;
std::map<std::string, int> hitCounts;

void stallUntilStopped(std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!serverStopping && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

int boundLoopbackSocket(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot bind a loopback socket");
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

LoopbackServer::LoopbackServer()
    : m_server(std::make_unique<httplib::Server>())
{
    httplib::Server& s = *m_server;
    // Counted before the answer goes out, so a client that has its response sees its count.
    s.set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
        std::lock_guard lock(hitsMutex);
        ++hitCounts[request.path];
        return httplib::Server::HandlerResponse::Unhandled;
    });
    s.Get("/text", [](const httplib::Request&, httplib::Response& r) { r.set_content("hello world", "text/plain"); });
    s.Get("/empty", [](const httplib::Request&, httplib::Response& r) { r.set_content("", "text/plain"); });
    s.Get("/zero", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(std::string("ab\0cd", 5), "application/octet-stream");
    });
    s.Get("/missing", [](const httplib::Request&, httplib::Response& r) {
        r.status = 404;
        r.set_content("<html>no such title</html>", "text/html");
    });
    s.Get(R"(/redirect/(\d+))", [](const httplib::Request& q, httplib::Response& r) {
        const int left = std::stoi(q.matches[1]);
        r.set_redirect(left <= 1 ? "/text" : "/redirect/" + std::to_string(left - 1));
    });
    s.Get("/redirect-abs", [this](const httplib::Request&, httplib::Response& r) { r.set_redirect(url("/text")); });
    s.Get(
        "/redirect-ftp", [](const httplib::Request&, httplib::Response& r) { r.set_redirect("ftp://127.0.0.1/file"); });
    const auto echo = [](const httplib::Request& q, httplib::Response& r) {
        std::string text = q.method + " " + q.target + "\n";
        text += "Accept: " + (q.has_header("Accept") ? q.get_header_value("Accept") : "(none)") + "\n";
        text += "X-Test: " + q.get_header_value("X-Test") + "\n";
        text += "X-Other: " + q.get_header_value("X-Other") + "\n";
        text += "User-Agent: " + q.get_header_value("User-Agent") + "\n";
        text += "Body: " + q.body;
        r.set_content(text, "text/plain");
    };
    s.Get("/echo", echo);
    s.Post("/echo", echo);
    s.Put("/echo", echo);
    s.Delete("/echo", echo);
    s.Get("/auth", [](const httplib::Request& q, httplib::Response& r) {
        // "user:secret" in Base64 (RFC 7617).
        if (q.get_header_value("Authorization") == "Basic dXNlcjpzZWNyZXQ=") {
            r.set_content("welcome", "text/plain");
            return;
        }
        r.status = 401;
        r.set_header("WWW-Authenticate", "Basic realm=\"titles\"");
        r.set_content("who are you", "text/plain");
    });
    s.Get("/whoami", [](const httplib::Request& q, httplib::Response& r) {
        r.set_content(q.get_header_value("Authorization") + "|" + q.get_header_value("Cookie"), "text/plain");
    });
    s.Get("/redirect-to", [](const httplib::Request& q, httplib::Response& r) {
        if (q.get_param_value("auth") == "1" && q.get_header_value("Authorization") != "Basic dXNlcjpzZWNyZXQ=") {
            r.status = 401;
            r.set_header("WWW-Authenticate", "Basic realm=\"titles\"");
            return;
        }
        r.set_redirect(q.get_param_value("url"));
    });
    s.Get("/big-headers", [](const httplib::Request& q, httplib::Response& r) {
        const std::size_t size = std::stoul(q.get_param_value("n"));
        for (std::size_t i = 0; i * 100 < size; ++i)
            r.set_header("X-Filler-" + std::to_string(i), std::string(85, 'f'));
        r.set_content("body after big headers", "text/plain");
    });
    s.Get("/bytes", [](const httplib::Request& q, httplib::Response& r) {
        const std::size_t size = std::stoull(q.get_param_value("n"));
        if (q.get_param_value("chunked") == "1") {
            r.set_chunked_content_provider("application/octet-stream",
                [size, sent = std::size_t { 0 }](std::size_t, httplib::DataSink& sink) mutable {
                    const std::string piece(std::min<std::size_t>(65536, size - sent), 'x');
                    sent += piece.size();
                    if (!piece.empty() && !sink.write(piece.data(), piece.size()))
                        return false;
                    if (sent == size)
                        sink.done();
                    return true;
                });
            return;
        }
        r.set_content(std::string(size, 'x'), "application/octet-stream");
    });
    s.Get("/cut", [](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider(
            100000, "application/octet-stream", [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset >= 5000)
                    return false; // drops the connection
                const std::string piece(5000, 'c');
                return sink.write(piece.data(), piece.size());
            });
    });
    s.Get("/stall-body", [](const httplib::Request&, httplib::Response& r) {
        r.set_content_provider(
            2000, "application/octet-stream", [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset >= 1000) {
                    stallUntilStopped(std::chrono::seconds(10));
                    return false;
                }
                const std::string piece(1000, 's');
                return sink.write(piece.data(), piece.size());
            });
    });
    s.Get("/trickle", [](const httplib::Request& q, httplib::Response& r) {
        const std::size_t size = std::stoul(q.get_param_value("n"));
        const std::chrono::milliseconds pause(std::stoi(q.get_param_value("ms")));
        r.set_content_provider(
            size, "application/octet-stream", [pause](std::size_t, std::size_t, httplib::DataSink& sink) {
                std::this_thread::sleep_for(pause);
                return sink.write("t", 1);
            });
    });

    m_port = s.bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("the loopback server cannot bind");
    m_thread = std::thread([&s] { s.listen_after_bind(); });
    while (!s.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackServer::~LoopbackServer()
{
    serverStopping = true;
    m_server->stop();
    m_thread.join();
}

std::string LoopbackServer::url(const std::string& target) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + target;
}

int LoopbackServer::hits(const std::string& path) const
{
    std::lock_guard lock(hitsMutex);
    const auto found = hitCounts.find(path);
    return found == hitCounts.end() ? 0 : found->second;
}

LoopbackServer& server()
{
    static LoopbackServer instance;
    return instance;
}

int refusedPort()
{
    int port = 0;
    ::close(boundLoopbackSocket(port)); // bound, never listened on, now free: connecting is refused
    return port;
}

RawServer::RawServer(std::string reply)
    : m_reply(std::move(reply))
{
    m_socket = boundLoopbackSocket(m_port);
    ::listen(m_socket, 8);
    m_thread = std::thread([this] { serve(); });
}

RawServer::~RawServer()
{
    ::shutdown(m_socket, SHUT_RDWR); // ends the accept below
    m_thread.join();
    ::close(m_socket);
}

std::string RawServer::url(const std::string& target) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + target;
}

void RawServer::serve()
{
    for (;;) {
        const int connection = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            return;
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(count));
        }
        ::send(connection, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
        ::close(connection);
    }
}

SilentServer::SilentServer()
{
    m_socket = boundLoopbackSocket(m_port);
    ::listen(m_socket, 8);
}

SilentServer::~SilentServer()
{
    ::close(m_socket);
}

} // namespace vantrelle::http::test
