// Reads arbitrary bytes as an XML collection file: Tellico, GCstar, DVD Profiler or Kodi, by the root element.
// Any input reads, or is refused with the collection error; nothing else may leave the reader.
#include "vantrelle/collections/Collection.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string text = std::string(input.starts_with('<') ? "" : "<") + std::string(input);
    try {
        vantrelle::collections::readCollectionBytes(text, "fuzz.xml");
    } catch (const vantrelle::collections::ECollectionError&) {
    }
    return 0;
}
