#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

namespace vantrelle::test {

struct StandInOptions {
    bool demoPosters = true; // serve the invented films' posters
    std::vector<std::pair<std::string, std::string>> environment; // set for the service only
    std::string errorsFile; // where the service's standard error goes; empty: the test's own
};

// The stand-in title service (vantrelle-tool serve-titles) on a free loopback port, serving the
// invented films of tools/titledata (imported at build time) and their posters, for as long as the
// object lives.
class StandInTitleService {
public:
    explicit StandInTitleService(const StandInOptions& options = {});
    ~StandInTitleService();
    StandInTitleService(const StandInTitleService&) = delete;
    StandInTitleService& operator=(const StandInTitleService&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:PORT", for http_proxy.
    std::string proxy() const { return "http://127.0.0.1:" + std::to_string(m_port); }

private:
    pid_t m_pid = -1;
    int m_port = 0;
};

// The one stand-in of a test program, started on first use and stopped when the program ends.
StandInTitleService& sharedTitleService();

} // namespace vantrelle::test
