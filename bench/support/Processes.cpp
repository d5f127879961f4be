#include "Processes.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantrelle::bench {

bool runProcess(std::vector<std::string> arguments, bool quiet)
{
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (quiet)
            dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace vantrelle::bench
