#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrelle::test {

// A server on 127.0.0.1 that publishes dataset files under /datasets/NAME as the datasets' host does:
//   each answer carries the file's ETag and Last-Modified; Connection: close
//   If-None-Match or If-Modified-Since that match   304
//   Range: bytes=N- (with an If-Range that matches, or none)   206 with Content-Range
//   an If-Range that does not match   200 with the whole file
//   a range that starts at the file's end or after it   416
//   a name it does not publish   404
// and, when a test asks, cuts a file's next answer after some bytes, sends every body slowly, or
// misbehaves as a broken server does (see Misbehaviour).
// Written by hand on a socket, so that every header and every cut is exactly what a test says.
class DatasetServer {
public:
    enum class Misbehaviour {
        None,
        IgnoreIfRange, // a range is answered from the current version, whatever If-Range names
        WrongRangeStart, // a 206's Content-Range starts a byte later than asked
        WrongRangeTotal, // a 206's Content-Range gives the file a byte more than it has
        EndlessBody, // a 200 without Content-Length whose body repeats the file until the client leaves
    };

    explicit DatasetServer(std::map<std::string, std::string> files);
    ~DatasetServer();
    DatasetServer(const DatasetServer&) = delete;
    DatasetServer& operator=(const DatasetServer&) = delete;

    // "http://127.0.0.1:PORT/datasets"
    std::string url() const;

    // A new version of a file: its ETag is "vVERSION-SIZE" (quoted), its date the VERSION-th of March
    // 2026. An empty body stops publishing it.
    void publish(const std::string& name, const std::string& body);
    // The next answer with the file's body sends `bytes` of it, then closes the connection.
    void cutNextAfter(const std::string& name, std::size_t bytes);
    // Bodies go out 100 bytes every 100 ms.
    void setSlow(bool slow) { m_slow = slow; }
    void misbehave(Misbehaviour misbehaviour) { m_misbehaviour = misbehaviour; }

    // The requests for a file, each as its conditions: "plain", or "range=bytes=N- if-range=V",
    // "if-none-match=V if-modified-since=D" (only those present).
    std::vector<std::string> requests(const std::string& name) const;

private:
    struct File {
        std::string body;
        std::string etag;
        std::string lastModified;
        std::size_t cutAfter = 0; // 0: not cut
    };

    void serve();
    void answer(int connection);
    void sendEndlessly(int connection, const std::string& head, const std::string& body);

    mutable std::mutex m_mutex;
    std::map<std::string, File> m_files;
    std::map<std::string, std::vector<std::string>> m_requests;
    std::map<std::string, int> m_versions; // of each file, from 1
    std::atomic<bool> m_slow { false };
    std::atomic<Misbehaviour> m_misbehaviour { Misbehaviour::None };
    std::atomic<bool> m_stopping { false };
    int m_listener = -1;
    int m_port = 0;
    std::thread m_thread;
};

// The hand-made dataset of tests/fixtures/titles as the host publishes it: NAME.tsv.gz, gzipped.
std::map<std::string, std::string> publishedFixtureDataset();

} // namespace vantrelle::test
