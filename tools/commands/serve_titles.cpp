// vantrelle-tool serve-titles: a stand-in for the title service on 127.0.0.1.
//
// It answers the three request forms the program sends: title pages "/Title?" + number, searches
// "/Tsearch?" + words joined by "+", and poster pictures under "/Covers/", "/Posters/" and
// "/images/". Requests may name the service's own host in proxy form ("GET http://us.imdb.com/
// Title?..."), so the program reaches it unchanged through http_proxy. The data set is a folder
// with titles/<number>.html and posters/<file>.

#include "CommandRegistry.h"
#include "vantrelle/Error.h"
#include "vantrelle/titleservice/TextUtilities.h"
#include "vantrelle/titleservice/UrlDecoder.h"

#include <httplib.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace vantrelle;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(c < 128 ? std::tolower(c) : c); });
    return text;
}

struct Title {
    std::string page;
    std::string name; // the page's <TITLE> text
};

class TitleData {
public:
    explicit TitleData(const fs::path& folder)
    {
        if (!fs::is_directory(folder / "titles"))
            throw Error("No title data in \"" + folder.string() + "\": the folder titles/ is missing");
        for (const auto& entry : fs::directory_iterator(folder / "titles")) {
            if (entry.path().extension() != ".html")
                continue;
            Title title { readBytes(entry.path()), {} };
            std::string_view name = title.page;
            titleservice::SkipPast(name, "<TITLE>", 7);
            titleservice::KeepBefore(name, "<");
            title.name = name;
            m_titles.emplace(entry.path().stem().string(), std::move(title));
        }
        if (fs::is_directory(folder / "posters"))
            for (const auto& entry : fs::directory_iterator(folder / "posters"))
                m_posters.emplace(entry.path().filename().string(), readBytes(entry.path()));
    }

    const Title* title(const std::string& number) const
    {
        const auto found = m_titles.find(number);
        return found == m_titles.end() ? nullptr : &found->second;
    }

    const std::string* poster(const std::string& file) const
    {
        const auto found = m_posters.find(file);
        return found == m_posters.end() ? nullptr : &found->second;
    }

    // The numbers of the titles whose name holds every word, in the order of their names.
    std::vector<std::string> search(const std::vector<std::string>& words) const
    {
        std::vector<std::string> numbers;
        if (words.empty())
            return numbers;
        for (const auto& [number, title] : m_titles) {
            const std::string name = lowerCase(title.name);
            if (std::all_of(words.begin(), words.end(),
                    [&](const std::string& word) { return name.find(word) != std::string::npos; }))
                numbers.push_back(number);
        }
        std::sort(numbers.begin(), numbers.end(),
            [&](const std::string& a, const std::string& b) { return title(a)->name < title(b)->name; });
        return numbers;
    }

    std::size_t size() const { return m_titles.size(); }

private:
    std::map<std::string, Title> m_titles;
    std::map<std::string, std::string> m_posters;
};

std::vector<std::string> searchWords(const std::string& query)
{
    titleservice::TURLDecoder decoder;
    decoder.InputString = query;
    std::istringstream words(lowerCase(decoder.UrlDecode()));
    return { std::istream_iterator<std::string>(words), {} };
}

std::string resultsPage(const TitleData& data, const std::vector<std::string>& numbers)
{
    std::string page = "<HTML><HEAD><TITLE>IMDb title search</TITLE></HEAD>\n<BODY>\n<H1>IMDb title search</H1>\n"
                       "<P><B><A NAME=\"mov\">Movies</A></B></P>\n<OL>\n";
    for (const auto& number : numbers)
        page += "<LI><A HREF=\"/Title?" + number + "\">" + data.title(number)->name + "</A></LI>\n";
    return page + "</OL>\n</BODY></HTML>\n";
}

