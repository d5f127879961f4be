#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace vantrelle::store {

// The connection string the movies query uses unless it is given another one.
inline constexpr std::string_view kConnectionString
    = "DRIVER=Microsoft Access Driver (*.mdb); UID=admin; UserCommitSync=Yes; Threads=3; SafeTransactions=0; "
      "PageTimeout=5; MaxScanRows=8; MaxBufferSize=2048; FIL=MS Access; DriverId=25; DefaultDir=.\\; "
      "DBQ=.\\Movies.mdb";

// The attributes of an ODBC-style connection string ("KEY=value; KEY={value;with;semicolons}"), keyed by
// the upper-cased key with surrounding blanks removed. A later key replaces an earlier one.
std::map<std::string, std::string> parseConnectionString(std::string_view connectionString);

// The database file a connection string names with DBQ. Backslashes are folder separators and a leading
// ".\" is the folder itself; a relative DBQ is taken relative to DefaultDir when that is given, and both
// relative to `workingDir`. Throws EEngineError when there is no DBQ.
std::filesystem::path databaseFile(std::string_view connectionString, const std::filesystem::path& workingDir);

// Makes a connection string that names `file` with DBQ (braced, so any path survives).
std::string connectionStringFor(const std::filesystem::path& file);

} // namespace vantrelle::store
