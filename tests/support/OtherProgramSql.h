#pragma once

#include <filesystem>
#include <string>

namespace vantrelle::test {

// Runs SQL on a database file through a connection of its own, as another program would; "" when it worked,
// else SQLite's message.
std::string runSql(const std::filesystem::path& file, const std::string& statements);

} // namespace vantrelle::test
