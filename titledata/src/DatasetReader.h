#pragma once

#include "Decompressor.h"
#include "vantrelle/titledata/DatasetFormat.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vantrelle::titledata {

// Reads the lines of one dataset file after checking its header. Every failure is an EImportError that
// names the file and the line.
class DatasetReader {
public:
    DatasetReader(const std::filesystem::path& file, const DatasetFileFormat& format);

    // The next line without its line break, valid until the next call; false at the end of the file.
    bool next(std::string_view& line);
    [[noreturn]] void fail(const std::string& what) const;
    std::uint64_t bytesRead() const { return m_source.bytesRead(); }
    // The number of the line that next() gave last, the header being line 1.
    std::uint64_t lineNumber() const { return m_lineNumber; }

private:
    bool nextLine(std::string_view& line);
    void keep(std::string_view piece);

    std::filesystem::path m_file;
    Decompressor m_source;
    std::string_view m_chunk;
    std::size_t m_at = 0;
    std::string m_partial; // a line that runs across chunks
    bool m_partialGiven = false;
    std::uint64_t m_lineNumber = 0;
};

} // namespace vantrelle::titledata
