// What the title service spends on others on the machine, tried over loopback with a client of the
// test's own: held idle sockets, slow senders, heads beyond the bounds, header floods, and requests that
// name another host (as a web page reaching 127.0.0.1 through a rebound DNS name would).

#include "TestFiles.h"
#include "TitleDataset.h"
#include "vantrelle/titlesite/TitleSiteServer.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace vantrelle;
using namespace std::chrono_literals;

namespace {

// One raw connection to the service; every read gives up after 3 s, so a service that never answers
// fails the test instead of holding it.
class Client {
public:
    explicit Client(int port)
        : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        const timeval limit { 3, 0 };
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { close(m_fd); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return m_connected; }

    // False once the service has closed the connection.
    bool send(const std::string& bytes)
    {
        return ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }

    // Everything until the service closes the connection (or 3 s pass without a byte).
    std::string readAll()
    {
        std::string all;
        char buffer[4096];
        for (ssize_t n; (n = read(m_fd, buffer, sizeof buffer)) > 0;)
            all.append(buffer, static_cast<std::size_t>(n));
        return all;
    }

    // Whether the service closed the connection, as a read that ends instead of waiting shows.
    bool closedByService()
    {
        char byte;
        return read(m_fd, &byte, 1) <= 0 && errno != EAGAIN && errno != EWOULDBLOCK;
    }

private:
    int m_fd;
    bool m_connected = false;
};

int status(const std::string& answer)
{
    return answer.starts_with("HTTP/1.1 ") && answer.size() >= 12 ? std::stoi(answer.substr(9, 3)) : 0;
}

std::string pageRequest(const std::string& host, const std::string& target = "/Title?0133093")
{
    return "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
}

// A service on a one-title index, with short bounds so that the tests stay short.
struct Service {
    ScratchDir dir { "title-site-limits" };
    titlesite::TitleSiteServer server;
    int port;

    explicit Service(titlesite::ServerLimits limits)
        : server(test::importedIndex(
            dir.path(), { { 133093, "movie", "The Matrix", 1999, 136, { "Action" }, { "Lana Wachowski" }, {}, 10 } }))
        , port(server.start(0, limits))
    {
    }

    int get(const std::string& request)
    {
        Client client(port);
        client.send(request);
        return status(client.readAll());
    }

    std::string ownHost() const { return "127.0.0.1:" + std::to_string(port); }
};

titlesite::ServerLimits shortLimits()
{
    titlesite::ServerLimits limits;
    limits.requestTime = 400ms;
    return limits;
}

TEST(TitleSiteServerLimits, HeldIdleConnectionsLeaveRoomForAPage)
{
    // Long enough that a page waiting for the idle ones to time out would not come within the client's 3 s.
    titlesite::ServerLimits limits;
    limits.requestTime = 30s;
    Service service(limits);
    std::vector<std::unique_ptr<Client>> idle;
    for (int i = 0; i < 40; ++i) {
        idle.push_back(std::make_unique<Client>(service.port));
        ASSERT_TRUE(idle.back()->connected());
    }
    // Half-sent heads hold their connections too.
    for (int i = 0; i < 10; ++i)
        idle[i]->send("GET /Title?0133093 HTTP/1.1\r\nHost: ");
    EXPECT_EQ(service.get(pageRequest("us.imdb.com")), 200);
}

TEST(TitleSiteServerLimits, ConnectionsBeyondTheBoundAreClosedAsTheyCome)
{
    titlesite::ServerLimits limits;
    limits.maxConnections = 4;
    limits.requestTime = 2s;
    Service service(limits);
    std::vector<std::unique_ptr<Client>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(std::make_unique<Client>(service.port));
        held.back()->send("G"); // accepted and read from before the next one comes
    }
    Client beyond(service.port);
    EXPECT_TRUE(beyond.closedByService());
    // Once the held ones go, there is room again.
    held.clear();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(service.get(pageRequest("us.imdb.com")), 200);
}