const char* pictureType(const std::string& file)
{
    const std::string extension = lowerCase(fs::path(file).extension().string());
    if (extension == ".gif")
        return "image/gif";
    if (extension == ".jpg" || extension == ".jpeg")
        return "image/jpeg";
    return "application/octet-stream";
}

void answer(const TitleData& data, const httplib::Request& request, httplib::Response& response)
{
    // In proxy form the target names the host first: "http://us.imdb.com/Title?0100001".
    std::string_view target = request.target;
    if (target.starts_with("http://")) {
        const std::size_t path = target.find('/', 7);
        target = path == std::string_view::npos ? "/" : target.substr(path);
    }
    const std::size_t question = target.find('?');
    const std::string path(target.substr(0, question));
    const std::string query(question == std::string_view::npos ? "" : target.substr(question + 1));

    if (path == "/Title") {
        if (const Title* title = data.title(query)) {
            response.set_content(title->page, "text/html");
            return;
        }
        response.status = 404;
        response.set_content("<HTML><BODY><H1>Title not found</H1></BODY></HTML>\n", "text/html");
        return;
    }
    if (path == "/Tsearch") {
        const std::vector<std::string> numbers = data.search(searchWords(query));
        if (numbers.size() == 1) {
            // Back to the host the request named, so a proxied client stays with the proxy.
            const std::string host = request.get_header_value("Host");
            response.set_redirect(
                "http://" + (host.empty() ? std::string("us.imdb.com") : host) + "/Title?" + numbers.front());
            return;
        }
        if (numbers.empty())
            response.set_content("<HTML><HEAD><TITLE>IMDb title search</TITLE></HEAD>\n<BODY>\n"
                                 "<H1>IMDb title search</H1>\n<P>No matches.</P>\n</BODY></HTML>\n",
                "text/html");
        else
            response.set_content(resultsPage(data, numbers), "text/html");
        return;
    }
    for (const std::string_view folder : { "/Covers/", "/Posters/", "/images/" }) {
        if (!path.starts_with(folder))
            continue;
        const std::string file = path.substr(path.rfind('/') + 1);
        if (const std::string* picture = data.poster(file)) {
            response.set_content(*picture, pictureType(file));
            return;
        }
    }
    response.status = 404;
    response.set_content("<HTML><BODY><H1>Not found</H1></BODY></HTML>\n", "text/html");
}

int serveTitles(const tool::Arguments& arguments)
{
    int port = 0;
    fs::path folder = VANTRELLE_TITLE_DATA_DIR;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--port" && i + 1 < arguments.size()) {
            const std::string& text = arguments[++i];
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
            if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535)
                throw tool::UsageError { "--port takes a port number from 0 (any free port) to 65535" };
        } else if (arguments[i] == "--data" && i + 1 < arguments.size()) {
            folder = arguments[++i];
        } else {
            throw tool::UsageError { "unexpected argument '" + arguments[i] + "'" };
        }
    }
    const TitleData data(folder);
    // Stop with the process that started this one (a script, or the program it became by exec), so no
    // stand-in is left behind serving nobody.
    const pid_t parent = getppid();
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
        return 0;

    httplib::Server server;
    server.Get(
        ".*", [&](const httplib::Request& request, httplib::Response& response) { answer(data, request, response); });
    const int bound
        = port == 0 ? server.bind_to_any_port("127.0.0.1") : (server.bind_to_port("127.0.0.1", port) ? port : -1);
    if (bound <= 0)
        throw Error("Cannot listen on 127.0.0.1:" + std::to_string(port));
    // The first line tells scripts which port to point http_proxy at.
    std::cout << "serving " << data.size() << " titles on http://127.0.0.1:" << bound << "/" << std::endl;
    return server.listen_after_bind() ? 0 : 1;
}

const tool::RegisterCommand registration("serve-titles",
    { "serve-titles [--port N] [--data DIR]",
        "serve a stand-in title service on 127.0.0.1 (also as an HTTP proxy for its own host)", serveTitles });

} // namespace
