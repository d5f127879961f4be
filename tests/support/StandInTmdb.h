#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace vantrelle::test {

// A stand-in for The Movie Database on loopback: its API and its image host on two ports, answering
// in the API's documented JSON. Titles by IMDb number:
//   tt0100001  a film (movie 501) with tagline and poster /harbour.jpg
//   tt0100002  a series (tv 702) with a tagline holding "<" and "&", and poster /series.jpg
//   tt0100003  a film (movie 503) whose poster_path is null
//   tt0100004  nothing found (empty result lists)
//   tt0100005  a find answer cut off in the middle (malformed JSON)
//   tt0100006  a find answer of 3 MB
//   tt0100007  a find that stalls (until the stand-in stops, at most 30 s)
//   tt0100008  a film (movie 508) whose poster /notjpeg.jpg is a PNG file
//   tt0100009  429 with "Retry-After: 1" on the first find, then as tt0100001 with movie 509
//   tt0100010  429 with "Retry-After: 120" on every find
// The API takes the v3 key kKey as api_key, or the token kToken as "Authorization: Bearer", and
// answers 401 with TMDB's error JSON otherwise. /3/configuration answers when the key is taken.
// The image host serves /t/p/<size>/harbour.jpg and /series.jpg as `posterJpeg`, /notjpeg.jpg as PNG.
class StandInTmdb {
public:
    static constexpr const char* kKey = "0123456789abcdef0123456789abcdef";
    static constexpr const char* kToken = "eyJhbGciOiJIUzI1NiJ9.c3RhbmQtaW4.c2lnbmF0dXJl";

    explicit StandInTmdb(std::string posterJpeg);
    ~StandInTmdb();
    StandInTmdb(const StandInTmdb&) = delete;
    StandInTmdb& operator=(const StandInTmdb&) = delete;

    std::string apiBase() const { return "http://127.0.0.1:" + std::to_string(m_apiPort); }
    std::string imageBase() const { return "http://127.0.0.1:" + std::to_string(m_imagePort); }

    struct Request {
        std::string target; // path and query
        std::string authorization; // the Authorization header, empty when none
    };
    std::vector<Request> apiRequests() const;
    std::vector<Request> imageRequests() const;
    void forgetRequests();

private:
    struct Host {
        std::unique_ptr<httplib::Server> server;
        std::thread thread;
        int port = 0;
    };
    void start(Host& host, int& port);
    void serveApi(httplib::Server& server);
    void serveImages(httplib::Server& server);

    std::string m_posterJpeg;
    Host m_api, m_images;
    int m_apiPort = 0, m_imagePort = 0;
    mutable std::mutex m_mutex;
    std::vector<Request> m_apiRequests, m_imageRequests;
    int m_rateLimitedOnce = 0;
    std::atomic<bool> m_stopping { false };
};

// The invented film 0100001's poster (a JPEG file), which the shared stand-in serves.
const std::string& standInPosterJpeg();

// The one stand-in of a test program, started on first use and stopped when the program ends.
StandInTmdb& sharedTmdb();

} // namespace vantrelle::test
