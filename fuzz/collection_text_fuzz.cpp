// Reads arbitrary bytes as a collection file of text: a plain list, an IMDb or a Letterboxd export. Any input
// reads, or is refused with the collection error; nothing else may leave the reader.
#include "vantrelle/collections/Collection.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // XML and zip files have fuzz targets of their own.
    const bool other = !input.empty() && (input[0] == '<' || input[0] == 'P');
    const std::string text = std::string(other ? "#" : "") + std::string(input);
    try {
        vantrelle::collections::readCollectionBytes(text, "fuzz.txt");
    } catch (const vantrelle::collections::ECollectionError&) {
    }
    return 0;
}
