// Reads arbitrary bytes as a Tellico .tc zip: the archive, its tellico.xml and the covers inside it. Any input
// reads, or is refused with the collection error; nothing else may leave the reader.
#include "vantrelle/collections/Collection.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string bytes = std::string(input.starts_with("PK\x03\x04") ? "" : "PK\x03\x04") + std::string(input);
    try {
        vantrelle::collections::readCollectionBytes(bytes, "fuzz.tc");
    } catch (const vantrelle::collections::ECollectionError&) {
    }
    return 0;
}
