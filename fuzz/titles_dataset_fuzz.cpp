// Lines of the public title datasets. The first byte chooses the file kind, the rest is its lines.
#include "vantrelle/CodePage.h"
#include "vantrelle/titledata/DatasetFormat.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vantrelle::titledata;

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void parse(DatasetKind kind, std::string_view line)
{
    switch (kind) {
    case DatasetKind::Basics: {
        TitleRow row;
        parseTitleLine(line, row);
        check(row.number <= kMaxNumber && (!row.year || *row.year >= 0) && (!row.runtime || *row.runtime >= 0));
        break;
    }
    case DatasetKind::Ratings: {
        RatingRow row;
        parseRatingLine(line, row);
        check(row.number <= kMaxNumber);
        break;
    }
    case DatasetKind::Crew: {
        CrewRow row;
        parseCrewLine(line, row);
        for (const std::uint32_t director : row.directors)
            check(director <= kMaxNumber);
        break;
    }
    case DatasetKind::Principals: {
        PrincipalRow row;
        parsePrincipalLine(line, row);
        check(row.number <= kMaxNumber && row.person <= kMaxNumber && row.ordering >= 0);
        // Escapes decode to well-formed UTF-8, so well-formed lines give well-formed characters.
        check(!vantrelle::isValidUtf8(line) || vantrelle::isValidUtf8(row.characters));
        break;
    }
    case DatasetKind::Names: {
        NameRow row;
        parseNameLine(line, row);
        check(row.person <= kMaxNumber);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const DatasetKind kind = kDatasetFiles[data[0] % kDatasetFiles.size()].kind;
    std::string_view lines(reinterpret_cast<const char*>(data + 1), size - 1);
    while (!lines.empty()) {
        const std::size_t end = lines.find('\n');
        try {
            parse(kind, lines.substr(0, end));
        } catch (const DatasetError&) {
        }
        lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
    }
    return 0;
}
