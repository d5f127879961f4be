// Fetching a 1 MB body from a loopback server: THttpRequest synchronous and asynchronous
// against bare libcurl fetching the same URL. THttpRequest makes a new connection for every
// request and closes it at the end, so the reference does too, on one easy handle kept for
// every transfer: each side connects, sends the same request, reads the body in pieces of
// 16384 bytes into a new buffer reserved to the announced length, and closes.
//
// An asynchronous request runs on the request's kept worker thread while the user-interface
// thread goes on, and its completion handler runs on that thread, as the window runs the cover
// download: here the benchmark's thread plays the user-interface thread, and the time runs
// from Execute to the handler. Its reference is the same bare transfer on a kept thread of its
// own, the benchmark's thread waiting for the word that it has ended.
//
// The two sides take turns, one transfer each, so that a change of the machine's load falls
// on both alike: the benchmark's time is ours, its counter "reference" the reference's. Each
// runs for a second: over a fifth of one, the ratio moved by a third from run to run.
#include "BenchMain.h"

#include "vantrelle/http/EventDelivery.h"
#include "vantrelle/http/HttpRequest.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kBodySize = 1024 * 1024;
constexpr long kPieceSize = 16384; // what THttpRequest asks libcurl for
constexpr const char* kUserAgent = "Vantrelle benchmark";

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
            + std::to_string(kBodySize) + "\r\n\r\n" + std::string(kBodySize, 'b');
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
    // One connection at a time, on this thread: both sides close each connection before they
    // open the next, and a thread per connection would add its start to every transfer.
    void acceptLoop()
    {
        while (!m_stopping) {
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0)
                break;
            serve(connection);
        }
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

// Bare libcurl: one easy handle for every transfer, set up once.
class BareTransfer {
public:
    BareTransfer()
        : m_easy(curl_easy_init())
        , m_headers(curl_slist_append(nullptr, "Accept:")) // THttpRequest sends no Accept line
    {
        const CURLcode results[] = {
            curl_easy_setopt(m_easy, CURLOPT_URL, server().url().c_str()),
            curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L),
            curl_easy_setopt(m_easy, CURLOPT_BUFFERSIZE, kPieceSize),
            curl_easy_setopt(m_easy, CURLOPT_FORBID_REUSE, 1L),
            curl_easy_setopt(m_easy, CURLOPT_USERAGENT, kUserAgent),
            curl_easy_setopt(m_easy, CURLOPT_HTTPHEADER, m_headers),
            curl_easy_setopt(m_easy, CURLOPT_WRITEFUNCTION, &BareTransfer::append),
            curl_easy_setopt(m_easy, CURLOPT_WRITEDATA, this),
        };
        m_ready = m_headers
            && std::all_of(std::begin(results), std::end(results), [](CURLcode r) { return r == CURLE_OK; });
    }
    ~BareTransfer()
    {
        curl_easy_cleanup(m_easy);
        curl_slist_free_all(m_headers);
    }
    BareTransfer(const BareTransfer&) = delete;
    BareTransfer& operator=(const BareTransfer&) = delete;

    // True when the whole body arrived.
    bool fetch()
    {
        m_body = {};
        return m_ready && curl_easy_perform(m_easy) == CURLE_OK && m_body.size() == kBodySize;
    }

private:
    static std::size_t append(char* data, std::size_t size, std::size_t count, void* self)
    {
        auto& transfer = *static_cast<BareTransfer*>(self);
        if (transfer.m_body.empty()) {
            curl_off_t length = -1;
            if (curl_easy_getinfo(transfer.m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK
                && length > 0)
                transfer.m_body.reserve(static_cast<std::size_t>(length));
        }
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
        transfer.m_body.insert(transfer.m_body.end(), bytes, bytes + size * count);
        return size * count;
    }

    CURL* m_easy;
    curl_slist* m_headers;
    std::vector<std::uint8_t> m_body;
    bool m_ready = false;
};

// The bare transfer on a thread kept for every transfer: fetch() hands it the work and waits.
class BareWorkerTransfer {
public:
    BareWorkerTransfer()
        : m_thread([this] { loop(); })
    {
    }
    ~BareWorkerTransfer()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    BareWorkerTransfer(const BareWorkerTransfer&) = delete;
    BareWorkerTransfer& operator=(const BareWorkerTransfer&) = delete;

