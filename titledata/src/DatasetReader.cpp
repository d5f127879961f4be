#include "DatasetReader.h"

#include "vantrelle/titledata/Import.h"

#include <cstring>

namespace vantrelle::titledata {

namespace {

std::string columns(std::string_view header)
{
    std::string listed(header);
    for (std::size_t tab = listed.find('\t'); tab != std::string::npos; tab = listed.find('\t', tab))
        listed.replace(tab, 1, ", ");
    return listed;
}

} // namespace

DatasetReader::DatasetReader(const std::filesystem::path& file, const DatasetFileFormat& format)
    : m_file(file)
    , m_source(file)
{
    std::string_view header;
    if (!next(header)) {
        m_lineNumber = 1;
        fail("the file is empty; expected the header of " + std::string(format.name));
    }
    if (file.extension() == ".gz" && m_source.plain())
        fail("not a gzip file");
    // A byte order mark, as some editors and tools write before UTF-8 text.
    if (header.starts_with("\xEF\xBB\xBF"))
        header.remove_prefix(3);
    if (header != format.header)
        fail(
            "not the header of " + std::string(format.name) + " (expected the columns " + columns(format.header) + ")");
}

void DatasetReader::fail(const std::string& what) const
{
    throw EImportError(m_file.string() + ", line " + std::to_string(m_lineNumber) + ": " + what);
}

bool DatasetReader::next(std::string_view& line)
{
    if (!nextLine(line))
        return false;
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return true;
}

bool DatasetReader::nextLine(std::string_view& line)
{
    if (m_partialGiven) {
        m_partial.clear();
        m_partialGiven = false;
    }
    while (true) {
        if (m_at < m_chunk.size()) {
            const char* start = m_chunk.data() + m_at;
            const auto* end = static_cast<const char*>(std::memchr(start, '\n', m_chunk.size() - m_at));
            if (end) {
                const std::string_view piece(start, static_cast<std::size_t>(end - start));
                m_at += piece.size() + 1;
                ++m_lineNumber;
                if (m_partial.empty()) {
                    line = piece;
                } else {
                    keep(piece);
                    line = m_partial;
                    m_partialGiven = true;
                }
                return true;
            }
            keep(m_chunk.substr(m_at));
            m_at = m_chunk.size();
        }
        const auto chunk = m_source.next();
        if (!chunk) {
            if (m_source.error()) {
                ++m_lineNumber;
                fail("the file is truncated or corrupt (" + *m_source.error() + ")");
            }
            if (m_partial.empty())
                return false;
            ++m_lineNumber; // the last line has no line break
            line = m_partial;
            m_partialGiven = true;
            return true;
        }
        m_chunk = *chunk;
        m_at = 0;
    }
}

void DatasetReader::keep(std::string_view piece)
{
    if (m_partial.size() + piece.size() > kMaxLineLength) {
        ++m_lineNumber;
        fail("the line is longer than " + std::to_string(kMaxLineLength) + " bytes");
    }
    m_partial += piece;
}

} // namespace vantrelle::titledata
