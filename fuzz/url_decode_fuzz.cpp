// Name links are URL-encoded text from the network.
#include "vantrelle/titleservice/UrlDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vantrelle::titleservice;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TURLDecoder decoder;
    bool failed = false;
    decoder.OnError = [&](TURLDecoder&, const std::string&, const std::string&) { failed = true; };
    decoder.InputString.assign(reinterpret_cast<const char*>(data), size);
    const std::string decoded = decoder.UrlDecode();
    // Decoding never lengthens the text, and a failure gives back the input.
    if (decoded.size() > size || (failed && decoded != decoder.InputString))
        __builtin_trap();
    return 0;
}