TEST(TitleSiteServerLimits, IdleAndSlowConnectionsAreClosed)
{
    Service service(shortLimits());
    Client idle(service.port);
    EXPECT_TRUE(idle.closedByService());

    // A byte every 50 ms: each arrives well within any read time-out, but the head never does in time.
    Client slow(service.port);
    const std::string request = pageRequest(service.ownHost());
    bool sentWhole = true;
    for (const char byte : request) {
        if (!slow.send(std::string(1, byte))) {
            sentWhole = false;
            break;
        }
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_FALSE(sentWhole);
    EXPECT_EQ(status(slow.readAll()), 0);
}

struct HeadCase {
    const char* what;
    std::string request;
    int status; // 0: closed without an answer
};

void PrintTo(const HeadCase& c, std::ostream* out)
{
    *out << c.what;
}

std::string manyHeaders(int count, std::size_t length)
{
    std::string headers;
    for (int i = 0; i < count; ++i)
        headers += "X-" + std::to_string(i) + ": " + std::string(length, 'v') + "\r\n";
    return headers;
}

const HeadCase kHeadCases[] = {
    { "a request line of 9 KB", "GET /Title?" + std::string(9000, '1') + " HTTP/1.1\r\nHost: us.imdb.com\r\n\r\n",
        414 },
    { "a header line of 9 KB", "GET /Title?1 HTTP/1.1\r\nHost: us.imdb.com\r\n" + manyHeaders(1, 9000) + "\r\n", 431 },
    { "a header line of 200 KB that never ends",
        "GET /Title?1 HTTP/1.1\r\nHost: us.imdb.com\r\nX: " + std::string(200 * 1024, 'v'), 431 },
    { "103 lines", "GET /Title?1 HTTP/1.1\r\nHost: us.imdb.com\r\n" + manyHeaders(100, 1) + "\r\n", 431 },
    { "100 lines in all", "GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\n" + manyHeaders(97, 1) + "\r\n", 200 },
    { "72 KB in lines of 8 KB", "GET /Title?1 HTTP/1.1\r\nHost: us.imdb.com\r\n" + manyHeaders(9, 8000) + "\r\n", 431 },
    { "a line of exactly 8 KB",
        "GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\nX: " + std::string(8189, 'v') + "\r\n\r\n", 200 },
    { "no HTTP version", "GET /Title?0133093\r\nHost: us.imdb.com\r\n\r\n", 400 },
    { "a folded header", "GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\n evil.example\r\n\r\n", 400 },
    { "a body", "GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\nContent-Length: 4\r\n\r\nbody", 400 },
    { "a POST", "POST /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\n\r\n", 405 },
};

class ServerHeads : public ::testing::TestWithParam<HeadCase> { };

TEST_P(ServerHeads, BeyondTheBoundsAreRefused)
{
    static Service service(shortLimits());
    const HeadCase& c = GetParam();
    EXPECT_EQ(service.get(c.request), c.status);
}

INSTANTIATE_TEST_SUITE_P(Service, ServerHeads, ::testing::ValuesIn(kHeadCases));

TEST(TitleSiteServerLimits, AHeaderFloodIsCutOffAndThePagesGoOn)
{
    Service service(shortLimits());
    Client flood(service.port);
    flood.send("GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\n");
    // Up to 3 million lines; the service stops reading long before.
    const std::string lines = manyHeaders(1000, 1);
    int sent = 0;
    while (sent < 3000 && flood.send(lines))
        ++sent;
    EXPECT_LT(sent, 3000);
    EXPECT_EQ(service.get(pageRequest("us.imdb.com")), 200);
}

TEST(TitleSiteServerLimits, KeepsAConnectionForRequestsThatFollowEachOther)
{
    Service service(shortLimits());
    Client client(service.port);
    const std::string first = "GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\n\r\n";
    const std::string second = "GET /Title?1 HTTP/1.1\r\nHost: us.imdb.com\r\n\r\n";
    // The second comes with the first; the third after an answer, asking to close.
    client.send(first + second);
    client.send(pageRequest("us.imdb.com"));
    const std::string answers = client.readAll();
    std::vector<int> statuses;
    for (std::size_t at = answers.find("HTTP/1.1 "); at != std::string::npos; at = answers.find("HTTP/1.1 ", at + 1))
        statuses.push_back(std::stoi(answers.substr(at + 9, 3)));
    EXPECT_EQ(statuses, (std::vector<int> { 200, 404, 200 }));
}

struct HostCase {
    const char* request; // "PORT" stands for the service's port, "OTHER" for another
    int status;
};

TEST(TitleSiteServerLimits, AnswersOnlyRequestsThatNameIt)
{
    const HostCase cases[] = {
        { "GET /Title?0133093 HTTP/1.1\r\nHost: 127.0.0.1:PORT\r\n\r\n", 200 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: localhost:PORT\r\n\r\n", 200 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: LocalHost:PORT\r\n\r\n", 200 },
        { "GET http://us.imdb.com/Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\n\r\n", 200 },
        { "GET http://us.imdb.com:80/Title?0133093 HTTP/1.1\r\nHost: us.imdb.com:80\r\n\r\n", 200 },
        { "GET http://posters.imdb.com/Posters/0133093.jpg HTTP/1.0\r\nHost: posters.imdb.com\r\n\r\n", 404 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: evil.example:PORT\r\n\r\n", 421 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: 127.0.0.1:OTHER\r\n\r\n", 421 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", 421 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com.evil.example\r\n\r\n", 421 },
        { "GET http://evil.example/Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\n\r\n", 421 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: \r\n\r\n", 421 },
        { "GET /Title?0133093 HTTP/1.0\r\n\r\n", 421 },
        { "GET /Title?0133093 HTTP/1.1\r\n\r\n", 400 },
        { "GET /Title?0133093 HTTP/1.1\r\nHost: us.imdb.com\r\nHost: evil.example\r\n\r\n", 400 },
    };
    Service service(shortLimits());
    for (const HostCase& c : cases) {
        std::string request = c.request;
        for (const auto& [name, port] : { std::pair { "PORT", service.port }, std::pair { "OTHER", service.port + 1 } })
            if (const std::size_t at = request.find(name); at != std::string::npos)
                request.replace(at, std::string_view(name).size(), std::to_string(port));
        EXPECT_EQ(service.get(request), c.status) << c.request;
    }
}

} // namespace
