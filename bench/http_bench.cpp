// Fetching a 1 MB body from a loopback server: THttpRequest synchronous and asynchronous
// against a bare libcurl easy transfer of the same URL, each with a fresh connection.
#include "BenchMain.h"

#include "vantrelle/http/HttpRequest.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t bodySize = 1024 * 1024;

// Answers every request on every connection with the same 1 MB response.
class BodyServer {
public:
    BodyServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
            || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0
            || ::listen(m_listener, 64) != 0)
            throw std::runtime_error("cannot listen on loopback");
        m_url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/body";
        m_response = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
            + std::to_string(bodySize) + "\r\n\r\n" + std::string(bodySize, 'b');
        m_thread = std::thread([this] { acceptLoop(); });
    }

    ~BodyServer()
    {
        m_stopping = true;
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        m_thread.join();
    }

    const std::string& url() const { return m_url; }

private:
    void acceptLoop()
    {
        std::vector<std::thread> connections;
        while (!m_stopping) {
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                break;
            connections.emplace_back([this, connection] { serve(connection); });
        }
        for (std::thread& thread : connections)
            thread.join();
    }

    void serve(int connection)
    {
        const int on = 1;
        ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::string request;
        char buffer[4096];
        for (;;) {
            const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
            if (count <= 0)
                break;
            request.append(buffer, static_cast<std::size_t>(count));
            std::size_t end;
            while ((end = request.find("\r\n\r\n")) != std::string::npos) {
                request.erase(0, end + 4);
                for (std::size_t sent = 0; sent < m_response.size();) {
                    const ssize_t n
                        = ::send(connection, m_response.data() + sent, m_response.size() - sent, MSG_NOSIGNAL);
                    if (n <= 0) {
                        ::close(connection);
                        return;
                    }
                    sent += static_cast<std::size_t>(n);
                }
            }
        }
        ::close(connection);
    }

    int m_listener = -1;
    std::string m_url;
    std::string m_response;
    std::atomic<bool> m_stopping { false };
    std::thread m_thread;
};

BodyServer& server()
{
    static BodyServer instance;
    return instance;
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body)
{
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

void BM_BareCurl(benchmark::State& state)
{
    const std::string& url = server().url();
    for (auto _ : state) {
        std::string body;
        CURL* easy = curl_easy_init();
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &appendBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
        if (curl_easy_perform(easy) != CURLE_OK || body.size() != bodySize)
            state.SkipWithError("bare transfer failed");
        curl_easy_cleanup(easy);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bodySize));
}
BENCHMARK(BM_BareCurl)->UseRealTime();

void BM_HttpSync(benchmark::State& state)
{
    vantrelle::http::THttpRequest request;
    request.SetURL(server().url());
    std::size_t received = 0;
    request.OnRequestComplete
        = [&](vantrelle::http::THttpRequest& sender) { received = sender.ResponseStream().size(); };
    for (auto _ : state) {
        request.Execute(true);
        if (received != bodySize)
            state.SkipWithError("request failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bodySize));
}
BENCHMARK(BM_HttpSync)->UseRealTime();

// As the window runs the cover download: a worker, and the completion delivered on the
// user-interface thread (here the delivery's own thread).
void BM_HttpAsync(benchmark::State& state)
{
    auto delivery = std::make_shared<vantrelle::http::ThreadEventDelivery>();
    vantrelle::http::THttpRequest request(delivery);
    request.SetURL(server().url());
    std::size_t received = 0;
    request.OnRequestComplete
        = [&](vantrelle::http::THttpRequest& sender) { received = sender.ResponseStream().size(); };
    for (auto _ : state) {
        request.Execute(false);
        request.Wait();
        if (received != bodySize)
            state.SkipWithError("request failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bodySize));
}
BENCHMARK(BM_HttpAsync)->UseRealTime();

const bool registered = [] {
    vantrelle::bench::compare("http.sync", "BM_HttpSync/real_time", "BM_BareCurl/real_time");
    vantrelle::bench::compare("http.async", "BM_HttpAsync/real_time", "BM_BareCurl/real_time");
    return true;
}();

} // namespace
