#include "DatasetServer.h"

#include "Gzip.h"
#include "TestFiles.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace vantrelle::test {

namespace {

// The value of a header in a request's header text (names in any case), empty when absent.
std::string headerValue(const std::string& head, const std::string& name)
{
    std::string lower = head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::size_t at = lower.find("\r\n" + name + ":");
    if (at == std::string::npos)
        return {};
    std::size_t start = at + 3 + name.size();
    while (start < head.size() && head[start] == ' ')
        ++start;
    return head.substr(start, head.find("\r\n", start) - start);
}

bool sendAll(int connection, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(connection, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

} // namespace

DatasetServer::DatasetServer(std::map<std::string, std::string> files)
{
    for (const auto& [name, body] : files)
        publish(name, body);
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listener, 8) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("the dataset server cannot listen");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

DatasetServer::~DatasetServer()
{
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

std::string DatasetServer::url() const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + "/datasets";
}

void DatasetServer::publish(const std::string& name, const std::string& body)
{
    const std::lock_guard lock(m_mutex);
    if (body.empty()) {
        m_files.erase(name);
        return;
    }
    const int version = ++m_versions[name];
    // Dates as RFC 9110, 5.6.7 writes them; each new version of a file is a day later.
    const std::string day = (version < 10 ? "0" : "") + std::to_string(version);
    m_files[name] = { body, "\"v" + std::to_string(version) + "-" + std::to_string(body.size()) + "\"",
        "Sun, " + day + " Mar 2026 06:00:00 GMT" };
}

void DatasetServer::cutNextAfter(const std::string& name, std::size_t bytes)
{
    const std::lock_guard lock(m_mutex);
    m_files.at(name).cutAfter = bytes;
}

std::vector<std::string> DatasetServer::requests(const std::string& name) const
{
    const std::lock_guard lock(m_mutex);
    const auto found = m_requests.find(name);
    return found == m_requests.end() ? std::vector<std::string> {} : found->second;
}

void DatasetServer::serve()
{
    while (!m_stopping) {
        pollfd waiting { m_listener, POLLIN, 0 };
        if (::poll(&waiting, 1, 50) <= 0)
            continue;
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        answer(connection);
        ::close(connection);
    }
}

void DatasetServer::answer(int connection)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            return;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    const std::size_t pathStart = head.find(' ') + 1;
    const std::string path = head.substr(pathStart, head.find(' ', pathStart) - pathStart);
    const std::string name = path.starts_with("/datasets/") ? path.substr(10) : path;
    const std::string range = headerValue(head, "range");
    const std::string ifRange = headerValue(head, "if-range");
    const std::string ifNoneMatch = headerValue(head, "if-none-match");
    const std::string ifModifiedSince = headerValue(head, "if-modified-since");

    File file;
    {
        const std::lock_guard lock(m_mutex);
        std::string conditions;
        for (const auto& [label, value] : { std::pair { "range", range }, { "if-range", ifRange },
                 { "if-none-match", ifNoneMatch }, { "if-modified-since", ifModifiedSince } })
            if (!value.empty())
                conditions += (conditions.empty() ? "" : " ") + std::string(label) + "=" + value;
        m_requests[name].push_back(conditions.empty() ? "plain" : conditions);
        const auto found = m_files.find(name);
        if (found == m_files.end() || !path.starts_with("/datasets/")) {
            const std::string notFound = "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 22\r\n"
                                         "Connection: close\r\n\r\n<html>Not Found</html>";
            sendAll(connection, notFound.data(), notFound.size());
            return;
        }
        file = found->second;
        found->second.cutAfter = 0;
    }

    const std::string validators = "ETag: " + file.etag + "\r\nLast-Modified: " + file.lastModified + "\r\n";
    const bool unchanged = !ifNoneMatch.empty() ? ifNoneMatch == file.etag : ifModifiedSince == file.lastModified;
    if (unchanged) {
        const std::string notModified = "HTTP/1.1 304 Not Modified\r\n" + validators + "Connection: close\r\n\r\n";
        sendAll(connection, notModified.data(), notModified.size());
        return;
    }
    std::size_t from = 0;
    std::string status = "200 OK";
    std::string contentRange;
    const Misbehaviour misbehaviour = m_misbehaviour;
    const bool sameVersion = ifRange.empty() || ifRange == file.etag || ifRange == file.lastModified
        || misbehaviour == Misbehaviour::IgnoreIfRange;
    if (range.starts_with("bytes=") && range.ends_with("-") && sameVersion) {
        from = std::stoul(range.substr(6));
        // RFC 9110, 15.5.17: a range that starts at or after the end cannot be satisfied.
        if (from >= file.body.size()) {
            const std::string refused = "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */"
                + std::to_string(file.body.size()) + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            sendAll(connection, refused.data(), refused.size());
            return;
        }
        status = "206 Partial Content";
        const std::size_t first = from + (misbehaviour == Misbehaviour::WrongRangeStart ? 1 : 0);
        const std::size_t total = file.body.size() + (misbehaviour == Misbehaviour::WrongRangeTotal ? 1 : 0);
        contentRange = "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(file.body.size() - 1)
            + "/" + std::to_string(total) + "\r\n";
    } else if (misbehaviour == Misbehaviour::EndlessBody) {
        sendEndlessly(connection, "HTTP/1.1 200 OK\r\n" + validators + "Connection: close\r\n\r\n", file.body);
        return;
    }
    const std::string response = "HTTP/1.1 " + status + "\r\nContent-Type: application/gzip\r\nContent-Length: "
        + std::to_string(file.body.size() - from) + "\r\n" + validators + contentRange + "Connection: close\r\n\r\n";
    if (!sendAll(connection, response.data(), response.size()))
        return;
    std::string_view body = std::string_view(file.body).substr(from);
    if (file.cutAfter > 0)
        body = body.substr(0, file.cutAfter);
    const std::size_t piece = m_slow ? 100 : body.size();
    while (!body.empty() && !m_stopping) {
        const std::size_t size = std::min(piece, body.size());
        if (!sendAll(connection, body.data(), size))
            return;
        body.remove_prefix(size);
        if (m_slow)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// Until the client closes the connection, or a bound that keeps a broken client from filling a disk.
void DatasetServer::sendEndlessly(int connection, const std::string& head, const std::string& body)
{
    constexpr std::size_t kMaxBytes = std::size_t { 256 } << 20;
    if (!sendAll(connection, head.data(), head.size()))
        return;
    std::string block;
    while (block.size() < 64 * 1024)
        block += body;
    for (std::size_t sent = 0; sent < kMaxBytes && !m_stopping; sent += block.size())
        if (!sendAll(connection, block.data(), block.size()))
            return;
}

std::map<std::string, std::string> publishedFixtureDataset()
{
    std::map<std::string, std::string> files;
    for (const char* name : { "title.basics", "title.ratings", "title.crew", "title.principals", "name.basics" })
        files[std::string(name) + ".tsv.gz"]
            = gzip(readFile(std::filesystem::path(VANTRELLE_FIXTURES_DIR) / "titles" / (std::string(name) + ".tsv")));
    return files;
}

} // namespace vantrelle::test
