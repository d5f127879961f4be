#include "vantrelle/collections/Collection.h"

#include "Readers.h"

#include <fstream>

namespace vantrelle::collections {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kZipMark = "PK\x03\x04";

std::string readWhole(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
        throw ECollectionError(file.string() + ": the file cannot be opened");
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxCollectionBytes)
        throw ECollectionError(file.string() + ": the file is larger than a collection file can be ("
            + std::to_string(kMaxCollectionBytes >> 20) + " MiB)");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size))
        throw ECollectionError(file.string() + ": the file cannot be read");
    return bytes;
}

Collection readByContent(std::string_view bytes, const std::filesystem::path& file)
{
    if (bytes.starts_with(kZipMark))
        return readTellicoZip(bytes, file);
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        throw ECollectionError("the file is UTF-16 text; save it as UTF-8");
    if (bytes.find('\0') != std::string_view::npos)
        throw ECollectionError("the file is no text, nor a collection file of a kind read here");
    if (auto collection = readXmlCollection(bytes, file))
        return std::move(*collection);
    const std::string_view text = bytes.starts_with(kUtf8Mark) ? bytes.substr(kUtf8Mark.size()) : bytes;
    if (auto collection = readCsvExport(text))
        return std::move(*collection);
    return { CollectionKind::list, readPlainList(text) };
}

} // namespace

std::string_view kindName(CollectionKind kind)
{
    switch (kind) {
    case CollectionKind::list:
        return "plain list";
    case CollectionKind::imdb:
        return "IMDb export";
    case CollectionKind::letterboxd:
        return "Letterboxd export";
    case CollectionKind::tellico:
        return "Tellico collection";
    case CollectionKind::gcstar:
        return "GCstar collection";
    case CollectionKind::dvdProfiler:
        return "DVD Profiler collection";
    case CollectionKind::kodi:
        return "Kodi library";
    }
    return "collection";
}

bool carriesDetails(CollectionKind kind)
{
    return kind == CollectionKind::tellico || kind == CollectionKind::gcstar || kind == CollectionKind::dvdProfiler
        || kind == CollectionKind::kodi;
}

Collection readCollection(const std::filesystem::path& file)
{
    const std::string bytes = readWhole(file);
    return readCollectionBytes(bytes, file);
}

Collection readCollectionBytes(std::string_view bytes, const std::filesystem::path& file)
{
    try {
        return readByContent(bytes, file);
    } catch (const Error& e) {
        throw ECollectionError(file.string() + ": " + e.what());
    }
}

} // namespace vantrelle::collections
