#include "StandInTmdb.h"

#include "TestFiles.h"

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>

namespace vantrelle::test {

namespace {

const std::string kJson = "application/json;charset=utf-8";

// TMDB's find answer: every result list, empty but the one named.
std::string findAnswer(const std::string& list = {}, const std::string& result = {})
{
    std::string answer = "{";
    for (const char* name :
        { "movie_results", "person_results", "tv_results", "tv_episode_results", "tv_season_results" }) {
        answer += std::string(answer.size() > 1 ? "," : "") + "\"" + name + "\":[";
        if (name == list)
            answer += result;
        answer += "]";
    }
    return answer + "}";
}

std::string movieResult(int id, const std::string& posterPath)
{
    return R"({"adult":false,"backdrop_path":"/back.jpg","id":)" + std::to_string(id)
        + R"(,"title":"Stand-in","original_language":"en","overview":"A film.","poster_path":)" + posterPath
        + R"(,"media_type":"movie","genre_ids":[18],"popularity":9.5,"release_date":"1987-05-01","video":false,)"
          R"("vote_average":7.1,"vote_count":120})";
}

std::string detailsAnswer(int id, const std::string& tagline)
{
    return R"({"adult":false,"genres":[{"id":18,"name":"Drama"}],"id":)" + std::to_string(id)
        + R"(,"imdb_id":"tt0100001","poster_path":"/harbour.jpg","runtime":112,"status":"Released","tagline":)"
        + tagline + R"(,"title":"Stand-in"})";
}

const std::string kRefused
    = R"({"status_code":7,"status_message":"Invalid API key: You must be granted a valid key.","success":false})";
const std::string kRateLimited
    = R"({"status_code":25,"status_message":"Your request count (#) is over the allowed limit of (40).","success":false})";

} // namespace

StandInTmdb::StandInTmdb(std::string posterJpeg)
    : m_posterJpeg(std::move(posterJpeg))
{
    m_api.server = std::make_unique<httplib::Server>();
    m_images.server = std::make_unique<httplib::Server>();
    serveApi(*m_api.server);
    serveImages(*m_images.server);
    start(m_api, m_apiPort);
    start(m_images, m_imagePort);
}

StandInTmdb::~StandInTmdb()
{
    m_stopping = true;
    for (Host* host : { &m_api, &m_images }) {
        host->server->stop();
        host->thread.join();
    }
}

void StandInTmdb::start(Host& host, int& port)
{
    port = host.server->bind_to_any_port("127.0.0.1");
    if (port <= 0)
        throw std::runtime_error("the TMDB stand-in cannot listen");
    host.thread = std::thread([&host] { host.server->listen_after_bind(); });
    while (!host.server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::vector<StandInTmdb::Request> StandInTmdb::apiRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_apiRequests;
}

std::vector<StandInTmdb::Request> StandInTmdb::imageRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_imageRequests;
}

void StandInTmdb::forgetRequests()
{
    std::lock_guard lock(m_mutex);
    m_apiRequests.clear();
    m_imageRequests.clear();
}

void StandInTmdb::serveApi(httplib::Server& server)
{
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        const std::string authorization = request.get_header_value("Authorization");
        {
            std::lock_guard lock(m_mutex);
            m_apiRequests.push_back({ request.target, authorization });
        }
        const bool keyTaken = request.get_param_value("api_key") == kKey
            || (!request.has_param("api_key") && authorization == std::string("Bearer ") + kToken);
        if (!keyTaken) {
            response.status = 401;
            response.set_content(kRefused, kJson);
            return;
        }
        const std::string& path = request.path;
        std::string body;
        if (path == "/3/configuration") {
            body
                = R"({"images":{"base_url":"http://image.tmdb.org/t/p/","poster_sizes":["w92","w154","w185","w342","w500","w780","original"]}})";
        } else if (path.starts_with("/3/find/") && request.get_param_value("external_source") == "imdb_id") {
            const std::string id = path.substr(8);
            if (id == "tt0100001") {
                body = findAnswer("movie_results", movieResult(501, "\"/harbour.jpg\""));
            } else if (id == "tt0100002") {
                body = findAnswer("tv_results",
                    R"({"id":702,"name":"Stand-in Series","poster_path":"/series.jpg","media_type":"tv","first_air_date":"1999-01-01"})");
            } else if (id == "tt0100003") {
                body = findAnswer("movie_results", movieResult(503, "null"));
            } else if (id == "tt0100004") {
                body = findAnswer();
            } else if (id == "tt0100005") {
                body = findAnswer("movie_results", movieResult(505, "\"/harbour.jpg\"")).substr(0, 60);
            } else if (id == "tt0100006") {
                body = R"({"movie_results":[)" + movieResult(506, "\"/harbour.jpg\"") + R"(],"padding":")"
                    + std::string(3 << 20, 'x') + "\"}";
            } else if (id == "tt0100007") {
                for (int i = 0; i < 3000 && !m_stopping; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                body = findAnswer();
            } else if (id == "tt0100008") {
                body = findAnswer("movie_results", movieResult(508, "\"/notjpeg.jpg\""));
            } else if (id == "tt0100009" || id == "tt0100010") {
                bool limited = id == "tt0100010";
                {
                    std::lock_guard lock(m_mutex);
                    limited = limited || m_rateLimitedOnce++ == 0;
                }
                if (limited) {
                    response.status = 429;
                    response.set_header("Retry-After", id == "tt0100010" ? "120" : "1");
                    response.set_content(kRateLimited, kJson);
                    return;
                }
                body = findAnswer("movie_results", movieResult(509, "\"/harbour.jpg\""));
            } else {
                body = findAnswer();
            }
        } else if (path == "/3/movie/501" || path == "/3/movie/509") {
            body = detailsAnswer(501, "\"Every light has a keeper.\"");
        } else if (path == "/3/tv/702") {
            body = R"({"id":702,"name":"Stand-in Series","number_of_seasons":3,"poster_path":"/series.jpg",)"
                   R"("tagline":"Season <3 & after season"})";
        } else if (path == "/3/movie/503") {
            body = detailsAnswer(503, "\"No face to show.\"");
        } else if (path == "/3/movie/508") {
            body = detailsAnswer(508, "null");
        } else {
            response.status = 404;
            response.set_content(
                R"({"status_code":34,"status_message":"The resource you requested could not be found.","success":false})",
                kJson);
            return;
        }
        response.set_content(body, kJson);
    });
}

void StandInTmdb::serveImages(httplib::Server& server)
{
    server.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
        {
            std::lock_guard lock(m_mutex);
            m_imageRequests.push_back({ request.target, request.get_header_value("Authorization") });
        }
        const std::string& path = request.path;
        const std::size_t file = path.rfind('/');
        if (!path.starts_with("/t/p/") || file == std::string::npos) {
            response.status = 404;
            return;
        }
        const std::string name = path.substr(file);
        if (name == "/harbour.jpg" || name == "/series.jpg")
            response.set_content(m_posterJpeg, "image/jpeg");
        else if (name == "/notjpeg.jpg")
            response.set_content(std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "image/png");
        else
            response.status = 404;
    });
}

const std::string& standInPosterJpeg()
{
    static const std::string bytes = readFile(std::filesystem::path(VANTRELLE_DEMO_POSTERS) / "0100001.jpg");
    return bytes;
}

StandInTmdb& sharedTmdb()
{
    static StandInTmdb standIn(standInPosterJpeg());
    return standIn;
}

} // namespace vantrelle::test