    bool fetch()
    {
        std::unique_lock lock(m_mutex);
        m_requested = true;
        m_ended = false;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_ended; });
        return m_fetched;
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_stopping || m_requested; });
            if (m_stopping)
                return;
            m_requested = false;
            lock.unlock();
            const bool fetched = m_transfer.fetch();
            lock.lock();
            m_fetched = fetched;
            m_ended = true;
            m_changed.notify_all();
        }
    }

    BareTransfer m_transfer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_requested = false;
    bool m_ended = false;
    bool m_fetched = false;
    bool m_stopping = false;
    std::thread m_thread; // last: starts once the members above exist
};

template <typename Fetch> double secondsOf(bool& fetched, Fetch fetch)
{
    const auto start = std::chrono::steady_clock::now();
    fetched = fetch();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One transfer of each side per iteration, the side that goes first changing every time.
// `settleOurs`, untimed, lets our side finish what it does after its transfer before the
// reference's turn.
template <typename Reference, typename Fetch, typename Settle>
void takeTurns(benchmark::State& state, Fetch fetchOurs, Settle settleOurs)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    Reference reference;
    double referenceSeconds = 0;
    bool oursFirst = false;
    for (auto _ : state) {
        bool referenceFetched = false;
        bool oursFetched = false;
        double oursSeconds = 0;
        if (oursFirst) {
            oursSeconds = secondsOf(oursFetched, fetchOurs);
            settleOurs();
        }
        referenceSeconds += secondsOf(referenceFetched, [&] { return reference.fetch(); });
        if (!oursFirst) {
            oursSeconds = secondsOf(oursFetched, fetchOurs);
            settleOurs();
        }
        oursFirst = !oursFirst;
        state.SetIterationTime(oursSeconds);
        if (!referenceFetched || !oursFetched) {
            state.SkipWithError(referenceFetched ? "request failed" : "bare transfer failed");
            break;
        }
    }
    state.counters["reference"] = benchmark::Counter(referenceSeconds, benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBodySize));
}

// One request, kept for every transfer.
vantrelle::http::THttpRequest& prepared(vantrelle::http::THttpRequest& request, std::size_t& received)
{
    request.SetURL(server().url());
    request.SetUserAgent(kUserAgent);
    request.OnRequestComplete
        = [&received](vantrelle::http::THttpRequest& sender) { received = sender.ResponseStream().size(); };
    return request;
}

void BM_HttpSync(benchmark::State& state)
{
    vantrelle::http::THttpRequest request;
    std::size_t received = 0;
    prepared(request, received);
    takeTurns<BareTransfer>(
        state,
        [&] {
            received = 0;
            request.Execute(true);
            return received == kBodySize;
        },
        [] {});
}
BENCHMARK(BM_HttpSync)->UseManualTime()->MinTime(1.0);

void BM_HttpAsync(benchmark::State& state)
{
    const auto delivery = std::make_shared<vantrelle::http::PumpedEventDelivery>();
    vantrelle::http::THttpRequest request(delivery);
    std::size_t received = 0;
    bool ended = false;
    prepared(request, received);
    request.OnRequestComplete = [&, handler = request.OnRequestComplete](vantrelle::http::THttpRequest& sender) {
        handler(sender);
        ended = true;
    };
    request.OnError = [&](vantrelle::http::THttpRequest&) { ended = true; };
    takeTurns<BareWorkerTransfer>(
        state,
        [&] {
            received = 0;
            ended = false;
            request.Execute(false);
            delivery->pumpUntil([&] { return ended; });
            return received == kBodySize;
        },
        [&] {
            // The worker raises nothing more; it only has to finish.
            while (request.busy())
                std::this_thread::sleep_for(std::chrono::microseconds(50));
        });
}
BENCHMARK(BM_HttpAsync)->UseManualTime()->MinTime(1.0);

const bool registered = [] {
    vantrelle::bench::compare("http.sync", "BM_HttpSync/min_time:1.000/manual_time",
        "BM_HttpSync/min_time:1.000/manual_time:reference");
    vantrelle::bench::compare("http.async", "BM_HttpAsync/min_time:1.000/manual_time",
        "BM_HttpAsync/min_time:1.000/manual_time:reference");
    return true;
}();

} // namespace
