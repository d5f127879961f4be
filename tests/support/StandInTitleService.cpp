#include "StandInTitleService.h"

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace vantrelle::test {

StandInTitleService::StandInTitleService(const StandInOptions& options)
{
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (!options.errorsFile.empty()) {
            const int errors = open(options.errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errors, STDERR_FILENO);
        }
        for (const auto& [name, value] : options.environment)
            setenv(name.c_str(), value.c_str(), 1);
        if (options.demoPosters)
            execl(VANTRELLE_TOOL, VANTRELLE_TOOL, "serve-titles", "--index", VANTRELLE_DEMO_TITLES, "--posters",
                VANTRELLE_DEMO_POSTERS, "--port", "0", static_cast<char*>(nullptr));
        else
            execl(VANTRELLE_TOOL, VANTRELLE_TOOL, "serve-titles", "--index", VANTRELLE_DEMO_TITLES, "--port", "0",
                static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    // "serving 12 titles on http://127.0.0.1:PORT/"
    std::string line;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        line += c;
    close(out[0]);
    const std::size_t colon = line.rfind(':');
    if (colon == std::string::npos) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        throw std::runtime_error("serve-titles did not start: " + line);
    }
    m_port = std::stoi(line.substr(colon + 1));
}

StandInTitleService::~StandInTitleService()
{
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
}

StandInTitleService& sharedTitleService()
{
    static StandInTitleService service;
    return service;
}

} // namespace vantrelle::test
