#include "TestFiles.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace vantrelle::test {

ScopedWorkingDir::ScopedWorkingDir(const std::filesystem::path& dir)
    : m_previous(std::filesystem::current_path())
{
    std::filesystem::current_path(dir);
}

ScopedWorkingDir::~ScopedWorkingDir()
{
    std::error_code ignored;
    std::filesystem::current_path(m_previous, ignored);
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

std::string runUnprivileged(const std::function<std::string()>& work)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string result = "cannot drop privileges";
        if (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0))
            result = work();
        const ssize_t written = ::write(pipeEnds[1], result.data(), result.size());
        ::_exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}

} // namespace vantrelle::test
