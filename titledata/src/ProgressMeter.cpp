#include "vantrelle/titledata/ProgressMeter.h"

#include <cstdio>

namespace vantrelle::titledata {

namespace {

std::string megabytes(std::uint64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

std::string duration(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

} // namespace

std::optional<std::string> ProgressMeter::update(
    std::string_view step, std::uint64_t bytesRead, std::uint64_t bytesTotal)
{
    return update(step, bytesRead, bytesTotal, Clock::now());
}

std::optional<std::string> ProgressMeter::update(
    std::string_view step, std::uint64_t bytesRead, std::uint64_t bytesTotal, Clock::time_point now)
{
    if (step != m_step) {
        m_step = step;
        m_stepStarted = now;
        m_bytesAtStart = bytesRead;
    } else if (now - m_shown < std::chrono::milliseconds(250)) {
        return std::nullopt;
    }
    m_shown = now;
    std::string line = m_step;
    if (bytesRead >= bytesTotal)
        return line + "...";
    line += ": " + megabytes(bytesRead) + " of " + megabytes(bytesTotal) + " MB";
    const double seconds = std::chrono::duration<double>(now - m_stepStarted).count();
    if (seconds > 1 && bytesRead > m_bytesAtStart) {
        const double rate = static_cast<double>(bytesRead - m_bytesAtStart) / seconds;
        line += ", " + megabytes(static_cast<std::uint64_t>(rate)) + " MB/s, "
            + duration(static_cast<double>(bytesTotal - bytesRead) / rate) + " left";
    }
    return line;
}

} // namespace vantrelle::titledata
