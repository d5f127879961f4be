// Name links are URL-encoded text from the network.
#include "vantrelle/titleservice/URLDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vantrelle::titleservice;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    URLDecoder decoder;
    bool failed = false;
    decoder.OnError = [&](URLDecoder&, const std::string&, const std::string&) { failed = true; };
    decoder.InputString.assign(reinterpret_cast<const char*>(data), size);
    const std::string decoded = decoder.UrlDecode();
    // Decoding never lengthens the text, and a failure gives back the input.
    if (decoded.size() > size || (failed && decoded != decoder.InputString))
        __builtin_trap();
    return 0;
}
