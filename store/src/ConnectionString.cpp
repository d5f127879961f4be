#include "vantrelle/store/ConnectionString.h"

#include "vantrelle/store/Errors.h"

#include <algorithm>
#include <cctype>

namespace vantrelle::store {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// ".\Movies.mdb" -> "Movies.mdb", "C:\films\x.mdb" keeps its shape with / separators.
std::filesystem::path windowsPath(std::string value)
{
    std::replace(value.begin(), value.end(), '\\', '/');
    while (value.starts_with("./"))
        value.erase(0, 2);
    if (value == ".")
        value.clear();
    return value;
}

} // namespace

std::map<std::string, std::string> parseConnectionString(std::string_view text)
{
    std::map<std::string, std::string> attributes;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t equals = text.find('=', i);
        const std::size_t semicolon = text.find(';', i);
        if (equals == std::string_view::npos || (semicolon != std::string_view::npos && semicolon < equals)) {
            // A part without "=" carries no attribute.
            i = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
            continue;
        }
        std::string key(trimmed(text.substr(i, equals - i)));
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::toupper(c); });
        std::size_t valueStart = equals + 1;
        while (valueStart < text.size() && text[valueStart] == ' ')
            ++valueStart;
        std::string value;
        if (valueStart < text.size() && text[valueStart] == '{') {
            // A braced value may hold ';'; "}}" stands for one '}' (ODBC connection string syntax).
            std::size_t k = valueStart + 1;
            for (; k < text.size(); ++k) {
                if (text[k] == '}') {
                    if (k + 1 < text.size() && text[k + 1] == '}') {
                        value += '}';
                        ++k;
                        continue;
                    }
                    break;
                }
                value += text[k];
            }
            const std::size_t next = text.find(';', k);
            i = next == std::string_view::npos ? text.size() : next + 1;
        } else {
            const std::size_t end = text.find(';', valueStart);
            value = trimmed(
                text.substr(valueStart, end == std::string_view::npos ? std::string_view::npos : end - valueStart));
            i = end == std::string_view::npos ? text.size() : end + 1;
        }
        if (!key.empty())
            attributes[key] = value;
    }
    return attributes;
}

std::filesystem::path databaseFile(std::string_view connectionString, const std::filesystem::path& workingDir)
{
    const auto attributes = parseConnectionString(connectionString);
    const auto dbq = attributes.find("DBQ");
    if (dbq == attributes.end() || trimmed(dbq->second).empty())
        throw EEngineError("The connection string names no database file (DBQ)");
    std::filesystem::path folder = workingDir;
    if (const auto defaultDir = attributes.find("DEFAULTDIR"); defaultDir != attributes.end())
        folder /= windowsPath(defaultDir->second);
    return (folder / windowsPath(dbq->second)).lexically_normal();
}

std::string connectionStringFor(const std::filesystem::path& file)
{
    std::string escaped;
    for (const char c : file.string())
        escaped += c == '}' ? std::string("}}") : std::string(1, c);
    return "DBQ={" + escaped + "}";
}

} // namespace vantrelle::store
