#include "BoundedHttpServer.h"

#include "vantrelle/Error.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace vantrelle::titlesite {

using Clock = std::chrono::steady_clock;

namespace {

const char* reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 414:
        return "URI Too Long";
    case 421:
        return "Misdirected Request";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Internal Server Error";
    }
}

std::string responseBytes(const ServiceAnswer& answer, bool keepAlive, bool withBody)
{
    std::string bytes = "HTTP/1.1 " + std::to_string(answer.status) + " " + reasonPhrase(answer.status) + "\r\n";
    if (!answer.contentType.empty())
        bytes += "Content-Type: " + answer.contentType + "\r\n";
    if (!answer.location.empty())
        bytes += "Location: " + answer.location + "\r\n";
    if (answer.status == 405)
        bytes += "Allow: GET, HEAD\r\n";
    bytes += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
    bytes += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    if (withBody)
        bytes += answer.body;
    return bytes;
}

// Waits until `fd` is ready for `events` (or closed); false when the deadline passes first.
bool waitFor(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd ready { fd, events, 0 };
        const int n = ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, 60000)));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
    }
}

// A refused request ends its connection; a missing title is an ordinary answer.
bool isRefusal(int status)
{
    return status >= 400 && status != 404;
}

ServiceAnswer refusal(int status)
{
    return { status, "text/plain", {}, {} };
}

} // namespace

BoundedHttpServer::BoundedHttpServer(Handler handler, const ServerLimits& limits)
    : m_handler(std::move(handler))
    , m_maxConnections(limits.maxConnections)
    , m_requestTime(limits.requestTime)
    , m_headLimits(limits.head)
{
}

BoundedHttpServer::~BoundedHttpServer()
{
    stop();
}

int BoundedHttpServer::start(int port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    // Reuse the address of a socket in TIME_WAIT, but never share a port with another server.
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener, SOMAXCONN) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0
        || ::pipe2(m_wake, O_CLOEXEC) != 0) {
        if (listener >= 0)
            ::close(listener);
        throw Error("Cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    m_listener = listener;
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
    return m_port;
}

void BoundedHttpServer::stop()
{
    if (!m_acceptor.joinable())
        return;
    m_stopping = true;
    [[maybe_unused]] const ssize_t woken = ::write(m_wake[1], "x", 1);
    m_acceptor.join();
    {
        std::lock_guard lock(m_mutex);
        for (Connection& connection : m_connections)
            if (connection.fd >= 0)
                ::shutdown(connection.fd, SHUT_RDWR);
    }
    // Not under the lock: a connection's thread takes it to close its socket.
    for (Connection& connection : m_connections)
        connection.thread.join();
    m_connections.clear();
    for (int* fd : { &m_listener, &m_wake[0], &m_wake[1] }) {
        ::close(*fd);
        *fd = -1;
    }
    m_stopping = false;
}

void BoundedHttpServer::acceptLoop()
{
    pollfd ready[2] = { { m_listener, POLLIN, 0 }, { m_wake[0], POLLIN, 0 } };
    while (!m_stopping) {
        if (::poll(ready, 2, -1) < 0 && errno != EINTR)
            return;
        if (ready[1].revents != 0)
            return;
        if ((ready[0].revents & POLLIN) == 0)
            continue;
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            // Out of descriptors or memory: the waiting connection stays queued; try again a little later
            // rather than spin on it.
            if (errno != EINTR && errno != ECONNABORTED)
                ::poll(&ready[1], 1, 50);
            continue;
        }
        reapFinished();
        std::lock_guard lock(m_mutex);
        if (m_connections.size() >= m_maxConnections) {
            ::close(fd);
            continue;
        }
        Connection& connection = m_connections.emplace_back();
        connection.fd = fd;
        try {
            connection.thread = std::thread([this, &connection] { serve(connection); });
        } catch (const std::system_error&) {
            ::close(fd);
            m_connections.pop_back();
        }
    }
}

void BoundedHttpServer::reapFinished()
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (!it->done) {
            ++it;
            continue;
        }
        it->thread.join();
        it = m_connections.erase(it);
    }
}

void BoundedHttpServer::serve(Connection& connection)
{
    const int fd = connection.fd;
    std::string pending; // bytes of the next request that came with the last one
    for (bool open = true; open;) {
        RequestHeadReader reader(m_headLimits);
        pending.erase(0, reader.feed(pending));
        const auto deadline = Clock::now() + m_requestTime;
        char buffer[4096];
        while (reader.state() == RequestHeadReader::State::Reading && waitFor(fd, POLLIN, deadline)) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            const std::size_t used = reader.feed({ buffer, static_cast<std::size_t>(n) });
            pending.assign(buffer + used, static_cast<std::size_t>(n) - used);
        }
        if (reader.state() == RequestHeadReader::State::Reading)
            break; // closed, or too slow
        const RequestHead& head = reader.head();
        ServiceAnswer answer;
        if (reader.state() == RequestHeadReader::State::Refused)
            answer = refusal(reader.refusal());
        else if (head.hasBody) // no request of the service has one
            answer = refusal(400);
        else if (head.method != "GET" && head.method != "HEAD")
            answer = refusal(405);
        else {
            try {
                answer = m_handler(head, m_port);
            } catch (const std::exception&) {
                answer = refusal(500);
            }
        }
        open = reader.state() == RequestHeadReader::State::Complete && head.keepAlive && !isRefusal(answer.status);
        const bool sent = sendAll(fd, responseBytes(answer, open, head.method != "HEAD"), Clock::now() + m_requestTime);
        open = open && sent && !m_stopping;
        if (sent && isRefusal(answer.status))
            drainRefused(fd);
    }
    std::lock_guard lock(m_mutex);
    ::close(fd);
    connection.fd = -1;
    connection.done = true;
}

void BoundedHttpServer::drainRefused(int fd) const
{
    // Closing with the rest of a refused request unread would reset the connection, and the client
    // could lose the answer before reading it; so the rest is read and dropped, within bounds.
    ::shutdown(fd, SHUT_WR);
    const auto deadline = Clock::now() + std::min<std::chrono::milliseconds>(m_requestTime, std::chrono::seconds(1));
    char buffer[4096];
    for (std::size_t dropped = 0; dropped < 256 * 1024 && waitFor(fd, POLLIN, deadline);) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EINTR))
            return;
        dropped += static_cast<std::size_t>(std::max<ssize_t>(n, 0));
    }
}

bool BoundedHttpServer::sendAll(int fd, const std::string& bytes, Clock::time_point deadline) const
{
    for (std::size_t sent = 0; sent < bytes.size();) {
        if (!waitFor(fd, POLLOUT, deadline))
            return false;
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace vantrelle::titlesite
